#include <sys/resource.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QPdfWriter>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <tiffio.h>

#include "components/imaging.h"
#include "reception/paths.h"
#include "testing/tiffpages.h"
#include "tifffixtures.h"

using namespace vk7;
using namespace vk7::testing;
using namespace Qt::StringLiterals;

namespace {

class ImagingTest : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }
    QString Path(const QString &name) const { return dir.filePath(name); }

    QTemporaryDir dir;
};

bool Dark(const QImage &image, int x, int y)
{
    return qGray(image.pixel(x, y)) < 128;
}

// Compares a loaded bilevel page with the fixture pattern pixel by pixel.
::testing::AssertionResult MatchesPattern(const QImage &image, int width, int height)
{
    if (image.size() != QSize(width, height))
        return ::testing::AssertionFailure() << "size " << image.width() << "x" << image.height();
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            if (Dark(image, x, y) != FixtureInk(x, y))
                return ::testing::AssertionFailure() << "pixel " << x << "," << y;
    return ::testing::AssertionSuccess();
}

struct Variant
{
    const char *name;
    TiffPageLayout layout;
};

TiffPageLayout Layout(uint16_t compression, uint16_t photometric = PHOTOMETRIC_MINISWHITE,
                      uint16_t fillOrder = FILLORDER_MSB2LSB)
{
    TiffPageLayout layout;
    layout.width = 77; // not a multiple of 8: the last byte of each row is partial
    layout.height = 53;
    layout.compression = compression;
    layout.photometric = photometric;
    layout.fillOrder = fillOrder;
    return layout;
}

} // namespace

TEST_F(ImagingTest, LoadsEveryBilevelVariantScannersWrite)
{
    QList<Variant> variants = {
        {"uncompressed", Layout(COMPRESSION_NONE)},
        {"uncompressed min-is-black", Layout(COMPRESSION_NONE, PHOTOMETRIC_MINISBLACK)},
        {"uncompressed fill order 2",
         Layout(COMPRESSION_NONE, PHOTOMETRIC_MINISWHITE, FILLORDER_LSB2MSB)},
        {"g3 1d", Layout(COMPRESSION_CCITTFAX3)},
        {"g4", Layout(COMPRESSION_CCITTFAX4)},
        {"g4 min-is-black", Layout(COMPRESSION_CCITTFAX4, PHOTOMETRIC_MINISBLACK)},
        {"g4 fill order 2",
         Layout(COMPRESSION_CCITTFAX4, PHOTOMETRIC_MINISWHITE, FILLORDER_LSB2MSB)},
        {"lzw", Layout(COMPRESSION_LZW)},
        {"packbits", Layout(COMPRESSION_PACKBITS)},
    };
    Variant g3TwoD{"g3 2d", Layout(COMPRESSION_CCITTFAX3)};
    g3TwoD.layout.g3TwoDimensional = true;
    variants << g3TwoD;
    Variant strips{"g4 in strips of 10 rows", Layout(COMPRESSION_CCITTFAX4)};
    strips.layout.rowsPerStrip = 10;
    variants << strips;
    Variant tiled{"packbits in 32-pixel tiles", Layout(COMPRESSION_PACKBITS)};
    tiled.layout.tileSize = 32;
    variants << tiled;
    Variant tiledG4{"g4 in 16-pixel tiles, min-is-black",
                    Layout(COMPRESSION_CCITTFAX4, PHOTOMETRIC_MINISBLACK)};
    tiledG4.layout.tileSize = 16;
    variants << tiledG4;

    for (const Variant &v : variants) {
        SCOPED_TRACE(v.name);
        const QString path = Path(QString::fromLatin1(v.name) + u".tif"_s);
        ASSERT_TRUE(WriteFixtureTiff(path, {v.layout}));
        QImage page;
        ASSERT_FALSE(LoadImageFile(path, &page).Failed());
        EXPECT_EQ(page.depth(), 1);
        EXPECT_TRUE(MatchesPattern(page, v.layout.width, v.layout.height));
    }
}

