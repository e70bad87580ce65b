#include "pdfdocument.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <sys/stat.h>
#include <vector>

#include <QBuffer>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QLoggingCategory>
#include <QSaveFile>
#include <QTemporaryFile>

#include "g4encoder.h"
#include "pagegeometry.h"
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

std::string Reference(int object)
{
    return std::to_string(object) + " 0 R";
}

// A PDF text string: UTF-16BE with its byte order mark, in hexadecimal, so
// that no character of a title needs escaping.
std::string TextString(const QString &text)
{
    std::string hex = "<FEFF";
    for (const QChar c : text)
        hex += QString::asprintf("%04X", c.unicode()).toStdString();
    return hex + ">";
}

// What stops a document whose pages could not be kept: nearly always a
// temporary folder that is full.
QString BodyError()
{
    return u"ERROR. No se puede crear el PDF: no se puede escribir en la carpeta temporal %1"_s.arg(
        QDir::toNativeSeparators(QDir::tempPath()));
}

} // namespace

// The document is written as its pages come: each page's objects (image,
// drawing, page) go at once into a temporary body file, and only their
// offsets stay in memory, so a document of a hundred thousand pages costs a
// few megabytes. Objects 1 and 2 (catalog and page tree) and the outline are
// written last, when the page count and the offsets are known.
struct PdfDocument::Private
{
    static constexpr int kCatalogObject = 1;
    static constexpr int kPagesObject = 2;
    static constexpr int kFirstPageObject = 3;
    static constexpr int kObjectsPerPage = 3; // image, drawing, page

    std::unique_ptr<QIODevice> body;
    std::vector<qint64> offsets; // of the objects from kFirstPageObject on, in the body
    int pages = 0;
    QList<std::pair<QString, int>> outline; // title, first page (from 0)
    bool failed = false;                    // the body lost a write
    QMarginsF margins;                      // of the printer's paper, in points
    TiffFile file; // the image file of the last page added, while this document is made
    FileIdentity fileIdentity;
    Failure ioFailure; // the first read of a page file the machine refused

    // The body goes to a temporary file; where none can be made, it is kept
    // in memory rather than refusing to print.
    bool OpenBody()
    {
        if (body)
            return true;
        auto file = std::make_unique<QTemporaryFile>(QDir::tempPath() + u"/vk7-pdf-XXXXXX"_s);
        if (file->open()) {
            body = std::move(file);
            return true;
        }
        auto buffer = std::make_unique<QBuffer>();
        if (!buffer->open(QIODevice::ReadWrite))
            return false;
        body = std::move(buffer);
        return true;
    }

    bool Put(const std::string &text) { return Put(text.data(), qint64(text.size())); }
    bool Put(const char *data, qint64 size) { return size == 0 || body->write(data, size) == size; }

    int NextObject() const { return kFirstPageObject + int(offsets.size()); }

    // The whole document into `sink`; false when the body cannot be read
    // back (`sinkFailed` false) or the sink refuses a piece (true).
    bool Write(const std::function<bool(const char *, qint64)> &sink, bool &sinkFailed);

    // Writes the next object with its dictionary and, for a stream, its data.
    bool PutObject(const std::string &dictionary, const std::string *stream = nullptr)
    {
        const std::string head = std::to_string(NextObject()) + " 0 obj\n" + dictionary;
        offsets.push_back(body->pos());
        if (!stream)
            return Put(head + "\nendobj\n");
        return Put(head + "\nstream\n") && Put(*stream) && Put("\nendstream\nendobj\n");
    }
};

PdfDocument::PdfDocument() : d(new Private) {}

PdfDocument::~PdfDocument() = default;

