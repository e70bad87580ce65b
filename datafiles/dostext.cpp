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

// Code page 850, bytes 128 to 255; the lower half is ASCII.
constexpr char16_t kCodePage850High[128] = {
    0x00C7, 0x00FC, 0x00E9, 0x00E2, 0x00E4, 0x00E0, 0x00E5, 0x00E7, // 128-135
    0x00EA, 0x00EB, 0x00E8, 0x00EF, 0x00EE, 0x00EC, 0x00C4, 0x00C5, // 136-143
    0x00C9, 0x00E6, 0x00C6, 0x00F4, 0x00F6, 0x00F2, 0x00FB, 0x00F9, // 144-151
    0x00FF, 0x00D6, 0x00DC, 0x00F8, 0x00A3, 0x00D8, 0x00D7, 0x0192, // 152-159
    0x00E1, 0x00ED, 0x00F3, 0x00FA, 0x00F1, 0x00D1, 0x00AA, 0x00BA, // 160-167
    0x00BF, 0x00AE, 0x00AC, 0x00BD, 0x00BC, 0x00A1, 0x00AB, 0x00BB, // 168-175
    0x2591, 0x2592, 0x2593, 0x2502, 0x2524, 0x00C1, 0x00C2, 0x00C0, // 176-183
    0x00A9, 0x2563, 0x2551, 0x2557, 0x255D, 0x00A2, 0x00A5, 0x2510, // 184-191
    0x2514, 0x2534, 0x252C, 0x251C, 0x2500, 0x253C, 0x00E3, 0x00C3, // 192-199
    0x255A, 0x2554, 0x2569, 0x2566, 0x2560, 0x2550, 0x256C, 0x00A4, // 200-207
    0x00F0, 0x00D0, 0x00CA, 0x00CB, 0x00C8, 0x0131, 0x00CD, 0x00CE, // 208-215
    0x00CF, 0x2518, 0x250C, 0x2588, 0x2584, 0x00A6, 0x00CC, 0x2580, // 216-223
    0x00D3, 0x00DF, 0x00D4, 0x00D2, 0x00F5, 0x00D5, 0x00B5, 0x00FE, // 224-231
    0x00DE, 0x00DA, 0x00DB, 0x00D9, 0x00FD, 0x00DD, 0x00AF, 0x00B4, // 232-239
    0x00AD, 0x00B1, 0x2017, 0x00BE, 0x00B6, 0x00A7, 0x00F7, 0x00B8, // 240-247
    0x00B0, 0x00A8, 0x00B7, 0x00B9, 0x00B3, 0x00B2, 0x25A0, 0x00A0, // 248-255
};

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

QString DecodeCodePage850(QByteArrayView bytes)
{
    QString text(bytes.size(), Qt::Uninitialized);
    QChar *out = text.data();
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        *out++ = QChar(b < 0x80 ? char16_t(b) : kCodePage850High[b - 0x80]);
    }
    return text;
}

QString DecodeTextPage(QByteArrayView page)
{
    return IsDosText(page) ? DecodeCodePage850(page) : DecodeWindows1252(page);
}

} // namespace vk7
