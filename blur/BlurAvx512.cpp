// The blur in 512-bit registers; this file alone is built with -mavx512f
// -mavx512bw -mavx512vl (and marks the one function that needs VBMI) and runs
// only where the processor check allows.
//
// Two loops: blocks of sixteen rows go down the columns, a register per
// column (the second half of the file); the rows left over under the last
// such block, and every row in a 32-bit program, go four rows per register
// along the rows (the first half).
#include <immintrin.h>

// This compiler's 512-bit intrinsics start many results from a deliberately
// undefined register and then warn about it when inlined.
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#pragma GCC diagnostic ignored "-Wuninitialized"

#include "blur/Blur.h"
#include "blur/BlurLeft.h"
#include "blur/BlurRows.h"

namespace {

// The arithmetic is the 256-bit path's: with s_i the sum of old, right and
// below of cell i of a group of four and L the new value left of the group,
//   new_i = (4^i s_i + ... + 4 s_1 + s_0 + L) >> 2(i + 1),
// each cell as four 16-bit channel words, cells 0 and 1 in one register and
// cells 2 and 3 in another. Here each 128-bit lane is a row of the block, so
// four rows' chains run side by side and no value crosses lanes in the
// arithmetic.
//
// What the wider register buys besides width is the loads: a group's right
// is its old shifted by one cell within each lane, the next group's first
// cell coming in behind, and its below is the old of the next lane, only the
// lowest row's below coming from memory. The olds themselves come eight
// cells of a row at a time, two rows to a register, and one lane shuffle
// per group puts each group's four rows into the four lanes.
//
// Blocks of fewer than four rows put their rows in the top lanes and copies
// of the first row below them; the copies' results are never stored.

// Constants given per 128-bit lane, the same in all four; element 0 last.
inline __m512i LowWeights() {  // bytes 1 for cells 0 and 2, 4 for cells 1 and 3
    return _mm512_set4_epi32(0x04040404, 0x04040404, 0x01010101, 0x01010101);
}
inline __m512i HighWeights() {  // 16 and 64
    return _mm512_set4_epi32(0x40404040, 0x40404040, 0x10101010, 0x10101010);
}
// (run_i + L) >> 2(i + 1), a shift count per word: 2 for cell 0, 4 for
// cell 1, 6 and 8 for cells 2 and 3. A variable shift rather than the high
// half of a multiply: it is one cycle on the chain instead of five, and it
// keeps the multiply units for the widening.
inline __m512i LowShifts() {
    return _mm512_set4_epi32(0x00040004, 0x00040004, 0x00020002, 0x00020002);
}
inline __m512i HighShifts() {
    return _mm512_set4_epi32(0x00080008, 0x00080008, 0x00060006, 0x00060006);
}

// Eight times each cell's pixel as a 32-bit value: blue, green and red cut
// to 5, 6 and 5 bits, then blue + 64 green and 64 red by a byte multiply-add
// and blue + 64 green + 2048 red by a word one.
inline __m512i Pixels(__m512i cells) {
    const __m512i kept = _mm512_and_si512(cells, _mm512_set1_epi32(0x00F8FCF8));
    const __m512i halves = _mm512_maddubs_epi16(kept, _mm512_set1_epi32(0x00404001));
    return _mm512_srli_epi32(_mm512_madd_epi16(halves, _mm512_set1_epi32((32 << 16) | 1)), 3);
}

// The four cells at x of every lane's row.
struct Lanes {
    const uint32_t* cells[4];
};

inline __m128i Load128(const uint32_t* at) {
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
}

inline __m512i Gather(const Lanes& lanes, int x) {
    __m512i v = _mm512_zextsi128_si512(Load128(lanes.cells[0] + x));
    v = _mm512_inserti32x4(v, Load128(lanes.cells[1] + x), 1);
    v = _mm512_inserti32x4(v, Load128(lanes.cells[2] + x), 2);
    return _mm512_inserti32x4(v, Load128(lanes.cells[3] + x), 3);
}

// Eight cells of two rows, one row to each 256-bit half.
inline __m512i Rows8(const uint32_t* top, const uint32_t* bottom) {
    const __m256i first = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(top));
    const __m256i second = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(bottom));
    return _mm512_inserti64x4(_mm512_castsi256_si512(first), second, 1);
}
// Which 128-bit lanes of two such registers make the group of the first four
// cells of each row (lanes 0 and 2 of each), and of the last four (1 and 3).
// The lane shuffle leaves its sources intact, where a two-register permute
// would overwrite one and cost a copy.
const int firstHalves = 0 | 2 << 2 | 0 << 4 | 2 << 6;
const int secondHalves = 1 | 3 << 2 | 1 << 4 | 3 << 6;

