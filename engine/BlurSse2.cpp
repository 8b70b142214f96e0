// The blur in 128-bit packed words, four cells at a time; built with -msse2
// and used on any processor that has SSE2.
#include <emmintrin.h>

#include "engine/Blur.h"
#include "engine/BlurRows.h"

namespace {

// How a group of four cells is taken apart: the "even" words hold blue and
// red of each cell, the "odd" words green and the top byte, one channel per
// 16-bit lane, so every cell is one 32-bit element of each register.
//
// Each new value depends on the one just made to its left, but the chain
// does not have to run cell by cell: shifts of sums nest exactly,
// ((a + (b >> 2)) >> 2) == ((4a + b) >> 4), so with s_i the sum of old,
// right and below of cell i and L the new value left of the group,
//   new_i = (4^i s_i + ... + 4 s_1 + s_0 + L) >> 2(i + 1).
// The largest such sum, 85 * 765 + 255 = 65280, still fits a 16-bit lane.
// Only L has to travel from group to group: the new value of the group's
// last cell, spread over the register. Taking it from the finished values
// puts a multiply on that chain but saves work on every group; the rest of
// the group's work hides the wait.
struct Group {
    __m128i even;  // new blue and red, one cell per 32-bit element
    __m128i odd;   // new green and top byte
};

inline __m128i RunningSums(__m128i sums) {
    const __m128i weights = _mm_setr_epi16(1, 1, 4, 4, 16, 16, 64, 64);
    __m128i run = _mm_mullo_epi16(sums, weights);
    run = _mm_add_epi16(run, _mm_slli_si128(run, 4));
    return _mm_add_epi16(run, _mm_slli_si128(run, 8));
}

// (run_i + L) >> 2(i + 1) per cell; the high half of a multiply by
// 2^(16 - k) is a shift right by k, with a different k in every element.
inline __m128i Finish(__m128i run, __m128i left) {
    const __m128i scale = _mm_setr_epi16(1 << 14, 1 << 14, 1 << 12, 1 << 12, 1 << 10, 1 << 10,
                                         1 << 8, 1 << 8);
    return _mm_mulhi_epu16(_mm_add_epi16(run, left), scale);
}

inline Group BlurGroup(uint32_t* row, const uint32_t* below, __m128i* leftEven,
                       __m128i* leftOdd) {
    const __m128i old = _mm_loadu_si128(reinterpret_cast<const __m128i*>(row));
    const __m128i right = _mm_loadu_si128(reinterpret_cast<const __m128i*>(row + 1));
    const __m128i under = _mm_loadu_si128(reinterpret_cast<const __m128i*>(below));
    const __m128i lowBytes = _mm_set1_epi16(0x00FF);
    const __m128i sumEven = _mm_add_epi16(
        _mm_add_epi16(_mm_and_si128(old, lowBytes), _mm_and_si128(right, lowBytes)),
        _mm_and_si128(under, lowBytes));
    const __m128i sumOdd = _mm_add_epi16(
        _mm_add_epi16(_mm_srli_epi16(old, 8), _mm_srli_epi16(right, 8)), _mm_srli_epi16(under, 8));
    const __m128i runEven = RunningSums(sumEven);
    const __m128i runOdd = RunningSums(sumOdd);
    Group group;
    group.even = Finish(runEven, *leftEven);
    group.odd = Finish(runOdd, *leftOdd);
    *leftEven = _mm_shuffle_epi32(group.even, 0xFF);  // the last cell's new value
    *leftOdd = _mm_shuffle_epi32(group.odd, 0xFF);
    // Every lane is at most 255 again, so the bytes go back without masks.
    _mm_storeu_si128(reinterpret_cast<__m128i*>(row),
                     _mm_or_si128(group.even, _mm_slli_epi16(group.odd, 8)));
    return group;
}

// The four pixels of a group as 32-bit values less 32768, the range in which
// the signed pack keeps them exact (SSE2 has no unsigned one).
inline __m128i PixelsLess32768(const Group& group) {
    // Blue >> 3 plus (red >> 3) << 11 in one multiply-add of the even words.
    const __m128i redBlue =
        _mm_madd_epi16(_mm_srli_epi16(group.even, 3), _mm_set1_epi32((2048 << 16) | 1));
    const __m128i green = _mm_slli_epi32(_mm_and_si128(group.odd, _mm_set1_epi32(0xFC)), 3);
    return _mm_sub_epi32(_mm_add_epi32(redBlue, green), _mm_set1_epi32(0x8000));
}

inline __m128i PackPixels(__m128i first, __m128i second) {
    return _mm_xor_si128(_mm_packs_epi32(first, second), _mm_set1_epi16(-0x8000));
}

// The groups of four in [x, end) of one row.
uint32_t Sse2RunRow(const BlurRow& cells, int x, int end, uint32_t left) {
    uint32_t* row = cells.cells;
    const uint32_t* below = cells.below;
    uint16_t* out = cells.out;
    __m128i leftEven = _mm_set1_epi32(static_cast<int>(left & 0x00FF00FFu));
    __m128i leftOdd = _mm_set1_epi32(static_cast<int>((left >> 8) & 0x00FF00FFu));
    for (; x + 8 <= end; x += 8) {
        const Group first = BlurGroup(row + x, below + x, &leftEven, &leftOdd);
        const Group second = BlurGroup(row + x + 4, below + x + 4, &leftEven, &leftOdd);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + x),
                         PackPixels(PixelsLess32768(first), PixelsLess32768(second)));
    }
    if (x < end) {
        const Group group = BlurGroup(row + x, below + x, &leftEven, &leftOdd);
        const __m128i pixels = PixelsLess32768(group);
        _mm_storel_epi64(reinterpret_cast<__m128i*>(out + x), PackPixels(pixels, pixels));
    }
    return static_cast<uint32_t>(_mm_cvtsi128_si32(leftEven)) |
           (static_cast<uint32_t>(_mm_cvtsi128_si32(leftOdd)) << 8);
}

// The wide loop for a block of rows: one row after the other, each finished
// over the span before the next (its below) is touched.
template <int Rows>
void Sse2Run(const BlurRow* rows, int x, int end, uint32_t* lefts) {
    for (int r = 0; r < Rows; ++r) lefts[r] = Sse2RunRow(rows[r], x, end, lefts[r]);
}

}  // namespace

void BlurHeatFieldSse2(uint16_t* pixels, int pitchInPixels, int twinkleInterval) {
    BlurField(pixels, pitchInPixels, twinkleInterval, Sse2Run<4>, Sse2Run<2>, Sse2Run<1>);
}
