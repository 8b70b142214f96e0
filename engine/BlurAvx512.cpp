// The blur in 512-bit packed words, four rows per register; this file alone
// is built with -mavx512f -mavx512bw -mavx512vl and runs only where the
// processor check allows.
#include <immintrin.h>

// This compiler's 512-bit intrinsics start many results from a deliberately
// undefined register and then warn about it when inlined.
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#pragma GCC diagnostic ignored "-Wuninitialized"

#include "engine/Blur.h"
#include "engine/BlurRows.h"

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
// (run_i + L) >> 2(i + 1): the high half of a multiply by 2^(16 - k).
inline __m512i LowScale() {  // words 2^14 for cell 0, 2^12 for cell 1
    return _mm512_set4_epi32(0x10001000, 0x10001000, 0x40004000, 0x40004000);
}
inline __m512i HighScale() {  // 2^10 for cell 2, 2^8 for cell 3
    return _mm512_set4_epi32(0x01000100, 0x01000100, 0x04000400, 0x04000400);
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
    const __m512i newLow = _mm512_mulhi_epu16(low, LowScale());
    const __m512i newHigh = _mm512_mulhi_epu16(high, HighScale());
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

inline __m128i SpreadLeft(uint32_t left) {
    const __m128i words =
        _mm_unpacklo_epi8(_mm_cvtsi32_si128(static_cast<int>(left)), _mm_setzero_si128());
    return _mm_unpacklo_epi64(words, words);
}
inline uint32_t JoinLeft(__m128i left) {
    return static_cast<uint32_t>(_mm_cvtsi128_si32(_mm_packus_epi16(left, left)));
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

}  // namespace

void BlurHeatFieldAvx512(uint16_t* pixels, int pitchInPixels, int twinkleInterval) {
    BlurField(pixels, pitchInPixels, twinkleInterval, Avx512Run<4>, Avx512Run<2>, Avx512Run<1>);
    // Leave the upper register halves clean for SSE code that follows.
    _mm256_zeroupper();
}