// One group of every lane: old is its four cells, next the four after them
// (the source of the last cell's right), under the cells below the lowest
// lane's row. left holds each lane's left value as four channel words in
// both halves of the lane, and is replaced by the group's last new value.
inline __m512i BlurGroup(__m512i old, __m512i next, __m128i under, __m512i* left) {
    const __m512i right = _mm512_alignr_epi8(next, old, 4);
    const __m512i below = _mm512_alignr_epi64(_mm512_zextsi128_si512(under), old, 2);
    const __m512i zero = _mm512_setzero_si512();
    __m512i low = _mm512_add_epi16(
        _mm512_maddubs_epi16(_mm512_unpacklo_epi8(old, below), LowWeights()),
        _mm512_maddubs_epi16(_mm512_unpacklo_epi8(right, zero), LowWeights()));
    __m512i high = _mm512_add_epi16(
        _mm512_maddubs_epi16(_mm512_unpackhi_epi8(old, below), HighWeights()),
        _mm512_maddubs_epi16(_mm512_unpackhi_epi8(right, zero), HighWeights()));
    // Running sums over the group, the left value joining at cell 0 so
    // that cells 2 and 3 take it with cell 1's sum: one add fewer per group
    // than adding it to both halves, for one more step on the chain.
    low = _mm512_add_epi16(_mm512_add_epi16(low, _mm512_bslli_epi128(low, 8)), *left);
    high = _mm512_add_epi16(_mm512_add_epi16(high, _mm512_bslli_epi128(high, 8)),
                            _mm512_shuffle_epi32(low, _MM_PERM_DCDC));
    const __m512i newLow = _mm512_srlv_epi16(low, LowShifts());
    const __m512i newHigh = _mm512_srlv_epi16(high, HighShifts());
    *left = _mm512_shuffle_epi32(newHigh, _MM_PERM_DCDC);
    // Every word is at most 255 again, so the bytes go back unsaturated.
    return _mm512_packus_epi16(newLow, newHigh);
}

// One 128-bit lane of a register to memory, extracted by the store itself:
// that form takes no shuffle port, which the arithmetic keeps busy. The
// compiler extracts from a 512-bit register into another register first, so
// the store is spelled out.
template <int Lane>
inline void StoreLane(void* at, __m512i value) {
    __m128i* to = static_cast<__m128i*>(at);
    if (Lane == 0) {
        _mm_storeu_si128(to, _mm512_castsi512_si128(value));
    } else {
        asm("vextracti32x4 %[lane], %[value], %[to]"
            : [to] "=m"(*to)
            : [value] "v"(value), [lane] "i"(Lane));
    }
}

// The upper 256 bits of a register to memory, extracted by the store.
inline void StoreHalf(void* at, __m512i value) {
    __m256i* to = static_cast<__m256i*>(at);
    asm("vextracti64x4 $1, %[value], %[to]" : [to] "=m"(*to) : [value] "v"(value));
}

// Stores lanes 4 - Rows .. 3 of a register, 16 bytes each, at element x of
// the rows (cells or pixels).
template <int Rows, typename Element>
inline void StoreLanes(__m512i value, Element* const* rows, int x) {
    Element* at[4];
    for (int r = 0; r < Rows; ++r) at[4 - Rows + r] = rows[r] + x;
    if (Rows == 4) StoreLane<0>(at[0], value);
    if (Rows >= 3) StoreLane<1>(at[1], value);
    if (Rows >= 2) StoreLane<2>(at[2], value);
    StoreLane<3>(at[3], value);
}

