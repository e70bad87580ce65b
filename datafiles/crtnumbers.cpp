#include "crtnumbers.h"

#include <charconv>

namespace vk7 {

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
