// The blur in 256-bit registers; this file alone is built with -mavx2 and runs
// only where the processor check allows.
//
// Two loops: blocks of eight rows go down the columns, a register per column
// (the second half of the file); the rows left over under the last block,
// and every row in a 32-bit program, go along the rows, a pair of rows per
// register (the first half).
#include <immintrin.h>

#include "blur/Blur.h"
#include "blur/BlurLeft.h"
#include "blur/BlurRows.h"

namespace {

// Each new value depends on the one just made to its left, but the chain
// need not run cell by cell: shifts of sums nest exactly,
// ((a + (b >> 2)) >> 2) == ((4a + b) >> 4), so with s_i the sum of old,
// right and below of cell i of a group of four and L the new value left of
// the group,
//   new_i = (4^i s_i + ... + 4 s_1 + s_0 + L) >> 2(i + 1).
// The largest such sum, 85 * 765 + 255 = 65280, still fits a 16-bit word.
//
// A 128-bit lane holds one group: cells 0 and 1 in one register ("low"),
// cells 2 and 3 in another ("high"), each cell as four 16-bit channel words.
// The low lane is four cells of one row, the high lane the same four cells
// of the row under it, so the two rows' chains run side by side and no
// value ever has to cross lanes.

// Byte weights for the multiply-add that widens and weights in one step. The
// bytes come interleaved in pairs (old and below of a channel, or right and
// a zero), and cell i of the group takes 4^i: at most 64 * 510 = 32640, so
// the signed sum never saturates.
inline __m256i LowWeights() {
    return _mm256_setr_epi8(1, 1, 1, 1, 1, 1, 1, 1, 4, 4, 4, 4, 4, 4, 4, 4, 1, 1, 1, 1, 1, 1, 1, 1,
                            4, 4, 4, 4, 4, 4, 4, 4);
}
inline __m256i HighWeights() {
    return _mm256_setr_epi8(16, 16, 16, 16, 16, 16, 16, 16, 64, 64, 64, 64, 64, 64, 64, 64, 16, 16,
                            16, 16, 16, 16, 16, 16, 64, 64, 64, 64, 64, 64, 64, 64);
}

// (run_i + L) >> 2(i + 1): the high half of a multiply by 2^(16 - k), with a
// different k for every cell.
inline __m256i LowScale() {
    return _mm256_setr_epi16(1 << 14, 1 << 14, 1 << 14, 1 << 14, 1 << 12, 1 << 12, 1 << 12, 1 << 12,
                             1 << 14, 1 << 14, 1 << 14, 1 << 14, 1 << 12, 1 << 12, 1 << 12, 1 << 12);
}
inline __m256i HighScale() {
    return _mm256_setr_epi16(1 << 10, 1 << 10, 1 << 10, 1 << 10, 1 << 8, 1 << 8, 1 << 8, 1 << 8,
                             1 << 10, 1 << 10, 1 << 10, 1 << 10, 1 << 8, 1 << 8, 1 << 8, 1 << 8);
}

// The pixels of eight cells as 32-bit values, from the cells' bytes: with
// blue, green and red cut to their top 5, 6 and 5 bits, one byte
// multiply-add gives blue + 64 green and 64 red per cell, and one word
// multiply-add blue + 64 green + 2048 red: eight times the pixel.
inline __m256i Pixels(__m256i cells) {
    const __m256i kept = _mm256_and_si256(cells, _mm256_set1_epi32(0x00F8FCF8));
    const __m256i halves = _mm256_maddubs_epi16(kept, _mm256_set1_epi32(0x00404001));
    return _mm256_srli_epi32(_mm256_madd_epi16(halves, _mm256_set1_epi32((32 << 16) | 1)), 3);
}

inline __m256i LoadTwo(const uint32_t* low, const uint32_t* high) {
    const __m128i first = _mm_loadu_si128(reinterpret_cast<const __m128i*>(low));
    const __m128i second = _mm_loadu_si128(reinterpret_cast<const __m128i*>(high));
    return _mm256_inserti128_si256(_mm256_castsi128_si256(first), second, 1);
}

// Four cells of the top row and the same four of the bottom row; stores and
// returns their new values. left holds each row's left value, its four
// channel words in both halves of the row's lane, and is replaced by the new
// value of each row's fourth cell, laid out the same way.
inline __m256i BlurPairGroup(uint32_t* top, uint32_t* bottom, const uint32_t* under,
                             __m256i* left) {
    // Everything is read before anything is written: the top row's below is
    // the bottom row's old value.
    const __m256i old = LoadTwo(top, bottom);
    const __m256i right = LoadTwo(top + 1, bottom + 1);
    const __m256i below = LoadTwo(bottom, under);
    const __m256i zero = _mm256_setzero_si256();
    __m256i low = _mm256_add_epi16(
        _mm256_maddubs_epi16(_mm256_unpacklo_epi8(old, below), LowWeights()),
        _mm256_maddubs_epi16(_mm256_unpacklo_epi8(right, zero), LowWeights()));
    __m256i high = _mm256_add_epi16(
        _mm256_maddubs_epi16(_mm256_unpackhi_epi8(old, below), HighWeights()),
        _mm256_maddubs_epi16(_mm256_unpackhi_epi8(right, zero), HighWeights()));
    // Running sums over the group: cell 1 adds cell 0, cells 2 and 3 add
    // both, cell 3 adds cell 2.
    low = _mm256_add_epi16(low, _mm256_slli_si256(low, 8));
    high = _mm256_add_epi16(_mm256_add_epi16(high, _mm256_slli_si256(high, 8)),
                            _mm256_shuffle_epi32(low, 0xEE));
    const __m256i newLow = _mm256_mulhi_epu16(_mm256_add_epi16(low, *left), LowScale());
    const __m256i newHigh = _mm256_mulhi_epu16(_mm256_add_epi16(high, *left), HighScale());
    // Taking the next left from the finished values puts a multiply on the
    // chain from group to group, but saves work on every group; the two rows
    // in flight hide the wait.
    *left = _mm256_shuffle_epi32(newHigh, 0xEE);
    // Every word is at most 255 again, so the bytes go back unsaturated.
    const __m256i cells = _mm256_packus_epi16(newLow, newHigh);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(top), _mm256_castsi256_si128(cells));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(bottom), _mm256_extracti128_si256(cells, 1));
    return cells;
}