// Four pixels of each row (a group's worth) from the low half of each lane.
template <int Rows>
inline void StoreHalfPixelLanes(__m512i value, uint16_t* const* rowOut, int x) {
    __m128i lane[4] = {_mm512_castsi512_si128(value), _mm512_extracti32x4_epi32(value, 1),
                       _mm512_extracti32x4_epi32(value, 2), _mm512_extracti32x4_epi32(value, 3)};
    for (int r = 0; r < Rows; ++r) {
        _mm_storel_epi64(reinterpret_cast<__m128i*>(rowOut[r] + x), lane[4 - Rows + r]);
    }
}

// The wide loop for a block of Rows rows (1 to 4).
template <int Rows>
void Avx512Run(const BlurRow* rows, int x, int end, uint32_t* lefts) {
    Lanes lanes;
    uint32_t* rowCells[Rows];
    uint16_t* rowOut[Rows];
    for (int r = 0; r < Rows; ++r) {
        rowCells[r] = rows[r].cells;
        rowOut[r] = rows[r].out;
    }
    for (int k = 0; k < 4; ++k) lanes.cells[k] = rows[k < 4 - Rows ? 0 : k - (4 - Rows)].cells;
    const uint32_t* under = rows[Rows - 1].below;

    __m512i left = _mm512_setzero_si512();
    for (int r = 0; r < Rows; ++r) {
        left = _mm512_mask_broadcast_i32x4(left, static_cast<__mmask16>(0xFu << 4 * (4 - Rows + r)),
                                           SpreadLeft(lefts[r]));
    }
    // Every group's old is read one group ahead, before the group under way
    // writes anything; the cells four past a span's end are at worst the
    // right border, which is never written.
    __m512i old = Gather(lanes, x);
    for (; x + 8 <= end; x += 8) {
        // The next two groups' olds: eight cells of each row, two rows to a
        // register, then regrouped so that each register holds one group.
        const __m512i upper = Rows8(lanes.cells[0] + x + 4, lanes.cells[1] + x + 4);
        const __m512i lower = Rows8(lanes.cells[2] + x + 4, lanes.cells[3] + x + 4);
        const __m512i second = _mm512_shuffle_i64x2(upper, lower, firstHalves);
        const __m512i third = _mm512_shuffle_i64x2(upper, lower, secondHalves);
        const __m512i first = BlurGroup(old, second, Load128(under + x), &left);
        const __m512i secondCells = BlurGroup(second, third, Load128(under + x + 4), &left);
        old = third;
        StoreLanes<Rows>(first, rowCells, x);
        StoreLanes<Rows>(secondCells, rowCells, x + 4);
        StoreLanes<Rows>(_mm512_packus_epi32(Pixels(first), Pixels(secondCells)), rowOut, x);
    }
    if (x < end) {
        const __m512i cells = BlurGroup(old, Gather(lanes, x + 4), Load128(under + x), &left);
        StoreLanes<Rows>(cells, rowCells, x);
        const __m512i pixels = Pixels(cells);
        StoreHalfPixelLanes<Rows>(_mm512_packus_epi32(pixels, pixels), rowOut, x);
    }
    const __m128i lane[4] = {_mm512_castsi512_si128(left), _mm512_extracti32x4_epi32(left, 1),
                             _mm512_extracti32x4_epi32(left, 2), _mm512_extracti32x4_epi32(left, 3)};
    for (int r = 0; r < Rows; ++r) lefts[r] = JoinLeft(lane[4 - Rows + r]);
}

// ---------------------------------------------------------------------------
// Sixteen rows at a time, one register per column.
//
// Turned on its side, the blur is easy: a register holding cell x of sixteen
// rows (row r in element r) needs, for its new value, the old column x, the
// old column x + 1 (right), the old column x shifted by one row (below) and
// the new column x - 1 (left). Every row's chain then runs down the columns
// in step, and the only price is turning blocks of cells into columns and
// back, which takes in-lane shuffles, not arithmetic.
//
// Each channel's new value, floor((old + right + below + left) / 4), comes
// out of byte averages without widening. With h1 = floor((old + right) / 2),
// h2 = floor((below + left) / 2) and e = 1 when both those sums are odd,
//   new = floor((h1 + e + h2) / 2),
// and h1 + e never passes 255 (h1 is 255 only when old and right are both
// 255, and then their sum is even). The processor's byte average rounds up;
// on complemented bytes it rounds down: floor((a + b) / 2) is
// ~avg(~a, ~b). So the columns are complemented once as they come in, the
// chain runs on complements throughout (~(h1 + e) is ~h1 - e), and the new
// values are complemented once on the way out.

