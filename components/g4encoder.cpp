#include "g4encoder.h"

#include <algorithm>
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
const char *const kWhiteTerminating[64] = {
    "00110101", "000111",   "0111",     "1000",     "1011",     "1100",     "1110",     "1111",
    "10011",    "10100",    "00111",    "01000",    "001000",   "000011",   "110100",   "110101",
    "101010",   "101011",   "0100111",  "0001100",  "0001000",  "0010111",  "0000011",  "0000100",
    "0101000",  "0101011",  "0010011",  "0100100",  "0011000",  "00000010", "00000011", "00011010",
    "00011011", "00010010", "00010011", "00010100", "00010101", "00010110", "00010111", "00101000",
    "00101001", "00101010", "00101011", "00101100", "00101101", "00000100", "00000101", "00001010",
    "00001011", "01010010", "01010011", "01010100", "01010101", "00100100", "00100101", "01011000",
    "01011001", "01011010", "01011011", "01001010", "01001011", "00110010", "00110011", "00110100"};

const char *const kBlackTerminating[64] = {
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
const char *const kWhiteMakeUp[27] = {
    "11011",     "10010",     "010111",    "0110111",   "00110110",  "00110111",  "01100100",
    "01100101",  "01101000",  "01100111",  "011001100", "011001101", "011010010", "011010011",
    "011010100", "011010101", "011010110", "011010111", "011011000", "011011001", "011011010",
    "011011011", "010011000", "010011001", "010011010", "011000",    "010011011"};

const char *const kBlackMakeUp[27] = {
    "0000001111",    "000011001000",  "000011001001",  "000001011011",  "000000110011",
    "000000110100",  "000000110101",  "0000001101100", "0000001101101", "0000001001010",
    "0000001001011", "0000001001100", "0000001001101", "0000001110010", "0000001110011",
    "0000001110100", "0000001110101", "0000001110110", "0000001110111", "0000001010010",
    "0000001010011", "0000001010100", "0000001010101", "0000001011010", "0000001011011",
    "0000001100100", "0000001100101"};

// Make-up codes shared by both colours for 1792, 1856, ... 2560.
const char *const kExtendedMakeUp[13] = {
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
            t.terminating[0][i] = FromText(kWhiteTerminating[i]);
            t.terminating[1][i] = FromText(kBlackTerminating[i]);
        }
        for (int i = 0; i < 27; ++i) {
            t.makeUp[0][i] = FromText(kWhiteMakeUp[i]);
            t.makeUp[1][i] = FromText(kBlackMakeUp[i]);
        }
        for (int i = 0; i < 13; ++i)
            t.extended[i] = FromText(kExtendedMakeUp[i]);
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

// Packs codes most significant bit first and stores them 32 bits at a time.
// The caller makes room (Reserve) before each row's codes, so that a code
// costs no bounds check.
class BitWriter
{
public:
    explicit BitWriter(QByteArray *out) : out_(out) {}

    void Reserve(qsizetype bytes)
    {
        if (end_ - next_ >= bytes)
            return;
        const qsizetype used = next_ - base_;
        out_->resize(std::max({qsizetype(4096), used + bytes, out_->size() * 2}));
        base_ = reinterpret_cast<uchar *>(out_->data());
        next_ = base_ + used;
        end_ = base_ + out_->size();
    }

    // The next 32 bits are stored whether or not they are complete, and
    // kept only when they are: no branch to mispredict on every code.
    void Put(Code code)
    {
        buffer_ = (buffer_ << code.length) | code.bits;
        count_ += code.length; // below 64
        const uint32_t word = qToBigEndian(uint32_t(buffer_ >> (count_ & 31)));
        std::memcpy(next_, &word, sizeof word);
        next_ += 4 * (count_ >> 5);
        count_ &= 31;
    }

    // `count` one bits: as many V0 codes.
    void PutOnes(qsizetype count)
    {
        for (; count >= 32; count -= 32)
            Put({0xFFFFFFFFu, 32});
        if (count > 0)
            Put({(uint32_t(1) << count) - 1, int(count)});
    }

    // Pads the last byte with zeros and trims the output to what was written.
    void Flush()
    {
        Reserve(8);
        while (count_ >= 8) {
            count_ -= 8;
            *next_++ = uchar(buffer_ >> count_);
        }
        if (count_ > 0)
            *next_++ = uchar(buffer_ << (8 - count_));
        count_ = 0;
        buffer_ = 0;
        out_->resize(next_ - base_);
    }

private:
    QByteArray *out_;
    uchar *base_ = nullptr;
    uchar *next_ = nullptr;
    uchar *end_ = nullptr;
    uint64_t buffer_ = 0; // at most 31 bits pending before a code of at most 32
    int count_ = 0;
};

// Inlined so that the writer's state stays in registers in the coding loop.
Q_ALWAYS_INLINE void PutRun(BitWriter &writer, const Tables &tables, int colour, int run)
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
// position 0), followed by four sentinels at `width`. Whole 64-pixel words
// are read straight from the row; only the last, partial one is copied.
// `changes` has room for width + 4 entries; returns the number of changes.
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
            transitions ^= (uint64_t(1) << 63) >> bit;
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
    const int count = int(out - changes);
    out[0] = out[1] = out[2] = out[3] = width;
    return count;
}

} // namespace

