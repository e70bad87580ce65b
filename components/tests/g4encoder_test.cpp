#include <functional>

#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <tiffio.h>

#include "components/g4encoder.h"
#include "components/imaging.h"
#include "components/tifffile.h"

using namespace vk7;
using namespace Qt::StringLiterals;

namespace {

// A Mono page (index 1 black) drawn by a pixel function.
QImage Page(int width, int height, const std::function<bool(int, int)> &black)
{
    QImage page(width, height, QImage::Format_Mono);
    page.setColorTable({qRgb(255, 255, 255), qRgb(0, 0, 0)});
    page.fill(0);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            if (black(x, y))
                page.setPixel(x, y, 1);
    return page;
}

// Saves through our coder and reads back through libtiff's decoder.
::testing::AssertionResult RoundTrips(const QImage &page)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(u"g4.tif"_s);
    if (SaveImageFile(path, page).Failed())
        return ::testing::AssertionFailure() << "not saved";
    QImage loaded;
    if (LoadImageFile(path, &loaded).Failed())
        return ::testing::AssertionFailure() << "libtiff could not decode it";
    if (loaded.size() != page.size())
        return ::testing::AssertionFailure() << "size differs";
    for (int y = 0; y < page.height(); ++y)
        for (int x = 0; x < page.width(); ++x)
            if ((qGray(loaded.pixel(x, y)) < 128) != (page.pixelIndex(x, y) == 1))
                return ::testing::AssertionFailure() << "pixel " << x << "," << y;
    return ::testing::AssertionSuccess();
}

} // namespace

TEST(G4Encoder, RegularPatternsDecodeExactly)
{
    // Widths around word and byte edges, and beyond 1728 and 2560 so that
    // every make-up code, the shared extended ones included, is used.
    for (int width : {1, 7, 8, 9, 63, 64, 65, 127, 1648, 1729, 2561, 5200}) {
        SCOPED_TRACE(width);
        EXPECT_TRUE(RoundTrips(Page(width, 6, [](int, int) { return false; })));
        EXPECT_TRUE(RoundTrips(Page(width, 6, [](int, int) { return true; })));
        EXPECT_TRUE(RoundTrips(Page(width, 6, [](int x, int y) { return (x + y) % 2 == 0; })));
        // Rows alternately white and black: long runs of both colours.
        EXPECT_TRUE(RoundTrips(Page(width, 8, [](int, int y) { return y % 2 == 1; })));
        // A black run ending on the last pixel, then growing runs.
        EXPECT_TRUE(RoundTrips(Page(width, 5, [width](int x, int y) {
            return x >= width - 1 - y * 3 || (x * (y + 1)) % 97 < y * 9;
        })));
    }
}

TEST(G4Encoder, EveryRunLengthCodeOfBothColours)
{
    // Runs of 1 to 63 and one run for each multiple of 64 up to 2688, each
    // length once in white and once in black, so that every terminating and
    // make-up code of either colour is written. A run that does not fit the
    // rest of a row starts the next row.
    std::vector<int> lengths;
    for (int t = 1; t < 64; ++t)
        lengths.push_back(t);
    for (int k = 1; k <= 42; ++k)
        lengths.push_back(64 * k + (k * 5) % 64);
    const int width = 3000;
    std::vector<std::vector<bool>> rows(1, std::vector<bool>(width, false));
    int x = 0;
    for (int length : lengths) {
        for (bool black : {false, true}) {
            if (x + length > width) {
                rows.emplace_back(width, false);
                x = 0;
            }
            for (int i = 0; i < length; ++i)
                rows.back()[size_t(x + i)] = black;
            x += length;
        }
    }
    EXPECT_TRUE(RoundTrips(Page(width, int(rows.size()), [&rows](int x, int y) {
        return bool(rows[size_t(y)][size_t(x)]);
    })));
}

TEST(G4Encoder, RandomPagesDecodeExactly)
{
    QRandomGenerator random(4242);
    for (int round = 0; round < 25; ++round) {
        const int width = 1 + int(random.bounded(700));
        const int height = 1 + int(random.bounded(60));
        const int density = int(random.bounded(100));
        // Noise whose rows partly repeat the one above, as scanned text does,
        // to mix vertical, pass and horizontal modes.
        std::vector<std::vector<bool>> rows(static_cast<size_t>(height),
                                            std::vector<bool>(static_cast<size_t>(width)));
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                rows[size_t(y)][size_t(x)] =
                    (y > 0 && random.bounded(4) != 0)
                        ? rows[size_t(y - 1)]
                              [size_t(std::max(0, x - int(random.bounded(3)) + 1) % width)]
                        : int(random.bounded(100)) < density;
        SCOPED_TRACE(round);
        EXPECT_TRUE(RoundTrips(Page(
            width, height, [&rows](int x, int y) { return bool(rows[size_t(y)][size_t(x)]); })));
    }
}