const int columnRows = 16;
// The column blocks keep some twenty-five 512-bit registers busy; a 32-bit
// program has eight, and there the four-row loop is the quicker.
#if defined(__x86_64__) || defined(_M_X64)
const bool columnBlocks = true;
#else
const bool columnBlocks = false;
#endif
// The widest screen the column blocks take (the row under a block is kept
// complemented on the stack); wider ones go four rows at a time.
const int columnMaxWidth = 4096;

inline __m512i Complement(__m512i v) { return _mm512_ternarylogic_epi32(v, v, v, 0x55); }

// (a ^ b) & c, bit by bit.
inline __m512i XorAnd(__m512i a, __m512i b, __m512i c) {
    return _mm512_ternarylogic_epi32(a, b, c, 0x28);
}

// Bits of a where mask is set, of b elsewhere.
inline __m512i Select(__m512i mask, __m512i a, __m512i b) {
    return _mm512_ternarylogic_epi32(mask, a, b, 0xCA);
}

// Four registers of four rows by four cells (element 4L + i of register a:
// cell i of row 4L + a) become four columns (element 4L + a of register i:
// the same cell), and back again.
inline void Transpose4(__m512i* v) {
    const __m512i t0 = _mm512_unpacklo_epi32(v[0], v[1]);
    const __m512i t1 = _mm512_unpackhi_epi32(v[0], v[1]);
    const __m512i t2 = _mm512_unpacklo_epi32(v[2], v[3]);
    const __m512i t3 = _mm512_unpackhi_epi32(v[2], v[3]);
    v[0] = _mm512_unpacklo_epi64(t0, t2);
    v[1] = _mm512_unpackhi_epi64(t0, t2);
    v[2] = _mm512_unpacklo_epi64(t1, t3);
    v[3] = _mm512_unpackhi_epi64(t1, t3);
}

// The pixels of sixteen cells as 32-bit values, with shifts and bit
// selections only: red from bits 19..23 to 11..15, green from 10..15 to
// 5..10, blue from 3..7 to 0..4.
inline __m512i PixelsBySelection(__m512i cells) {
    const __m512i red = _mm512_srli_epi32(cells, 8);
    const __m512i green = _mm512_srli_epi32(cells, 5);
    const __m512i blue = _mm512_srli_epi32(cells, 3);
    const __m512i redGreen = Select(_mm512_set1_epi32(0xF800), red, green);
    const __m512i all = Select(_mm512_set1_epi32(0xFFE0), redGreen, blue);
    return _mm512_and_si512(all, _mm512_set1_epi32(0xFFFF));
}

// The same pixels by two bit-field gathers: vpmultishiftqb takes, for each
// output byte, eight bits from any offset of its 64-bit word (two cells).
// The low byte of a pixel is blue's top five bits (cell bits 3..7) under
// green's bits 2..4 (cell bits 10..12); the high byte green's bits 5..7
// (13..15) under red's top five (19..23). One gather starts the two bytes
// at bits 3 and 13, the other at 5 and 16, and a bit selection keeps the
// right bits of each; the upper half of every 32-bit value stays zero.
__attribute__((target("avx512vbmi"))) inline __m512i PixelsByBitGather(__m512i cells) {
    const __mmask64 pixelBytes = 0x3333333333333333ull;
    const __m512i lowStarts = _mm512_set1_epi64(0x00002D2300000D03ll);   // 3, 13, 35, 45
    const __m512i highStarts = _mm512_set1_epi64(0x0000302500001005ll);  // 5, 16, 37, 48
    const __m512i first = _mm512_maskz_multishift_epi64_epi8(pixelBytes, lowStarts, cells);
    const __m512i second = _mm512_maskz_multishift_epi64_epi8(pixelBytes, highStarts, cells);
    // Bits 0..4 of the low byte and 0..2 of the high byte from the first.
    return _mm512_ternarylogic_epi32(first, second, _mm512_set1_epi32(0x071F), 0xE4);
}