TEST_F(ImagingTest, LoadsGreyAndColourPages)
{
    TiffPageLayout grey = Layout(COMPRESSION_LZW, PHOTOMETRIC_MINISBLACK);
    grey.bitsPerSample = 8;
    TiffPageLayout rgb = Layout(COMPRESSION_NONE, PHOTOMETRIC_RGB);
    rgb.bitsPerSample = 8;
    rgb.samplesPerPixel = 3;
    TiffPageLayout rgbTiles = rgb;
    rgbTiles.compression = COMPRESSION_PACKBITS;
    rgbTiles.tileSize = 16;
    const QList<QPair<const char *, TiffPageLayout>> cases = {
        {"grey", grey}, {"rgb", rgb}, {"rgb tiles", rgbTiles}};
    for (const auto &[name, layout] : cases) {
        SCOPED_TRACE(name);
        const QString path = Path(QString::fromLatin1(name) + u".tif"_s);
        ASSERT_TRUE(WriteFixtureTiff(path, {layout}));
        QImage page;
        ASSERT_FALSE(LoadImageFile(path, &page).Failed());
        ASSERT_EQ(page.size(), QSize(layout.width, layout.height));
        for (int y = 0; y < layout.height; y += 7) {
            for (int x = 0; x < layout.width; x += 5) {
                const QRgb p = page.pixel(x, y);
                if (layout.samplesPerPixel == 1) {
                    ASSERT_EQ(qRed(p), FixtureSample(x, y, 0)) << x << "," << y;
                    ASSERT_EQ(qBlue(p), FixtureSample(x, y, 0));
                } else {
                    ASSERT_EQ(qRed(p), FixtureSample(x, y, 0)) << x << "," << y;
                    ASSERT_EQ(qGreen(p), FixtureSample(x, y, 1));
                    ASSERT_EQ(qBlue(p), FixtureSample(x, y, 2));
                }
            }
        }
    }
}

TEST_F(ImagingTest, MultiPageFilesGiveInformationAndPages)
{
    TiffPageLayout first = Layout(COMPRESSION_CCITTFAX4);
    TiffPageLayout second = Layout(COMPRESSION_LZW);
    second.width = 40;
    second.height = 90;
    TiffPageLayout third = Layout(COMPRESSION_NONE, PHOTOMETRIC_MINISBLACK);
    third.width = 3001;
    third.height = 12;
    const QString path = Path(u"three.tif"_s);
    ASSERT_TRUE(WriteFixtureTiff(path, {first, second, third}));

    ImageFileInfo info;
    ASSERT_FALSE(ReadImageFileInfo(path, &info).Failed());
    EXPECT_EQ(info.pageCount, 3);
    EXPECT_EQ(info.pageSizes, (QList<QSize>{{77, 53}, {40, 90}, {3001, 12}}));

    ImageList list;
    ASSERT_FALSE(LoadAllPages(path, &list).Failed());
    ASSERT_EQ(list.Count(), 3);
    QImage page;
    // Taken out of order: each page is found by its own directory.
    ASSERT_FALSE(TakePage(list, 2, &page).Failed());
    EXPECT_TRUE(MatchesPattern(page, 3001, 12));
    ASSERT_FALSE(TakePage(list, 0, &page).Failed());
    EXPECT_TRUE(MatchesPattern(page, 77, 53));
    ASSERT_FALSE(TakePage(list, 1, &page).Failed());
    EXPECT_TRUE(MatchesPattern(page, 40, 90));
    EXPECT_TRUE(TakePage(list, 3, &page).Failed());
    EXPECT_TRUE(TakePage(list, -1, &page).Failed());
    FreeImage(&page);
    EXPECT_TRUE(page.isNull());
    ReleaseImageList(&list);
    EXPECT_TRUE(TakePage(list, 0, &page).Failed());

    // The first page only, for a plain load.
    ASSERT_FALSE(LoadImageFile(path, &page).Failed());
    EXPECT_EQ(page.size(), QSize(77, 53));
}

