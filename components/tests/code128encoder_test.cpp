#include <QImage>
#include <QPainter>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "components/code128.h"

using namespace vk7;
using namespace Qt::StringLiterals;

namespace {

QString Hex(const QString &glyphs)
{
    QStringList parts;
    for (const QChar c : glyphs)
        parts << QString::number(c.unicode(), 16).toUpper();
    return parts.join(u' ');
}

} // namespace

TEST(EncodeCode128, WorkedExamples)
{
    QString glyphs;
    ASSERT_TRUE(EncodeCode128(u"AB"_s, u'B', &glyphs));
    EXPECT_EQ(Hex(glyphs), u"3E 66 50 5D 30 74 38 5B 34 5C 23"_s);
    ASSERT_TRUE(EncodeCode128(u"12345"_s, u'C', &glyphs));
    EXPECT_EQ(Hex(glyphs), u"3E 6C 50 5D 43 5A 49 5D 32 5B 32 72 23"_s);
    // Even length needs no padding: 1234 -> 12, 34.
    ASSERT_TRUE(EncodeCode128(u"1234"_s, u'C', &glyphs));
    QString padded;
    ASSERT_TRUE(EncodeCode128(u"001234"_s, u'C', &padded));
    EXPECT_NE(glyphs, padded);
    EXPECT_EQ(glyphs.size(), 2 * 5 + 1);
}

TEST(EncodeCode128, EmptyTextAndRefusals)
{
    QString glyphs = u"old"_s;
    EXPECT_TRUE(EncodeCode128(QString(), u'B', &glyphs));
    EXPECT_TRUE(glyphs.isEmpty());
    glyphs = u"old"_s;
    EXPECT_TRUE(EncodeCode128(QString(), u'C', &glyphs));
    EXPECT_TRUE(glyphs.isEmpty());

    EXPECT_FALSE(EncodeCode128(u"12a"_s, u'C', &glyphs));
    EXPECT_EQ(glyphs, u"ERROR"_s);
    EXPECT_FALSE(EncodeCode128(u"-12"_s, u'C', &glyphs));
    EXPECT_EQ(glyphs, u"ERROR"_s);

    EXPECT_FALSE(EncodeCode128(u"AB"_s, u'A', &glyphs));
    EXPECT_TRUE(glyphs.isEmpty());

    // Outside 32..127 code set B has no symbol.
    EXPECT_FALSE(EncodeCode128(u"Año"_s, u'B', &glyphs));
    EXPECT_EQ(glyphs, u"ERROR"_s);
    EXPECT_FALSE(EncodeCode128(u"A\tB"_s, u'B', &glyphs));
    EXPECT_EQ(glyphs, u"ERROR"_s);
    // 32 and 127 are the ends of the range, values 0 and 95.
    EXPECT_TRUE(EncodeCode128(u" "_s + QChar(127), u'B', &glyphs));
    EXPECT_EQ(glyphs.size(), 11);
    EXPECT_FALSE(EncodeCode128(QString(QChar(128)), u'B', &glyphs));
}

TEST(EncodeCode128, CheckValueWeightsGrowWithPosition)
{
    // Swapping two characters changes only the check value.
    QString ab, ba;
    ASSERT_TRUE(EncodeCode128(u"AB"_s, u'B', &ab));
    ASSERT_TRUE(EncodeCode128(u"BA"_s, u'B', &ba));
    EXPECT_EQ(ab.left(4), ba.left(4));
    EXPECT_EQ(ab.mid(4, 2), ba.mid(6, 2));
    EXPECT_NE(ab.mid(8, 2), ba.mid(8, 2));
    EXPECT_EQ(ab.right(1), u"#"_s);
}

TEST(IsNumericText, SignsAndSeparators)
{
    EXPECT_TRUE(IsNumericText(QString(), false, false));
    EXPECT_TRUE(IsNumericText(u"0123456789"_s, false, false));
    EXPECT_TRUE(IsNumericText(u"-12,5"_s, true, true));
    EXPECT_FALSE(IsNumericText(u"-12,5"_s, false, true));
    EXPECT_FALSE(IsNumericText(u"-12,5"_s, true, false));
    EXPECT_FALSE(IsNumericText(u"1.2,5"_s, false, true));
    EXPECT_FALSE(IsNumericText(u"1-2"_s, true, false));
    EXPECT_FALSE(IsNumericText(u"12 "_s, false, false));
    // Other scripts' digits are not decimal digits here.
    EXPECT_FALSE(IsNumericText(u"١٢"_s, false, false));
}

TEST(Code128Scan, DrawnFingerprintDecodes)
{
    const QString zbar = QStandardPaths::findExecutable(u"zbarimg"_s);
    if (zbar.isEmpty())
        GTEST_SKIP() << "zbarimg not installed";
    const QString fingerprint = u"3H7KQ2X9M4PRT8VZ5N6YJBC0AD"_s;
    QString glyphs;
    ASSERT_TRUE(EncodeCode128(fingerprint, u'B', &glyphs));

    QImage image(900, 160, QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        DrawCode128Glyphs(painter, QRectF(10, 20, 880, 120), glyphs);
    }
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(u"barcode.png"_s);
    ASSERT_TRUE(image.save(path));

    QProcess process;
    process.start(zbar, {u"--quiet"_s, u"--raw"_s, u"-Sdisable"_s, u"-Scode128.enable"_s, path});
    ASSERT_TRUE(process.waitForFinished(30000));
    const QString output = QString::fromUtf8(process.readAllStandardOutput()).trimmed();
    // FNC1 after the start makes the symbol GS1-128; zbar reports it with
    // the ]C1 symbology identifier or not at all, depending on its options.
    ::testing::Test::RecordProperty("zbar", output.toStdString());
    QString decoded = output;
    if (decoded.startsWith(u"]C1"_s))
        decoded = decoded.mid(3);
    EXPECT_EQ(decoded, fingerprint) << output.toStdString();
}