QByteArray EncodeG4(const uchar *bits, int width, int height, qsizetype stride)
{
    if (!bits || width <= 0 || height <= 0 || stride < (width + 7) / 8)
        return QByteArray();
    const Tables &tables = CodeTables();
    QByteArray out;
    BitWriter writer(&out);
    // Room for one row's codes: a horizontal step (at most 53 bits, besides
    // a 12-bit code for each 2560 pixels of run) takes two of the row's
    // changes, a vertical one (7 bits) one, a pass (4 bits) two of the
    // reference's, so a row never needs more than 4 bytes a pixel.
    const qsizetype rowRoom = qsizetype(width + 2) * 8 + 64;
    // Changes of the reference row and of the row being coded, each after a
    // -1 (before any a0) and ended by four sentinels at `width`, so that b1
    // can step back one and then forward two at a time without a check.
    std::vector<int> referenceRoom(size_t(width) + 5, -1), codingRoom(size_t(width) + 5, -1);
    int *reference = referenceRoom.data() + 1;
    int *coding = codingRoom.data() + 1;
    std::fill_n(reference, 4, width);
    int referenceChanges = 0;

    const int rowBytes = (width + 7) / 8;
    const int fullBytes = width / 8;
    const uchar lastMask = uchar(0xFF00 >> (width % 8));
    auto sameAsAbove = [&](const uchar *row) {
        const uchar *above = row - stride;
        return std::memcmp(row, above, size_t(fullBytes)) == 0 &&
               (fullBytes == rowBytes || ((row[fullBytes] ^ above[fullBytes]) & lastMask) == 0);
    };
    for (int y = 0; y < height; ++y) {
        writer.Reserve(rowRoom);
        const uchar *row = bits + qsizetype(y) * stride;
        if (y > 0 && sameAsAbove(row)) {
            // A row like the one above codes as V0 at each of its changes
            // and once more at the end, and stays the reference.
            writer.PutOnes(referenceChanges + 1);
            continue;
        }
        const int codingChanges = ChangingElements(row, width, coding);
        // a1 is the first change of the row after a0, b1 the first change of
        // the reference after a0 that turns to the colour opposite a0's:
        // changes at even indices turn to black, at odd ones to white, so
        // b1 keeps the parity of a0's colour and moves two at a time.
        int a0 = -1;
        int colour = 0; // 0 white, 1 black: the colour at a0
        const int *a1 = coding;
        const int *b1 = reference;
        for (;;) {
            // Changes where the row repeats the reference are V0 codes, one
            // bit each: the commonest case on text, taken in one sweep.
            if (*a1 == *b1 && *a1 < width) {
                const int *start = a1;
                do {
                    ++a1;
                    ++b1;
                } while (*a1 == *b1 && *a1 < width);
                writer.PutOnes(a1 - start);
                a0 = a1[-1];
                colour ^= int((a1 - start) & 1);
                // As after any V0: b1 is the change after the last one
                // matched, of the parity of the colour at a0.
            }
            const int b2 = b1[1];
            if (b2 < *a1) {
                writer.Put(tables.pass);
                a0 = b2;
                b1 += 2;
                continue;
            }
            const int offset = *a1 - *b1;
            if (offset >= -3 && offset <= 3) {
                writer.Put(tables.vertical[size_t(offset + 3)]);
                a0 = *a1;
                if (a0 >= width)
                    break;
                colour ^= 1;
                ++a1;
                // The colour changed: the candidates have the other parity,
                // and the one just before b1 may lie beyond the new a0.
                --b1;
                while (*b1 <= a0)
                    b1 += 2;
                continue;
            }
            const int a2 = a1[1];
            writer.Put(tables.horizontal);
            PutRun(writer, tables, colour, *a1 - std::max(a0, 0));
            PutRun(writer, tables, colour ^ 1, a2 - *a1);
            a0 = a2;
            if (a0 >= width)
                break;
            a1 += 2;
            while (*b1 <= a0)
                b1 += 2;
        }
        std::swap(reference, coding);
        referenceChanges = codingChanges;
    }
    writer.Reserve(8);
    writer.Put(tables.endOfLine);
    writer.Put(tables.endOfLine);
    writer.Flush();
    return out;
}

} // namespace vk7