TEST_F(ImagingTest, ThousandsOfPagesCountWithoutDecodingAndRespectTheLimit)
{
    TiffPageLayout tiny;
    tiny.width = 8;
    tiny.height = 8;
    const QList<TiffPageLayout> pages(3000, tiny);
    const QString path = Path(u"many.tif"_s);
    ASSERT_TRUE(WriteFixtureTiff(path, pages));
    ImageFileInfo info;
    ASSERT_FALSE(ReadImageFileInfo(path, &info).Failed());
    EXPECT_EQ(info.pageCount, 3000);
    ImageList list;
    ASSERT_FALSE(LoadAllPages(path, &list).Failed());
    QImage page;
    EXPECT_FALSE(TakePage(list, 2999, &page).Failed());
    EXPECT_TRUE(MatchesPattern(page, 8, 8));

    const ImageLoadOptions saved = DefaultLoadOptions();
    ImageLoadOptions limited;
    limited.pageLimit = 1000;
    ASSERT_FALSE(SetDefaultLoadOptions(limited).Failed());
    EXPECT_TRUE(ReadImageFileInfo(path, &info).Failed());
    EXPECT_TRUE(LoadAllPages(path, &list).Failed());
    ASSERT_FALSE(SetDefaultLoadOptions(saved).Failed());
    EXPECT_TRUE(SetDefaultLoadOptions(ImageLoadOptions{-1}).Failed());
}

TEST_F(ImagingTest, G4RoundTripKeepsEveryPixelAndTheFileIsBilevelG4At200Dpi)
{
    // A drawing in colour and grey: darker than mid-grey becomes black.
    QImage drawing(333, 211, QImage::Format_ARGB32);
    drawing.fill(Qt::white);
    for (int y = 0; y < drawing.height(); ++y)
        for (int x = 0; x < drawing.width(); ++x)
            if (FixtureInk(x, y))
                drawing.setPixel(x, y, (x + y) % 2 ? qRgb(0, 0, 0) : qRgb(90, 20, 120));
            else if ((x + y) % 3 == 0)
                drawing.setPixel(x, y, qRgb(200, 200, 200));
    const QString path = Path(u"round.tif"_s);
    ASSERT_TRUE(QFile(path).open(QIODevice::WriteOnly)); // overwritten, not appended to
    ASSERT_FALSE(SaveImageFile(path, drawing).Failed());
    QImage page;
    ASSERT_FALSE(LoadImageFile(path, &page).Failed());
    EXPECT_TRUE(MatchesPattern(page, 333, 211));

    // Saving the loaded page again gives the same bits.
    const QString again = Path(u"again.tif"_s);
    ASSERT_FALSE(SaveImageFile(again, page).Failed());
    QImage reloaded;
    ASSERT_FALSE(LoadImageFile(again, &reloaded).Failed());
    EXPECT_TRUE(MatchesPattern(reloaded, 333, 211));

    vk7::testing::TiffTags tags;
    ASSERT_TRUE(vk7::testing::ReadTiffTags(path, &tags));
    EXPECT_EQ(tags.compression, COMPRESSION_CCITTFAX4);
    EXPECT_EQ(tags.bitsPerSample, 1);
    EXPECT_EQ(tags.photometric, PHOTOMETRIC_MINISWHITE);
    EXPECT_FLOAT_EQ(tags.xResolution, 200.0f);
    EXPECT_FLOAT_EQ(tags.yResolution, 200.0f);
    EXPECT_EQ(tags.pages, 1);

    // Saving over a bigger file replaces it.
    ASSERT_FALSE(SaveImageFile(path, QImage(10, 10, QImage::Format_Mono)).Failed());
    ASSERT_FALSE(LoadImageFile(path, &page).Failed());
    EXPECT_EQ(page.size(), QSize(10, 10));
}