bool PdfDocument::AddPage(const PageImage &page)
{
    if (d->failed || !d->OpenBody())
        return false;
    PageData data;
    if (!page.bitmap.isNull()) {
        if (!BitmapPage(page.bitmap, &data))
            return false;
    } else {
        // Kept as stored where it can be, else decoded and coded again.
        QImage bitmap;
        const bool read = SelectFilePage(page, d->file, d->fileIdentity) &&
                          (CodedPage(d->file, &data) || (d->file.ReadCurrentPage(&bitmap) &&
                                                         BitmapPage(std::move(bitmap), &data)));
        d->ioFailure.KeepFirst(d->file.IoFailure());
        if (!read)
            return false;
    }
    if (!data.ccitt) {
        // Deflated: qCompress gives a zlib stream after a four-byte length.
        const QByteArray deflated = qCompress(reinterpret_cast<const uchar *>(data.data.data()),
                                              qsizetype(data.data.size()));
        if (deflated.size() < 4)
            return false;
        data.data.assign(deflated.constData() + 4, size_t(deflated.size() - 4));
    }

    const int imageObject = d->NextObject();
    std::string image = "<< /Type /XObject /Subtype /Image /Width " + std::to_string(data.width) +
                        " /Height " + std::to_string(data.height) + " /ColorSpace " +
                        (data.components == 3 ? "/DeviceRGB" : "/DeviceGray") +
                        " /BitsPerComponent " + (data.ccitt ? "1" : "8");
    if (data.ccitt)
        image += " /Filter /CCITTFaxDecode /DecodeParms << /K -1 /Columns " +
                 std::to_string(data.width) + " /Rows " + std::to_string(data.height) +
                 " /BlackIs1 " + (data.blackIs1 ? "true" : "false") + " >>";
    else
        image += " /Filter /FlateDecode";
    image += " /Length " + std::to_string(data.data.size()) + " >>";

    const QSizeF sheet(data.width * 72.0 / data.dpiX, data.height * 72.0 / data.dpiY);
    const std::string widthPoints = PdfNumber(sheet.width());
    const std::string heightPoints = PdfNumber(sheet.height());
    std::string drawing = "q " + widthPoints + " 0 0 " + heightPoints + " 0 0 cm /Im0 Do Q\n";
    if (!d->margins.isNull()) {
        // PDF measures from the bottom edge.
        const QRectF placed = PrintablePlacement(sheet, d->margins);
        drawing = "q " + PdfNumber(placed.width()) + " 0 0 " + PdfNumber(placed.height()) + " " +
                  PdfNumber(placed.left()) + " " + PdfNumber(sheet.height() - placed.bottom()) +
                  " cm /Im0 Do Q\n";
    }
    const std::string contents = "<< /Length " + std::to_string(drawing.size()) + " >>";
    const std::string pageObject = "<< /Type /Page /Parent " + Reference(Private::kPagesObject) +
                                   " /MediaBox [0 0 " + widthPoints + " " + heightPoints +
                                   "] /Resources << /XObject << /Im0 " + Reference(imageObject) +
                                   " >> >> /Contents " + Reference(imageObject + 1) + " >>";
    if (!d->PutObject(image, &data.data) || !d->PutObject(contents, &drawing) ||
        !d->PutObject(pageObject)) {
        // The body now holds part of a page: nothing more can be made of it.
        qCInfo(lcPdf, "cannot write the PDF's temporary body");
        d->failed = true;
        return false;
    }
    ++d->pages;
    return true;
}

void PdfDocument::SetPrintableMargins(const QMarginsF &points)
{
    d->margins = points;
}

void PdfDocument::AddOutlineEntry(const QString &title)
{
    d->outline.append({title, d->pages});
}

int PdfDocument::PageCount() const
{
    return d->pages;
}

