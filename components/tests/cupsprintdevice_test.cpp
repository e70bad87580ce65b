#include <QElapsedTimer>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "components/cupsprintdevice.h"
#include "components/imaging.h"
#include "testing/cupsserver.h"
#include "testing/guiapplication.h"
#include "tifffixtures.h"

using namespace Qt::StringLiterals;
using namespace vk7;
using vk7::testing::CupsTestServer;

namespace {

const auto *const gui = vk7::testing::AddGuiApplicationEnvironment();

// A page image as the renderer writes them: 1648 x 2336, G4, 200 dpi.
QString WritePage(const QTemporaryDir &dir, const QString &name, int bars)
{
    QImage page(1648, 2336, QImage::Format_Mono);
    page.setColorTable({qRgb(255, 255, 255), qRgb(0, 0, 0)});
    page.fill(0);
    for (int bar = 0; bar < bars; ++bar)
        for (int y = 100 + bar * 100; y < 150 + bar * 100; ++y)
            for (int x = 100; x < 1500; ++x)
                page.setPixel(x, y, 1);
    const QString path = dir.filePath(name);
    return !SaveImageFile(path, page).Failed() ? path : QString();
}

TEST(CupsPrintDevice, JobsReachTheQueueNamedAndWholeAndAStoppedQueueRefuses)
{
    CupsTestServer server;
    QString error;
    ASSERT_TRUE(server.Start(&error)) << error.toStdString();
    QTemporaryDir dir;
    const QString one = WritePage(dir, u"one.tif"_s, 1);
    const QString two = WritePage(dir, u"two.tif"_s, 2);
    ASSERT_FALSE(one.isEmpty() || two.isEmpty());

    CupsPrintDevice printer; // the default queue
    ASSERT_TRUE(printer.BeginJob(u"VK7_DG_10:11:12"_s)) << printer.LastError().toStdString();
    EXPECT_TRUE(printer.PrintPage(PageImage{one, 0, QImage()}));
    EXPECT_FALSE(printer.PrintPage(PageImage{dir.filePath(u"missing.tif"_s), 0, QImage()}));
    EXPECT_TRUE(printer.PrintPage(PageImage{two, 0, QImage()}));
    ASSERT_TRUE(printer.EndJob()) << printer.LastError().toStdString();
    CupsPrintDevice named(server.Queue());
    ASSERT_TRUE(named.BeginJob(u"VK7_M1_10:11:13"_s));
    EXPECT_TRUE(named.PrintPage(PageImage{two, 0, QImage()}));
    ASSERT_TRUE(named.EndJob());

    const QList<CupsTestServer::Job> jobs = server.WaitForJobs(2);
    ASSERT_EQ(jobs.size(), 2);
    EXPECT_EQ(jobs.at(0).name, u"VK7_DG_10:11:12"_s);
    EXPECT_EQ(jobs.at(1).name, u"VK7_M1_10:11:13"_s);
    EXPECT_EQ(vk7::testing::PdfPageCount(jobs.at(0).pdfPath), 2);
    EXPECT_EQ(vk7::testing::PdfPageCount(jobs.at(1).pdfPath), 1);
    const QStringList images = vk7::testing::PdfImages(jobs.at(0).pdfPath);
    ASSERT_EQ(images.size(), 2) << images.join(u'\n').toStdString();
    EXPECT_TRUE(images.at(1).startsWith(u"2 1648 2336 1"_s)) << images.at(1).toStdString();

    // A stopped queue, a queue that does not exist and a server that is gone
    // refuse the job at once.
    ASSERT_TRUE(server.SetQueueStopped(true));
    EXPECT_FALSE(CupsPrintDevice().BeginJob(u"VK7_DG_10:11:14"_s));
    EXPECT_FALSE(CupsPrintDevice(u"NO_SUCH_QUEUE"_s).BeginJob(u"VK7_DG_10:11:14"_s));
    server.Stop();
    QElapsedTimer timer;
    timer.start();
    EXPECT_FALSE(CupsPrintDevice().BeginJob(u"VK7_DG_10:11:15"_s));
    EXPECT_LT(timer.elapsed(), 10000);
}

} // namespace
