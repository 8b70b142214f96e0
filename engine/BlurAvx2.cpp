// The blur in 256-bit packed words, two rows at a time; this file alone is
// built with -mavx2 and runs only where the processor check allows it.
#include <immintrin.h>

#include "engine/Blur.h"
#include "engine/BlurRows.h"

namespace {

// The arithmetic is that of the 128-bit path: blue and red of a cell in the
// "even" words, green and the top byte in the "odd" ones, one cell per 32-bit
// element, four cells to a 128-bit lane, and the new values from running
// sums of 4^i-weighted cell sums,
//   new_i = (4^i s_i + ... + 4 s_1 + s_0 + L) >> 2(i + 1),
// L being the new value left of the group (at most 65280 per 16-bit lane).
// Here the low lane holds four cells of one row and the high lane the same
// four cells of the row under it: the rows' left values never have to cross
// lanes, and the two chains run side by side.

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

// The pixels of eight cells as 32-bit values: (blue >> 3) + (red >> 3) * 2048
// from one multiply-add of the even words, (green >> 2) * 32 from the odd.
inline __m256i Pixels(__m256i even, __m256i odd) {
    const __m256i redBlue =
        _mm256_madd_epi16(_mm256_srli_epi16(even, 3), _mm256_set1_epi32((2048 << 16) | 1));
    const __m256i green = _mm256_madd_epi16(_mm256_srli_epi16(odd, 2), _mm256_set1_epi32(32));
    return _mm256_add_epi32(redBlue, green);
}

inline __m256i LoadTwo(const uint32_t* low, const uint32_t* high) {
    const __m128i first = _mm_loadu_si128(reinterpret_cast<const __m128i*>(low));
    const __m128i second = _mm_loadu_si128(reinterpret_cast<const __m128i*>(high));
    return _mm256_inserti128_si256(_mm256_castsi128_si256(first), second, 1);
}

// Four cells of the top row and the same four of the bottom row; returns
// their pixels. The lefts come in spread over each lane and go out as the
// new value of each lane's last cell, spread the same way.
inline __m256i BlurPairGroup(uint32_t* top, uint32_t* bottom, const uint32_t* under,
                             __m256i* leftEven, __m256i* leftOdd) {
    // Everything is read before anything is written: the top row's below is
    // the bottom row's old value.
    const __m256i old = LoadTwo(top, bottom);
    const __m256i right = LoadTwo(top + 1, bottom + 1);
    const __m256i below = LoadTwo(bottom, under);
    const __m256i even = _mm256_mulhi_epu16(
        _mm256_add_epi16(RunningSums(old, right, below, EvenWeights()), *leftEven), Scale());
    const __m256i odd = _mm256_mulhi_epu16(
        _mm256_add_epi16(RunningSums(old, right, below, OddWeights()), *leftOdd), Scale());
    // Taking the next left from the finished values puts a multiply on the
    // chain from group to group, but saves work on every group; the two rows
    // and the two halves in flight hide the wait.
    *leftEven = _mm256_shuffle_epi32(even, 0xFF);
    *leftOdd = _mm256_shuffle_epi32(odd, 0xFF);
    const __m256i cells = _mm256_or_si256(even, _mm256_slli_epi16(odd, 8));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(top), _mm256_castsi256_si128(cells));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(bottom), _mm256_extracti128_si256(cells, 1));
    return Pixels(even, odd);
}

// A left value split into its even and odd words, spread over the lane.
inline __m128i SpreadEven(uint32_t left) { return _mm_set1_epi32(static_cast<int>(left & 0x00FF00FFu)); }
inline __m128i SpreadOdd(uint32_t left) {
    return _mm_set1_epi32(static_cast<int>((left >> 8) & 0x00FF00FFu));
}
inline uint32_t Joined(__m128i even, __m128i odd) {
    return static_cast<uint32_t>(_mm_cvtsi128_si32(even)) |
           (static_cast<uint32_t>(_mm_cvtsi128_si32(odd)) << 8);
}

