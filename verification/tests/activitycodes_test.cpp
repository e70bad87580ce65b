#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "verification/activitycodes.h"

using namespace Qt::StringLiterals;
using vk7::IsKnownActivityCode;

namespace {

class ActivityCodes : public ::testing::Test
{
protected:
    QString WriteTable(const QByteArray &content)
    {
        const QString path = dir_.path() + u"/CNAE.TXT"_s;
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(content);
        return path;
    }

    QTemporaryDir dir_;
};

TEST_F(ActivityCodes, FindsCodesWithEitherLineBreak)
{
    for (const QByteArray &table :
         {QByteArray("0111\r\n1010\r\n9900\r\n"), QByteArray("0111\n1010\n9900\n")}) {
        const QString path = WriteTable(table);
        EXPECT_TRUE(IsKnownActivityCode(u"0111"_s, path));
        EXPECT_TRUE(IsKnownActivityCode(u"1010"_s, path));
        EXPECT_TRUE(IsKnownActivityCode(u"9900"_s, path));
        EXPECT_FALSE(IsKnownActivityCode(u"111"_s, path));
        EXPECT_FALSE(IsKnownActivityCode(u"01110"_s, path));
        EXPECT_FALSE(IsKnownActivityCode(u"011"_s, path));
        EXPECT_FALSE(IsKnownActivityCode(QString(), path));
    }
}

TEST_F(ActivityCodes, LastLineWithoutLineBreakKeepsItsLastDigit)
{
    const QString path = WriteTable("0111\r\n9900");
    EXPECT_TRUE(IsKnownActivityCode(u"9900"_s, path));
    EXPECT_FALSE(IsKnownActivityCode(u"990"_s, path));
    EXPECT_TRUE(IsKnownActivityCode(u"0111"_s, path));
}

TEST_F(ActivityCodes, EmptyLineMatchesEmptyCode)
{
    const QString path = WriteTable("0111\r\n\r\n1010\r\n");
    EXPECT_TRUE(IsKnownActivityCode(QString(), path));
}

TEST_F(ActivityCodes, ComparesExactly)
{
    const QString path = WriteTable("0111 \r\nabcd\r\n");
    EXPECT_FALSE(IsKnownActivityCode(u"0111"_s, path));
    EXPECT_TRUE(IsKnownActivityCode(u"0111 "_s, path));
    EXPECT_FALSE(IsKnownActivityCode(u"ABCD"_s, path));
}

TEST_F(ActivityCodes, LongLinesAreReadInPiecesOf127)
{
    // A 130-character line is read as 127 characters and then the last three.
    const QByteArray longLine = QByteArray(127, '7') + "123\r\n";
    const QString path = WriteTable(longLine);
    EXPECT_TRUE(IsKnownActivityCode(u"123"_s, path));
    EXPECT_TRUE(IsKnownActivityCode(QString(127, u'7'), path));
}

TEST_F(ActivityCodes, MissingTableKnowsNothing)
{
    EXPECT_FALSE(IsKnownActivityCode(u"0111"_s, dir_.path() + u"/absent/CNAE.TXT"_s));
    EXPECT_FALSE(IsKnownActivityCode(QString(), dir_.path() + u"/absent/CNAE.TXT"_s));
    EXPECT_FALSE(IsKnownActivityCode(u"0111"_s, QString()));
}

TEST(ShippedActivityTable, HoldsBothEditionsOfTheClassification)
{
    const QString path = QStringLiteral(VK7_SOURCE_DIR) + u"/DATA/CNAE.TXT"_s;
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray content = file.readAll();
    ASSERT_TRUE(content.endsWith("\r\n"));
    EXPECT_EQ(content.count("\r\n"), 531);
    // First and last codes, and the households' own production, new in 2003.
    EXPECT_TRUE(IsKnownActivityCode(u"0111"_s, path));
    EXPECT_TRUE(IsKnownActivityCode(u"9900"_s, path));
    EXPECT_TRUE(IsKnownActivityCode(u"9600"_s, path));
    EXPECT_TRUE(IsKnownActivityCode(u"9700"_s, path));
    EXPECT_FALSE(IsKnownActivityCode(u"0000"_s, path));
    EXPECT_FALSE(IsKnownActivityCode(QString(), path));
}

} // namespace
