#pragma once

#include <cstdint>
#include <functional>

#include <QByteArray>
#include <QList>
#include <QString>

namespace vk7::testing {

// How one page of a fixture TIFF is stored. Pixels come from `ink` for
// bilevel pages (true = black) and from `sample` for grey and colour ones.
struct TiffPageLayout
{
    int width = 64;
    int height = 48;
    uint16_t compression = 1; // COMPRESSION_NONE
    uint16_t photometric = 0; // PHOTOMETRIC_MINISWHITE
    uint16_t fillOrder = 1;   // FILLORDER_MSB2LSB
    uint16_t bitsPerSample = 1;
    uint16_t samplesPerPixel = 1;
    int rowsPerStrip = 0; // 0: the whole page in one strip
    int tileSize = 0;     // nonzero: square tiles of this side
    bool g3TwoDimensional = false;
    float dpi = 200.0f;
};

// The reference pattern every fixture draws.
bool FixtureInk(int x, int y);
uint8_t FixtureSample(int x, int y, int channel);

// Writes the pages with libtiff directly; false on any libtiff failure.
bool WriteFixtureTiff(const QString &hostPath, const QList<TiffPageLayout> &pages);

// A minimal little-endian TIFF with one directory whose size tags say
// width x height, and `dataBytes` bytes of strip data.
QByteArray HandMadeTiff(uint32_t width, uint32_t height, uint16_t bitsPerSample,
                        uint16_t samplesPerPixel, uint16_t compression, int dataBytes);

} // namespace vk7::testing
