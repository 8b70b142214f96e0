// The blur in 256-bit packed words, eight cells at a time; this file alone is
// built with -mavx2 and runs only where the processor check allows it.
#include <immintrin.h>

#include "engine/Blur.h"
#include "engine/BlurRows.h"

namespace {

// The layout and the arithmetic are those of the 128-bit path: blue and red
// of a cell in the "even" words, green and the top byte in the "odd" ones,
// one cell per 32-bit element, and a group of four cells per 128-bit lane,
// whose new values come from running sums of 4^i-weighted cell sums:
//   new_i = (4^i s_i + ... + 4 s_1 + s_0 + L) >> 2(i + 1),
// L being the new value left of the group (at most 65280 per 16-bit lane).
// A register holds two such groups; the left value crosses from the low
// lane to the high one in 128-bit registers, two adds and two shifts.
struct Group8 {
    __m256i even;
    __m256i odd;
};

// Byte weights for the multiply-add that widens and weights in one step:
// cell i of a lane takes 4^i on blue and red (even) or green and the top
// byte (odd), 0 on the other two bytes.
inline __m256i EvenWeights() {
    return _mm256_setr_epi32(0x00010001, 0x00040004, 0x00100010, 0x00400040, 0x00010001,
                             0x00040004, 0x00100010, 0x00400040);
}
inline __m256i OddWeights() {
    return _mm256_setr_epi32(0x01000100, 0x04000400, 0x10001000, 0x40004000, 0x01000100,
                             0x04000400, 0x10001000, 0x40004000);
}

// (run_i + L) >> 2(i + 1): the high half of a multiply by 2^(16 - k).
inline __m256i Scale() {
    return _mm256_setr_epi16(1 << 14, 1 << 14, 1 << 12, 1 << 12, 1 << 10, 1 << 10, 1 << 8, 1 << 8,
                             1 << 14, 1 << 14, 1 << 12, 1 << 12, 1 << 10, 1 << 10, 1 << 8, 1 << 8);
}

inline __m256i RunningSums(__m256i old, __m256i right, __m256i under, __m256i weights) {
    __m256i run = _mm256_add_epi16(
        _mm256_add_epi16(_mm256_maddubs_epi16(old, weights), _mm256_maddubs_epi16(right, weights)),
        _mm256_maddubs_epi16(under, weights));
    // Byte shifts stay inside each 128-bit lane: exactly one group each.
    run = _mm256_add_epi16(run, _mm256_slli_si256(run, 4));
    return _mm256_add_epi16(run, _mm256_slli_si256(run, 8));
}

// Adds the left values to both groups and carries the last cell on: left
// comes in for the low group, the low group's last cell is the high group's
// left, and the high group's last cell is returned for the next register.
inline __m256i FinishWithLeft(__m256i run, __m128i* left) {
    const __m256i last = _mm256_shuffle_epi32(run, 0xFF);
    const __m128i middle =
        _mm_srli_epi16(_mm_add_epi16(_mm256_castsi256_si128(last), *left), 8);
    const __m256i lefts = _mm256_inserti128_si256(_mm256_castsi128_si256(*left), middle, 1);
    *left = _mm_srli_epi16(_mm_add_epi16(_mm256_extracti128_si256(last, 1), middle), 8);
    return _mm256_mulhi_epu16(_mm256_add_epi16(run, lefts), Scale());
}

inline Group8 BlurGroup8(uint32_t* row, const uint32_t* below, __m128i* leftEven,
                         __m128i* leftOdd) {
    const __m256i old = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(row));
    const __m256i right = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(row + 1));
    const __m256i under = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(below));
    Group8 group;
    group.even = FinishWithLeft(RunningSums(old, right, under, EvenWeights()), leftEven);
    group.odd = FinishWithLeft(RunningSums(old, right, under, OddWeights()), leftOdd);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(row),
                        _mm256_or_si256(group.even, _mm256_slli_epi16(group.odd, 8)));
    return group;
}

// Eight pixels as 32-bit values less 32768, so the signed pack keeps them.
inline __m256i PixelsLess32768(const Group8& group) {
    const __m256i redBlue =
        _mm256_madd_epi16(_mm256_srli_epi16(group.even, 3), _mm256_set1_epi32((2048 << 16) | 1));
    const __m256i green =
        _mm256_slli_epi32(_mm256_and_si256(group.odd, _mm256_set1_epi32(0xFC)), 3);
    return _mm256_sub_epi32(_mm256_add_epi32(redBlue, green), _mm256_set1_epi32(0x8000));
}

