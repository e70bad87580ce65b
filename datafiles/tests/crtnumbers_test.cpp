#include <clocale>
#include <cmath>

#include <QByteArray>

#include <gtest/gtest.h>

#include "datafiles/crtnumbers.h"

using namespace vk7;

TEST(CrtNumbersTest, FixedFormatsRoundAsPrintfAndIgnoreTheLocale)
{
    // A locale with a decimal comma must not change the data's texts.
    std::setlocale(LC_NUMERIC, "es_ES.UTF-8");
    EXPECT_EQ(FormatFixed(1234.56, 2), QByteArray("1234.56"));
    EXPECT_EQ(FormatFixed(1234.56, 0), QByteArray("1235"));
    EXPECT_EQ(FormatFixed(123456 * 0.01, 2), QByteArray("1234.56"));
    EXPECT_EQ(FormatFixed(0.005 * 1, 2), QByteArray("0.01")); // 0.005 is a bit above
    EXPECT_EQ(FormatFixed(0.125, 2), QByteArray("0.12"));     // exact tie: to even
    EXPECT_EQ(FormatFixed(2.5, 0), QByteArray("2"));
    EXPECT_EQ(FormatFixed(3.5, 0), QByteArray("4"));
    EXPECT_EQ(FormatFixed(-0.4, 0), QByteArray("-0"));
    EXPECT_EQ(FormatFixed(999999999999999 * 0.01, 2), QByteArray("9999999999999.99"));
    std::setlocale(LC_NUMERIC, "C");
}

TEST(CrtNumbersTest, HundredthsRenderExactlyAsTheProductDoes)
{
    // The fast rendering must agree with printf of hundredths * 0.01 on every
    // amount the accounts can hold, halves included.
    char fast[kFixedBufferSize];
    char slow[kFixedBufferSize];
    const auto check = [&](qint64 hundredths) {
        for (int decimals : {0, 2}) {
            const int n = FormatHundredths(hundredths, decimals, fast);
            const int m = FormatFixed(static_cast<double>(hundredths) * 0.01, decimals, slow);
            ASSERT_EQ(QByteArray(fast, n), QByteArray(slow, m)) << hundredths << " " << decimals;
        }
    };
    for (qint64 h = 0; h < 200000; ++h)
        check(h);
    quint64 x = 88172645463325252ULL;
    for (int i = 0; i < 500000; ++i) {
        x ^= x << 13;
        x ^= x >> 7;
        x ^= x << 17;
        const qint64 h = static_cast<qint64>(x % 1000000000000000ULL);
        check(h);
        check(h - h % 100 + 50); // the halves
    }
    check(999999999999999);
    check(1000000000000000); // beyond fifteen digits: the general path
}
