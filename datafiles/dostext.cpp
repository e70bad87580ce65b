#include "dostext.h"

#include "reception/codepages.h"

namespace vk7 {

namespace {

// Bytes counted by the detection, as decimal byte values.
constexpr unsigned char kDosLetters[] = {128, 129, 130, 132, 133, 135, 137, 138, 139, 141,
                                         142, 144, 148, 149, 151, 153, 154, 160, 161, 162,
                                         163, 164, 165, 181, 212, 216, 222, 227};
constexpr unsigned char kWindowsLetters[] = {192, 193, 196, 199, 200, 201, 203, 204, 205, 207,
                                             209, 210, 217, 218, 220, 225, 228, 231, 232, 236,
                                             237, 239, 241, 242, 243, 246, 249, 252};

struct ByteClasses
{
    signed char weight[256] = {};
    constexpr ByteClasses()
    {
        for (unsigned char b : kDosLetters)
            weight[b] = 1;
        for (unsigned char b : kWindowsLetters)
            weight[b] = -1;
    }
};

constexpr ByteClasses kClasses;

} // namespace

bool IsDosText(QByteArrayView page)
{
    long long balance = 0;
    for (const char c : page)
        balance += kClasses.weight[static_cast<unsigned char>(c)];
    return balance > 0;
}

QString DecodeTextPage(QByteArrayView page)
{
    return IsDosText(page) ? DecodeCodePage850(page) : DecodeWindows1252(page);
}

} // namespace vk7
