#include <QImage>
#include <QPainter>
#include <QSet>

#include <gtest/gtest.h>

#include "components/code128.h"

using namespace vk7;
using namespace Qt::StringLiterals;

TEST(Code128Table, EverySymbolIsElevenModulesWithEvenBarsAndDistinct)
{
    const QStringList &table = Code128SymbolTable();
    ASSERT_EQ(table.size(), 106);
    QSet<QString> seen;
    for (int v = 0; v < table.size(); ++v) {
        const QString &p = table.at(v);
        ASSERT_EQ(p.size(), 6) << v;
        int total = 0, bars = 0;
        for (int i = 0; i < 6; ++i) {
            const int w = p.at(i).digitValue();
            EXPECT_GE(w, 1) << v;
            EXPECT_LE(w, 4) << v;
            total += w;
            if (i % 2 == 0)
                bars += w;
        }
        EXPECT_EQ(total, 11) << "value " << v;
        // Code 128's parity: the bars of every symbol cover an even count.
        EXPECT_EQ(bars % 2, 0) << "value " << v;
        EXPECT_FALSE(seen.contains(p)) << "duplicate pattern at " << v;
        seen.insert(p);
    }
    EXPECT_EQ(table.at(103), u"211412"_s);
    EXPECT_EQ(table.at(104), u"211214"_s);
    EXPECT_EQ(table.at(105), u"211232"_s);
}

TEST(Code128Table, TripletGlyphRanges)
{
    const auto &first = FirstTripletGlyphs();
    const auto &second = SecondTripletGlyphs();
    ASSERT_EQ(first.size(), 37);
    ASSERT_EQ(second.size(), 38);
    EXPECT_EQ(first.firstKey(), u"111"_s);
    EXPECT_EQ(first.lastKey(), u"431"_s);
    EXPECT_EQ(first.value(u"111"_s), QChar(u'0'));
    EXPECT_EQ(first.value(u"121"_s), QChar(u'4'));
    EXPECT_EQ(first.value(u"431"_s), QChar(u'T'));
    EXPECT_EQ(second.firstKey(), u"111"_s);
    EXPECT_EQ(second.lastKey(), u"422"_s);
    EXPECT_EQ(second.value(u"111"_s), QChar(u'U'));
    EXPECT_EQ(second.value(u"422"_s), QChar(u'z'));
    // Start B and FNC1 as the glyph pairs the barcode font knows.
    const QString startB = Code128SymbolTable().at(104);
    EXPECT_EQ(first.value(startB.left(3)), QChar(u'>'));
    EXPECT_EQ(second.value(startB.mid(3)), QChar(u'f'));
    const QString fnc1 = Code128SymbolTable().at(102);
    EXPECT_EQ(first.value(fnc1.left(3)), QChar(u'P'));
    EXPECT_EQ(second.value(fnc1.mid(3)), QChar(u']'));
}

TEST(Code128Drawing, GlyphsGiveTheSymbolWidths)
{
    // Start B then stop: 2,1,1,2,1,4 then 2,3,3,1,1,1,2.
    const QList<int> widths = Code128ModuleWidths(u">f#"_s);
    EXPECT_EQ(widths, (QList<int>{2, 1, 1, 2, 1, 4, 2, 3, 3, 1, 1, 1, 2}));
    EXPECT_TRUE(Code128ModuleWidths(u"~~"_s).isEmpty());
}

TEST(Code128Drawing, BarsFillTheBoxWithQuietZones)
{
    QImage image(400, 60, QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        // Start B + stop = 24 modules, + 20 quiet = 44 modules over 352 px: 8 px each.
        DrawCode128Glyphs(painter, QRectF(24, 10, 352, 40), u">f#"_s);
    }
    auto inked = [&image](int x, int y) { return qGray(image.pixel(x, y)) < 128; };
    // First bar: modules 10-11 of the symbol, pixels 24+80 .. 24+96.
    EXPECT_FALSE(inked(24 + 79, 30));
    EXPECT_TRUE(inked(24 + 80, 30));
    EXPECT_TRUE(inked(24 + 95, 30));
    EXPECT_FALSE(inked(24 + 96, 30));
    // Last bar ends at module 34 (10 + 24), then quiet zone.
    EXPECT_TRUE(inked(24 + 34 * 8 - 1, 30));
    EXPECT_FALSE(inked(24 + 34 * 8, 30));
    // Height: the box only.
    EXPECT_TRUE(inked(24 + 80, 10));
    EXPECT_TRUE(inked(24 + 80, 49));
    EXPECT_FALSE(inked(24 + 80, 9));
    EXPECT_FALSE(inked(24 + 80, 50));
}
