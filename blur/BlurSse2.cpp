// The blur in 128-bit registers; built with -msse2 and used on any processor
// that has SSE2.
//
// Two loops: blocks of four rows go down the columns, two registers of 16-bit
// lanes per column (the second half of the file); rows left over under the
// last block go one at a time along the row, four cells per step (the first
// half).
#include <emmintrin.h>

#include "blur/Blur.h"
#include "blur/BlurRows.h"

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
// Four rows at a time, down the columns: each cell's chain runs from column
// to column, the four rows' chains side by side in the registers.
//
// A column of the block is held in 16-bit lanes in two registers: "low"
// holds rows 0 and 2 (four channels each), "high" rows 1 and 3. The cells
// under the low rows are then the high ones of the same column, and only
// the rows under the high ones (2 and 4) have to be fetched apart. Each new
// value is (old + right + below + left) >> 2 with no rounding to undo, and
// the chain from one column to the next is one add and one shift.

const int sse2ColumnRows = 4;

// A column packed back to bytes (the low register, then the high one) holds
// its rows in the order 0, 2, 1, 3; the flare and the lefts handed back work
// in that order.
const int sse2RowInElement[4] = {0, 2, 1, 3};

inline __m128i Load(const char* at) {
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
}

// One column in 16-bit lanes.
struct WideColumn {
    __m128i low;   // rows 0 and 2
    __m128i high;  // rows 1 and 3
};

// Two neighbouring columns, widened, from the four cells at `at` of rows
// 0 .. 3: cells 0 and 1 of each row, or 2 and 3 (upper).
inline void WidenTwoColumns(const char* at, intptr_t stride, bool upper, WideColumn* first,
                            WideColumn* second) {
    const __m128i r0 = Load(at), r1 = Load(at + stride);
    const __m128i r2 = Load(at + 2 * stride), r3 = Load(at + 3 * stride);
    const __m128i rows02 = upper ? _mm_unpackhi_epi32(r0, r2) : _mm_unpacklo_epi32(r0, r2);
    const __m128i rows13 = upper ? _mm_unpackhi_epi32(r1, r3) : _mm_unpacklo_epi32(r1, r3);
    const __m128i zero = _mm_setzero_si128();
    first->low = _mm_unpacklo_epi8(rows02, zero);
    second->low = _mm_unpackhi_epi8(rows02, zero);
    first->high = _mm_unpacklo_epi8(rows13, zero);
    second->high = _mm_unpackhi_epi8(rows13, zero);
}

inline __m128i Widen(__m128i bytes, bool high) {
    return high ? _mm_unpackhi_epi8(bytes, _mm_setzero_si128())
                : _mm_unpacklo_epi8(bytes, _mm_setzero_si128());
}

// The new column from the old one, its right neighbour, the rows under its
// high rows (2 and 4, widened) and the new column to its left.
inline WideColumn BlurWideColumn(const WideColumn& old, const WideColumn& right, __m128i under,
                                 const WideColumn& left) {
    const __m128i sumLow = _mm_add_epi16(_mm_add_epi16(old.low, right.low), old.high);
    const __m128i sumHigh = _mm_add_epi16(_mm_add_epi16(old.high, right.high), under);
    WideColumn fresh;
    fresh.low = _mm_srli_epi16(_mm_add_epi16(sumLow, left.low), 2);
    fresh.high = _mm_srli_epi16(_mm_add_epi16(sumHigh, left.high), 2);
    return fresh;
}

// The same in bytes, for the rare steps with a twinkle candidate, where
// each cell stands alone in a 32-bit element. The byte average rounds up:
// with a = avg(old, right) and c = avg(below, left),
//   new = avg(a, c) - 1 when a ^ c, old ^ right or below ^ left is odd,
//   new = avg(a, c) otherwise.
// (Write the sum as 2a + 2c less one for each odd pair; halving twice and
// rounding down takes one off the rounded-up average exactly when some pair
// was odd or a + c is odd.)
inline __m128i BlurByteColumn(__m128i old, __m128i right, __m128i below, __m128i left) {
    const __m128i top = _mm_avg_epu8(old, right);
    const __m128i bottom = _mm_avg_epu8(below, left);
    const __m128i odd =
        _mm_or_si128(_mm_or_si128(_mm_xor_si128(old, right), _mm_xor_si128(below, left)),
                     _mm_xor_si128(top, bottom));
    return _mm_sub_epi8(_mm_avg_epu8(top, bottom), _mm_and_si128(odd, _mm_set1_epi8(1)));
}

