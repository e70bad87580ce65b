#include "tifffixtures.h"

#include <cstring>
#include <vector>

#include <QFile>

#include <tiffio.h>

namespace vk7::testing {

bool FixtureInk(int x, int y)
{
    // A frame, a filled block and a diagonal: every row and column differs.
    if (x == 0 || y == 0)
        return true;
    if (x >= 5 && x < 21 && y >= 7 && y < 15)
        return true;
    return x == y || (x * 7 + y * 3) % 11 == 0;
}

uint8_t FixtureSample(int x, int y, int channel)
{
    return uint8_t((x * 5 + y * 3 + channel * 80) & 0xff);
}

static bool WritePage(TIFF *tiff, const TiffPageLayout &layout)
{
    TIFFSetField(tiff, TIFFTAG_SUBFILETYPE, 0);
    TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, uint32_t(layout.width));
    TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, uint32_t(layout.height));
    TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, layout.bitsPerSample);
    TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, layout.samplesPerPixel);
    TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, layout.photometric);
    TIFFSetField(tiff, TIFFTAG_COMPRESSION, layout.compression);
    TIFFSetField(tiff, TIFFTAG_FILLORDER, layout.fillOrder);
    TIFFSetField(tiff, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(tiff, TIFFTAG_RESOLUTIONUNIT, RESUNIT_INCH);
    TIFFSetField(tiff, TIFFTAG_XRESOLUTION, layout.dpi);
    TIFFSetField(tiff, TIFFTAG_YRESOLUTION, layout.dpi);
    if (layout.compression == COMPRESSION_CCITTFAX3)
        TIFFSetField(tiff, TIFFTAG_GROUP3OPTIONS,
                     uint32_t(layout.g3TwoDimensional ? GROUP3OPT_2DENCODING : 0));

    const bool bilevel = layout.bitsPerSample == 1;
    const int lineBytes = bilevel ? (layout.width + 7) / 8 : layout.width * layout.samplesPerPixel;
    auto fillRow = [&](int y, uint8_t *row, int width) {
        std::memset(row, 0, size_t(bilevel ? (width + 7) / 8 : width * layout.samplesPerPixel));
        for (int x = 0; x < width && x < layout.width; ++x) {
            if (bilevel) {
                // Black is 1 for MinIsWhite, 0 for MinIsBlack.
                const bool one = FixtureInk(x, y) == (layout.photometric == PHOTOMETRIC_MINISWHITE);
                if (one)
                    row[x >> 3] |= uint8_t(0x80 >> (x & 7));
            } else {
                for (int c = 0; c < layout.samplesPerPixel; ++c)
                    row[x * layout.samplesPerPixel + c] = FixtureSample(x, y, c);
            }
        }
    };

    if (layout.tileSize > 0) {
        TIFFSetField(tiff, TIFFTAG_TILEWIDTH, uint32_t(layout.tileSize));
        TIFFSetField(tiff, TIFFTAG_TILELENGTH, uint32_t(layout.tileSize));
        const tmsize_t tileBytes = TIFFTileSize(tiff);
        const tmsize_t tileLine = TIFFTileRowSize(tiff);
        std::vector<uint8_t> tile(static_cast<size_t>(tileBytes));
        std::vector<uint8_t> row(static_cast<size_t>(lineBytes + tileLine + 16));
        for (int y0 = 0; y0 < layout.height; y0 += layout.tileSize) {
            for (int x0 = 0; x0 < layout.width; x0 += layout.tileSize) {
                std::memset(tile.data(), 0, tile.size());
                for (int r = 0; r < layout.tileSize && y0 + r < layout.height; ++r) {
                    fillRow(y0 + r, row.data(), layout.width);
                    const int offset = bilevel ? x0 / 8 : x0 * layout.samplesPerPixel;
                    const int available = lineBytes - offset;
                    std::memcpy(tile.data() + r * tileLine, row.data() + offset,
                                size_t(std::min<tmsize_t>(tileLine, available)));
                }
                if (TIFFWriteEncodedTile(tiff, TIFFComputeTile(tiff, x0, y0, 0, 0), tile.data(),
                                         tileBytes) < 0)
                    return false;
            }
        }
    } else {
        const int rows = layout.rowsPerStrip > 0 ? layout.rowsPerStrip : layout.height;
        TIFFSetField(tiff, TIFFTAG_ROWSPERSTRIP, uint32_t(rows));
        std::vector<uint8_t> row(static_cast<size_t>(lineBytes));
        for (int y = 0; y < layout.height; ++y) {
            fillRow(y, row.data(), layout.width);
            if (TIFFWriteScanline(tiff, row.data(), uint32_t(y), 0) < 0)
                return false;
        }
    }
    return TIFFWriteDirectory(tiff) != 0;
}

bool WriteFixtureTiff(const QString &hostPath, const QList<TiffPageLayout> &pages)
{
    TIFF *tiff = TIFFOpen(QFile::encodeName(hostPath).constData(), "w");
    if (!tiff)
        return false;
    bool ok = true;
    for (const TiffPageLayout &layout : pages) {
        if (!WritePage(tiff, layout)) {
            ok = false;
            break;
        }
    }
    TIFFClose(tiff);
    return ok;
}

QByteArray HandMadeTiff(uint32_t width, uint32_t height, uint16_t bitsPerSample,
                        uint16_t samplesPerPixel, uint16_t compression, int dataBytes)
{
    QByteArray out;
    auto put16 = [&out](uint16_t v) {
        out.append(char(v & 0xff));
        out.append(char(v >> 8));
    };
    auto put32 = [&out](uint32_t v) {
        for (int i = 0; i < 4; ++i)
            out.append(char((v >> (8 * i)) & 0xff));
    };
    const uint16_t entries = 9;
    const uint32_t ifdOffset = 8;
    const uint32_t dataOffset = ifdOffset + 2 + entries * 12 + 4;
    out.append("II", 2);
    put16(42);
    put32(ifdOffset);
    put16(entries);
    auto entry = [&](uint16_t tag, uint16_t type, uint32_t value) {
        put16(tag);
        put16(type);
        put32(1);
        if (type == 3) {
            put16(uint16_t(value));
            put16(0);
        } else {
            put32(value);
        }
    };
    entry(256, 4, width);
    entry(257, 4, height);
    entry(258, 3, bitsPerSample);
    entry(259, 3, compression);
    entry(262, 3, samplesPerPixel == 3 ? 2 : 0);
    entry(273, 4, dataOffset);
    entry(277, 3, samplesPerPixel);
    entry(278, 4, height);
    entry(279, 4, uint32_t(dataBytes));
    put32(0);
    out.append(QByteArray(dataBytes, '\0'));
    return out;
}

} // namespace vk7::testing