TEST_F(ImagingTest, MonoColourTablesAreHonouredWhenSaving)
{
    // A Mono image whose index 0 is black must not come back inverted.
    QImage mono(16, 4, QImage::Format_Mono);
    mono.setColorTable({qRgb(0, 0, 0), qRgb(255, 255, 255)});
    mono.fill(1);
    mono.setPixel(3, 2, 0);
    const QString path = Path(u"mono.tif"_s);
    ASSERT_FALSE(SaveImageFile(path, mono).Failed());
    QImage page;
    ASSERT_FALSE(LoadImageFile(path, &page).Failed());
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 16; ++x)
            EXPECT_EQ(Dark(page, x, y), x == 3 && y == 2) << x << "," << y;
}

TEST_F(ImagingTest, AFailedSaveKeepsTheFileItWouldReplace)
{
    QImage page(64, 32, QImage::Format_Mono);
    page.fill(1);
    ASSERT_FALSE(SaveImageFile(Path(u"K7.D01"_s), page).Failed());
    QFile saved(Path(u"K7.D01"_s));
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    const QByteArray before = saved.readAll();
    saved.close();

    // With no file descriptor left, the new file cannot be opened.
    rlimit limits{};
    ASSERT_EQ(::getrlimit(RLIMIT_NOFILE, &limits), 0);
    const int next = ::dup(0);
    ASSERT_GE(next, 0);
    ::close(next);
    rlimit tight = limits;
    tight.rlim_cur = rlim_t(next);
    ASSERT_EQ(::setrlimit(RLIMIT_NOFILE, &tight), 0);
    page.fill(0);
    const Failure result = SaveImageFile(Path(u"K7.D01"_s), page);
    ASSERT_EQ(::setrlimit(RLIMIT_NOFILE, &limits), 0);
    EXPECT_TRUE(result.Failed());
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    EXPECT_EQ(saved.readAll(), before);
    saved.close();

    // A save that succeeds replaces the file and leaves nothing beside it.
    ASSERT_FALSE(SaveImageFile(Path(u"K7.D01"_s), page).Failed());
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    EXPECT_NE(saved.readAll(), before);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
              QStringList{u"K7.D01"_s});
}

TEST_F(ImagingTest, SystemPathsResolveThroughTheDriveRoots)
{
    PathResolver::SetDriveRoot(u'C', dir.path());
    QImage drawing(20, 20, QImage::Format_RGB32);
    drawing.fill(Qt::black);
    ASSERT_FALSE(SaveImageFile(u"C:\\K7.D01"_s, drawing).Failed());
    EXPECT_TRUE(QFile::exists(Path(u"K7.D01"_s)));
    QImage page;
    EXPECT_FALSE(LoadImageFile(u"c:\\k7.d01"_s, &page).Failed());
    EXPECT_TRUE(Dark(page, 10, 10));
    // No root for the drive: nothing is written anywhere.
    PathResolver::ClearDriveRoots();
    EXPECT_TRUE(SaveImageFile(u"C:\\K7.D02"_s, drawing).Failed());
    EXPECT_TRUE(LoadImageFile(u"C:\\K7.D01"_s, &page).Failed());
}

