#include <csignal>
#include <sys/resource.h>

#include <QFile>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "components/pdfdocument.h"
#include "components/tifffile.h"
#include "testing/cupsserver.h"
#include "testing/guiapplication.h"
#include "testing/hostfiles.h"
#include "tifffixtures.h"

using namespace Qt::StringLiterals;
using namespace vk7;
using vk7::testing::FixtureInk;
using vk7::testing::TiffPageLayout;

namespace {

const auto *const gui = vk7::testing::AddGuiApplicationEnvironment();

constexpr int kWidth = 320;
constexpr int kHeight = 240;

// How many pixels of the image on page `page` (from 1) of a PDF, as a PDF
// reader decodes it (filter parameters applied), differ from the fixture
// pattern; -1 when there is no 320 x 240 image there.
int MismatchesWithFixture(const QString &pdf, int page, const QString &folder)
{
    const QString prefix = folder + u"/image"_s;
    QProcess extract;
    extract.start(u"pdfimages"_s, {u"-png"_s, u"-f"_s, QString::number(page), u"-l"_s,
                                   QString::number(page), pdf, prefix});
    if (!extract.waitForFinished(30000) || extract.exitCode() != 0)
        return -1;
    const QImage image(prefix + u"-000.png"_s);
    QFile::remove(prefix + u"-000.png"_s);
    if (image.size() != QSize(kWidth, kHeight))
        return -1;
    int mismatches = 0;
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x)
            mismatches += (qGray(image.pixel(x, y)) < 128) != FixtureInk(x, y);
    return mismatches;
}

// The page sizes pdfinfo reports, "w x h" in points.
QStringList PageSizes(const QString &pdf, int pages)
{
    QProcess info;
    info.start(u"pdfinfo"_s, {u"-f"_s, u"1"_s, u"-l"_s, QString::number(pages), pdf});
    info.waitForFinished(30000);
    QStringList sizes;
    const QRegularExpression size(u"^Page\\s+\\d+ size:\\s+(\\S+ x \\S+) pts"_s,
                                  QRegularExpression::MultilineOption);
    for (auto it = size.globalMatch(QString::fromUtf8(info.readAllStandardOutput())); it.hasNext();)
        sizes.append(it.next().captured(1));
    return sizes;
}

// The fixture's page, one strip of CCITT Group 4.
TiffPageLayout GroupFourPage()
{
    TiffPageLayout page;
    page.width = kWidth;
    page.height = kHeight;
    page.compression = 4;
    return page;
}

TEST(PdfDocument, EveryKindOfPageShowsItsImageAtItsPhysicalSize)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const TiffPageLayout g4 = GroupFourPage();
    TiffPageLayout minIsBlack = g4;
    minIsBlack.photometric = 1;
    TiffPageLayout reversedBits = g4;
    reversedBits.fillOrder = 2;
    TiffPageLayout strips = g4;
    strips.rowsPerStrip = 16; // not one strip: decoded and coded again
    TiffPageLayout grey = g4;
    grey.compression = 1;
    grey.bitsPerSample = 8;
    const QString tiff = dir.filePath(u"pages.tif"_s);
    ASSERT_TRUE(vk7::testing::WriteFixtureTiff(tiff, {g4, minIsBlack, reversedBits, strips, grey}));

    // A bitmap in hand whose colour table says 0 is black.
    QImage bitmap(kWidth, kHeight, QImage::Format_Mono);
    bitmap.setColorTable({qRgb(0, 0, 0), qRgb(255, 255, 255)});
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x)
            bitmap.setPixel(x, y, FixtureInk(x, y) ? 0 : 1);
    bitmap.setDotsPerMeterX(7874); // 200 dpi
    bitmap.setDotsPerMeterY(7874);

    PdfDocument pdf;
    for (int page = 0; page < 5; ++page)
        ASSERT_TRUE(pdf.AddPage(PageImage{tiff, page, QImage()})) << page;
    ASSERT_TRUE(pdf.AddPage(PageImage{QString(), 0, bitmap}));
    EXPECT_FALSE(pdf.AddPage(PageImage{tiff, 9, QImage()}));
    EXPECT_FALSE(pdf.AddPage(PageImage{dir.filePath(u"missing.tif"_s), 0, QImage()}));
    EXPECT_EQ(pdf.PageCount(), 6);
    const QString out = dir.filePath(u"out.pdf"_s);
    ASSERT_FALSE(pdf.WriteFile(out).Failed());

    for (int page : {1, 2, 3, 4, 6}) { // page 5 is grey, not the bilevel pattern
        EXPECT_EQ(MismatchesWithFixture(out, page, dir.path()), 0) << "page " << page;
    }

    // 320 x 240 pixels at 200 dpi: 115.2 x 86.4 points.
    EXPECT_EQ(PageSizes(out, 6), QStringList(6, u"115.2 x 86.4"_s));

    // The stored Group 4 data goes in as it is: no decoding, no growth.
    TiffFile file;
    TiffFile::CodedPage coded;
    ASSERT_TRUE(file.OpenForReading(tiff) && file.SelectPage(0) &&
                file.ReadCurrentPageCoded(&coded));
    QFile written(out);
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    EXPECT_TRUE(written.readAll().contains(coded.g4));
    const QStringList images = vk7::testing::PdfImages(out);
    ASSERT_EQ(images.size(), 6);
    EXPECT_EQ(images.at(0), u"1 320 240 1 ccitt"_s);
    EXPECT_EQ(images.at(5), u"6 320 240 1 ccitt"_s);

    // The page data read back from disk makes the same document in memory;
    // a file that cannot be made is said so and nothing is left of it.
    QByteArray buffer;
    ASSERT_FALSE(pdf.WriteBuffer(&buffer).Failed());
    ASSERT_TRUE(written.seek(0));
    EXPECT_EQ(buffer, written.readAll());
    const QString unwritable = dir.filePath(u"no-existe/out.pdf"_s);
    EXPECT_EQ(pdf.WriteFile(unwritable).text,
              u"ERROR. No se puede escribir el fichero "_s + unwritable);
    EXPECT_FALSE(QFile::exists(unwritable));

    // A document that cannot be written whole (here the file size limit
    // stops it) keeps the file it would have replaced.
    const QString kept = dir.filePath(u"kept.pdf"_s);
    vk7::testing::WriteHostFile(kept, "anterior");
    rlimit limits{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &limits), 0);
    rlimit tight = limits;
    tight.rlim_cur = 512;
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &tight), 0);
    const Failure cut = pdf.WriteFile(kept);
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limits), 0);
    std::signal(SIGXFSZ, previousHandler);
    EXPECT_TRUE(cut.Failed());
    EXPECT_EQ(vk7::testing::ReadHostFile(kept), "anterior");
}