// Flares the candidates of a column, one cell at a time: they are rare.
// flags has bit r for row r; the registers hold the rows in element order.
__attribute__((noinline, cold)) __m128i FlareColumnSse2(__m128i result, __m128i old,
                                                        unsigned flags) {
    alignas(16) uint32_t value[4];
    alignas(16) uint32_t before[4];
    _mm_store_si128(reinterpret_cast<__m128i*>(value), result);
    _mm_store_si128(reinterpret_cast<__m128i*>(before), old);
    unsigned inElements = 0;
    for (int e = 0; e < 4; ++e) inElements |= (flags >> sse2RowInElement[e] & 1u) << e;
    FlareCandidates<4>(value, before, inElements);
    return _mm_load_si128(reinterpret_cast<const __m128i*>(value));
}

// The byte columns of four rows from x (rows 0 and 2 woven with 1 and 3):
// element order as above.
inline void ByteColumns(const char* cells, intptr_t stride, __m128i* columns) {
    const __m128i r0 = Load(cells), r1 = Load(cells + stride);
    const __m128i r2 = Load(cells + 2 * stride), r3 = Load(cells + 3 * stride);
    const __m128i lo02 = _mm_unpacklo_epi32(r0, r2), hi02 = _mm_unpackhi_epi32(r0, r2);
    const __m128i lo13 = _mm_unpacklo_epi32(r1, r3), hi13 = _mm_unpackhi_epi32(r1, r3);
    columns[0] = _mm_unpacklo_epi64(lo02, lo13);
    columns[1] = _mm_unpackhi_epi64(lo02, lo13);
    columns[2] = _mm_unpacklo_epi64(hi02, hi13);
    columns[3] = _mm_unpackhi_epi64(hi02, hi13);
}

// Two rows of a step's new cells back from its columns: first01 holds
// columns 0 and 1 of the two rows in the order (column 0: row a, row b,
// column 1: row a, row b), second23 columns 2 and 3 the same way.
inline void RowsFromPairs(__m128i first01, __m128i second23, __m128i* rowA, __m128i* rowB) {
    const __m128 first = _mm_castsi128_ps(first01);
    const __m128 second = _mm_castsi128_ps(second23);
    *rowA = _mm_castps_si128(_mm_shuffle_ps(first, second, _MM_SHUFFLE(2, 0, 2, 0)));
    *rowB = _mm_castps_si128(_mm_shuffle_ps(first, second, _MM_SHUFFLE(3, 1, 3, 1)));
}

// The pixels of four cells (one row's) as 32-bit values sign-extended from
// 16 bits, the range in which the signed pack keeps them. One multiply-add
// puts the kept bits of blue and red where thirty-two times the pixel has
// them; green already lies there in the cell.
inline __m128i PixelsSigned(__m128i cells) {
    const __m128i redBlue = _mm_madd_epi16(_mm_and_si128(cells, _mm_set1_epi32(0x00F800F8)),
                                           _mm_set1_epi32((8192 << 16) | 4));
    const __m128i times32 = _mm_add_epi32(redBlue, _mm_and_si128(cells, _mm_set1_epi32(0xFC00)));
    return _mm_srai_epi32(_mm_slli_epi32(times32, 11), 16);
}

// A step's four new cells of each row and their pixels, stored.
inline void StoreStep(char* cells, intptr_t stride, char* out, intptr_t pitch,
                      const __m128i* rows) {
    for (int r = 0; r < 4; ++r)
        _mm_storeu_si128(reinterpret_cast<__m128i*>(cells + r * stride), rows[r]);
    const __m128i upper = _mm_packs_epi32(PixelsSigned(rows[0]), PixelsSigned(rows[1]));
    const __m128i lower = _mm_packs_epi32(PixelsSigned(rows[2]), PixelsSigned(rows[3]));
    _mm_storel_epi64(reinterpret_cast<__m128i*>(out), upper);
    _mm_storeh_pi(reinterpret_cast<__m64*>(out + pitch), _mm_castsi128_ps(upper));
    _mm_storel_epi64(reinterpret_cast<__m128i*>(out + 2 * pitch), lower);
    _mm_storeh_pi(reinterpret_cast<__m64*>(out + 3 * pitch), _mm_castsi128_ps(lower));
}

