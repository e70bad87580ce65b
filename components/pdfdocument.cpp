#include "pdfdocument.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <exception>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <sys/stat.h>
#include <vector>

#include <QDir>
#include <QFile>
#include <QLoggingCategory>
#include <QTemporaryFile>
#include <qpdf/Buffer.hh>
#include <qpdf/Pipeline.hh>
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFObjectHandle.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>
#include <qpdf/QPDFWriter.hh>

#include "g4encoder.h"
#include "reception/paths.h"
#include "tifffile.h"

using namespace Qt::StringLiterals;

namespace vk7 {

Q_LOGGING_CATEGORY(lcPdf, "vk7.pdf", QtWarningMsg)

namespace {

constexpr double kDefaultDotsPerInch = 200.0;

double DotsPerInch(int dotsPerMeter)
{
    return dotsPerMeter > 0 ? dotsPerMeter * 0.0254 : kDefaultDotsPerInch;
}

// What one page embeds: the image's stream data, filter and colour.
struct PageData
{
    std::string data;
    int width = 0;
    int height = 0;
    double dpiX = kDefaultDotsPerInch;
    double dpiY = kDefaultDotsPerInch;
    bool ccitt = false;
    bool blackIs1 = false;
    int components = 1; // 1 grey, 3 RGB; bilevel pages are 1 with one bit
};

// A file as it is now: a file rewritten under the same name is another.
struct FileIdentity
{
    QString path;
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = -1;
    timespec modified = {};

    static FileIdentity Of(const QString &path)
    {
        FileIdentity identity;
        struct stat st;
        if (::stat(QFile::encodeName(path).constData(), &st) != 0)
            return identity;
        identity = {path, st.st_dev, st.st_ino, st.st_size, st.st_mtim};
        return identity;
    }
    bool operator==(const FileIdentity &other) const
    {
        return path == other.path && device == other.device && inode == other.inode &&
               size == other.size && modified.tv_sec == other.modified.tv_sec &&
               modified.tv_nsec == other.modified.tv_nsec;
    }
};

// Makes page `page.index` of the page's file current in `file`, which stays
// open from one page to the next while its file is unchanged, so that the
// pages of a file taken in order are found one after another instead of by
// walking its chain of pages from the first each time.
bool SelectFilePage(const PageImage &page, TiffFile &file, FileIdentity &open)
{
    const FileIdentity identity = FileIdentity::Of(PathResolver::Resolve(page.path));
    if (identity.size < 0)
        return false;
    if (!(identity == open) || !file.IsOpen()) {
        open = FileIdentity();
        if (!file.OpenForReading(identity.path))
            return false;
        open = identity;
    }
    return file.SelectPage(page.index);
}

// The current page's Group 4 data as stored, when it has it.
bool CodedPage(TiffFile &file, PageData *out)
{
    TiffFile::CodedPage coded;
    if (!file.ReadCurrentPageCoded(&coded))
        return false;
    out->data.assign(coded.g4.constData(), size_t(coded.g4.size()));
    out->width = coded.size.width();
    out->height = coded.size.height();
    out->dpiX = DotsPerInch(coded.dotsPerMeterX);
    out->dpiY = coded.dotsPerMeterY > 0 ? DotsPerInch(coded.dotsPerMeterY) : out->dpiX;
    out->ccitt = true;
    out->blackIs1 = coded.blackIs1;
    return true;
}

bool BitmapPage(QImage image, PageData *out)
{
    if (image.isNull())
        return false;
    out->width = image.width();
    out->height = image.height();
    out->dpiX = DotsPerInch(image.dotsPerMeterX());
    out->dpiY = image.dotsPerMeterY() > 0 ? DotsPerInch(image.dotsPerMeterY()) : out->dpiX;
    if (image.format() == QImage::Format_MonoLSB)
        image = image.convertToFormat(QImage::Format_Mono);
    if (image.format() == QImage::Format_Mono) {
        const QByteArray g4 =
            EncodeG4(image.constBits(), image.width(), image.height(), image.bytesPerLine());
        out->data.assign(g4.constData(), size_t(g4.size()));
        out->ccitt = true;
        // The coder takes 1 bits as black; a table that makes 1 white inverts.
        const QList<QRgb> table = image.colorTable();
        out->blackIs1 = table.size() == 2 && qGray(table.at(1)) > qGray(table.at(0));
        return true;
    }
    const bool grey = image.format() == QImage::Format_Grayscale8 || image.isGrayscale();
    image = image.convertToFormat(grey ? QImage::Format_Grayscale8 : QImage::Format_RGB888);
    out->components = grey ? 1 : 3;
    const size_t row = size_t(image.width()) * size_t(out->components);
    out->data.resize(row * size_t(image.height()));
    for (int y = 0; y < image.height(); ++y)
        std::memcpy(out->data.data() + row * size_t(y), image.constScanLine(y), row);
    return true;
}

std::string PdfNumber(double value)
{
    return QString::number(value, 'f', 3).toStdString();
}

} // namespace

struct PdfDocument::Private
{
    QPDF pdf;
    int pages = 0;
    QList<std::pair<QString, int>> outline; // title, first page (from 0)
    bool ready = false;
    TiffFile file; // the image file of the last page added, while this document is made
    FileIdentity fileIdentity;
    // The pages' image data waits on disk until the document is written, so
    // that a document of thousands of pages is never held whole.
    std::shared_ptr<QTemporaryFile> spill;