// Eight cells (two groups) of a pair of rows from x on; returns their pixels,
// the top row's eight in the low lane and the bottom row's in the high one.
inline __m256i BlurPairEight(const BlurRow& top, const BlurRow& bottom, int x, __m256i* left) {
    const __m256i first = BlurPairGroup(top.cells + x, bottom.cells + x, bottom.below + x, left);
    const __m256i second =
        BlurPairGroup(top.cells + x + 4, bottom.cells + x + 4, bottom.below + x + 4, left);
    return _mm256_packus_epi32(Pixels(first), Pixels(second));
}

inline void StorePixels(const BlurRow& top, const BlurRow& bottom, int x, __m256i pixels) {
    _mm_storeu_si128(reinterpret_cast<__m128i*>(top.out + x), _mm256_castsi256_si128(pixels));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(bottom.out + x), _mm256_extracti128_si256(pixels, 1));
}

// A single group of a pair of rows, for a span four cells short of eight.
inline void BlurPairFour(const BlurRow& top, const BlurRow& bottom, int x, __m256i* left) {
    const __m256i group =
        Pixels(BlurPairGroup(top.cells + x, bottom.cells + x, bottom.below + x, left));
    const __m256i pixels = _mm256_packus_epi32(group, group);
    _mm_storel_epi64(reinterpret_cast<__m128i*>(top.out + x), _mm256_castsi256_si128(pixels));
    _mm_storel_epi64(reinterpret_cast<__m128i*>(bottom.out + x), _mm256_extracti128_si256(pixels, 1));
}

