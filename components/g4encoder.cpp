#include "g4encoder.h"

#include <array>
#include <bit>
#include <cstring>
#include <vector>

#include <QtEndian>

namespace vk7 {

namespace {

struct Code
{
    uint32_t bits = 0;
    int length = 0;
};

Code FromText(const char *text)
{
    Code code;
    for (const char *p = text; *p; ++p) {
        code.bits = (code.bits << 1) | uint32_t(*p == '1');
        ++code.length;
    }
    return code;
}

// Terminating codes for runs 0-63, white then black.
const char *const WhiteTerminating[64] = {
    "00110101", "000111",   "0111",     "1000",     "1011",     "1100",     "1110",     "1111",
    "10011",    "10100",    "00111",    "01000",    "001000",   "000011",   "110100",   "110101",
    "101010",   "101011",   "0100111",  "0001100",  "0001000",  "0010111",  "0000011",  "0000100",
    "0101000",  "0101011",  "0010011",  "0100100",  "0011000",  "00000010", "00000011", "00011010",
    "00011011", "00010010", "00010011", "00010100", "00010101", "00010110", "00010111", "00101000",
    "00101001", "00101010", "00101011", "00101100", "00101101", "00000100", "00000101", "00001010",
    "00001011", "01010010", "01010011", "01010100", "01010101", "00100100", "00100101", "01011000",
    "01011001", "01011010", "01011011", "01001010", "01001011", "00110010", "00110011", "00110100"};

const char *const BlackTerminating[64] = {
    "0000110111",   "010",          "11",           "10",           "011",          "0011",
    "0010",         "00011",        "000101",       "000100",       "0000100",      "0000101",
    "0000111",      "00000100",     "00000111",     "000011000",    "0000010111",   "0000011000",
    "0000001000",   "00001100111",  "00001101000",  "00001101100",  "00000110111",  "00000101000",
    "00000010111",  "00000011000",  "000011001010", "000011001011", "000011001100", "000011001101",
    "000001101000", "000001101001", "000001101010", "000001101011", "000011010010", "000011010011",
    "000011010100", "000011010101", "000011010110", "000011010111", "000001101100", "000001101101",
    "000011011010", "000011011011", "000001010100", "000001010101", "000001010110", "000001010111",
    "000001100100", "000001100101", "000001010010", "000001010011", "000000100100", "000000110111",
    "000000111000", "000000100111", "000000101000", "000001011000", "000001011001", "000000101011",
    "000000101100", "000001011010", "000001100110", "000001100111"};

// Make-up codes for 64, 128, ... 1728.
const char *const WhiteMakeUp[27] = {
    "11011",     "10010",     "010111",    "0110111",   "00110110",  "00110111",  "01100100",
    "01100101",  "01101000",  "01100111",  "011001100", "011001101", "011010010", "011010011",
    "011010100", "011010101", "011010110", "011010111", "011011000", "011011001", "011011010",
    "011011011", "010011000", "010011001", "010011010", "011000",    "010011011"};

const char *const BlackMakeUp[27] = {
    "0000001111",    "000011001000",  "000011001001",  "000001011011",  "000000110011",
    "000000110100",  "000000110101",  "0000001101100", "0000001101101", "0000001001010",
    "0000001001011", "0000001001100", "0000001001101", "0000001110010", "0000001110011",
    "0000001110100", "0000001110101", "0000001110110", "0000001110111", "0000001010010",
    "0000001010011", "0000001010100", "0000001010101", "0000001011010", "0000001011011",
    "0000001100100", "0000001100101"};

// Make-up codes shared by both colours for 1792, 1856, ... 2560.
const char *const ExtendedMakeUp[13] = {
    "00000001000",  "00000001100",  "00000001101",  "000000010010", "000000010011",
    "000000010100", "000000010101", "000000010110", "000000010111", "000000011100",
    "000000011101", "000000011110", "000000011111"};

struct Tables
{
    std::array<Code, 64> terminating[2];
    std::array<Code, 27> makeUp[2];
    std::array<Code, 13> extended;
    Code pass, horizontal;
    std::array<Code, 7> vertical; // a1 - b1 from -3 to 3
    Code endOfLine;
};

const Tables &CodeTables()
{
    static const Tables tables = [] {
        Tables t;
        for (int i = 0; i < 64; ++i) {
            t.terminating[0][i] = FromText(WhiteTerminating[i]);
            t.terminating[1][i] = FromText(BlackTerminating[i]);
        }
        for (int i = 0; i < 27; ++i) {
            t.makeUp[0][i] = FromText(WhiteMakeUp[i]);
            t.makeUp[1][i] = FromText(BlackMakeUp[i]);
        }
        for (int i = 0; i < 13; ++i)
            t.extended[i] = FromText(ExtendedMakeUp[i]);
        t.pass = FromText("0001");
        t.horizontal = FromText("001");
        const char *vertical[7] = {"0000010", "000010", "010", "1", "011", "000011", "0000011"};
        for (int i = 0; i < 7; ++i)
            t.vertical[i] = FromText(vertical[i]);
        t.endOfLine = FromText("000000000001");
        return t;
    }();
    return tables;
}

class BitWriter
{
public:
    explicit BitWriter(std::vector<uchar> *out) : m_out(out) { Grow(); }

