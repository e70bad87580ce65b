#include "tiffpages.h"

#include <QFile>

#include <gtest/gtest.h>
#include <tiffio.h>

namespace vk7::testing {

bool ReadTiffTags(const QString &hostPath, TiffTags *tags)
{
    TIFF *tiff = TIFFOpen(QFile::encodeName(hostPath).constData(), "r");
    if (!tiff)
        return false;
    TIFFGetField(tiff, TIFFTAG_IMAGEWIDTH, &tags->width);
    TIFFGetField(tiff, TIFFTAG_IMAGELENGTH, &tags->height);
    TIFFGetFieldDefaulted(tiff, TIFFTAG_BITSPERSAMPLE, &tags->bitsPerSample);
    TIFFGetFieldDefaulted(tiff, TIFFTAG_SAMPLESPERPIXEL, &tags->samplesPerPixel);
    TIFFGetField(tiff, TIFFTAG_COMPRESSION, &tags->compression);
    TIFFGetField(tiff, TIFFTAG_PHOTOMETRIC, &tags->photometric);
    TIFFGetFieldDefaulted(tiff, TIFFTAG_RESOLUTIONUNIT, &tags->resolutionUnit);
    TIFFGetField(tiff, TIFFTAG_XRESOLUTION, &tags->xResolution);
    TIFFGetField(tiff, TIFFTAG_YRESOLUTION, &tags->yResolution);
    tags->pages = TIFFNumberOfDirectories(tiff);
    TIFFClose(tiff);
    return true;
}

void ExpectStandardPageImage(const QString &hostPath)
{
    TiffTags tags;
    ASSERT_TRUE(ReadTiffTags(hostPath, &tags)) << hostPath.toStdString();
    EXPECT_EQ(tags.width, 1648u);
    EXPECT_EQ(tags.height, 2336u);
    EXPECT_EQ(tags.bitsPerSample, 1);
    EXPECT_EQ(tags.samplesPerPixel, 1);
    EXPECT_EQ(tags.compression, COMPRESSION_CCITTFAX4);
    EXPECT_EQ(tags.resolutionUnit, RESUNIT_INCH);
    EXPECT_FLOAT_EQ(tags.xResolution, 200.0f);
    EXPECT_FLOAT_EQ(tags.yResolution, 200.0f);
}

} // namespace vk7::testing
