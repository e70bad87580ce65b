#include "blankruns.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace vk7 {

namespace {

// What each byte is to the count.
enum ByteClass : unsigned char { kOther = 0, kBlank = 1, kLineBreak = 2 };

struct ByteClasses
{
    unsigned char of[256] = {};
    constexpr ByteClasses()
    {
        of[static_cast<unsigned char>(' ')] = kBlank;
        of[static_cast<unsigned char>('\r')] = kLineBreak;
        of[static_cast<unsigned char>('\n')] = kLineBreak;
    }
};

constexpr ByteClasses kClasses;

} // namespace

void BlankRunTally::Add(char byte)
{
    const unsigned char kind = kClasses.of[static_cast<unsigned char>(byte)];
    const bool blank = kind == kBlank;
    others_ += kind == kOther;
    runs_ += blank && !lastBlank_;
    lastBlank_ = blank;
}

void BlankRunTally::Add(QByteArrayView bytes)
{
    const auto *data = reinterpret_cast<const unsigned char *>(bytes.data());
    const qsizetype size = bytes.size();
    if (size == 0)
        return;
    // The first byte against the one the last call ended with; every later
    // one against the byte before it, in the same view.
    Add(static_cast<char>(data[0]));
    qsizetype i = 1;
#if defined(__SSE2__)
    // Sixteen bytes a step: blanks and line breaks counted together, run
    // starts apart, in byte-wide counters summed before they can overflow.
    const __m128i blank = _mm_set1_epi8(' ');
    const __m128i carriageReturn = _mm_set1_epi8('\r');
    const __m128i lineFeed = _mm_set1_epi8('\n');
    const __m128i zero = _mm_setzero_si128();
    while (size - i >= 16) {
        __m128i skipped = zero;
        __m128i starts = zero;
        qsizetype counted = 0;
        for (int step = 0; step < 255 && size - i >= 16; ++step, i += 16) {
            const __m128i here = _mm_loadu_si128(reinterpret_cast<const __m128i *>(data + i));
            const __m128i before = _mm_loadu_si128(reinterpret_cast<const __m128i *>(data + i - 1));
            const __m128i isBlank = _mm_cmpeq_epi8(here, blank);
            const __m128i wasBlank = _mm_cmpeq_epi8(before, blank);
            const __m128i isBreak =
                _mm_or_si128(_mm_cmpeq_epi8(here, carriageReturn), _mm_cmpeq_epi8(here, lineFeed));
            // A true lane is -1: subtracting it counts one.
            skipped = _mm_sub_epi8(skipped, _mm_or_si128(isBlank, isBreak));
            starts = _mm_sub_epi8(starts, _mm_andnot_si128(wasBlank, isBlank));
            counted += 16;
        }
        const __m128i skippedSums = _mm_sad_epu8(skipped, zero);
        const __m128i startSums = _mm_sad_epu8(starts, zero);
        const long long skippedCount = _mm_cvtsi128_si64(skippedSums) +
                                       _mm_cvtsi128_si64(_mm_unpackhi_epi64(skippedSums, zero));
        others_ += counted - skippedCount;
        runs_ +=
            _mm_cvtsi128_si64(startSums) + _mm_cvtsi128_si64(_mm_unpackhi_epi64(startSums, zero));
    }
    lastBlank_ = data[i - 1] == ' ';
#endif
    for (; i < size; ++i)
        Add(static_cast<char>(data[i]));
}

void BlankRunTally::Add(QStringView text)
{
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        Add(u < 0x80 ? static_cast<char>(u) : 'x');
    }
}

bool BlankRunTally::LooksLikeProse() const
{
    const long long characters = others_ + runs_;
    return characters <= 3 || 100 * runs_ / characters >= 7;
}

} // namespace vk7