// The sixteen rows of a block: the first row's cells and pixels, and the
// distances from row to row in cells and in pixels.
struct ColumnBlock {
    uint32_t* cells;
    uint16_t* out;
    long cellStride;
    long pixelStride;
};

// A walk along the rows of a block: rows 0, 4, 8 and 12 at the current
// column, and the distances to the three rows under each. Row 4L + a is
// base[L] + offset[a]; all sixteen addresses come from seven registers.
template <typename Element>
struct RowCursor {
    Element* base[4];
    long offset[4];
    RowCursor(Element* first, long stride) {
        for (int k = 0; k < 4; ++k) {
            base[k] = first + 4 * k * stride;
            offset[k] = k * stride;
        }
    }
    Element* At(int row, int x) const { return base[row >> 2] + offset[row & 3] + x; }
    void Advance(int cells) {
        for (int k = 0; k < 4; ++k) base[k] += cells;
    }
};

// Eight cells from x of every row: the row registers of cells x..x+3 and
// of x+4..x+7.
inline void LoadEight(const RowCursor<uint32_t>& rows, int x, __m512i* first, __m512i* second) {
    for (int a = 0; a < 4; ++a) {
        const __m512i top = Rows8(rows.At(a, x), rows.At(a + 4, x));
        const __m512i bottom = Rows8(rows.At(a + 8, x), rows.At(a + 12, x));
        first[a] = _mm512_shuffle_i64x2(top, bottom, firstHalves);
        second[a] = _mm512_shuffle_i64x2(top, bottom, secondHalves);
    }
}

// The inverse of LoadEight: each pair of row registers (lane L of register
// a: row 4L + a), first[a] holding a step's first half and second[a] its
// second, becomes four rows of the pair, two rows to a register, and goes
// out 32 bytes to a row at x: eight cells of a step, or sixteen pixels of
// two steps.
template <typename Element>
inline void StorePairedRows(const RowCursor<Element>& rows, int x, const __m512i* first,
                            const __m512i* second) {
    const __m512i upperRows = _mm512_set_epi64(11, 10, 3, 2, 9, 8, 1, 0);
    const __m512i lowerRows = _mm512_set_epi64(15, 14, 7, 6, 13, 12, 5, 4);
    for (int a = 0; a < 4; ++a) {
        const __m512i upper = _mm512_permutex2var_epi64(first[a], upperRows, second[a]);
        const __m512i lower = _mm512_permutex2var_epi64(first[a], lowerRows, second[a]);
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(rows.At(a, x)),
                            _mm512_castsi512_si256(upper));
        StoreHalf(rows.At(a + 4, x), upper);
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(rows.At(a + 8, x)),
                            _mm512_castsi512_si256(lower));
        StoreHalf(rows.At(a + 12, x), lower);
    }
}

// Stores the lanes of four row registers at x: lane L of register a goes to
// row 4L + a.
template <typename Element>
inline void StoreRows(const RowCursor<Element>& rows, int x, const __m512i* registers) {
    for (int a = 0; a < 4; ++a) {
        Element* at[4] = {rows.At(a, x), rows.At(a + 4, x), rows.At(a + 8, x), rows.At(a + 12, x)};
        StoreLanes<4>(registers[a], at, 0);
    }
}

// One column: the complemented olds of columns x and x + 1, the complemented
// below (column x one row up, the row under the block at the end) and the
// complemented left. Returns the complemented new column, the next left.
inline __m512i BlurColumn(__m512i old, __m512i right, __m512i below, __m512i left, __m512i ones) {
    const __m512i half = _mm512_avg_epu8(old, right);        // ~floor((o + r) / 2)
    const __m512i oddTop = XorAnd(old, right, ones);         // (o + r) odd
    const __m512i both = XorAnd(below, left, oddTop);        // and (b + l) odd
    const __m512i halfBelow = _mm512_avg_epu8(below, left);  // ~floor((b + l) / 2)
    return _mm512_avg_epu8(_mm512_sub_epi8(half, both), halfBelow);
}