TEST_F(ImagingTest, BadFilesFailWithoutCrashing)
{
    QImage page;
    ImageFileInfo info;
    ImageList list;
    // Missing, empty, text, PNG.
    EXPECT_TRUE(LoadImageFile(Path(u"missing.tif"_s), &page).Failed());
    EXPECT_TRUE(LoadImageFile(QString(), &page).Failed());
    QFile(Path(u"empty.tif"_s)).open(QIODevice::WriteOnly);
    EXPECT_TRUE(LoadImageFile(Path(u"empty.tif"_s), &page).Failed());
    {
        QFile text(Path(u"text.tif"_s));
        ASSERT_TRUE(text.open(QIODevice::WriteOnly));
        text.write("MEMORIA DEL EJERCICIO\r\n");
    }
    EXPECT_TRUE(LoadImageFile(Path(u"text.tif"_s), &page).Failed());
    EXPECT_TRUE(ReadImageFileInfo(Path(u"text.tif"_s), &info).Failed());
    EXPECT_TRUE(LoadAllPages(Path(u"text.tif"_s), &list).Failed());
    QImage picture(10, 10, QImage::Format_RGB32);
    picture.fill(Qt::red);
    ASSERT_TRUE(picture.save(Path(u"picture.png"_s)));
    EXPECT_TRUE(LoadImageFile(Path(u"picture.png"_s), &page).Failed());
    // A folder is not a file.
    EXPECT_TRUE(LoadImageFile(dir.path(), &page).Failed());
    EXPECT_TRUE(page.isNull());
    // All of those are the file's fault; a file the machine will not read
    // (reading /proc/self/mem from its start fails with an I/O error) is the
    // machine's, and says which file.
    EXPECT_FALSE(LoadImageFile(Path(u"text.tif"_s), &page).IsIo());
    ASSERT_EQ(::symlink("/proc/self/mem", QFile::encodeName(Path(u"mem.tif"_s)).constData()), 0);
    for (const Failure &failure :
         {LoadImageFile(Path(u"mem.tif"_s), &page), ReadImageFileInfo(Path(u"mem.tif"_s), &info),
          LoadAllPages(Path(u"mem.tif"_s), &list)}) {
        EXPECT_TRUE(failure.IsIo()) << failure.text.toStdString();
        EXPECT_TRUE(failure.file.endsWith(u"mem.tif"_s)) << failure.file.toStdString();
    }

    // Null outputs.
    EXPECT_TRUE(LoadImageFile(Path(u"missing.tif"_s), nullptr).Failed());
    EXPECT_TRUE(SaveImageFile(Path(u"null.tif"_s), QImage()).Failed());
    EXPECT_FALSE(QFile::exists(Path(u"null.tif"_s)));
}

TEST_F(ImagingTest, TruncatedFilesFail)
{
    TiffPageLayout layout = Layout(COMPRESSION_NONE);
    layout.width = 400;
    layout.height = 300;
    const QString path = Path(u"whole.tif"_s);
    ASSERT_TRUE(WriteFixtureTiff(path, {layout}));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    file.close();
    // Strip data is written before the directory here: a cut loses the
    // directory.
    for (qsizetype length : {qsizetype(4), qsizetype(8), bytes.size() / 2}) {
        SCOPED_TRACE(length);
        const QString cut = Path(u"cut.tif"_s);
        QFile out(cut);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly | QIODevice::Truncate));
        out.write(bytes.left(length));
        out.close();
        QImage page;
        EXPECT_TRUE(LoadImageFile(cut, &page).Failed());
    }
    // Directory first and a strip cut short, uncompressed and G4.
    for (uint16_t compression : {uint16_t(COMPRESSION_NONE), uint16_t(COMPRESSION_CCITTFAX4)}) {
        SCOPED_TRACE(compression);
        const QByteArray whole = HandMadeTiff(64, 64, 1, 1, compression, 512);
        const QString cut = Path(u"short.tif"_s);
        QFile out(cut);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly | QIODevice::Truncate));
        out.write(whole.left(whole.size() - 100));
        out.close();
        QImage page;
        EXPECT_TRUE(LoadImageFile(cut, &page).Failed());
        ImageList list;
        if (!LoadAllPages(cut, &list).Failed()) {
            EXPECT_TRUE(TakePage(list, 0, &page).Failed());
        }
    }
}

