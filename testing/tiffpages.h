#pragma once

#include <cstdint>

#include <QString>

namespace vk7::testing {

// The tags of a TIFF file's first page, read with libtiff itself so that the
// tests check the files as another reader sees them.
struct TiffTags
{
    uint32_t width = 0;
    uint32_t height = 0;
    uint16_t bitsPerSample = 0;
    uint16_t samplesPerPixel = 0;
    uint16_t compression = 0;
    uint16_t photometric = 0;
    uint16_t resolutionUnit = 0;
    float xResolution = 0;
    float yResolution = 0;
    int pages = 0;
};

bool ReadTiffTags(const QString &hostPath, TiffTags *tags);

// Checks that a file is one of the system's page images: 1648 x 2336, one
// bit per pixel, CCITT Group 4, 200 by 200 dots per inch.
void ExpectStandardPageImage(const QString &hostPath);

} // namespace vk7::testing