    // Puts a page's data into the spill file and returns what gives it back
    // to the writer; empty when the file cannot take it (the data is then
    // kept in memory).
    std::function<void(Pipeline *)> Spill(const std::string &data)
    {
        if (!spill) {
            auto file = std::make_shared<QTemporaryFile>(QDir::tempPath() + u"/vk7-pdf-XXXXXX"_s);
            if (!file->open())
                return {};
            spill = std::move(file);
        }
        const qint64 offset = spill->size();
        if (!spill->seek(offset) ||
            spill->write(data.data(), qint64(data.size())) != qint64(data.size()))
            return {};
        const qint64 length = qint64(data.size());
        return [file = spill, offset, length](Pipeline *pipeline) {
            std::vector<unsigned char> buffer(size_t(std::min<qint64>(length, 1 << 16)));
            qint64 done = 0;
            if (file->seek(offset)) {
                while (done < length) {
                    const qint64 read =
                        file->read(reinterpret_cast<char *>(buffer.data()),
                                   std::min<qint64>(length - done, qint64(buffer.size())));
                    if (read <= 0)
                        break;
                    pipeline->write(buffer.data(), size_t(read));
                    done += read;
                }
            }
            pipeline->finish();
            // A page that cannot be read back would make a broken document.
            if (done != length)
                throw std::runtime_error("page data lost from the spill file");
        };
    }
};

PdfDocument::PdfDocument() : d(new Private)
{
    try {
        d->pdf.emptyPDF();
        d->ready = true;
    } catch (const std::exception &e) {
        qCWarning(lcPdf, "%s", e.what());
    }
}

PdfDocument::~PdfDocument() = default;

bool PdfDocument::AddPage(const PageImage &page)
{
    if (!d->ready)
        return false;
    PageData data;
    if (!page.bitmap.isNull()) {
        if (!BitmapPage(page.bitmap, &data))
            return false;
    } else {
        // Kept as stored where it can be, else decoded and coded again.
        QImage bitmap;
        if (!SelectFilePage(page, d->file, d->fileIdentity) ||
            (!CodedPage(d->file, &data) &&
             (!d->file.ReadCurrentPage(&bitmap) || !BitmapPage(std::move(bitmap), &data))))
            return false;
    }
    const auto SetStreamData = [this](QPDFObjectHandle &stream, const std::string &bytes,
                                      const QPDFObjectHandle &filter,
                                      const QPDFObjectHandle &parms) {
        std::function<void(Pipeline *)> provider = d->Spill(bytes);
        if (provider)
            stream.replaceStreamData(std::move(provider), filter, parms);
        else
            stream.replaceStreamData(bytes, filter, parms);
    };
    try {
        QPDF &pdf = d->pdf;
        QPDFObjectHandle image = QPDFObjectHandle::newStream(&pdf);
        QPDFObjectHandle dict = image.getDict();
        dict.replaceKey("/Type", QPDFObjectHandle::newName("/XObject"));
        dict.replaceKey("/Subtype", QPDFObjectHandle::newName("/Image"));
        dict.replaceKey("/Width", QPDFObjectHandle::newInteger(data.width));
        dict.replaceKey("/Height", QPDFObjectHandle::newInteger(data.height));
        dict.replaceKey("/ColorSpace", QPDFObjectHandle::newName(
                                           data.components == 3 ? "/DeviceRGB" : "/DeviceGray"));
        dict.replaceKey("/BitsPerComponent", QPDFObjectHandle::newInteger(data.ccitt ? 1 : 8));
        if (data.ccitt) {
            QPDFObjectHandle parms = QPDFObjectHandle::newDictionary();
            parms.replaceKey("/K", QPDFObjectHandle::newInteger(-1));
            parms.replaceKey("/Columns", QPDFObjectHandle::newInteger(data.width));
            parms.replaceKey("/Rows", QPDFObjectHandle::newInteger(data.height));
            parms.replaceKey("/BlackIs1", QPDFObjectHandle::newBool(data.blackIs1));
            SetStreamData(image, data.data, QPDFObjectHandle::newName("/CCITTFaxDecode"), parms);
        } else {
            SetStreamData(image, data.data, QPDFObjectHandle::newNull(),
                          QPDFObjectHandle::newNull());
        }

        const double widthPoints = data.width * 72.0 / data.dpiX;
        const double heightPoints = data.height * 72.0 / data.dpiY;
        const std::string drawing = "q " + PdfNumber(widthPoints) + " 0 0 " +
                                    PdfNumber(heightPoints) + " 0 0 cm /Im0 Do Q\n";
        QPDFObjectHandle contents = QPDFObjectHandle::newStream(&pdf, drawing);

        QPDFObjectHandle xobjects = QPDFObjectHandle::newDictionary();
        xobjects.replaceKey("/Im0", image);
        QPDFObjectHandle resources = QPDFObjectHandle::newDictionary();
        resources.replaceKey("/XObject", xobjects);
        QPDFObjectHandle mediaBox = QPDFObjectHandle::newArray();
        mediaBox.appendItem(QPDFObjectHandle::newInteger(0));
        mediaBox.appendItem(QPDFObjectHandle::newInteger(0));
        mediaBox.appendItem(QPDFObjectHandle::newReal(PdfNumber(widthPoints)));
        mediaBox.appendItem(QPDFObjectHandle::newReal(PdfNumber(heightPoints)));
        QPDFObjectHandle pageObject = QPDFObjectHandle::newDictionary();
        pageObject.replaceKey("/Type", QPDFObjectHandle::newName("/Page"));
        pageObject.replaceKey("/MediaBox", mediaBox);
        pageObject.replaceKey("/Resources", resources);
        pageObject.replaceKey("/Contents", contents);
        QPDFPageDocumentHelper(pdf).addPage(
            QPDFPageObjectHelper(pdf.makeIndirectObject(pageObject)), false);
    } catch (const std::exception &e) {
        qCWarning(lcPdf, "%s", e.what());
        return false;
    }
    ++d->pages;
    return true;
}

void PdfDocument::AddOutlineEntry(const QString &title)
{
    d->outline.append({title, d->pages});
}

int PdfDocument::PageCount() const
{
    return d->pages;
}

namespace {

// The outline: one entry per job, pointing at its first page.
void BuildOutline(QPDF &pdf, const QList<std::pair<QString, int>> &entries, int pageCount)
{
    std::vector<QPDFObjectHandle> items;
    const std::vector<QPDFPageObjectHelper> pages = QPDFPageDocumentHelper(pdf).getAllPages();
    for (const auto &[title, first] : entries) {
        if (first >= pageCount)
            continue;
        QPDFObjectHandle item = pdf.makeIndirectObject(QPDFObjectHandle::newDictionary());
        const QByteArray utf8 = title.toUtf8();
        item.replaceKey("/Title", QPDFObjectHandle::newUnicodeString(
                                      std::string(utf8.constData(), size_t(utf8.size()))));
        QPDFObjectHandle destination = QPDFObjectHandle::newArray();
        destination.appendItem(pages.at(size_t(first)).getObjectHandle());
        destination.appendItem(QPDFObjectHandle::newName("/Fit"));
        item.replaceKey("/Dest", destination);
        items.push_back(item);
    }
    if (items.empty())
        return;
    QPDFObjectHandle outlines = pdf.makeIndirectObject(QPDFObjectHandle::newDictionary());
    outlines.replaceKey("/Type", QPDFObjectHandle::newName("/Outlines"));
    for (size_t i = 0; i < items.size(); ++i) {
        items[i].replaceKey("/Parent", outlines);
        if (i > 0)
            items[i].replaceKey("/Prev", items[i - 1]);
        if (i + 1 < items.size())
            items[i].replaceKey("/Next", items[i + 1]);
    }
    outlines.replaceKey("/First", items.front());
    outlines.replaceKey("/Last", items.back());
    outlines.replaceKey("/Count", QPDFObjectHandle::newInteger(qint64(items.size())));
    pdf.getRoot().replaceKey("/Outlines", outlines);
}

} // namespace

bool PdfDocument::WriteFile(const QString &hostPath, QString *error)
{
    // Written straight into the file: the document is never in memory whole.
    const QByteArray path = QFile::encodeName(hostPath);
    const auto writeError = [&] {
        if (error)
            *error = u"ERROR. No se puede escribir el fichero %1"_s.arg(hostPath);
        return false;
    };
    if (!d->ready) {
        if (error)
            *error = u"ERROR. No se puede crear el PDF"_s;
        return false;
    }
    FILE *file = std::fopen(path.constData(), "wb");
    if (!file)
        return writeError();
    try {
        BuildOutline(d->pdf, d->outline, d->pages);
        QPDFWriter writer(d->pdf);
        writer.setOutputFile(path.constData(), file, false);
        writer.setDecodeLevel(qpdf_dl_none);
        writer.setDeterministicID(true);
        writer.write();
    } catch (const std::exception &e) {
        qCWarning(lcPdf, "%s", e.what());
        std::fclose(file);
        QFile::remove(hostPath);
        if (error)
            *error = u"ERROR. No se puede crear el PDF: %1"_s.arg(QString::fromLocal8Bit(e.what()));
        return false;
    }
    const bool flushed = std::fflush(file) == 0 && !std::ferror(file);
    if (std::fclose(file) != 0 || !flushed) {
        QFile::remove(hostPath);
        return writeError();
    }
    return true;
}

bool PdfDocument::WriteBuffer(QByteArray *pdf, QString *error)
{
    if (!pdf || !d->ready) {
        if (error)
            *error = u"ERROR. No se puede crear el PDF"_s;
        return false;
    }
    try {
        BuildOutline(d->pdf, d->outline, d->pages);
        QPDFWriter writer(d->pdf);
        writer.setOutputMemory();
        // The page images are coded already; decoding them would only grow them.
        writer.setDecodeLevel(qpdf_dl_none);
        writer.setDeterministicID(true);
        writer.write();
        std::unique_ptr<Buffer> buffer(writer.getBuffer());
        *pdf = QByteArray(reinterpret_cast<const char *>(buffer->getBuffer()),
                          qsizetype(buffer->getSize()));
        return true;
    } catch (const std::exception &e) {
        qCWarning(lcPdf, "%s", e.what());
        if (error)
            *error = u"ERROR. No se puede crear el PDF: %1"_s.arg(QString::fromLocal8Bit(e.what()));
        return false;
    }
}

PdfFileDevice::PdfFileDevice(const QString &hostPath) : path_(hostPath) {}

bool PdfFileDevice::BeginJob(const QString &name)
{
    if (open_)
        return false;
    open_ = true;
    jobs_.append({name, 0});
    document_.AddOutlineEntry(name);
    return true;
}

bool PdfFileDevice::PrintPage(const PageImage &page)
{
    if (!open_ || !document_.AddPage(page))
        return false;
    ++jobs_.last().pages;
    return true;
}

bool PdfFileDevice::EndJob()
{
    if (!open_)
        return false;
    open_ = false;
    return true;
}

bool PdfFileDevice::Finish(QString *error)
{
    return document_.WriteFile(path_, error);
}

} // namespace vk7
