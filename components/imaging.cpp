#include "imaging.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>

#include <QFile>
#include <QPaintDevice>
#include <QPainter>

#include "reception/failure.h"
#include "reception/paths.h"
#include "tifffile.h"

namespace vk7 {

using namespace Qt::StringLiterals;

namespace {

ImageLoadOptions g_defaultOptions;

int PageLimit()
{
    const int limit = g_defaultOptions.pageLimit;
    return limit > 0 && limit < TiffFile::kMaxPages ? limit : TiffFile::kMaxPages;
}

} // namespace

namespace {

Failure Unreadable(const QString &path)
{
    return Failure::Data(u"No se puede leer la imagen %1"_s.arg(path), path);
}

// A file that would not read because the machine refused is not a damaged
// image: the machine's failure is the one told.
Failure Unreadable(const QString &path, const TiffFile &file)
{
    const Failure io = file.IoFailure();
    return io.IsIo() ? io : Unreadable(path);
}

} // namespace

Failure LoadImageFile(const QString &path, QImage *page)
{
    if (!page)
        return Unreadable(path);
    TiffFile file;
    QImage image;
    if (!file.OpenForReading(PathResolver::Resolve(path)) || !file.ReadCurrentPage(&image))
        return Unreadable(path, file);
    *page = std::move(image);
    return {};
}

Failure SaveImageFile(const QString &path, const QImage &page)
{
    const QString host = PathResolver::Resolve(path);
    const Failure unwritable =
        Failure::Data(u"No se puede escribir la imagen %1"_s.arg(path), path);
    if (host.isEmpty() || page.isNull())
        return unwritable;
    // Written beside and renamed into place, so that a page that cannot be
    // written keeps the file it would have replaced. (Not QSaveFile: libtiff
    // reads back what it has written, and QSaveFile opens write-only.)
    const QString fresh = host + u".nuevo"_s;
    bool written = false;
    Failure ioFailure;
    {
        TiffFile file;
        written = file.OpenForWriting(fresh) && file.WriteBilevelPage(page, 200);
        file.Close();
        ioFailure = file.IoFailure();
    }
    Failure failure = written ? Failure() : unwritable;
    if (ioFailure.IsIo())
        failure = ioFailure;
    else if (written && std::rename(QFile::encodeName(fresh).constData(),
                                    QFile::encodeName(host).constData()) != 0)
        failure = Failure::Io(host, errno);
    if (failure.Failed())
        QFile::remove(fresh);
    return failure;
}

Failure ReadImageFileInfo(const QString &path, ImageFileInfo *info)
{
    if (!info)
        return Unreadable(path);
    TiffFile file;
    if (!file.OpenForReading(PathResolver::Resolve(path)))
        return Unreadable(path, file);
    const int count = file.PageCount(PageLimit());
    if (count <= 0)
        return Unreadable(path, file);
    ImageFileInfo result;
    result.pageCount = count;
    result.pageSizes.reserve(count);
    for (int i = 0; i < count; ++i) {
        if (!file.SelectPage(i))
            return Unreadable(path, file);
        result.pageSizes.append(file.CurrentPageSize());
    }
    *info = std::move(result);
    return {};
}

ImageLoadOptions DefaultLoadOptions()
{
    return g_defaultOptions;
}

Failure SetDefaultLoadOptions(const ImageLoadOptions &options)
{
    if (options.pageLimit < 0)
        return Failure::Data(u"Límite de páginas no válido: %1"_s.arg(options.pageLimit));
    g_defaultOptions = options;
    return {};
}

Failure LoadAllPages(const QString &path, ImageList *list)
{
    if (!list)
        return Unreadable(path);
    auto file = std::make_shared<TiffFile>();
    if (!file->OpenForReading(PathResolver::Resolve(path)))
        return Unreadable(path, *file);
    const int count = file->PageCount(PageLimit());
    if (count <= 0)
        return Unreadable(path, *file);
    QList<QSize> sizes;
    sizes.reserve(count);
    for (int i = 0; i < count; ++i) {
        if (!file->SelectPage(i))
            return Unreadable(path, *file);
        sizes.append(file->CurrentPageSize());
    }
    list->file = std::move(file);
    list->sizes = std::move(sizes);
    return {};
}

Failure TakePage(const ImageList &list, int index, QImage *page)
{
    const Failure unreadable = Failure::Data(u"No se puede leer la página %1"_s.arg(index + 1));
    if (!page || !list.file || index < 0 || index >= list.Count())
        return unreadable;
    QImage image;
    if (!list.file->SelectPage(index) || !list.file->ReadCurrentPage(&image)) {
        const Failure io = list.file->IoFailure();
        return io.IsIo() ? io : unreadable;
    }
    *page = std::move(image);
    return {};
}

void ReleaseImageList(ImageList *list)
{
    if (!list)
        return;
    list->file.reset();
    list->sizes.clear();
}

void FreeImage(QImage *page)
{
    if (page)
        *page = QImage();
}

Failure ImageFromDrawing(const QImage &drawing, QImage *page, int dotsPerInch)
{
    const Failure none = Failure::Data(u"No se puede convertir el dibujo en una página"_s);
    if (!page || drawing.isNull() || dotsPerInch <= 0 ||
        !TiffFile::PageSizeAcceptable(drawing.width(), drawing.height(), 1))
        return none;
    QImage mono;
    if (drawing.format() == QImage::Format_Mono) {
        mono = drawing;
    } else {
        const QImage grey = drawing.format() == QImage::Format_Grayscale8
                                ? drawing
                                : drawing.convertToFormat(QImage::Format_Grayscale8);
        // Page after page of the same size reuse the caller's bitmap.
        if (page->size() == grey.size() && page->format() == QImage::Format_Mono &&
            page->isDetached())
            mono = std::move(*page);
        else
            mono = QImage(grey.size(), QImage::Format_Mono);
        if (mono.isNull())
            return none;
        mono.setColorTable({qRgb(255, 255, 255), qRgb(0, 0, 0)});
        for (int y = 0; y < grey.height(); ++y)
            PackDarkPixels(grey.constScanLine(y), grey.width(), mono.scanLine(y));
    }
    const int dots = int(dotsPerInch / 0.0254 + 0.5);
    mono.setDotsPerMeterX(dots);
    mono.setDotsPerMeterY(dots);
    *page = std::move(mono);
    return {};
}

} // namespace vk7