// The same column with twinkle candidates in the rows of flags: a candidate
// whose new value fell below its old one flares.
inline __m512i FlareColumn(__m512i result, __m512i old, __mmask16 flags) {
    // New below old is complemented new above complemented old.
    const __mmask16 fading = _mm512_mask_cmpgt_epu32_mask(flags, result, old);
    if (fading == 0) return result;
    const __m512i flared =
        _mm512_slli_epi32(_mm512_andnot_si512(old, _mm512_set1_epi32(0x003F3F3F)), 2);
    return _mm512_mask_mov_epi32(result, fading, Complement(flared));
}

// The blur of one block of sixteen rows over the columns [0, end), end a
// multiple of eight, with the row under the block given complemented, starting with the rows' first
// twinkle candidates in candidate[]. Leaves each row's new value of cell end - 1 in lefts and its
// next candidate in candidate[].
template <typename PixelFunction>
__attribute__((always_inline)) inline void BlurColumns(const ColumnBlock& block, int end,
                                                       const uint32_t* underComplement,
                                                       int64_t* candidate, int64_t interval,
                                                       uint32_t* lefts, PixelFunction pixelsOf) {
    const __m512i ones = _mm512_set1_epi8(1);
    __m512i left = _mm512_set1_epi32(-1);  // complement of a cold left
    // Columns x..x+7 (complemented) wait in current; each step reads the eight
    // after them. Reading the same 32-byte pieces of the rows that the steps
    // write, rather than pieces halfway between, halves the loads that fall
    // at the 4 KiB offsets of recent stores to the rows under them (on a
    // 1,024-wide field the rows are 4 KiB and 32 bytes apart).
    RowCursor<uint32_t> cells(block.cells, block.cellStride);
    RowCursor<uint16_t> out(block.out, block.pixelStride);
    __m512i heldPixels[4];
    __m512i current[8];
    LoadEight(cells, 0, current, current + 4);
    Transpose4(current);
    Transpose4(current + 4);
    for (int i = 0; i < 8; ++i) current[i] = Complement(current[i]);

    ColumnCandidates<columnRows, 8> candidates(candidate, interval);

    // When the surface's rows lie a multiple of 1 KiB apart (1,024 pixels
    // wide: 2,048 bytes), every second row of the block falls in the same
    // first-level cache sets, and pixel lines are evicted between their
    // halves; asking for them two lines ahead, for writing, keeps them near.
    const bool prefetchPixels = (block.pixelStride * 2) % 1024 == 0;
    for (int x = 0; x < end; x += 8) {
        if (prefetchPixels && (x & 31) == 0) {
            for (int r = 0; r < columnRows; ++r) {
                _mm_prefetch(reinterpret_cast<const char*>(out.At(r, 64)), _MM_HINT_ET0);
            }
        }
        // At the end of the row the eight after are the right border and the
        // next row's left border: all unused but the first, the last cell's
        // right.
        __m512i next[8];
        LoadEight(cells, 8, next, next + 4);
        Transpose4(next);
        Transpose4(next + 4);
        for (int i = 0; i < 8; ++i) next[i] = Complement(next[i]);
        // Which rows have a candidate in which of the eight columns.
        unsigned flags[8];
        const bool twinkles = candidates.Take(x, flags);

        __m512i columns[9] = {current[0], current[1], current[2], current[3], current[4],
                              current[5], current[6], current[7], next[0]};
        __m512i fresh[8];
        for (int i = 0; i < 8; ++i) {
            const __m512i below = _mm512_alignr_epi32(
                _mm512_set1_epi32(static_cast<int>(underComplement[x + i])), columns[i], 1);
            left = BlurColumn(columns[i], columns[i + 1], below, left, ones);
            if (twinkles && flags[i] != 0) {
                left = FlareColumn(left, columns[i], static_cast<__mmask16>(flags[i]));
            }
            fresh[i] = Complement(left);
        }
        Transpose4(fresh);
        Transpose4(fresh + 4);
        StorePairedRows(cells, 0, fresh, fresh + 4);
        __m512i pixels[4];
        for (int a = 0; a < 4; ++a) {
            pixels[a] = _mm512_packus_epi32(pixelsOf(fresh[a]), pixelsOf(fresh[a + 4]));
        }
        // Pixels go out sixteen to a row, every second step: a line of
        // pixels is written in two halves instead of four quarters.
        if ((x & 8) == 0 && x + 8 < end) {
            for (int a = 0; a < 4; ++a) heldPixels[a] = pixels[a];
        } else if ((x & 8) == 0) {
            StoreRows(out, 0, pixels);
        } else {
            StorePairedRows(out, -8, heldPixels, pixels);
        }
        cells.Advance(8);
        out.Advance(8);
        for (int i = 0; i < 8; ++i) current[i] = next[i];
    }
    alignas(64) uint32_t last[columnRows];
    _mm512_store_si512(last, Complement(left));
    for (int r = 0; r < columnRows; ++r) lefts[r] = last[r];
}

