#include "crtnumbers.h"

#include <algorithm>
#include <charconv>
#include <climits>
#include <cmath>

namespace vk7 {

namespace {

bool IsCBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

} // namespace

int CAtoi(QByteArrayView text)
{
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n && IsCBlank(text[i]))
        ++i;
    bool negative = false;
    if (i < n && (text[i] == '+' || text[i] == '-'))
        negative = text[i++] == '-';
    long long value = 0;
    for (; i < n && IsDigit(text[i]); ++i) {
        if (value <= static_cast<long long>(INT_MAX) + 1)
            value = value * 10 + (text[i] - '0');
    }
    if (negative)
        value = -value;
    if (value > INT_MAX)
        return INT_MAX;
    if (value < INT_MIN)
        return INT_MIN;
    return static_cast<int>(value);
}

double CAtof(QByteArrayView text)
{
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n && IsCBlank(text[i]))
        ++i;
    bool negative = false;
    if (i < n && (text[i] == '+' || text[i] == '-'))
        negative = text[i++] == '-';
    // Find the span the C runtime would take: digits, point, digits, then an
    // exponent only when digits follow it.
    const qsizetype start = i;
    qsizetype digits = 0;
    while (i < n && IsDigit(text[i]))
        ++i, ++digits;
    if (i < n && text[i] == '.') {
        ++i;
        while (i < n && IsDigit(text[i]))
            ++i, ++digits;
    }
    if (digits == 0)
        return 0.0;
    if (i < n && (text[i] == 'e' || text[i] == 'E')) {
        qsizetype j = i + 1;
        if (j < n && (text[j] == '+' || text[j] == '-'))
            ++j;
        if (j < n && IsDigit(text[j])) {
            while (j < n && IsDigit(text[j]))
                ++j;
            i = j;
        }
    }
    // from_chars takes no '+' in the exponent; copy the span without it.
    char buffer[128] = {};
    QByteArray longSpan;
    const char *first = text.data() + start;
    qsizetype length = i - start;
    char *copy = buffer;
    if (length >= qsizetype(sizeof buffer)) {
        longSpan.resize(length);
        copy = longSpan.data();
    }
    qsizetype k = 0;
    for (qsizetype j = 0; j < length; ++j) {
        if (first[j] == '+')
            continue;
        copy[k++] = first[j];
    }
    double value = 0.0;
    const auto result = std::from_chars(copy, copy + k, value, std::chars_format::general);
    if (result.ec == std::errc::result_out_of_range) {
        // Overflow gives HUGE_VAL and underflow 0, as strtod does; a negative
        // exponent, or a leading "0." without one, makes a value too small.
        const char *e = std::find_if(copy, copy + k, [](char c) { return c == 'e' || c == 'E'; });
        const bool tiny = e != copy + k
                              ? (e + 1 < copy + k && e[1] == '-')
                              : (k > 1 && copy[0] == '0' && copy[1] == '.') || copy[0] == '.';
        value = tiny ? 0.0 : HUGE_VAL;
    } else if (result.ec != std::errc()) {
        value = 0.0;
    }
    return negative ? -value : value;
}

QByteArray FormatFixed(double value, int decimals)
{
    char buffer[FixedBufferSize];
    return QByteArray(buffer, FormatFixed(value, decimals, buffer));
}

int FormatFixed(double value, int decimals, char *buffer)
{
    // to_chars renders the exact binary value correctly rounded, as glibc's
    // printf does, and never uses the process locale's decimal comma.
    const auto result =
        std::to_chars(buffer, buffer + FixedBufferSize, value, std::chars_format::fixed, decimals);
    if (result.ec != std::errc()) {
        buffer[0] = '0';
        return 1;
    }
    return static_cast<int>(result.ptr - buffer);
}

int FormatHundredths(qint64 hundredths, int decimals, char *buffer)
{
    if (hundredths < 0 || hundredths >= 1000000000000000LL ||
        (decimals == 0 && hundredths % 100 == 50) || (decimals != 0 && decimals != 2))
        return FormatFixed(static_cast<double>(hundredths) * 0.01, decimals, buffer);
    qint64 units = hundredths / 100;
    const int cents = static_cast<int>(hundredths % 100);
    if (decimals == 0 && cents > 50)
        ++units;
    // Two digits at a time, from the right.
    static constexpr char Pairs[] = "000102030405060708091011121314151617181920212223242526272829"
                                    "303132333435363738394041424344454647484950515253545556575859"
                                    "606162636465666768697071727374757677787980818283848586878889"
                                    "90919293949596979899";
    char digits[24];
    int n = sizeof digits;
    while (units >= 100) {
        const auto pair = static_cast<int>(units % 100) * 2;
        units /= 100;
        digits[--n] = Pairs[pair + 1];
        digits[--n] = Pairs[pair];
    }
    if (units >= 10) {
        digits[--n] = static_cast<char>('0' + units % 10);
        units /= 10;
    }
    digits[--n] = static_cast<char>('0' + units);
    int size = 0;
    while (n < static_cast<int>(sizeof digits))
        buffer[size++] = digits[n++];
    if (decimals == 2) {
        buffer[size++] = '.';
        buffer[size++] = static_cast<char>('0' + cents / 10);
        buffer[size++] = static_cast<char>('0' + cents % 10);
    }
    return size;
}

} // namespace vk7
