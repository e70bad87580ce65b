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