void Avx2PairSpan(const BlurRow& top, const BlurRow& bottom, int x, int end, uint32_t* lefts) {
    if (end - x >= 4) {
        __m256i leftEven = _mm256_inserti128_si256(_mm256_castsi128_si256(SpreadEven(lefts[0])),
                                                   SpreadEven(lefts[1]), 1);
        __m256i leftOdd = _mm256_inserti128_si256(_mm256_castsi128_si256(SpreadOdd(lefts[0])),
                                                  SpreadOdd(lefts[1]), 1);
        for (; x + 8 <= end; x += 8) {
            const __m256i first = BlurPairGroup(top.cells + x, bottom.cells + x, bottom.below + x,
                                                &leftEven, &leftOdd);
            const __m256i second = BlurPairGroup(top.cells + x + 4, bottom.cells + x + 4,
                                                 bottom.below + x + 4, &leftEven, &leftOdd);
            // The pack works lane by lane: eight pixels of the top row in the
            // low lane, the bottom row's eight in the high one.
            const __m256i pixels = _mm256_packus_epi32(first, second);
            _mm_storeu_si128(reinterpret_cast<__m128i*>(top.out + x), _mm256_castsi256_si128(pixels));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(bottom.out + x),
                             _mm256_extracti128_si256(pixels, 1));
        }
        if (x + 4 <= end) {
            const __m256i group = BlurPairGroup(top.cells + x, bottom.cells + x, bottom.below + x,
                                                &leftEven, &leftOdd);
            const __m256i pixels = _mm256_packus_epi32(group, group);
            _mm_storel_epi64(reinterpret_cast<__m128i*>(top.out + x), _mm256_castsi256_si128(pixels));
            _mm_storel_epi64(reinterpret_cast<__m128i*>(bottom.out + x),
                             _mm256_extracti128_si256(pixels, 1));
            x += 4;
        }
        lefts[0] = Joined(_mm256_castsi256_si128(leftEven), _mm256_castsi256_si128(leftOdd));
        lefts[1] = Joined(_mm256_extracti128_si256(leftEven, 1), _mm256_extracti128_si256(leftOdd, 1));
    }
    for (; x < end; ++x) {
        lefts[0] = BlurSingleCell(top.cells, top.below, top.out, x, lefts[0], false);
        lefts[1] = BlurSingleCell(bottom.cells, bottom.below, bottom.out, x, lefts[1], false);
    }
}

// An odd last row goes alone, one group of four in 128-bit registers at a
// time: it is one row in hundreds, so it need not be quick.
uint32_t Avx2Span(const BlurRow& row, int x, int end, uint32_t left) {
    if (end - x >= 4) {
        const __m128i evenWeights = _mm256_castsi256_si128(EvenWeights());
        const __m128i oddWeights = _mm256_castsi256_si128(OddWeights());
        const __m128i scale = _mm256_castsi256_si128(Scale());
        __m128i leftEven = SpreadEven(left);
        __m128i leftOdd = SpreadOdd(left);
        for (; x + 4 <= end; x += 4) {
            const __m128i old = _mm_loadu_si128(reinterpret_cast<const __m128i*>(row.cells + x));
            const __m128i right =
                _mm_loadu_si128(reinterpret_cast<const __m128i*>(row.cells + x + 1));
            const __m128i below = _mm_loadu_si128(reinterpret_cast<const __m128i*>(row.below + x));
            __m128i runEven = _mm_add_epi16(_mm_add_epi16(_mm_maddubs_epi16(old, evenWeights),
                                                          _mm_maddubs_epi16(right, evenWeights)),
                                            _mm_maddubs_epi16(below, evenWeights));
            __m128i runOdd = _mm_add_epi16(_mm_add_epi16(_mm_maddubs_epi16(old, oddWeights),
                                                         _mm_maddubs_epi16(right, oddWeights)),
                                           _mm_maddubs_epi16(below, oddWeights));
            runEven = _mm_add_epi16(runEven, _mm_slli_si128(runEven, 4));
            runEven = _mm_add_epi16(runEven, _mm_slli_si128(runEven, 8));
            runOdd = _mm_add_epi16(runOdd, _mm_slli_si128(runOdd, 4));
            runOdd = _mm_add_epi16(runOdd, _mm_slli_si128(runOdd, 8));
            const __m128i even = _mm_mulhi_epu16(_mm_add_epi16(runEven, leftEven), scale);
            const __m128i odd = _mm_mulhi_epu16(_mm_add_epi16(runOdd, leftOdd), scale);
            leftEven = _mm_shuffle_epi32(even, 0xFF);
            leftOdd = _mm_shuffle_epi32(odd, 0xFF);
            _mm_storeu_si128(reinterpret_cast<__m128i*>(row.cells + x),
                             _mm_or_si128(even, _mm_slli_epi16(odd, 8)));
            const __m128i pixels = _mm_add_epi32(
                _mm_madd_epi16(_mm_srli_epi16(even, 3), _mm_set1_epi32((2048 << 16) | 1)),
                _mm_madd_epi16(_mm_srli_epi16(odd, 2), _mm_set1_epi32(32)));
            _mm_storel_epi64(reinterpret_cast<__m128i*>(row.out + x), _mm_packus_epi32(pixels, pixels));
        }
        left = Joined(leftEven, leftOdd);
    }
    for (; x < end; ++x) left = BlurSingleCell(row.cells, row.below, row.out, x, left, false);
    return left;
}

}  // namespace

void BlurHeatFieldAvx2(uint16_t* pixels, int pitchInPixels, int twinkleInterval) {
    BlurRowPairs(pixels, pitchInPixels, twinkleInterval, Avx2PairSpan, Avx2Span);
    // Leave the upper register halves clean for SSE code that follows.
    _mm256_zeroupper();
}