    void Put(Code code)
    {
        m_buffer = (m_buffer << code.length) | code.bits;
        m_count += code.length;
        if (m_count >= 32) {
            m_count -= 32;
            if (m_end - m_next < 4)
                Grow();
            const uint32_t word = uint32_t(m_buffer >> m_count);
            m_next[0] = uchar(word >> 24);
            m_next[1] = uchar(word >> 16);
            m_next[2] = uchar(word >> 8);
            m_next[3] = uchar(word);
            m_next += 4;
        }
    }

    // Pads the last byte with zeros and trims the output to what was written.
    void Flush()
    {
        if (m_end - m_next < 8)
            Grow();
        while (m_count >= 8) {
            m_count -= 8;
            *m_next++ = uchar(m_buffer >> m_count);
        }
        if (m_count > 0)
            *m_next++ = uchar(m_buffer << (8 - m_count));
        m_count = 0;
        m_buffer = 0;
        m_out->resize(size_t(m_next - m_out->data()));
    }

private:
    void Grow()
    {
        const size_t used = m_next ? size_t(m_next - m_out->data()) : 0;
        m_out->resize(std::max<size_t>(4096, m_out->size() * 2));
        m_next = m_out->data() + used;
        m_end = m_out->data() + m_out->size();
    }

    std::vector<uchar> *m_out;
    uchar *m_next = nullptr;
    uchar *m_end = nullptr;
    uint64_t m_buffer = 0; // codes are at most 13 bits: never more than 44 pending
    int m_count = 0;
};

void PutRun(BitWriter &writer, const Tables &tables, int colour, int run)
{
    while (run >= 2560) {
        writer.Put(tables.extended[12]);
        run -= 2560;
    }
    if (run >= 64) {
        const int makeUp = run / 64; // 1 to 39
        if (makeUp <= 27)
            writer.Put(tables.makeUp[colour][makeUp - 1]);
        else
            writer.Put(tables.extended[makeUp - 28]);
        run -= makeUp * 64;
    }
    writer.Put(tables.terminating[colour][run]);
}

// Positions where a row changes colour (from an imaginary white pixel before
// position 0), followed by two sentinels at `width`. Whole 64-pixel words
// are read straight from the row; only the last, partial one is copied.
// `changes` has room for width + 3 entries; returns how many were written.
int ChangingElements(const uchar *row, int width, int *changes)
{
    const int rowBytes = (width + 7) / 8;
    const int fullWords = width / 64;
    int *out = changes;
    uint64_t previous = 0; // colour of the pixel before each word, in bit 63
    auto scan = [&](uint64_t w, int base) {
        uint64_t transitions = w ^ ((w >> 1) | previous);
        previous = (w & 1) << 63;
        while (transitions) {
            const int bit = std::countl_zero(transitions);
            *out++ = base + bit;
            transitions &= ~(uint64_t(1) << (63 - bit));
        }
    };
    for (int i = 0; i < fullWords; ++i) {
        uint64_t w;
        std::memcpy(&w, row + i * 8, 8);
        w = qFromBigEndian(w);
        if (w == 0 && previous == 0)
            continue; // white after white: no change
        scan(w, i * 64);
    }
    if (width % 64 != 0) {
        uchar tail[8] = {};
        std::memcpy(tail, row + fullWords * 8, size_t(rowBytes - fullWords * 8));
        uint64_t w;
        std::memcpy(&w, tail, 8);
        w = qFromBigEndian(w) & (~uint64_t(0) << (64 - width % 64)); // padding is white
        scan(w, fullWords * 64);
    }
    // A change at `width` (black to the last pixel, white padding) is no change.
    while (out > changes && out[-1] >= width)
        --out;
    *out++ = width;
    *out++ = width;
    return int(out - changes);
}

} // namespace

QByteArray EncodeG4(const uchar *bits, int width, int height, qsizetype stride)
{
    if (!bits || width <= 0 || height <= 0 || stride < (width + 7) / 8)
        return QByteArray();
    const Tables &tables = CodeTables();
    std::vector<uchar> out;
    BitWriter writer(&out);
    // Changes of the reference row and of the row being coded, each ended by
    // two sentinels at `width`.
    std::vector<int> referenceRoom(size_t(width) + 3), codingRoom(size_t(width) + 3);
    int *reference = referenceRoom.data();
    int *coding = codingRoom.data();
    reference[0] = reference[1] = width;
    size_t referenceCount = 2;

    const int rowBytes = (width + 7) / 8;
    const int fullBytes = width / 8;
    const uchar lastMask = uchar(0xFF00 >> (width % 8));
    auto sameAsAbove = [&](int y) {
        const uchar *row = bits + qsizetype(y) * stride;
        const uchar *above = row - stride;
        return std::memcmp(row, above, size_t(fullBytes)) == 0 &&
               (fullBytes == rowBytes || ((row[fullBytes] ^ above[fullBytes]) & lastMask) == 0);
    };
    for (int y = 0; y < height; ++y) {
        if (y > 0 && sameAsAbove(y)) {
            // A row like the one above codes as V0 at each of its changes
            // and once more at the end, and stays the reference.
            for (size_t i = 0; i + 1 < referenceCount; ++i)
                writer.Put(tables.vertical[3]);
            continue;
        }
        const size_t codingCount =
            size_t(ChangingElements(bits + qsizetype(y) * stride, width, coding));
        int a0 = -1;
        int colour = 0;     // 0 white, 1 black: the colour at a0
        size_t a1Index = 0; // first coding change > a0
        size_t bIndex = 0;  // first reference change > a0
        while (a0 < width) {
            while (coding[a1Index] <= a0 && coding[a1Index] < width)
                ++a1Index;
            while (reference[bIndex] <= a0 && reference[bIndex] < width)
                ++bIndex;
            // b1 turns to the colour opposite a0's: changes at even indices
            // turn to black, at odd ones to white.
            size_t b1Index = bIndex;
            if (int(b1Index % 2) != colour && reference[b1Index] < width)
                ++b1Index;
            const int a1 = coding[a1Index];
            const int b1 = reference[b1Index];
            const int b2 = reference[b1Index + 1 < referenceCount ? b1Index + 1 : b1Index];
            if (b2 < a1) {
                writer.Put(tables.pass);
                a0 = b2;
            } else if (a1 - b1 >= -3 && a1 - b1 <= 3) {
                writer.Put(tables.vertical[size_t(a1 - b1 + 3)]);
                a0 = a1;
                colour ^= 1;
            } else {
                const int a2 = coding[a1Index + 1 < codingCount ? a1Index + 1 : a1Index];
                writer.Put(tables.horizontal);
                PutRun(writer, tables, colour, a1 - std::max(a0, 0));
                PutRun(writer, tables, colour ^ 1, a2 - a1);
                a0 = a2;
            }
        }
        std::swap(reference, coding);
        referenceCount = codingCount;
    }
    writer.Put(tables.endOfLine);
    writer.Put(tables.endOfLine);
    writer.Flush();
    return QByteArray(reinterpret_cast<const char *>(out.data()), qsizetype(out.size()));
}

} // namespace vk7
