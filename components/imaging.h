#pragma once

#include <memory>

#include <QImage>
#include <QList>
#include <QRectF>
#include <QSize>
#include <QString>

#include "reception/failure.h"

class QPainter;

namespace vk7 {

class TiffFile;

// The imaging layer: loading, saving, page lists, painting and printing of
// page images. Every operation that can fail returns a Failure (Kind::None on
// success); none throws. Paths are the system's own
// ("C:\TMP_VK7\K7.D01") or host paths, resolved through PathResolver.
// Bitmaps are QImages owned by the caller.

// Load an image file: the first page.
Failure LoadImageFile(const QString &path, QImage *page);

// Save a page as a 1-bit CCITT Group 4 TIFF at 200 x 200 dpi, overwriting the
// file; pixels darker than mid-grey are black. LoadImageFile loads it again.
// A failed save leaves any file of that name as it was.
Failure SaveImageFile(const QString &path, const QImage &page);

// File information, read from the file's directories without decoding any
// page: the page count and each page's size.
struct ImageFileInfo
{
    int pageCount = 0;
    QList<QSize> pageSizes;
};
Failure ReadImageFileInfo(const QString &path, ImageFileInfo *info);

// Default load options. `pageLimit` caps the pages the information query and
// the page lists accept (0: the layer's own cap of 32000).
struct ImageLoadOptions
{
    int pageLimit = 0;
};
ImageLoadOptions DefaultLoadOptions();
Failure SetDefaultLoadOptions(const ImageLoadOptions &options);

// The pages of one file. Loading checks every page's directory; a page's
// bits are decoded when the page is taken, so a list of thousands of pages
// never holds more than the page in hand. Copies share the open file.
class ImageList
{
public:
    int Count() const { return sizes.size(); }
    QSize PageSize(int index) const { return sizes.value(index); }

private:
    friend Failure LoadAllPages(const QString &, ImageList *);
    friend Failure TakePage(const ImageList &, int, QImage *);
    friend void ReleaseImageList(ImageList *);
    std::shared_ptr<TiffFile> file; // kept open while the list lives
    QList<QSize> sizes;
};

// Load all pages of a file as a list.
Failure LoadAllPages(const QString &path, ImageList *list);
// Take page `index` (from 0) of a list as a bitmap of its own.
Failure TakePage(const ImageList &list, int index, QImage *page);
// Destroy a page list.
void ReleaseImageList(ImageList *list);
// Free a bitmap.
void FreeImage(QImage *page);

// A drawn surface as a page bitmap: 1 bit per pixel (darker than mid-grey is
// black) with the given resolution.
Failure ImageFromDrawing(const QImage &drawing, QImage *page, int dotsPerInch = 200);

} // namespace vk7
