#include "crtnumbers.h"

#include <charconv>

namespace vk7 {

QByteArray FormatFixed(double value, int decimals)
{
    char buffer[kFixedBufferSize];
    return QByteArray(buffer, FormatFixed(value, decimals, buffer));
}

int FormatFixed(double value, int decimals, char *buffer)
{
    // to_chars renders the exact binary value correctly rounded, as glibc's
    // printf does, and never uses the process locale's decimal comma.
    const auto result =
        std::to_chars(buffer, buffer + kFixedBufferSize, value, std::chars_format::fixed, decimals);
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
    // Written in place: digits staged in a buffer of their own and copied
    // over cost more than the whole conversion.
    int size = static_cast<int>(std::to_chars(buffer, buffer + 24, units).ptr - buffer);
    if (decimals == 2) {
        buffer[size++] = '.';
        buffer[size++] = static_cast<char>('0' + cents / 10);
        buffer[size++] = static_cast<char>('0' + cents % 10);
    }
    return size;
}

} // namespace vk7