// A document keeps the last image file open between pages; one written
// again under the same name in the meantime is read afresh.
TEST(PdfDocument, AFileWrittenAgainBetweenPagesIsReadAgain)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const TiffPageLayout wide = GroupFourPage();
    TiffPageLayout narrow = wide;
    narrow.width = kWidth / 2;
    const QString tiff = dir.filePath(u"pages.tif"_s);
    ASSERT_TRUE(vk7::testing::WriteFixtureTiff(tiff, {wide, wide}));
    PdfDocument pdf;
    ASSERT_TRUE(pdf.AddPage(PageImage{tiff, 0, QImage()}));
    ASSERT_TRUE(vk7::testing::WriteFixtureTiff(tiff, {narrow, narrow}));
    ASSERT_TRUE(pdf.AddPage(PageImage{tiff, 1, QImage()}));
    const QString out = dir.filePath(u"out.pdf"_s);
    ASSERT_FALSE(pdf.WriteFile(out).Failed());
    EXPECT_EQ(vk7::testing::PdfImages(out),
              QStringList({u"1 320 240 1 ccitt"_s, u"2 160 240 1 ccitt"_s}));
}

// The file's structure as a strict reader checks it (cross-reference
// offsets, lengths, the page tree), and the outline: one entry per job with
// pages, at its first page, its title as given.
TEST(PdfDocument, AStrictReaderFindsEveryObjectAndOneOutlineEntryPerJob)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const TiffPageLayout g4 = GroupFourPage();
    TiffPageLayout grey = g4;
    grey.compression = 1;
    grey.bitsPerSample = 8;
    const QString tiff = dir.filePath(u"pages.tif"_s);
    ASSERT_TRUE(vk7::testing::WriteFixtureTiff(tiff, {g4, grey, g4}));
    const QString out = dir.filePath(u"out.pdf"_s);
    PdfFileDevice device(out);
    const QList<std::pair<QString, QList<int>>> jobs = {{u"VK7_DG_10:00:00"_s, {0}},
                                                        {u"Memoria «año» ñ €"_s, {1, 2}},
                                                        {u"vacío"_s, {}},
                                                        {u"G2"_s, {0}}};
    for (const auto &[name, pages] : jobs) {
        ASSERT_TRUE(device.BeginJob(name));
        for (int page : pages)
            ASSERT_TRUE(device.PrintPage(PageImage{tiff, page, QImage()}));
        ASSERT_TRUE(device.EndJob());
    }
    ASSERT_FALSE(device.Finish().Failed());

    QProcess check;
    check.start(u"qpdf"_s, {u"--check"_s, out});
    ASSERT_TRUE(check.waitForFinished(30000)) << "qpdf is part of the test set-up";
    EXPECT_EQ(check.exitCode(), 0) << check.readAllStandardOutput().toStdString()
                                   << check.readAllStandardError().toStdString();
    EXPECT_EQ(vk7::testing::PdfPageCount(out), 4);

    QProcess outline;
    outline.start(u"qpdf"_s, {u"--json"_s, u"--json-key=outlines"_s, out});
    ASSERT_TRUE(outline.waitForFinished(30000));
    QStringList entries;
    for (const QJsonValue entry :
         QJsonDocument::fromJson(outline.readAllStandardOutput()).object()[u"outlines"_s].toArray())
        entries.append(entry[u"title"_s].toString() + u" @"_s +
                       QString::number(entry[u"destpageposfrom1"_s].toInt()));
    EXPECT_EQ(entries,
              QStringList({u"VK7_DG_10:00:00 @1"_s, u"Memoria «año» ñ € @2"_s, u"G2 @4"_s}));
}

} // namespace