// A step with twinkle candidates, in bytes, flaring them: rare, so out of
// the way of the loop. left is the new column left of the step; returns the
// step's last.
__attribute__((noinline, cold)) WideColumn FlaredStep(char* cells, intptr_t stride, char* out,
                                                      intptr_t pitch, const unsigned* flags,
                                                      __m128i leftLow, __m128i leftHigh) {
    __m128i old[4], below[4], ahead[4];
    ByteColumns(cells, stride, old);
    ByteColumns(cells + stride, stride, below);
    ByteColumns(cells + 16, stride, ahead);
    __m128i value = _mm_packus_epi16(leftLow, leftHigh);
    __m128i fresh[4];
    for (int i = 0; i < 4; ++i) {
        const __m128i right = i < 3 ? old[i + 1] : ahead[0];
        value = BlurByteColumn(old[i], right, below[i], value);
        if (flags[i] != 0) value = FlareColumnSse2(value, old[i], flags[i]);
        fresh[i] = value;
    }
    // Element order 0, 2, 1, 3: the low halves are rows 0 and 2.
    __m128i rows[4];
    RowsFromPairs(_mm_unpacklo_epi64(fresh[0], fresh[1]), _mm_unpacklo_epi64(fresh[2], fresh[3]),
                  &rows[0], &rows[2]);
    RowsFromPairs(_mm_unpackhi_epi64(fresh[0], fresh[1]), _mm_unpackhi_epi64(fresh[2], fresh[3]),
                  &rows[1], &rows[3]);
    StoreStep(cells, stride, out, pitch, rows);
    return WideColumn{Widen(value, false), Widen(value, true)};
}

// The blur of four rows (rows[0..3], rows[4] the row under them) over the
// columns [0, end), end a multiple of four, with the rows' first twinkle
// candidates in candidate[]. Leaves each row's new value of cell end - 1 in
// lefts and its next candidate in candidate[].
//
// The rows of a block lie a field row apart and its pixel rows a surface row
// apart, so one pointer and one stride reach each.
__attribute__((noinline)) void BlurColumnsSse2(uint32_t* const* rowCells, uint16_t* const* rowOut,
                                               int end, int64_t* candidate, int64_t interval,
                                               uint32_t* lefts) {
    char* cells = reinterpret_cast<char*>(rowCells[0]);
    const intptr_t stride = reinterpret_cast<char*>(rowCells[1]) - cells;
    char* out = reinterpret_cast<char*>(rowOut[0]);
    const intptr_t pitch = reinterpret_cast<char*>(rowOut[1]) - out;
    WideColumn left = {_mm_setzero_si128(), _mm_setzero_si128()};
    // Columns x and x + 1, widened; the loop makes x + 2 and x + 3 from the
    // same rows, and x + 4 and x + 5 for the next step.
    WideColumn column[6];
    WidenTwoColumns(cells, stride, false, &column[0], &column[1]);
    ColumnCandidates<sse2ColumnRows, 4> candidates(candidate, interval);
    for (int x = 0; x < end; x += 4, cells += 16, out += 8) {
        unsigned flags[4];
        if (candidates.Take(x, flags)) {
            left = FlaredStep(cells, stride, out, pitch, flags, left.low, left.high);
            WidenTwoColumns(cells + 16, stride, false, &column[0], &column[1]);
            continue;
        }
        WidenTwoColumns(cells, stride, true, &column[2], &column[3]);
        // Rows 2 and 4, the cells under the high rows.
        const __m128i row2 = Load(cells + 2 * stride), row4 = Load(cells + 4 * stride);
        const __m128i under01 = _mm_unpacklo_epi32(row2, row4);
        const __m128i under23 = _mm_unpackhi_epi32(row2, row4);
        const WideColumn fresh0 = BlurWideColumn(column[0], column[1], Widen(under01, false), left);
        const WideColumn fresh1 =
            BlurWideColumn(column[1], column[2], Widen(under01, true), fresh0);
        const __m128i firstLow = _mm_packus_epi16(fresh0.low, fresh1.low);
        const __m128i firstHigh = _mm_packus_epi16(fresh0.high, fresh1.high);
        const WideColumn fresh2 =
            BlurWideColumn(column[2], column[3], Widen(under23, false), fresh1);
        // The next two columns, the first of them the right of the last
        // here. At the end of the row: the right border and past it.
        WidenTwoColumns(cells + 16, stride, false, &column[4], &column[5]);
        left = BlurWideColumn(column[3], column[4], Widen(under23, true), fresh2);
        __m128i rows[4];
        RowsFromPairs(firstLow, _mm_packus_epi16(fresh2.low, left.low), &rows[0], &rows[2]);
        RowsFromPairs(firstHigh, _mm_packus_epi16(fresh2.high, left.high), &rows[1], &rows[3]);
        StoreStep(cells, stride, out, pitch, rows);
        column[0] = column[4];
        column[1] = column[5];
    }
    alignas(16) uint32_t last[4];
    _mm_store_si128(reinterpret_cast<__m128i*>(last), _mm_packus_epi16(left.low, left.high));
    for (int e = 0; e < 4; ++e) lefts[sse2RowInElement[e]] = last[e];
}

}  // namespace

void BlurHeatFieldSse2(Sky& sky, uint16_t* pixels, int pitchInPixels, int twinkleInterval) {
    BlurFieldByColumns<sse2ColumnRows>(sky, pixels, pitchInPixels, twinkleInterval, sky.screenWidth & ~3,
                                       BlurColumnsSse2, Sse2Run<4>, Sse2Run<2>, Sse2Run<1>);
}