// The same for one group of four cells in 128-bit registers, for the end of
// a span too short for a whole register.
inline __m128i BlurGroup4(uint32_t* row, const uint32_t* below, __m128i* leftEven,
                          __m128i* leftOdd) {
    const __m128i scale = _mm256_castsi256_si128(Scale());
    const __m128i evenWeights = _mm256_castsi256_si128(EvenWeights());
    const __m128i oddWeights = _mm256_castsi256_si128(OddWeights());
    const __m128i old = _mm_loadu_si128(reinterpret_cast<const __m128i*>(row));
    const __m128i right = _mm_loadu_si128(reinterpret_cast<const __m128i*>(row + 1));
    const __m128i under = _mm_loadu_si128(reinterpret_cast<const __m128i*>(below));
    __m128i runEven = _mm_add_epi16(
        _mm_add_epi16(_mm_maddubs_epi16(old, evenWeights), _mm_maddubs_epi16(right, evenWeights)),
        _mm_maddubs_epi16(under, evenWeights));
    __m128i runOdd = _mm_add_epi16(
        _mm_add_epi16(_mm_maddubs_epi16(old, oddWeights), _mm_maddubs_epi16(right, oddWeights)),
        _mm_maddubs_epi16(under, oddWeights));
    runEven = _mm_add_epi16(runEven, _mm_slli_si128(runEven, 4));
    runEven = _mm_add_epi16(runEven, _mm_slli_si128(runEven, 8));
    runOdd = _mm_add_epi16(runOdd, _mm_slli_si128(runOdd, 4));
    runOdd = _mm_add_epi16(runOdd, _mm_slli_si128(runOdd, 8));
    const __m128i even = _mm_mulhi_epu16(_mm_add_epi16(runEven, *leftEven), scale);
    const __m128i odd = _mm_mulhi_epu16(_mm_add_epi16(runOdd, *leftOdd), scale);
    *leftEven = _mm_srli_epi16(_mm_add_epi16(_mm_shuffle_epi32(runEven, 0xFF), *leftEven), 8);
    *leftOdd = _mm_srli_epi16(_mm_add_epi16(_mm_shuffle_epi32(runOdd, 0xFF), *leftOdd), 8);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(row), _mm_or_si128(even, _mm_slli_epi16(odd, 8)));
    const __m128i redBlue =
        _mm_madd_epi16(_mm_srli_epi16(even, 3), _mm_set1_epi32((2048 << 16) | 1));
    const __m128i green = _mm_slli_epi32(_mm_and_si128(odd, _mm_set1_epi32(0xFC)), 3);
    return _mm_sub_epi32(_mm_add_epi32(redBlue, green), _mm_set1_epi32(0x8000));
}

uint32_t Avx2Span(uint32_t* row, const uint32_t* below, uint16_t* out, int x, int end,
                  uint32_t left) {
    if (end - x >= 4) {
        const __m128i signFlip = _mm_set1_epi16(-0x8000);
        __m128i leftEven = _mm_set1_epi32(static_cast<int>(left & 0x00FF00FFu));
        __m128i leftOdd = _mm_set1_epi32(static_cast<int>((left >> 8) & 0x00FF00FFu));
        for (; x + 16 <= end; x += 16) {
            const Group8 first = BlurGroup8(row + x, below + x, &leftEven, &leftOdd);
            const Group8 second = BlurGroup8(row + x + 8, below + x + 8, &leftEven, &leftOdd);
            // The pack interleaves the two registers by 128-bit lane; the
            // permute puts the sixteen pixels back in order.
            const __m256i packed =
                _mm256_packs_epi32(PixelsLess32768(first), PixelsLess32768(second));
            const __m256i pixels = _mm256_xor_si256(_mm256_permute4x64_epi64(packed, 0xD8),
                                                    _mm256_set1_epi16(-0x8000));
            _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + x), pixels);
        }
        if (x + 8 <= end) {
            const __m256i pixels =
                PixelsLess32768(BlurGroup8(row + x, below + x, &leftEven, &leftOdd));
            const __m128i packed = _mm_packs_epi32(_mm256_castsi256_si128(pixels),
                                                   _mm256_extracti128_si256(pixels, 1));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(out + x), _mm_xor_si128(packed, signFlip));
            x += 8;
        }
        if (x + 4 <= end) {
            const __m128i pixels = BlurGroup4(row + x, below + x, &leftEven, &leftOdd);
            _mm_storel_epi64(reinterpret_cast<__m128i*>(out + x),
                             _mm_xor_si128(_mm_packs_epi32(pixels, pixels), signFlip));
            x += 4;
        }
        left = static_cast<uint32_t>(_mm_cvtsi128_si32(leftEven)) |
               (static_cast<uint32_t>(_mm_cvtsi128_si32(leftOdd)) << 8);
    }
    for (; x < end; ++x) left = BlurSingleCell(row, below, out, x, left, false);
    return left;
}

}  // namespace

void BlurHeatFieldAvx2(uint16_t* pixels, int pitchInPixels, int twinkleInterval) {
    BlurRows(pixels, pitchInPixels, twinkleInterval, Avx2Span);
    // Leave the upper register halves clean for SSE code that follows.
    _mm256_zeroupper();
}
