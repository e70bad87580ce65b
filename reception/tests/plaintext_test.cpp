#include <cmath>
#include <limits>

#include <QString>

#include <gtest/gtest.h>

#include "reception/plaintext.h"

using namespace vk7;
using namespace Qt::StringLiterals;

TEST(PlainTextTest, IntegersStopAtTheFirstNonDigitAndSaturate)
{
    EXPECT_EQ(CAtoi(""), 0);
    EXPECT_EQ(CAtoi("  \t+0042x9"), 42);
    EXPECT_EQ(CAtoi("-7"), -7);
    EXPECT_EQ(CAtoi("- 7"), 0);
    EXPECT_EQ(CAtoi("99999999999999999999"), 2147483647);
    EXPECT_EQ(CAtoi("-99999999999999999999"), -2147483647 - 1);
    // The view's end ends the number even without a terminator.
    EXPECT_EQ(CAtoi(QByteArrayView("12345", 3)), 123);
    // Wide text reads alike; a character beyond ASCII ends the number.
    EXPECT_EQ(CAtoi(u"\v-0042\u0663"), -42);
    EXPECT_EQ(CAtoi(u"1A"), 1);
    EXPECT_EQ(CAtoi(u"M7"), 0);
    EXPECT_EQ(CAtoi(u"99999999999999999999"), 2147483647);
    // The long reading holds at the int64 bounds.
    EXPECT_EQ(ReadDecimalInteger(u" 2147483648"), 2147483648LL);
    EXPECT_EQ(ReadDecimalInteger(u"9223372036854775808"), std::numeric_limits<qint64>::max());
    EXPECT_EQ(ReadDecimalInteger("-99999999999999999999"), std::numeric_limits<qint64>::min());
}

TEST(PlainTextTest, AtofReadsWhatTheRuntimeReads)
{
    EXPECT_EQ(CAtof("000000000123456"), 123456.0);
    EXPECT_EQ(CAtof(" -12.5e1x"), -125.0);
    EXPECT_EQ(CAtof("1e+2"), 100.0);
    EXPECT_EQ(CAtof("7e"), 7.0);
    EXPECT_EQ(CAtof(".5"), 0.5);
    EXPECT_EQ(CAtof("abc"), 0.0);
    EXPECT_EQ(CAtof("inf"), 0.0);
    EXPECT_EQ(CAtof("0x10"), 0.0);
    EXPECT_TRUE(std::isinf(CAtof("1e999")));
    EXPECT_EQ(CAtof("1e-999"), 0.0);
}

TEST(PlainTextTest, TrimBlanksRemovesOnlyCode32FromBothEnds)
{
    EXPECT_EQ(TrimBlanks(u"  \tA B\t  "), u"\tA B\t"_s);
    EXPECT_TRUE(TrimBlanks(u"   ").isEmpty());
    EXPECT_EQ(TrimBlanks(u"A"), u"A"_s);
}