bool PdfDocument::Private::Write(const std::function<bool(const char *, qint64)> &sink,
                                 bool &sinkFailed)
{
    sinkFailed = false;
    if (failed || !OpenBody())
        return false;

    // The identifier is the digest of everything before the trailer, so the
    // same pages make the same file.
    QCryptographicHash digest(QCryptographicHash::Md5);
    qint64 written = 0;
    bool sunk = true;
    const auto put = [&](const char *data, qint64 size) {
        if (!sunk || size == 0)
            return sunk;
        digest.addData(QByteArrayView(data, size));
        sunk = sink(data, size);
        written += size;
        return sunk;
    };
    const auto putText = [&](const std::string &text) {
        return put(text.data(), qint64(text.size()));
    };

    // A binary comment on the second line tells transports the file is binary.
    const std::string header = "%PDF-1.4\n%\xE2\xE3\xCF\xD3\n";
    putText(header);
    const qint64 bodyStart = written;
    const qint64 bodySize = body->size();
    if (!body->seek(0))
        return false;
    std::vector<char> chunk(1 << 20);
    for (qint64 done = 0; sunk && done < bodySize;) {
        const qint64 read =
            body->read(chunk.data(), std::min<qint64>(qint64(chunk.size()), bodySize - done));
        if (read <= 0)
            return false;
        put(chunk.data(), read);
        done += read;
    }
    body->seek(bodySize);

    // Objects 1 and 2, then the outline: one entry per job at its first page.
    std::vector<qint64> ownOffsets(2); // of objects 1 and 2
    std::vector<qint64> outlineOffsets;
    const int firstOutlineObject = NextObject();
    QList<std::pair<QString, int>> entries;
    // An entry whose job printed nothing would point at the next job's page.
    for (qsizetype i = 0; i < outline.size(); ++i) {
        const int first = outline.at(i).second;
        const int next = i + 1 < outline.size() ? outline.at(i + 1).second : pages;
        if (first < next)
            entries.append(outline.at(i));
    }
    const int outlineRoot = firstOutlineObject + int(entries.size());
    // A page's own object is the last of its three.
    const auto pageReference = [](int page) {
        return Reference(kFirstPageObject + page * kObjectsPerPage + 2);
    };

    ownOffsets[0] = written;
    std::string catalog = "1 0 obj\n<< /Type /Catalog /Pages " + Reference(kPagesObject);
    if (!entries.isEmpty())
        catalog += " /Outlines " + Reference(outlineRoot) + " /PageMode /UseOutlines";
    putText(catalog + " >>\nendobj\n");
    ownOffsets[1] = written;
    putText("2 0 obj\n<< /Type /Pages /Count " + std::to_string(pages) + " /Kids [");
    // The kids are written in pieces: the list is as long as the document.
    std::string kids;
    for (int page = 0; page < pages; ++page) {
        kids += (page % 8 == 0 ? "\n" : " ") + pageReference(page);
        if (kids.size() > 60000) {
            putText(kids);
            kids.clear();
        }
    }
    putText(kids + "\n] >>\nendobj\n");
    for (qsizetype i = 0; i < entries.size(); ++i) {
        outlineOffsets.push_back(written);
        std::string item = std::to_string(firstOutlineObject + i) + " 0 obj\n<< /Title " +
                           TextString(entries.at(i).first) + " /Parent " + Reference(outlineRoot) +
                           " /Dest [" + pageReference(entries.at(i).second) + " /Fit]";
        if (i > 0)
            item += " /Prev " + Reference(firstOutlineObject + int(i) - 1);
        if (i + 1 < entries.size())
            item += " /Next " + Reference(firstOutlineObject + int(i) + 1);
        putText(item + " >>\nendobj\n");
    }
    if (!entries.isEmpty()) {
        outlineOffsets.push_back(written);
        putText(std::to_string(outlineRoot) + " 0 obj\n<< /Type /Outlines /First " +
                Reference(firstOutlineObject) + " /Last " + Reference(outlineRoot - 1) +
                " /Count " + std::to_string(entries.size()) + " >>\nendobj\n");
    }

    // The cross-reference table: every entry exactly 20 bytes.
    const qint64 xref = written;
    const size_t objects = kFirstPageObject + offsets.size() + outlineOffsets.size();
    std::string table = "xref\n0 " + std::to_string(objects) + "\n0000000000 65535 f \n";
    const auto entry = [&table](qint64 offset) {
        char line[32];
        std::snprintf(line, sizeof line, "%010lld 00000 n \n", static_cast<long long>(offset));
        table.append(line, 20);
    };
    for (const qint64 offset : ownOffsets)
        entry(offset);
    for (const qint64 offset : offsets) {
        entry(bodyStart + offset);
        if (table.size() > 60000) {
            putText(table);
            table.clear();
        }
    }
    for (const qint64 offset : outlineOffsets)
        entry(offset);
    putText(table);
    const QByteArray id = digest.result().toHex().toUpper();
    putText("trailer\n<< /Size " + std::to_string(objects) + " /Root " + Reference(kCatalogObject) +
            " /ID [<" + id.toStdString() + "> <" + id.toStdString() + ">] >>\nstartxref\n" +
            std::to_string(xref) + "\n%%EOF\n");
    sinkFailed = !sunk;
    return sunk;
}

Failure PdfDocument::WriteFile(const QString &hostPath)
{
    // Written page by page into a file beside the target, which replaces it
    // only once it is whole: the document is never in memory whole, and a
    // file that cannot be written keeps the one it would have replaced.
    const Failure unwritable =
        Failure::Data(u"ERROR. No se puede escribir el fichero %1"_s.arg(hostPath), hostPath);
    QSaveFile file(hostPath);
    if (!file.open(QIODevice::WriteOnly))
        return unwritable;
    bool sinkFailed = false;
    const bool written =
        d->Write([&file](const char *data, qint64 size) { return file.write(data, size) == size; },
                 sinkFailed);
    // A half-written file is dropped with the QSaveFile; the old one stays.
    if (!written || sinkFailed)
        return sinkFailed ? unwritable : Failure::Data(BodyError(), hostPath);
    if (!file.commit())
        return unwritable;
    return {};
}

Failure PdfDocument::WriteBuffer(QByteArray *pdf)
{
    if (!pdf)
        return Failure::Data(u"ERROR. No se puede crear el PDF"_s);
    pdf->clear();
    bool sinkFailed = false;
    const bool written = d->Write(
        [pdf](const char *data, qint64 size) {
            pdf->append(data, qsizetype(size));
            return true;
        },
        sinkFailed);
    if (!written)
        return Failure::Data(BodyError());
    return {};
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

Failure PdfDocument::IoFailure() const
{
    return d->ioFailure;
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

Failure PdfFileDevice::Finish()
{
    return document_.WriteFile(path_);
}

} // namespace vk7
