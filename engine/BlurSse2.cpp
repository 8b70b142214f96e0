// The blur in 128-bit registers; built with -msse2 and used on any processor
// that has SSE2.
//
// Two loops: blocks of four rows go down the columns, a register per column
// (the second half of the file); rows left over under the last block go one
// at a time along the row, four cells per step (the first half).
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

// ---------------------------------------------------------------------------
// Four rows at a time, one register per column (row r in element r), so the
// chain from cell to cell runs down the columns with plain byte arithmetic.
//
// Each channel's new value, floor((old + right + below + left) / 4), comes
// from byte averages, which round up: with a = avg(old, right) and
// c = avg(below, left),
//   new = avg(a, c) - 1 when a ^ c, old ^ right or below ^ left is odd,
//   new = avg(a, c) otherwise.
// (Write the sum as 2a + 2c less one for each odd pair; halving twice and
// rounding down takes one off the rounded-up average exactly when some pair
// was odd or a + c is odd.)

const int sse2ColumnRows = 4;

// Four registers of one row's four cells each become four columns of the
// four rows, and back.
inline void Transpose4x4(__m128i* v) {
    const __m128i t0 = _mm_unpacklo_epi32(v[0], v[1]);
    const __m128i t1 = _mm_unpackhi_epi32(v[0], v[1]);
    const __m128i t2 = _mm_unpacklo_epi32(v[2], v[3]);
    const __m128i t3 = _mm_unpackhi_epi32(v[2], v[3]);
    v[0] = _mm_unpacklo_epi64(t0, t2);
    v[1] = _mm_unpackhi_epi64(t0, t2);
    v[2] = _mm_unpacklo_epi64(t1, t3);
    v[3] = _mm_unpackhi_epi64(t1, t3);
}

// Four cells from x of rows first .. first + 3, as columns.
inline void LoadColumns(uint32_t* const* rows, int first, int x, __m128i* columns) {
    for (int r = 0; r < 4; ++r) {
        columns[r] = _mm_loadu_si128(reinterpret_cast<const __m128i*>(rows[first + r] + x));
    }
    Transpose4x4(columns);
}

inline __m128i BlurColumnSse2(__m128i old, __m128i right, __m128i below, __m128i left,
                              __m128i ones) {
    const __m128i top = _mm_avg_epu8(old, right);
    const __m128i bottom = _mm_avg_epu8(below, left);
    const __m128i odd =
        _mm_or_si128(_mm_or_si128(_mm_xor_si128(old, right), _mm_xor_si128(below, left)),
                     _mm_xor_si128(top, bottom));
    return _mm_sub_epi8(_mm_avg_epu8(top, bottom), _mm_and_si128(odd, ones));
}

// The pixels of four cells (one row's) as 32-bit values sign-extended from
// 16 bits, the range in which the signed pack keeps them: eight times the
// pixel is blue + 64 green + 2048 red of the kept top bits, and shifting it
// up 13 and arithmetically down 16 divides by eight and extends the sign.
inline __m128i PixelsSigned(__m128i cells) {
    const __m128i redBlue = _mm_madd_epi16(_mm_and_si128(cells, _mm_set1_epi32(0x00F800F8)),
                                           _mm_set1_epi32((2048 << 16) | 1));
    const __m128i green = _mm_srli_epi32(_mm_and_si128(cells, _mm_set1_epi32(0xFC00)), 2);
    return _mm_srai_epi32(_mm_slli_epi32(_mm_add_epi32(redBlue, green), 13), 16);
}

// Flares the candidates of a column, one cell at a time: they are rare.
__attribute__((noinline, cold)) __m128i FlareColumnSse2(__m128i result, __m128i old,
                                                        unsigned flags) {
    alignas(16) uint32_t value[4];
    alignas(16) uint32_t before[4];
    _mm_store_si128(reinterpret_cast<__m128i*>(value), result);
    _mm_store_si128(reinterpret_cast<__m128i*>(before), old);
    FlareCandidates<4>(value, before, flags);
    return _mm_load_si128(reinterpret_cast<const __m128i*>(value));
}

// The blur of four rows (rows[0..3], rows[4] the row under them) over the
// columns [0, end), end a multiple of four, with the rows' first twinkle
// candidates in candidate[]. Leaves each row's new value of cell end - 1 in
// lefts and its next candidate in candidate[].
__attribute__((noinline)) void BlurColumnsSse2(uint32_t* const* rowCells, uint16_t* const* rowOut,
                                               int end, int64_t* candidate, int64_t interval,
                                               uint32_t* lefts) {
    // Local copies: the stores below could otherwise be taken to change them.
    uint32_t* const rows[sse2ColumnRows + 1] = {rowCells[0], rowCells[1], rowCells[2], rowCells[3],
                                                rowCells[4]};
    uint16_t* const out[sse2ColumnRows] = {rowOut[0], rowOut[1], rowOut[2], rowOut[3]};
    const __m128i ones = _mm_set1_epi8(1);
    __m128i left = _mm_setzero_si128();
    __m128i current[4];
    LoadColumns(rows, 0, 0, current);
    ColumnCandidates<sse2ColumnRows, 4> candidates(candidate, interval);
    for (int x = 0; x < end; x += 4) {
        __m128i ahead[4], below[4];
        // At the end of the row: the right border and past it, all unused
        // but the first column, which is the last cell's right.
        LoadColumns(rows, 0, x + 4, ahead);
        LoadColumns(rows, 1, x, below);
        unsigned flags[4];
        const bool twinkles = candidates.Take(x, flags);
        __m128i fresh[4];
        for (int i = 0; i < 4; ++i) {
            const __m128i right = i < 3 ? current[i + 1] : ahead[0];
            left = BlurColumnSse2(current[i], right, below[i], left, ones);
            if (twinkles && flags[i] != 0) left = FlareColumnSse2(left, current[i], flags[i]);
            fresh[i] = left;
        }
        Transpose4x4(fresh);
        for (int r = 0; r < 4; ++r)
            _mm_storeu_si128(reinterpret_cast<__m128i*>(rows[r] + x), fresh[r]);
        const __m128i upper = _mm_packs_epi32(PixelsSigned(fresh[0]), PixelsSigned(fresh[1]));
        const __m128i lower = _mm_packs_epi32(PixelsSigned(fresh[2]), PixelsSigned(fresh[3]));
        _mm_storel_epi64(reinterpret_cast<__m128i*>(out[0] + x), upper);
        _mm_storel_epi64(reinterpret_cast<__m128i*>(out[1] + x), _mm_unpackhi_epi64(upper, upper));
        _mm_storel_epi64(reinterpret_cast<__m128i*>(out[2] + x), lower);
        _mm_storel_epi64(reinterpret_cast<__m128i*>(out[3] + x), _mm_unpackhi_epi64(lower, lower));
        for (int i = 0; i < 4; ++i) current[i] = ahead[i];
    }
    alignas(16) uint32_t last[4];
    _mm_store_si128(reinterpret_cast<__m128i*>(last), left);
    for (int r = 0; r < sse2ColumnRows; ++r) lefts[r] = last[r];
}

}  // namespace

void BlurHeatFieldSse2(uint16_t* pixels, int pitchInPixels, int twinkleInterval) {
    BlurFieldByColumns<sse2ColumnRows>(pixels, pitchInPixels, twinkleInterval, screenWidth & ~3,
                                       BlurColumnsSse2, Sse2Run<4>, Sse2Run<2>, Sse2Run<1>);
}
