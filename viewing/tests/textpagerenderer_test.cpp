#include <cstring>

#include <QFontInfo>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

#include "components/imaging.h"
#include "testing/guiapplication.h"
#include "viewing/textpagerenderer.h"

using namespace vk7;
using namespace Qt::StringLiterals;

namespace {

const auto *const gui = vk7::testing::AddGuiApplicationEnvironment();

QString Repeat(QChar c, int count)
{
    return QString(count, c);
}

QString Lines(int count, const QString &prefix = u"Linea "_s)
{
    QStringList lines;
    for (int i = 1; i <= count; ++i)
        lines << prefix + QString::number(i);
    return lines.join(u"\r\n"_s);
}

} // namespace

TEST(TakeTextLine, ShortLinesEndAtTheLineBreak)
{
    QString rest = u"uno\r\ndos\r\n\r\ntres"_s;
    EXPECT_EQ(TakeTextLine(&rest), u"uno"_s);
    EXPECT_EQ(TakeTextLine(&rest), u"dos"_s);
    EXPECT_EQ(TakeTextLine(&rest), QString());
    EXPECT_EQ(TakeTextLine(&rest), u"tres"_s);
    EXPECT_TRUE(rest.isEmpty());

    // Exactly 80 characters before the break: not cut.
    rest = Repeat(u'x', 80) + u"\r\nB"_s;
    EXPECT_EQ(TakeTextLine(&rest), Repeat(u'x', 80));
    EXPECT_EQ(rest, u"B"_s);
}

TEST(TakeTextLine, LongLinesAreCutByTheWindowRule)
{
    // A blank at 82: cut after it, the blank ends the line.
    QString line = Repeat(u'a', 82) + u' ' + Repeat(u'b', 17);
    ASSERT_EQ(line.size(), 100);
    QString rest = line;
    EXPECT_EQ(TakeTextLine(&rest), Repeat(u'a', 82) + u' ');
    EXPECT_EQ(rest, Repeat(u'b', 17));

    // No blank at all: cut at 80.
    rest = Repeat(u'z', 100);
    EXPECT_EQ(TakeTextLine(&rest), Repeat(u'z', 80));
    EXPECT_EQ(rest, Repeat(u'z', 20));

    // The first of several candidates in the window wins.
    rest = Repeat(u'a', 81) + u"  " + Repeat(u'b', 30);
    EXPECT_EQ(TakeTextLine(&rest).size(), 82);
    EXPECT_EQ(rest, u' ' + Repeat(u'b', 30));

    // A carriage return inside the window cuts there; it is not kept on the
    // line and begins the rest.
    rest = Repeat(u'c', 83) + u'\r' + Repeat(u'd', 20);
    EXPECT_EQ(TakeTextLine(&rest), Repeat(u'c', 83));
    EXPECT_EQ(rest, u'\r' + Repeat(u'd', 20));

    // The line break itself at 84 is a carriage return in the window: the
    // line is cut before it, and the break then yields an empty line.
    rest = Repeat(u'e', 84) + u"\r\nF"_s;
    EXPECT_EQ(TakeTextLine(&rest), Repeat(u'e', 84));
    EXPECT_EQ(TakeTextLine(&rest), QString());
    EXPECT_EQ(TakeTextLine(&rest), u"F"_s);

    // Nothing in the window: the last blank at or before 85.
    rest = Repeat(u'f', 85) + u' ' + Repeat(u'g', 10);
    EXPECT_EQ(TakeTextLine(&rest), Repeat(u'f', 85) + u' ');
    rest = Repeat(u'h', 40) + u' ' + Repeat(u'i', 60);
    EXPECT_EQ(TakeTextLine(&rest), Repeat(u'h', 40) + u' ');
    EXPECT_EQ(rest, Repeat(u'i', 60));

    // A blank at position 0 only does not count.
    rest = u' ' + Repeat(u'j', 99);
    EXPECT_EQ(TakeTextLine(&rest).size(), 80);

    // Characters are counted, not bytes.
    rest = Repeat(QChar(0x00F1), 100);
    EXPECT_EQ(TakeTextLine(&rest), Repeat(QChar(0x00F1), 80));
}

TEST(LayOutTextPage, SixtySixLinesToAPage)
{
    EXPECT_EQ(LayOutTextPage(QString()), (QList<QStringList>{{}}));
    const QList<QStringList> exact = LayOutTextPage(Lines(66) + u"\r\n"_s);
    ASSERT_EQ(exact.size(), 1);
    EXPECT_EQ(exact.at(0).size(), 66);
    EXPECT_EQ(exact.at(0).last(), u"Linea 66"_s);

    const QList<QStringList> over = LayOutTextPage(Lines(70));
    ASSERT_EQ(over.size(), 2);
    EXPECT_EQ(over.at(0).size(), 66);
    EXPECT_EQ(over.at(1),
              (QStringList{u"Linea 67"_s, u"Linea 68"_s, u"Linea 69"_s, u"Linea 70"_s}));

    // Cut lines count like any other: 40 lines of 160 characters are 80
    // lines, on two pages.
    QStringList longLines(40, Repeat(u'w', 160));
    const QList<QStringList> wrapped = LayOutTextPage(longLines.join(u"\r\n"_s));
    ASSERT_EQ(wrapped.size(), 2);
    EXPECT_EQ(wrapped.at(1).size(), 14);
}

