#include <QSet>

#include <gtest/gtest.h>

#include "reception/codepages.h"

using namespace vk7;

TEST(CodePagesTest, EveryByteSurvivesTheRoundTrip)
{
    QByteArray all;
    for (int b = 0; b < 256; ++b)
        all.append(static_cast<char>(b));
    const QString text = DecodeWindows1252(all);
    ASSERT_EQ(text.size(), 256);
    EXPECT_EQ(text.at(0x80), QChar(0x20AC)); // euro sign
    EXPECT_EQ(text.at(0xD1), QChar(0x00D1)); // Ñ
    EXPECT_EQ(text.at(0x9F), QChar(0x0178)); // Ÿ
    EXPECT_EQ(EncodeWindows1252(text), all);
    EXPECT_EQ(EncodeWindows1252(QString(QChar(0x4E2D))), QByteArray("?"));
}

TEST(CodePagesTest, CodePage850AgreesWithTheShortTableAndCoversTheRest)
{
    // The 37 bytes the system always converted, with their Windows-1252 values.
    const int table[][2] = {{128, 199}, {129, 252}, {130, 233}, {132, 228}, {133, 224}, {135, 231},
                            {137, 235}, {138, 232}, {139, 239}, {141, 236}, {142, 196}, {144, 201},
                            {148, 246}, {149, 242}, {151, 249}, {153, 214}, {154, 220}, {160, 225},
                            {161, 237}, {162, 243}, {163, 250}, {164, 241}, {165, 209}, {166, 170},
                            {167, 186}, {181, 193}, {183, 192}, {211, 203}, {212, 200}, {214, 205},
                            {216, 207}, {222, 204}, {224, 211}, {227, 210}, {233, 218}, {235, 217},
                            {250, 183}};
    for (const auto &[from, to] : table)
        EXPECT_EQ(DecodeCodePage850(QByteArray(1, char(from))), QString(QChar(to))) << from;
    QByteArray all;
    for (int b = 0; b < 256; ++b)
        all.append(char(b));
    const QString decoded = DecodeCodePage850(all);
    ASSERT_EQ(decoded.size(), 256);
    EXPECT_EQ(decoded.left(128), QString::fromLatin1(all.left(128)));
    EXPECT_EQ(decoded.at(0x9E), QChar(0x00D7)); // ×
    EXPECT_EQ(decoded.at(0x9F), QChar(0x0192)); // ƒ
    EXPECT_EQ(decoded.at(0xB0), QChar(0x2591)); // ░
    EXPECT_EQ(decoded.at(0xCD), QChar(0x2550)); // ═
    EXPECT_EQ(decoded.at(0xD5), QChar(0x0131)); // ı
    EXPECT_EQ(decoded.at(0xEE), QChar(0x00AF)); // ¯
    EXPECT_EQ(decoded.at(0xF2), QChar(0x2017)); // ‗
    EXPECT_EQ(decoded.at(0xFE), QChar(0x25A0)); // ■
    EXPECT_EQ(decoded.at(0xFF), QChar(0x00A0));
    // Every byte has its own character.
    EXPECT_EQ(QSet<QChar>(decoded.begin(), decoded.end()).size(), 256);
}