TEST_F(ImagingTest, PagesThatLieAboutTheirSizeAreRefusedFromTheHeader)
{
    const struct
    {
        const char *name;
        QByteArray bytes;
    } cases[] = {
        {"bilevel 100000 square", HandMadeTiff(100000, 100000, 1, 1, COMPRESSION_CCITTFAX4, 16)},
        {"rgb 100000 square", HandMadeTiff(100000, 100000, 8, 3, COMPRESSION_NONE, 16)},
        {"rgb 20000 square", HandMadeTiff(20000, 20000, 8, 3, COMPRESSION_LZW, 16)},
        {"bilevel one row of 4 billion", HandMadeTiff(0xFFFFFFF0u, 1, 1, 1, COMPRESSION_NONE, 16)},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const QString path = Path(u"liar.tif"_s);
        QFile out(path);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly | QIODevice::Truncate));
        out.write(c.bytes);
        out.close();
        // The header is read as it stands...
        ImageFileInfo info;
        ASSERT_FALSE(ReadImageFileInfo(path, &info).Failed());
        ASSERT_EQ(info.pageCount, 1);
        EXPECT_GT(std::max(info.pageSizes.at(0).width(), info.pageSizes.at(0).height()), 3000);
        // ...but the page is never decoded.
        QImage page;
        EXPECT_TRUE(LoadImageFile(path, &page).Failed());
        ImageList list;
        ASSERT_FALSE(LoadAllPages(path, &list).Failed());
        EXPECT_TRUE(TakePage(list, 0, &page).Failed());
    }
}

TEST_F(ImagingTest, CorruptedBytesNeverCrash)
{
    TiffPageLayout a = Layout(COMPRESSION_CCITTFAX4);
    TiffPageLayout b = Layout(COMPRESSION_LZW);
    b.tileSize = 16;
    TiffPageLayout c = Layout(COMPRESSION_PACKBITS, PHOTOMETRIC_RGB);
    c.bitsPerSample = 8;
    c.samplesPerPixel = 3;
    const QString path = Path(u"good.tif"_s);
    ASSERT_TRUE(WriteFixtureTiff(path, {a, b, c}));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray good = file.readAll();
    file.close();

    QRandomGenerator random(20261207);
    const QString bad = Path(u"bad.tif"_s);
    int loaded = 0;
    for (int round = 0; round < 300; ++round) {
        QByteArray bytes = good;
        const int flips = 1 + int(random.bounded(8));
        for (int i = 0; i < flips; ++i)
            bytes[random.bounded(int(bytes.size()))] = char(random.bounded(256));
        QFile out(bad);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly | QIODevice::Truncate));
        out.write(bytes);
        out.close();
        ImageList list;
        if (!LoadAllPages(bad, &list).Failed()) {
            for (int j = 0; j < list.Count(); ++j) {
                QImage page;
                if (!TakePage(list, j, &page).Failed()) {
                    ++loaded;
                    EXPECT_EQ(page.size(), list.PageSize(j));
                }
            }
        }
    }
    // Most single-byte damage falls in pixel data and still loads.
    EXPECT_GT(loaded, 0);
}

TEST_F(ImagingTest, DirectoryLoopsEndTheCount)
{
    // One directory whose "next" offset points back at itself.
    QByteArray bytes = HandMadeTiff(16, 16, 1, 1, COMPRESSION_NONE, 32);
    const int nextOffsetAt = 8 + 2 + 9 * 12;
    bytes[nextOffsetAt] = 8;
    const QString path = Path(u"loop.tif"_s);
    QFile out(path);
    ASSERT_TRUE(out.open(QIODevice::WriteOnly));
    out.write(bytes);
    out.close();
    ImageFileInfo info;
    if (!ReadImageFileInfo(path, &info).Failed()) {
        EXPECT_EQ(info.pageCount, 1);
    }
}

TEST(ImagingDrawing, DrawingBecomesA200DpiBilevelPage)
{
    QImage drawing(100, 50, QImage::Format_Grayscale8);
    drawing.fill(255);
    drawing.setPixel(10, 10, qRgb(127, 127, 127));
    drawing.setPixel(11, 10, qRgb(128, 128, 128));
    QImage page;
    ASSERT_FALSE(ImageFromDrawing(drawing, &page).Failed());
    EXPECT_EQ(page.format(), QImage::Format_Mono);
    EXPECT_EQ(qRound(page.dotsPerMeterX() * 0.0254), 200);
    EXPECT_TRUE(Dark(page, 10, 10));
    EXPECT_FALSE(Dark(page, 11, 10));
    EXPECT_TRUE(ImageFromDrawing(QImage(), &page).Failed());
}
