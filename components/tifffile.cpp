#include "tifffile.h"

#include <array>
#include <cerrno>
#include <cmath>
#include <cstdarg>
#include <cstring>
#include <fcntl.h>
#include <mutex>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "g4encoder.h"
#include "reception/failure.h"
#include "reception/hostfiles.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include <QFile>
#include <QLoggingCategory>
#include <QVarLengthArray>
#include <QtEndian>

#include <tiffio.h>

namespace vk7 {

Q_LOGGING_CATEGORY(lcImaging, "vk7.imaging", QtWarningMsg)

namespace {

QString FormatTiffMessage(const char *module, const char *format, va_list args)
{
    char text[512];
    std::vsnprintf(text, sizeof text, format, args);
    const QString where = module ? QString::fromLocal8Bit(module) : QString();
    return where.isEmpty() ? QString::fromLocal8Bit(text)
                           : where + QLatin1String(": ") + QString::fromLocal8Bit(text);
}

void TiffWarning(const char *module, const char *format, va_list args)
{
    qCDebug(lcImaging).noquote() << FormatTiffMessage(module, format, args);
}

void TiffError(const char *module, const char *format, va_list args)
{
    // Bad input is an everyday event for a reader of scanned pages; the
    // callers turn it into a status, so the detail is only informative.
    qCInfo(lcImaging).noquote() << FormatTiffMessage(module, format, args);
}

void InstallHandlersOnce()
{
    static std::once_flag once;
    std::call_once(once, [] {
        TIFFSetWarningHandler(TiffWarning);
        TIFFSetErrorHandler(TiffError);
    });
}

// Dots per metre from a TIFF resolution, or 0 when it is absent or absurd.
int DotsPerMetre(float resolution, uint16_t unit)
{
    if (!std::isfinite(resolution) || resolution <= 0.0f || resolution > 100000.0f)
        return 0;
    if (unit == RESUNIT_CENTIMETER)
        return int(std::lround(resolution * 100.0));
    return int(std::lround(resolution / 0.0254));
}

} // namespace

struct TiffFile::Private
{
    TIFF *tiff = nullptr;
    bool writing = false;
    QSize pageSize;
    Failure ioFailure;
};

TiffFile::TiffFile() : d(new Private)
{
    InstallHandlersOnce();
}

TiffFile::~TiffFile()
{
    Close();
}

namespace {

// The file under a TIFF handle. libtiff reaches the file only through these
// procedures, so that a read or write the machine refuses is kept as the
// file's I/O failure instead of passing for a damaged image.
struct TiffHandle
{
    int fd = -1;
    QByteArray path;
    bool writing = false;
    Failure *ioFailure; // the TiffFile's
};

tmsize_t TiffRead(thandle_t handle, void *buffer, tmsize_t size)
{
    auto *file = static_cast<TiffHandle *>(handle);
    tmsize_t total = 0;
    while (total < size) {
        const qint64 got =
            hostfiles::ReadSome(file->fd, static_cast<char *>(buffer) + total, size - total);
        if (got < 0) {
            file->ioFailure->KeepFirst(Failure::Io(file->path, errno));
            return -1;
        }
        if (got == 0)
            break;
        total += tmsize_t(got);
    }
    return total;
}

tmsize_t TiffWrite(thandle_t handle, void *buffer, tmsize_t size)
{
    auto *file = static_cast<TiffHandle *>(handle);
    if (!hostfiles::WriteAll(file->fd, static_cast<const char *>(buffer), size)) {
        file->ioFailure->KeepFirst(Failure::Io(file->path, errno));
        return -1;
    }
    return size;
}

toff_t TiffSeek(thandle_t handle, toff_t offset, int whence)
{
    const off_t at = ::lseek(static_cast<TiffHandle *>(handle)->fd, off_t(offset), whence);
    return at < 0 ? toff_t(-1) : toff_t(at);
}

int TiffClose(thandle_t handle)
{
    auto *file = static_cast<TiffHandle *>(handle);
    const bool closed = hostfiles::Close(file->fd);
    // A page the system could not keep is not written.
    if (!closed && file->writing)
        file->ioFailure->KeepFirst(Failure::Io(file->path, errno));
    delete file;
    return closed ? 0 : -1;
}

toff_t TiffSize(thandle_t handle)
{
    struct stat st;
    if (::fstat(static_cast<TiffHandle *>(handle)->fd, &st) != 0)
        return 0;
    return toff_t(st.st_size);
}

int TiffMap(thandle_t, void **, toff_t *)
{
    return 0;
}

void TiffUnmap(thandle_t, void *, toff_t) {}

} // namespace

static TIFF *OpenTiff(const QString &hostPath, const char *mode, Failure *ioFailure)
{
    if (hostPath.isEmpty())
        return nullptr;
    const QByteArray name = QFile::encodeName(hostPath);
    auto *file = new TiffHandle;
    file->path = name;
    file->ioFailure = ioFailure;
    file->writing = mode[0] == 'w';
    if (file->writing) {
        // libtiff reads back what it wrote while it links the pages.
        file->fd =
            ::open(name.constData(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW, 0666);
        if (file->fd < 0)
            ioFailure->KeepFirst(Failure::Io(name, errno));
    } else {
        Failure failure;
        file->fd = hostfiles::OpenRegularFile(name, true, &failure);
        ioFailure->KeepFirst(failure);
    }
    if (file->fd < 0) {
        delete file;
        return nullptr;
    }
    TIFFOpenOptions *options = TIFFOpenOptionsAlloc();
    if (!options) {
        TiffClose(file);
        return nullptr;
    }
    // libtiff's own buffers (strips, tiles, tables) stay under the page cap.
    TIFFOpenOptionsSetMaxSingleMemAlloc(options, tmsize_t(TiffFile::kMaxDecodedPageBytes));
    // "m": no memory mapping, every byte comes through TiffRead.
    const QByteArray openMode = QByteArray(mode) + 'm';
    TIFF *tiff =
        TIFFClientOpenExt(name.constData(), openMode.constData(), file, TiffRead, TiffWrite,
                          TiffSeek, TiffClose, TiffSize, TiffMap, TiffUnmap, options);
    TIFFOpenOptionsFree(options);
    if (!tiff)
        TiffClose(file);
    return tiff;
}

bool TiffFile::OpenForReading(const QString &hostPath)
{
    Close();
    d->ioFailure = Failure();
    d->tiff = OpenTiff(hostPath, "r", &d->ioFailure);
    d->writing = false;
    if (!d->tiff)
        return false;
    return SelectPage(0);
}

bool TiffFile::OpenForWriting(const QString &hostPath)
{
    Close();
    d->ioFailure = Failure();
    d->tiff = OpenTiff(hostPath, "w", &d->ioFailure);
    d->writing = true;
    return d->tiff != nullptr;
}

void TiffFile::Close()
{
    if (d->tiff)
        TIFFClose(d->tiff);
    d->tiff = nullptr;
    d->pageSize = QSize();
}

Failure TiffFile::IoFailure() const
{
    return d->ioFailure;
}

bool TiffFile::IsOpen() const
{
    return d->tiff != nullptr;
}

int TiffFile::PageCount(int limit)
{
    if (!d->tiff || d->writing)
        return -1;
    // TIFFNumberOfDirectories follows the offsets only (no directory is
    // parsed) and stops at a loop; a chain longer than the limit is refused.
    const tdir_t count = TIFFNumberOfDirectories(d->tiff);
    if (count == 0 || int(count) > limit)
        return -1;
    return int(count);
}

bool TiffFile::SelectPage(int index)
{
    const QSize previous = d->pageSize;
    d->pageSize = QSize();
    if (!d->tiff || d->writing || index < 0 || index >= kMaxPages)
        return false;
    // Pages taken in order read the next directory; TIFFSetDirectory walks
    // the chain from the first, which over every page of a long file would
    // take time growing with the square of its pages.
    const bool next =
        index > 0 && previous.isValid() && int(TIFFCurrentDirectory(d->tiff)) == index - 1;
    if (!(next ? TIFFReadDirectory(d->tiff) : TIFFSetDirectory(d->tiff, tdir_t(index))))
        return false;
    uint32_t width = 0, height = 0;
    if (!TIFFGetField(d->tiff, TIFFTAG_IMAGEWIDTH, &width) ||
        !TIFFGetField(d->tiff, TIFFTAG_IMAGELENGTH, &height) || width == 0 || height == 0)
        return false;
    // A size beyond QSize's range is kept as the largest it can express, so
    // that "too wide" is still seen as too wide.
    d->pageSize = QSize(int(std::min<uint32_t>(width, INT32_MAX)),
                        int(std::min<uint32_t>(height, INT32_MAX)));
    return true;
}

QSize TiffFile::CurrentPageSize() const
{
    return d->pageSize;
}

bool TiffFile::PageSizeAcceptable(qint64 width, qint64 height, int bitsPerPixel)
{
    if (width <= 0 || height <= 0 || width > kMaxPageSide || height > kMaxPageSide)
        return false;
    const qint64 bytesPerLine = (width * bitsPerPixel + 31) / 32 * 4;
    return bytesPerLine * height <= kMaxDecodedPageBytes;
}

static bool ReadBilevel(TIFF *tiff, QImage *image)
{
    const int width = image->width();
    const int height = image->height();
    const qsizetype imageLineBytes = (width + 7) / 8;

    if (TIFFIsTiled(tiff)) {
        uint32_t tileWidth = 0, tileHeight = 0;
        if (!TIFFGetField(tiff, TIFFTAG_TILEWIDTH, &tileWidth) ||
            !TIFFGetField(tiff, TIFFTAG_TILELENGTH, &tileHeight) || tileWidth == 0 ||
            tileHeight == 0 || tileWidth % 8 != 0)
            return false;
        const tmsize_t tileBytes = TIFFTileSize(tiff);
        const tmsize_t tileLineBytes = TIFFTileRowSize(tiff);
        if (tileBytes <= 0 || tileLineBytes <= 0 || tileBytes > TiffFile::kMaxDecodedPageBytes ||
            tileLineBytes * tmsize_t(tileHeight) > tileBytes)
            return false;
        std::vector<uchar> buffer(static_cast<size_t>(tileBytes));
        for (uint32_t y0 = 0; y0 < uint32_t(height); y0 += tileHeight) {
            for (uint32_t x0 = 0; x0 < uint32_t(width); x0 += tileWidth) {
                const ttile_t tile = TIFFComputeTile(tiff, x0, y0, 0, 0);
                if (TIFFReadEncodedTile(tiff, tile, buffer.data(), tileBytes) < 0)
                    return false;
                const qsizetype offset = x0 / 8;
                const qsizetype bytes = std::min<qsizetype>(tileLineBytes, imageLineBytes - offset);
                for (uint32_t row = 0; row < tileHeight && y0 + row < uint32_t(height); ++row)
                    std::memcpy(image->scanLine(int(y0 + row)) + offset,
                                buffer.data() + row * tileLineBytes, size_t(bytes));
            }
        }
        return true;
    }

    uint32_t rowsPerStrip = 0;
    TIFFGetFieldDefaulted(tiff, TIFFTAG_ROWSPERSTRIP, &rowsPerStrip);
    if (rowsPerStrip == 0 || rowsPerStrip > uint32_t(height))
        rowsPerStrip = uint32_t(height);
    const tmsize_t lineBytes = TIFFScanlineSize(tiff);
    if (lineBytes <= 0 || lineBytes < imageLineBytes)
        return false;
    const tmsize_t stripBytes = lineBytes * tmsize_t(rowsPerStrip);
    std::vector<uchar> buffer(static_cast<size_t>(stripBytes));
    for (uint32_t y0 = 0; y0 < uint32_t(height); y0 += rowsPerStrip) {
        const uint32_t rows = std::min<uint32_t>(rowsPerStrip, uint32_t(height) - y0);
        const tstrip_t strip = TIFFComputeStrip(tiff, y0, 0);
        if (TIFFReadEncodedStrip(tiff, strip, buffer.data(), lineBytes * tmsize_t(rows)) < 0)
            return false;
        for (uint32_t row = 0; row < rows; ++row)
            std::memcpy(image->scanLine(int(y0 + row)), buffer.data() + row * lineBytes,
                        size_t(imageLineBytes));
    }
    return true;
}

static bool ReadAnyColour(TIFF *tiff, QImage *image)
{
    char message[1024] = {};
    if (!TIFFRGBAImageOK(tiff, message)) {
        qCInfo(lcImaging) << "unsupported page:" << message;
        return false;
    }
    const int width = image->width();
    const int height = image->height();
    auto *pixels = reinterpret_cast<uint32_t *>(image->bits());
    if (!TIFFReadRGBAImageOriented(tiff, uint32_t(width), uint32_t(height), pixels,
                                   ORIENTATION_TOPLEFT, 0))
        return false;
    // libtiff packs A, B, G, R from the high byte down; QImage wants ARGB.
    const qsizetype count = qsizetype(width) * height;
    for (qsizetype i = 0; i < count; ++i) {
        const uint32_t p = pixels[i];
        pixels[i] = qRgba(int(TIFFGetR(p)), int(TIFFGetG(p)), int(TIFFGetB(p)), int(TIFFGetA(p)));
    }
    return true;
}

bool TiffFile::ReadCurrentPageCoded(CodedPage *page)
{
    if (!page || !d->tiff || d->writing || d->pageSize.isEmpty())
        return false;
    uint16_t compression = 0, samples = 1, bits = 1, photometric = PHOTOMETRIC_MINISWHITE;
    uint16_t fillOrder = FILLORDER_MSB2LSB, planar = PLANARCONFIG_CONTIG;
    TIFFGetFieldDefaulted(d->tiff, TIFFTAG_COMPRESSION, &compression);
    TIFFGetFieldDefaulted(d->tiff, TIFFTAG_SAMPLESPERPIXEL, &samples);
    TIFFGetFieldDefaulted(d->tiff, TIFFTAG_BITSPERSAMPLE, &bits);
    TIFFGetFieldDefaulted(d->tiff, TIFFTAG_FILLORDER, &fillOrder);
    TIFFGetFieldDefaulted(d->tiff, TIFFTAG_PLANARCONFIG, &planar);
    const bool hasPhotometric = TIFFGetField(d->tiff, TIFFTAG_PHOTOMETRIC, &photometric);
    if (compression != COMPRESSION_CCITTFAX4 || samples != 1 || bits != 1 ||
        (hasPhotometric && photometric != PHOTOMETRIC_MINISWHITE &&
         photometric != PHOTOMETRIC_MINISBLACK) ||
        TIFFIsTiled(d->tiff) || TIFFNumberOfStrips(d->tiff) != 1)
        return false;
    // A page too large to decode is not passed on coded either: whoever
    // decodes it later (a viewer, a printer) would face the same size.
    if (!PageSizeAcceptable(d->pageSize.width(), d->pageSize.height(), 1))
        return false;
    uint64_t *counts = nullptr;
    if (!TIFFGetField(d->tiff, TIFFTAG_STRIPBYTECOUNTS, &counts) || !counts || counts[0] == 0 ||
        counts[0] > uint64_t(kMaxDecodedPageBytes))
        return false;
    QByteArray data(qsizetype(counts[0]), Qt::Uninitialized);
    const tmsize_t read = TIFFReadRawStrip(d->tiff, 0, data.data(), tmsize_t(data.size()));
    if (read <= 0)
        return false;
    data.truncate(qsizetype(read));
    if (fillOrder == FILLORDER_LSB2MSB)
        TIFFReverseBits(reinterpret_cast<uint8_t *>(data.data()), tmsize_t(data.size()));
    float xResolution = 0, yResolution = 0;
    uint16_t unit = RESUNIT_INCH;
    TIFFGetFieldDefaulted(d->tiff, TIFFTAG_RESOLUTIONUNIT, &unit);
    page->dotsPerMeterX = TIFFGetField(d->tiff, TIFFTAG_XRESOLUTION, &xResolution)
                              ? DotsPerMetre(xResolution, unit)
                              : 0;
    page->dotsPerMeterY = TIFFGetField(d->tiff, TIFFTAG_YRESOLUTION, &yResolution)
                              ? DotsPerMetre(yResolution, unit)
                              : 0;
    page->g4 = std::move(data);
    page->size = d->pageSize;
    page->blackIs1 = hasPhotometric && photometric == PHOTOMETRIC_MINISBLACK;
    return true;
}

bool TiffFile::ReadCurrentPage(QImage *page)
{
    if (!page || !d->tiff || d->writing || d->pageSize.isEmpty())
        return false;
    const qint64 width = d->pageSize.width();
    const qint64 height = d->pageSize.height();

    uint16_t samples = 1, bits = 1, photometric = PHOTOMETRIC_MINISWHITE;
    TIFFGetFieldDefaulted(d->tiff, TIFFTAG_SAMPLESPERPIXEL, &samples);
    TIFFGetFieldDefaulted(d->tiff, TIFFTAG_BITSPERSAMPLE, &bits);
    const bool hasPhotometric = TIFFGetField(d->tiff, TIFFTAG_PHOTOMETRIC, &photometric);
    const bool bilevel = samples == 1 && bits == 1 &&
                         (!hasPhotometric || photometric == PHOTOMETRIC_MINISWHITE ||
                          photometric == PHOTOMETRIC_MINISBLACK);

    if (!PageSizeAcceptable(width, height, bilevel ? 1 : 32)) {
        qCInfo(lcImaging) << "page refused, decoded size too large:" << width << "x" << height;
        return false;
    }

    QImage image;
    if (bilevel) {
        image = QImage(int(width), int(height), QImage::Format_Mono);
        if (image.isNull())
            return false;
        const QRgb white = qRgb(255, 255, 255), black = qRgb(0, 0, 0);
        if (photometric == PHOTOMETRIC_MINISBLACK)
            image.setColorTable({black, white});
        else
            image.setColorTable({white, black});
        if (!ReadBilevel(d->tiff, &image))
            return false;
    } else {
        uint16_t extraCount = 0;
        uint16_t *extraTypes = nullptr;
        const bool alpha =
            TIFFGetField(d->tiff, TIFFTAG_EXTRASAMPLES, &extraCount, &extraTypes) && extraCount > 0;
        image =
            QImage(int(width), int(height), alpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
        if (image.isNull() || image.bytesPerLine() != width * 4)
            return false;
        if (!ReadAnyColour(d->tiff, &image))
            return false;
    }

    float xResolution = 0, yResolution = 0;
    uint16_t unit = RESUNIT_INCH;
    TIFFGetFieldDefaulted(d->tiff, TIFFTAG_RESOLUTIONUNIT, &unit);
    int dotsX = TIFFGetField(d->tiff, TIFFTAG_XRESOLUTION, &xResolution)
                    ? DotsPerMetre(xResolution, unit)
                    : 0;
    int dotsY = TIFFGetField(d->tiff, TIFFTAG_YRESOLUTION, &yResolution)
                    ? DotsPerMetre(yResolution, unit)
                    : 0;
    // Scanned pages of a deposit are 200 dpi; a page that does not say stands
    // for the same.
    const int defaultDots = DotsPerMetre(200.0f, RESUNIT_INCH);
    image.setDotsPerMeterX(dotsX > 0 ? dotsX : defaultDots);
    image.setDotsPerMeterY(dotsY > 0 ? dotsY : (dotsX > 0 ? dotsX : defaultDots));

    *page = std::move(image);
    return true;
}

void PackDarkPixels(const uchar *grey, int width, uchar *bits)
{
    int x = 0;
#if defined(__SSE2__)
    // Sixteen pixels at a time: the sign bits of the bytes are gathered
    // (first pixel in the lowest bit), inverted so that dark is 1, and each
    // byte's bit order reversed to put the first pixel first.
    static const auto reversed = [] {
        std::array<uchar, 256> table{};
        for (int i = 0; i < 256; ++i) {
            uchar r = 0;
            for (int b = 0; b < 8; ++b)
                if (i & (1 << b))
                    r |= uchar(0x80 >> b);
            table[size_t(i)] = r;
        }
        return table;
    }();
    for (; x + 16 <= width; x += 16) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i *>(grey + x));
        const unsigned dark = ~unsigned(_mm_movemask_epi8(v)) & 0xffffu;
        bits[x >> 3] = reversed[dark & 0xff];
        bits[(x >> 3) + 1] = reversed[dark >> 8];
    }
#endif
    // Eight pixels at a time: the high bit of each byte below 128 is clear;
    // the multiply gathers the eight flags into one byte, first pixel first.
    for (; x + 8 <= width; x += 8) {
        uint64_t v;
        std::memcpy(&v, grey + x, 8);
        v = qToLittleEndian(v);
        const uint64_t dark = (~v & 0x8080808080808080ull) >> 7;
        bits[x >> 3] = uchar((dark * 0x8040201008040201ull) >> 56);
    }
    if (x < width) {
        uchar last = 0;
        for (int i = 0; x + i < width; ++i)
            if (grey[x + i] < 128)
                last |= uchar(0x80 >> i);
        bits[x >> 3] = last;
    }
}

bool TiffFile::WriteBilevelPage(const QImage &page, int dotsPerInch)
{
    if (!d->tiff || !d->writing || page.isNull() ||
        !PageSizeAcceptable(page.width(), page.height(), 1) || dotsPerInch <= 0)
        return false;

    const int width = page.width();
    const int height = page.height();
    TIFF *tiff = d->tiff;
    TIFFSetField(tiff, TIFFTAG_SUBFILETYPE, 0);
    TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, uint32_t(width));
    TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, uint32_t(height));
    TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, uint16_t(1));
    TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, uint16_t(1));
    TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISWHITE);
    TIFFSetField(tiff, TIFFTAG_COMPRESSION, COMPRESSION_CCITTFAX4);
    TIFFSetField(tiff, TIFFTAG_FILLORDER, FILLORDER_MSB2LSB);
    TIFFSetField(tiff, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(tiff, TIFFTAG_ORIENTATION, ORIENTATION_TOPLEFT);
    TIFFSetField(tiff, TIFFTAG_ROWSPERSTRIP, uint32_t(height));
    TIFFSetField(tiff, TIFFTAG_RESOLUTIONUNIT, RESUNIT_INCH);
    TIFFSetField(tiff, TIFFTAG_XRESOLUTION, float(dotsPerInch));
    TIFFSetField(tiff, TIFFTAG_YRESOLUTION, float(dotsPerInch));

    // The page as rows of bits with black = 1, coded in one go. A Mono page
    // with white at index 0 is coded straight from its own rows.
    const qsizetype lineBytes = (width + 7) / 8;
    std::vector<uchar> bits;
    const uchar *rows = nullptr;
    qsizetype stride = lineBytes;
    if (page.format() == QImage::Format_Mono || page.format() == QImage::Format_MonoLSB) {
        const QImage mono =
            page.format() == QImage::Format_Mono ? page : page.convertToFormat(QImage::Format_Mono);
        // Black must be 1 in the file; the colour table says which index is dark.
        const QRgb c0 = mono.colorCount() > 0 ? mono.color(0) : qRgb(255, 255, 255);
        const QRgb c1 = mono.colorCount() > 1 ? mono.color(1) : qRgb(0, 0, 0);
        if (qGray(c0) >= qGray(c1) && page.format() == QImage::Format_Mono) {
            rows = page.constBits();
            stride = page.bytesPerLine();
        } else {
            const bool invert = qGray(c0) < qGray(c1);
            bits.resize(static_cast<size_t>(lineBytes * height));
            for (int y = 0; y < height; ++y) {
                const uchar *source = mono.constScanLine(y);
                uchar *target = bits.data() + y * lineBytes;
                for (qsizetype i = 0; i < lineBytes; ++i)
                    target[i] = invert ? uchar(~source[i]) : source[i];
            }
            rows = bits.data();
        }
    } else {
        const QImage grey = page.format() == QImage::Format_Grayscale8
                                ? page
                                : page.convertToFormat(QImage::Format_Grayscale8);
        bits.resize(static_cast<size_t>(lineBytes * height));
        for (int y = 0; y < height; ++y)
            PackDarkPixels(grey.constScanLine(y), width, bits.data() + y * lineBytes);
        rows = bits.data();
    }
    const QByteArray coded = EncodeG4(rows, width, height, stride);
    if (coded.isEmpty() ||
        TIFFWriteRawStrip(tiff, 0, const_cast<char *>(coded.constData()), coded.size()) < 0)
        return false;
    return TIFFWriteDirectory(tiff) != 0;
}

} // namespace vk7
