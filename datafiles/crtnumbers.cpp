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
    // to_chars renders the exact binary value correctly rounded, as glibc's
    // printf does, and never uses the process locale's decimal comma.
    char buffer[400];
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
    if (result.ec != std::errc())
        return QByteArray("0");
    return QByteArray(buffer, result.ptr - buffer);
}

} // namespace vk7
