#include <QPainter>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "components/imaging.h"

using namespace vk7;
using namespace Qt::StringLiterals;

TEST(ImagingRoundTrip, DrawnPageSavesAsG4AndLoadsAgain)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QImage drawing(300, 200, QImage::Format_RGB32);
    drawing.fill(Qt::white);
    {
        QPainter painter(&drawing);
        painter.fillRect(10, 20, 50, 30, Qt::black);
    }
    const QString path = dir.filePath(u"page.tif"_s);
    ASSERT_EQ(SaveImageFile(path, drawing), 1);
    QImage loaded;
    ASSERT_EQ(LoadImageFile(path, &loaded), 1);
    EXPECT_EQ(loaded.size(), QSize(300, 200));
    EXPECT_EQ(loaded.depth(), 1);
    EXPECT_EQ(qRound(loaded.dotsPerMeterX() * 0.0254), 200);
    for (int y = 0; y < 200; y += 5)
        for (int x = 0; x < 300; x += 3)
            ASSERT_EQ(qGray(loaded.pixel(x, y)) < 128, x >= 10 && x < 60 && y >= 20 && y < 50)
                << x << "," << y;
}
