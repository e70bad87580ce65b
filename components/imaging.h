#pragma once

#include <memory>

#include <QImage>
#include <QList>
#include <QRectF>
#include <QSize>
#include <QString>

class QPainter;

namespace vk7 {

class TiffFile;

// The imaging layer: loading, saving, page lists, painting and printing of
// page images. Every operation answers a status, 1 for success (callers test
// for exactly 1), 0 for failure; none throws. Paths are the system's own
// ("C:\TMP_VK7\K7.D01") or host paths, resolved through PathResolver.
// Bitmaps are QImages owned by the caller.

// Load an image file: the first page.
int LoadImageFile(const QString &path, QImage *page);

// Save a page as a 1-bit CCITT Group 4 TIFF at 200 x 200 dpi, overwriting the
// file; pixels darker than mid-grey are black. LoadImageFile loads it again.
// A failed save leaves any file of that name as it was.
int SaveImageFile(const QString &path, const QImage &page);

// File information, read from the file's directories without decoding any
// page: the page count and each page's size.
struct ImageFileInfo
{
    int pageCount = 0;
    QList<QSize> pageSizes;
};
int ReadImageFileInfo(const QString &path, ImageFileInfo *info);

// Default load options. `pageLimit` caps the pages the information query and
// the page lists accept (0: the layer's own cap of 32000).
struct ImageLoadOptions
{
    int pageLimit = 0;
};
int GetDefaultLoadOptions(ImageLoadOptions *options);
int SetDefaultLoadOptions(const ImageLoadOptions &options);

// The pages of one file. Loading checks every page's directory; a page's
// bits are decoded when the page is taken, so a list of thousands of pages
// never holds more than the page in hand. Copies share the open file.
class ImageList
{
public:
    int Count() const { return sizes.size(); }
    QSize PageSize(int index) const { return sizes.value(index); }

private:
    friend int LoadAllPages(const QString &, ImageList *);
    friend int TakePage(const ImageList &, int, QImage *);
    friend int ReleaseImageList(ImageList *);
    std::shared_ptr<TiffFile> file; // kept open while the list lives
    QList<QSize> sizes;
};

// Load all pages of a file as a list.
int LoadAllPages(const QString &path, ImageList *list);
// Take page `index` (from 0) of a list as a bitmap of its own.
int TakePage(const ImageList &list, int index, QImage *page);
// Destroy a page list.
int ReleaseImageList(ImageList *list);
// Free a bitmap.
int FreeImage(QImage *page);

// A drawn surface as a page bitmap: 1 bit per pixel (darker than mid-grey is
// black) with the given resolution.
int ImageFromDrawing(const QImage &drawing, QImage *page, int dotsPerInch = 200);

} // namespace vk7