struct SelectedPixels {
    __m512i operator()(__m512i cells) const { return PixelsBySelection(cells); }
};
struct GatheredPixels {
    __attribute__((target("avx512vbmi"))) __m512i operator()(__m512i cells) const {
        return PixelsByBitGather(cells);
    }
};

__attribute__((noinline)) void BlurColumnsSelecting(const ColumnBlock& block, int end,
                                                    const uint32_t* underComplement,
                                                    int64_t* candidate, int64_t interval,
                                                    uint32_t* lefts) {
    BlurColumns(block, end, underComplement, candidate, interval, lefts, SelectedPixels());
}

__attribute__((noinline, target("avx512vbmi"))) void BlurColumnsGathering(
    const ColumnBlock& block, int end, const uint32_t* underComplement, int64_t* candidate,
    int64_t interval, uint32_t* lefts) {
    BlurColumns(block, end, underComplement, candidate, interval, lefts, GatheredPixels());
}

// Both paths: blocks of sixteen rows down columns, then the rows left over
// four, two and one at a time.
void BlurAvx512(const Sky& sky, uint16_t* pixels, int pitchInPixels, int twinkleInterval,
                bool gather) {
    const int columnsEnd = sky.screenWidth & ~7;
    const bool blocks = columnBlocks && columnsEnd <= columnMaxWidth;
    // A block as the shared walk hands it over: its rows, one field row and
    // one surface row apart, and the row under it, complemented here once.
    auto columns = [gather](uint32_t* const* cells, uint16_t* const* out, int end,
                            int64_t* candidate, int64_t interval, uint32_t* lefts) {
        ColumnBlock block;
        block.cells = cells[0];
        block.out = out[0];
        block.cellStride = cells[1] - cells[0];
        block.pixelStride = out[1] - out[0];
        alignas(32) uint32_t underComplement[columnMaxWidth];
        const uint32_t* under = cells[columnRows];
        for (int x = 0; x < end; x += 8) {
            const __m256i row = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(under + x));
            _mm256_storeu_si256(reinterpret_cast<__m256i*>(underComplement + x),
                                _mm256_xor_si256(row, _mm256_set1_epi32(-1)));
        }
        if (gather) {
            BlurColumnsGathering(block, end, underComplement, candidate, interval, lefts);
        } else {
            BlurColumnsSelecting(block, end, underComplement, candidate, interval, lefts);
        }
    };
    BlurFieldByColumns<columnRows>(sky, pixels, pitchInPixels, twinkleInterval, blocks ? columnsEnd : 0,
                                   columns, Avx512Run<4>, Avx512Run<2>, Avx512Run<1>);
    // Leave the upper register halves clean for SSE code that follows.
    _mm256_zeroupper();
}

}  // namespace

void BlurHeatFieldAvx512(Sky& sky, uint16_t* pixels, int pitchInPixels, int twinkleInterval) {
    BlurAvx512(sky, pixels, pitchInPixels, twinkleInterval, false);
}

void BlurHeatFieldAvx512Vbmi(Sky& sky, uint16_t* pixels, int pitchInPixels, int twinkleInterval) {
    BlurAvx512(sky, pixels, pitchInPixels, twinkleInterval, true);
}