TEST(TextPageFont, IsTheUrwCourierCloneAndLinesFitThePage)
{
    const QFont font = TextPageFont();
    const QFontInfo info(font);
    EXPECT_TRUE(info.family().startsWith(u"Nimbus Mono PS"_s)) << info.family().toStdString();
    EXPECT_TRUE(info.bold());
    EXPECT_TRUE(info.fixedPitch());
    const QFontMetrics metrics(font);
    // The longest line the rule makes is 86 characters (85 and a blank).
    EXPECT_LE(kTextLineX + metrics.horizontalAdvance(Repeat(u'M', 86)), kTextPageWidth);
}

TEST(PaintTextPage, InkStaysInsideEachLineBand)
{
    // Lines 0, 2, 4, ... carry text with capitals, accents and descenders;
    // the odd ones are empty. Every even band is inked, every odd band is
    // blank, so each line lies within its 35 rows.
    QStringList lines;
    for (int i = 0; i < kTextLinesPerPage; ++i)
        lines << (i % 2 == 0 ? u"ÁÉÑ gjpqy |M| ÇÜ "_s + QString::number(i) : QString());
    QImage page(kTextPageWidth, kTextPageHeight, QImage::Format_Grayscale8);
    page.fill(128);
    {
        QPainter painter(&page);
        PaintTextPage(painter, lines);
    }
    auto rowInked = [&page](int y) {
        const uchar *row = page.constScanLine(y);
        for (int x = 0; x < page.width(); ++x)
            if (row[x] < 128)
                return true;
        return false;
    };
    for (int line = 0; line < kTextLinesPerPage; ++line) {
        bool inked = false;
        for (int y = line * kTextLineStep; y < (line + 1) * kTextLineStep; ++y)
            inked = inked || rowInked(y);
        EXPECT_EQ(inked, line % 2 == 0) << "line " << line;
    }
    for (int y = kTextLinesPerPage * kTextLineStep; y < kTextPageHeight; ++y)
        ASSERT_FALSE(rowInked(y)) << y;
    // The page is painted white all over first, and text starts at x = 20
    // (a glyph's side bearing may reach a pixel or two to the left).
    EXPECT_EQ(page.pixel(kTextPageWidth - 1, kTextPageHeight - 1), qRgb(255, 255, 255));
    int leftmost = kTextPageWidth;
    for (int y = 0; y < kTextPageHeight; ++y)
        for (int x = 0; x < kTextPageWidth; ++x)
            if (page.constScanLine(y)[x] < 128) {
                leftmost = std::min(leftmost, x);
                break;
            }
    EXPECT_GE(leftmost, kTextLineX - 3);
    EXPECT_LE(leftmost, kTextLineX + 3);
}

TEST(PaintTextPage, PaintsTheSameUnderALaterApplication)
{
    // The font belongs to the application that loaded it: a program (or a
    // test run) that ends one application and starts another paints alike.
    auto paint = [] {
        QImage page(kTextPageWidth, kTextPageHeight, QImage::Format_Grayscale8);
        QPainter painter(&page);
        PaintTextPage(painter, {u"HOJA DE DIAGNOSTICO gjpq"_s, u"ÁÉÑ 0123456789"_s});
        return page;
    };
    const QStringList lines = {u"HOJA DE DIAGNOSTICO gjpq"_s};
    const QImage first = paint();
    const QImage firstRendered = RenderTextPageImage(lines);
    auto *application = const_cast<::testing::Environment *>(gui);
    application->TearDown();
    application->SetUp();
    EXPECT_TRUE(paint() == first);
    EXPECT_TRUE(RenderTextPageImage(lines) == firstRendered);
}

TEST(RenderTextPageImage, GivesTheSamePixelsAsPaintingTheGreyPage)
{
    // Every character a text can bring (Windows-1252 and controls), each
    // line shifted by one column so every glyph meets many pen positions,
    // lines full to the right edge and beyond. Every other line keeps to
    // the characters below 256, which are laid out from a table.
    QString latin1;
    for (int c = 1; c < 256; ++c)
        latin1 += QChar(c);
    const QString all = latin1 + u"€‚ƒ„…†‡ˆ‰Š‹ŒŽ‘’“”•–—˜™š›œžŸ"_s;
    QStringList lines;
    for (int i = 0; i < kTextLinesPerPage; ++i) {
        const QString &text = i % 2 ? latin1 : all;
        lines << QString(i % 9, u' ') + text.mid((i * 37) % text.size()) + text;
    }
    for (QStringList page : {lines, lines.mid(0, 3), QStringList()}) {
        QImage grey(kTextPageWidth, kTextPageHeight, QImage::Format_Grayscale8);
        {
            QPainter painter(&grey);
            PaintTextPage(painter, page);
        }
        QImage painted;
        ASSERT_FALSE(ImageFromDrawing(grey, &painted, 200).Failed());
        const QImage fast = RenderTextPageImage(page);
        ASSERT_EQ(fast.format(), QImage::Format_Mono);
        EXPECT_EQ(fast.dotsPerMeterX(), painted.dotsPerMeterX());
        int differing = 0;
        for (int y = 0; y < kTextPageHeight; ++y)
            differing += std::memcmp(fast.constScanLine(y), painted.constScanLine(y),
                                     size_t(kTextPageWidth / 8)) != 0;
        EXPECT_EQ(differing, 0) << page.size() << " lines";
    }
}
