#include "plaintext.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>

#include <QByteArray>

namespace vk7 {

namespace {

template <typename Char> bool IsCBlank(Char c)
{
    return c == ' ' || (c >= '\t' && c <= '\r');
}

template <typename Char> bool IsDigit(Char c)
{
    return c >= '0' && c <= '9';
}

template <typename Char> qint64 ReadInteger(const Char *text, qsizetype size)
{
    qsizetype i = 0;
    while (i < size && IsCBlank(text[i]))
        ++i;
    bool negative = false;
    if (i < size && (text[i] == '+' || text[i] == '-'))
        negative = text[i++] == '-';
    constexpr qint64 limit = std::numeric_limits<qint64>::max();
    qint64 value = 0;
    bool saturated = false;
    for (; i < size && IsDigit(text[i]); ++i) {
        const int digit = int(text[i] - '0');
        // Only a value near the bounds needs the exact check.
        if (value < limit / 10 - 1)
            value = value * 10 + digit;
        else if (saturated || value > (limit - digit) / 10)
            saturated = true;
        else
            value = value * 10 + digit;
    }
    if (saturated)
        return negative ? std::numeric_limits<qint64>::min() : limit;
    return negative ? -value : value;
}

int HeldInInt(qint64 value)
{
    return int(std::clamp<qint64>(value, std::numeric_limits<int>::min(),
                                  std::numeric_limits<int>::max()));
}

} // namespace

qint64 ReadDecimalInteger(QStringView text)
{
    return ReadInteger(text.utf16(), text.size());
}

qint64 ReadDecimalInteger(QByteArrayView text)
{
    return ReadInteger(text.data(), text.size());
}

int CAtoi(QStringView text)
{
    return HeldInInt(ReadDecimalInteger(text));
}

int CAtoi(QByteArrayView text)
{
    return HeldInInt(ReadDecimalInteger(text));
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

QStringView TrimBlanks(QStringView text)
{
    qsizetype end = text.size();
    while (end > 0 && text.at(end - 1) == u' ')
        --end;
    qsizetype start = 0;
    while (start < end && text.at(start) == u' ')
        ++start;
    return text.sliced(start, end - start);
}

} // namespace vk7