TEST(G4Encoder, SameCodeAsLibtiff)
{
    // Group 4 leaves the coder no choice of mode, so libtiff's coder must
    // give the very same bytes.
    QRandomGenerator random(9);
    for (int round = 0; round < 6; ++round) {
        const int width = 40 + int(random.bounded(2000));
        const int height = 1 + int(random.bounded(40));
        const qsizetype lineBytes = (width + 7) / 8;
        QByteArray rows(lineBytes * height, '\0');
        for (qsizetype i = 0; i < rows.size(); ++i)
            rows[i] = random.bounded(3) == 0 ? char(random.bounded(256)) : char(0);
        // Padding bits at the end of each row are white in both.
        if (width % 8)
            for (int y = 0; y < height; ++y)
                rows[y * lineBytes + lineBytes - 1] &= char(0xff << (8 - width % 8));

        QTemporaryDir dir;
        const QByteArray path = QFile::encodeName(dir.filePath(u"libtiff.tif"_s));
        TIFF *tiff = TIFFOpen(path.constData(), "w");
        ASSERT_NE(tiff, nullptr);
        TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, uint32_t(width));
        TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, uint32_t(height));
        TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, uint16_t(1));
        TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISWHITE);
        TIFFSetField(tiff, TIFFTAG_COMPRESSION, COMPRESSION_CCITTFAX4);
        TIFFSetField(tiff, TIFFTAG_ROWSPERSTRIP, uint32_t(height));
        ASSERT_GE(TIFFWriteEncodedStrip(tiff, 0, rows.data(), tmsize_t(rows.size())), 0);
        TIFFClose(tiff);
        tiff = TIFFOpen(path.constData(), "r");
        ASSERT_NE(tiff, nullptr);
        uint64_t *counts = nullptr;
        ASSERT_TRUE(TIFFGetField(tiff, TIFFTAG_STRIPBYTECOUNTS, &counts));
        QByteArray theirs(qsizetype(counts[0]), '\0');
        ASSERT_EQ(TIFFReadRawStrip(tiff, 0, theirs.data(), tmsize_t(theirs.size())),
                  tmsize_t(theirs.size()));
        TIFFClose(tiff);

        const QByteArray ours =
            EncodeG4(reinterpret_cast<const uchar *>(rows.constData()), width, height, lineBytes);
        EXPECT_EQ(ours.toHex().toStdString(), theirs.toHex().toStdString())
            << "width " << width << " height " << height;
    }
}

TEST(G4Encoder, RefusesNonsense)
{
    const uchar row[4] = {0xff, 0, 0xff, 0};
    EXPECT_TRUE(EncodeG4(nullptr, 8, 1, 1).isEmpty());
    EXPECT_TRUE(EncodeG4(row, 0, 1, 1).isEmpty());
    EXPECT_TRUE(EncodeG4(row, 32, 1, 2).isEmpty()); // stride shorter than a row
    EXPECT_FALSE(EncodeG4(row, 32, 1, 4).isEmpty());
}

TEST(PackDarkPixels, ThresholdsAtMidGreyFirstPixelFirst)
{
    uchar grey[19];
    for (int i = 0; i < 19; ++i)
        grey[i] = uchar(i % 3 == 0 ? 127 : 128 + i);
    grey[18] = 0;
    uchar bits[3] = {0xAA, 0xAA, 0xAA};
    PackDarkPixels(grey, 19, bits);
    // Pixels 0, 3, 6, 9, 12, 15, 18 dark.
    EXPECT_EQ(bits[0], 0b10010010);
    EXPECT_EQ(bits[1], 0b01001001);
    EXPECT_EQ(bits[2] & 0xE0, 0b00100000);

    // Long rows go through the wide path: every width from 1 to 70 agrees
    // with the pixel-by-pixel rule.
    QRandomGenerator random(77);
    for (int width = 1; width <= 70; ++width) {
        std::vector<uchar> row(static_cast<size_t>(width));
        for (uchar &p : row)
            p = uchar(random.bounded(256));
        std::vector<uchar> packed(static_cast<size_t>((width + 7) / 8), 0x55);
        PackDarkPixels(row.data(), width, packed.data());
        for (int x = 0; x < width; ++x)
            ASSERT_EQ(bool(packed[size_t(x / 8)] & (0x80 >> (x % 8))), row[size_t(x)] < 128)
                << "width " << width << " pixel " << x;
    }
}