inline __m256i SpreadLefts(const uint32_t* lefts) {
    return _mm256_inserti128_si256(_mm256_castsi128_si256(SpreadLeft(lefts[0])),
                                   SpreadLeft(lefts[1]), 1);
}
inline void JoinLefts(__m256i left, uint32_t* lefts) {
    lefts[0] = JoinLeft(_mm256_castsi256_si128(left));
    lefts[1] = JoinLeft(_mm256_extracti128_si256(left, 1));
}

// The wide loop for two rows.
void Avx2RunPair(const BlurRow* rows, int x, int end, uint32_t* lefts) {
    const BlurRow top = rows[0], bottom = rows[1];
    __m256i left = SpreadLefts(lefts);
    for (; x + 8 <= end; x += 8) StorePixels(top, bottom, x, BlurPairEight(top, bottom, x, &left));
    if (x < end) BlurPairFour(top, bottom, x, &left);
    JoinLefts(left, lefts);
}

// The wide loop for four rows: two pairs interleaved, so each pair's chain of
// left values has the other's work to hide behind. The upper pair goes
// first at every step: its bottom row reads the lower pair's top row as it
// was before the pass.
void Avx2RunQuad(const BlurRow* rows, int x, int end, uint32_t* lefts) {
    // Copies, so the compiler need not reload the pointers after every store.
    const BlurRow first = rows[0], second = rows[1], third = rows[2], fourth = rows[3];
    __m256i upper = SpreadLefts(lefts);
    __m256i lower = SpreadLefts(lefts + 2);
    for (; x + 8 <= end; x += 8) {
        const __m256i upperPixels = BlurPairEight(first, second, x, &upper);
        const __m256i lowerPixels = BlurPairEight(third, fourth, x, &lower);
        StorePixels(first, second, x, upperPixels);
        StorePixels(third, fourth, x, lowerPixels);
    }
    if (x < end) {
        BlurPairFour(first, second, x, &upper);
        BlurPairFour(third, fourth, x, &lower);
    }
    JoinLefts(upper, lefts);
    JoinLefts(lower, lefts + 2);
}

// A last odd row goes alone, the same arithmetic in 128-bit registers: it is
// one row in hundreds, so it need not be quick.
void Avx2RunSingle(const BlurRow* rows, int x, int end, uint32_t* lefts) {
    const BlurRow& row = rows[0];
    const __m128i lowWeights = _mm256_castsi256_si128(LowWeights());
    const __m128i highWeights = _mm256_castsi256_si128(HighWeights());
    const __m128i lowScale = _mm256_castsi256_si128(LowScale());
    const __m128i highScale = _mm256_castsi256_si128(HighScale());
    const __m128i zero = _mm_setzero_si128();
    __m128i spread = SpreadLeft(lefts[0]);
    for (; x < end; x += 4) {
        const __m128i old = _mm_loadu_si128(reinterpret_cast<const __m128i*>(row.cells + x));
        const __m128i right = _mm_loadu_si128(reinterpret_cast<const __m128i*>(row.cells + x + 1));
        const __m128i below = _mm_loadu_si128(reinterpret_cast<const __m128i*>(row.below + x));
        __m128i low = _mm_add_epi16(_mm_maddubs_epi16(_mm_unpacklo_epi8(old, below), lowWeights),
                                    _mm_maddubs_epi16(_mm_unpacklo_epi8(right, zero), lowWeights));
        __m128i high =
            _mm_add_epi16(_mm_maddubs_epi16(_mm_unpackhi_epi8(old, below), highWeights),
                          _mm_maddubs_epi16(_mm_unpackhi_epi8(right, zero), highWeights));
        low = _mm_add_epi16(low, _mm_slli_si128(low, 8));
        high = _mm_add_epi16(_mm_add_epi16(high, _mm_slli_si128(high, 8)),
                             _mm_shuffle_epi32(low, 0xEE));
        const __m128i newLow = _mm_mulhi_epu16(_mm_add_epi16(low, spread), lowScale);
        const __m128i newHigh = _mm_mulhi_epu16(_mm_add_epi16(high, spread), highScale);
        spread = _mm_shuffle_epi32(newHigh, 0xEE);
        const __m128i cells = _mm_packus_epi16(newLow, newHigh);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(row.cells + x), cells);
        const __m128i pixels = _mm256_castsi256_si128(Pixels(_mm256_castsi128_si256(cells)));
        _mm_storel_epi64(reinterpret_cast<__m128i*>(row.out + x), _mm_packus_epi32(pixels, pixels));
    }
    lefts[0] = JoinLeft(spread);
}

