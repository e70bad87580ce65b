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

int LoadImageFile(const QString &path, QImage *page)
{
    if (!page)
        return 0;
    TiffFile file;
    QImage image;
    if (!file.OpenForReading(PathResolver::Resolve(path)) || !file.ReadCurrentPage(&image))
        return 0;
    *page = std::move(image);
    return 1;
}

int SaveImageFile(const QString &path, const QImage &page)
{
    const QString host = PathResolver::Resolve(path);
    if (host.isEmpty() || page.isNull())
        return 0;
    // Written beside and renamed into place, so that a page that cannot be
    // written keeps the file it would have replaced.
    const QString fresh = host + u".nuevo"_s;
    bool written = false;
    {
        TiffFile file;
        written = file.OpenForWriting(fresh) && file.WriteBilevelPage(page, 200);
    }
    if (written && std::rename(QFile::encodeName(fresh).constData(),
                               QFile::encodeName(host).constData()) != 0) {
        RecordIoFailure(Failure::Io(host, errno));
        written = false;
    }
    if (!written) {
        QFile::remove(fresh);
        return 0;
    }
    return 1;
}

int ReadImageFileInfo(const QString &path, ImageFileInfo *info)
{
    if (!info)
        return 0;
    TiffFile file;
    if (!file.OpenForReading(PathResolver::Resolve(path)))
        return 0;
    const int count = file.PageCount(PageLimit());
    if (count <= 0)
        return 0;
    ImageFileInfo result;
    result.pageCount = count;
    result.pageSizes.reserve(count);
    for (int i = 0; i < count; ++i) {
        if (!file.SelectPage(i))
            return 0;
        result.pageSizes.append(file.CurrentPageSize());
    }
    *info = std::move(result);
    return 1;
}

int GetDefaultLoadOptions(ImageLoadOptions *options)
{
    if (!options)
        return 0;
    *options = g_defaultOptions;
    return 1;
}

int SetDefaultLoadOptions(const ImageLoadOptions &options)
{
    if (options.pageLimit < 0)
        return 0;
    g_defaultOptions = options;
    return 1;
}

int LoadAllPages(const QString &path, ImageList *list)
{
    if (!list)
        return 0;
    auto file = std::make_shared<TiffFile>();
    if (!file->OpenForReading(PathResolver::Resolve(path)))
        return 0;
    const int count = file->PageCount(PageLimit());
    if (count <= 0)
        return 0;
    QList<QSize> sizes;
    sizes.reserve(count);
    for (int i = 0; i < count; ++i) {
        if (!file->SelectPage(i))
            return 0;
        sizes.append(file->CurrentPageSize());
    }
    list->file = std::move(file);
    list->sizes = std::move(sizes);
    return 1;
}

int TakePage(const ImageList &list, int index, QImage *page)
{
    if (!page || !list.file || index < 0 || index >= list.Count())
        return 0;
    QImage image;
    if (!list.file->SelectPage(index) || !list.file->ReadCurrentPage(&image))
        return 0;
    *page = std::move(image);
    return 1;
}

int ReleaseImageList(ImageList *list)
{
    if (!list)
        return 0;
    list->file.reset();
    list->sizes.clear();
    return 1;
}

int FreeImage(QImage *page)
{
    if (!page)
        return 0;
    *page = QImage();
    return 1;
}

int ImageFromDrawing(const QImage &drawing, QImage *page, int dotsPerInch)
{
    if (!page || drawing.isNull() || dotsPerInch <= 0 ||
        !TiffFile::PageSizeAcceptable(drawing.width(), drawing.height(), 1))
        return 0;
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
            return 0;
        mono.setColorTable({qRgb(255, 255, 255), qRgb(0, 0, 0)});
        for (int y = 0; y < grey.height(); ++y)
            PackDarkPixels(grey.constScanLine(y), grey.width(), mono.scanLine(y));
    }
    const int dots = int(dotsPerInch / 0.0254 + 0.5);
    mono.setDotsPerMeterX(dots);
    mono.setDotsPerMeterY(dots);
    *page = std::move(mono);
    return 1;
}

} // namespace vk7