// ---------------------------------------------------------------------------
// Eight rows at a time, one register per column (row r in element r), so the
// chain from cell to cell runs down the columns with plain byte arithmetic
// (the SSE2 file's steps with a twinkle candidate do the same): with
// a = avg(old, right) and c = avg(below, left), byte averages that round up,
//   new = avg(a, c) - 1 when a ^ c, old ^ right or below ^ left is odd,
//   new = avg(a, c) otherwise.
// A 32-bit program has eight vector registers, too few for this loop; there
// every row goes along the row.
#if defined(__x86_64__) || defined(_M_X64)
const bool avx2ColumnBlocks = true;
#else
const bool avx2ColumnBlocks = false;
#endif
const int avx2ColumnRows = 8;

// Four registers of two rows by four cells (lane L of register a: row
// 4L + a) become four columns of the eight rows, and back again.
inline void Transpose4Lanes(__m256i* v) {
    const __m256i t0 = _mm256_unpacklo_epi32(v[0], v[1]);
    const __m256i t1 = _mm256_unpackhi_epi32(v[0], v[1]);
    const __m256i t2 = _mm256_unpacklo_epi32(v[2], v[3]);
    const __m256i t3 = _mm256_unpackhi_epi32(v[2], v[3]);
    v[0] = _mm256_unpacklo_epi64(t0, t2);
    v[1] = _mm256_unpackhi_epi64(t0, t2);
    v[2] = _mm256_unpacklo_epi64(t1, t3);
    v[3] = _mm256_unpackhi_epi64(t1, t3);
}

// Four cells from x of the eight rows, as four columns. rows[r]: row r.
inline void LoadColumnsAvx2(uint32_t* const* rows, int x, __m256i* columns) {
    for (int a = 0; a < 4; ++a) columns[a] = LoadTwo(rows[a] + x, rows[a + 4] + x);
    Transpose4Lanes(columns);
}

inline __m256i BlurColumnAvx2(__m256i old, __m256i right, __m256i below, __m256i left,
                              __m256i ones) {
    const __m256i top = _mm256_avg_epu8(old, right);
    const __m256i bottom = _mm256_avg_epu8(below, left);
    const __m256i odd = _mm256_or_si256(
        _mm256_or_si256(_mm256_xor_si256(old, right), _mm256_xor_si256(below, left)),
        _mm256_xor_si256(top, bottom));
    return _mm256_sub_epi8(_mm256_avg_epu8(top, bottom), _mm256_and_si256(odd, ones));
}

// Flares the candidates of a column, one cell at a time: they are rare.
__attribute__((noinline, cold)) __m256i FlareColumnAvx2(__m256i result, __m256i old,
                                                        unsigned flags) {
    alignas(32) uint32_t value[avx2ColumnRows];
    alignas(32) uint32_t before[avx2ColumnRows];
    _mm256_store_si256(reinterpret_cast<__m256i*>(value), result);
    _mm256_store_si256(reinterpret_cast<__m256i*>(before), old);
    FlareCandidates<avx2ColumnRows>(value, before, flags);
    return _mm256_load_si256(reinterpret_cast<const __m256i*>(value));
}

// The blur of eight rows (rows[0..7], rows[8] the row under them, only read)
// over the columns [0, end), end a multiple of eight, with the rows' first
// twinkle candidates in candidate[]. Leaves each row's new value of cell
// end - 1 in lefts and its next candidate in candidate[].
__attribute__((noinline)) void BlurColumnsAvx2(uint32_t* const* rowCells, uint16_t* const* rowOut,
                                               int end, int64_t* candidate, int64_t interval,
                                               uint32_t* lefts) {
    uint32_t* rows[avx2ColumnRows + 1];
    uint16_t* out[avx2ColumnRows];
    for (int r = 0; r <= avx2ColumnRows; ++r) rows[r] = rowCells[r];
    for (int r = 0; r < avx2ColumnRows; ++r) out[r] = rowOut[r];
    const __m256i ones = _mm256_set1_epi8(1);
    // Below of a column: its elements one row up, the row under the block
    // coming in last.
    const __m256i up = _mm256_setr_epi32(1, 2, 3, 4, 5, 6, 7, 7);
    __m256i left = _mm256_setzero_si256();
    __m256i current[4];
    LoadColumnsAvx2(rows, 0, current);
    ColumnCandidates<avx2ColumnRows, 8> candidates(candidate, interval);
    for (int x = 0; x < end; x += 8) {
        __m256i middle[4], ahead[4];
        LoadColumnsAvx2(rows, x + 4, middle);
        // At the end of the row: the right border and past it, all unused
        // but the first column, which is the last cell's right.
        LoadColumnsAvx2(rows, x + 8, ahead);
        unsigned flags[8];
        const bool twinkles = candidates.Take(x, flags);
        const __m256i columns[9] = {current[0], current[1], current[2], current[3], middle[0],
                                    middle[1],  middle[2],  middle[3],  ahead[0]};
        __m256i fresh[8];
        for (int i = 0; i < 8; ++i) {
            const __m256i under = _mm256_set1_epi32(static_cast<int>(rows[avx2ColumnRows][x + i]));
            const __m256i below =
                _mm256_blend_epi32(_mm256_permutevar8x32_epi32(columns[i], up), under, 0x80);
            left = BlurColumnAvx2(columns[i], columns[i + 1], below, left, ones);
            if (twinkles && flags[i] != 0) left = FlareColumnAvx2(left, columns[i], flags[i]);
            fresh[i] = left;
        }
        Transpose4Lanes(fresh);
        Transpose4Lanes(fresh + 4);
        for (int a = 0; a < 4; ++a) {
            _mm_storeu_si128(reinterpret_cast<__m128i*>(rows[a] + x),
                             _mm256_castsi256_si128(fresh[a]));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(rows[a + 4] + x),
                             _mm256_extracti128_si256(fresh[a], 1));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(rows[a] + x + 4),
                             _mm256_castsi256_si128(fresh[a + 4]));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(rows[a + 4] + x + 4),
                             _mm256_extracti128_si256(fresh[a + 4], 1));
            const __m256i pixels = _mm256_packus_epi32(Pixels(fresh[a]), Pixels(fresh[a + 4]));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(out[a] + x),
                             _mm256_castsi256_si128(pixels));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(out[a + 4] + x),
                             _mm256_extracti128_si256(pixels, 1));
        }
        for (int i = 0; i < 4; ++i) current[i] = ahead[i];
    }
    alignas(32) uint32_t last[avx2ColumnRows];
    _mm256_store_si256(reinterpret_cast<__m256i*>(last), left);
    for (int r = 0; r < avx2ColumnRows; ++r) lefts[r] = last[r];
}

}  // namespace

void BlurHeatFieldAvx2(Sky& sky, uint16_t* pixels, int pitchInPixels, int twinkleInterval) {
    BlurFieldByColumns<avx2ColumnRows>(sky, pixels, pitchInPixels, twinkleInterval,
                                       avx2ColumnBlocks ? sky.screenWidth & ~7 : 0, BlurColumnsAvx2,
                                       Avx2RunQuad, Avx2RunPair, Avx2RunSingle);
    // Leave the upper register halves clean for SSE code that follows.
    _mm256_zeroupper();
}
