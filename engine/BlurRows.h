// The frame-level walk shared by the blur's packed paths: rows, the twinkle
// countdown and the single cells the wide loops leave over.
//
// Everything here has internal linkage on purpose. Each path's file is built
// for its own instruction set; an inline function with external linkage
// compiled into the AVX2 file could be the copy the linker keeps for the whole
// program, and would then fault on a processor without AVX2.
#pragma once

#include <cstdint>

#include "engine/HeatField.h"
#include "settings/Settings.h"

namespace {

// One blurred cell in two 16-bit lanes per word: blue and red in one word,
// green and the top byte in the other. Four values of at most 255 sum to at
// most 1020, so no lane spills into the next.
inline uint32_t BlurCellPacked(uint32_t old, uint32_t left, uint32_t right, uint32_t below) {
    const uint32_t lanes = 0x00FF00FFu;
    const uint32_t even = (old & lanes) + (left & lanes) + (right & lanes) + (below & lanes);
    const uint32_t odd = ((old >> 8) & lanes) + ((left >> 8) & lanes) + ((right >> 8) & lanes) +
                         ((below >> 8) & lanes);
    return ((even >> 2) & lanes) | (((odd >> 2) & lanes) << 8);
}

inline uint16_t PackedToRGB565(uint32_t cell) {
    return static_cast<uint16_t>(((cell >> 8) & 0xF800u) | ((cell >> 5) & 0x07E0u) |
                                 ((cell >> 3) & 0x001Fu));
}

// One cell the slow way, with or without a twinkle. Returns its new value,
// the next cell's left.
inline uint32_t BlurSingleCell(uint32_t* row, const uint32_t* below, uint16_t* out, int x,
                               uint32_t left, bool twinkle) {
    const uint32_t old = row[x];
    uint32_t value = BlurCellPacked(old, left, row[x + 1], below[x]);
    // Whole-word comparison: red decides, then green, then blue.
    if (twinkle && value < old) value = (old & 0x003F3F3Fu) << 2;
    row[x] = value;
    out[x] = PackedToRGB565(value);
    return value;
}

// Where a row's cells live: its first visible cell, the row under it and
// its first pixel.
struct BlurRow {
    uint32_t* cells;
    const uint32_t* below;
    uint16_t* out;
};

inline BlurRow RowAt(uint16_t* pixels, int pitchInPixels, int y) {
    BlurRow row;
    row.cells = HeatField + static_cast<long>(y + fieldBorder) * fieldWidth + fieldBorder;
    row.below = row.cells + fieldWidth;
    row.out = pixels + static_cast<long>(y) * pitchInPixels;
    return row;
}

// Index, counted from the start of a row, of the first twinkle candidate at
// or past the next row, given the row's first candidate: the countdown runs
// on across row ends. 64 bits, so a huge interval cannot overflow.
inline int64_t CandidateInNextRow(int64_t next, int64_t interval, int width) {
    if (next < width) next += ((width - 1 - next) / interval + 1) * interval;
    return next - width;
}

// The first candidate of the frame: the countdown starts at the interval.
// An interval below 1 never reaches 0, so no cell is ever a candidate.
inline int64_t FirstCandidate(int twinkleInterval) {
    return twinkleInterval > 0 ? static_cast<int64_t>(twinkleInterval) - 1 : INT64_MAX / 2;
}

// Blurs one row. Span(row, x, end, left) blurs the cells [x, end) of the
// row, none of them a twinkle candidate, and returns the value of cell
// end - 1 (left when the span is empty). The candidates themselves are done
// one by one here: there are one or two per row at the intervals the saver
// draws, so the wide loops never need to look at them. Takes the row's
// first candidate and returns the next row's.
template <typename Span>
int64_t BlurOneRow(const BlurRow& row, int64_t next, int twinkleInterval, Span span) {
    const int width = screenWidth;
    uint32_t left = 0;  // the first cell never reads the border
    int x = 0;
    for (; next < width; next += twinkleInterval) {
        const int candidate = static_cast<int>(next);
        left = span(row, x, candidate, left);
        left = BlurSingleCell(row.cells, row.below, row.out, candidate, left, true);
        x = candidate + 1;
    }
    span(row, x, width, left);
    return next - width;
}

// Blurs the whole visible field one row at a time.
template <typename Span>
void BlurRows(uint16_t* pixels, int pitchInPixels, int twinkleInterval, Span span) {
    if (HeatField == nullptr || pixels == nullptr) return;
    int64_t next = FirstCandidate(twinkleInterval);
    for (int y = 0; y < screenHeight; ++y) {
        next = BlurOneRow(RowAt(pixels, pitchInPixels, y), next, twinkleInterval, span);
    }
}

// The same walk two rows at a time, for paths that put a row in each half of
// a register: PairSpan(top, bottom, x, end, lefts) blurs [x, end) in both
// rows (top's cells before bottom's at each x, since top reads bottom's old
// values as its below) and updates lefts[0] and lefts[1]. A cell that is a
// candidate in either row stops both rows' spans. An odd last row goes
// through Span alone.
template <typename PairSpan, typename Span>
void BlurRowPairs(uint16_t* pixels, int pitchInPixels, int twinkleInterval, PairSpan pairSpan,
                  Span span) {
    if (HeatField == nullptr || pixels == nullptr) return;
    const int width = screenWidth;
    const int height = screenHeight;
    int64_t next = FirstCandidate(twinkleInterval);
    int y = 0;
    for (; y + 2 <= height; y += 2) {
        const BlurRow top = RowAt(pixels, pitchInPixels, y);
        const BlurRow bottom = RowAt(pixels, pitchInPixels, y + 1);
        int64_t nextTop = next;
        int64_t nextBottom = CandidateInNextRow(next, twinkleInterval, width);
        uint32_t lefts[2] = {0, 0};
        int x = 0;
        for (;;) {
            const int64_t stop = nextTop < nextBottom ? nextTop : nextBottom;
            const int end = stop < width ? static_cast<int>(stop) : width;
            pairSpan(top, bottom, x, end, lefts);
            if (end == width) break;
            lefts[0] = BlurSingleCell(top.cells, top.below, top.out, end, lefts[0], nextTop == end);
            lefts[1] = BlurSingleCell(bottom.cells, bottom.below, bottom.out, end, lefts[1],
                                      nextBottom == end);
            if (nextTop == end) nextTop += twinkleInterval;
            if (nextBottom == end) nextBottom += twinkleInterval;
            x = end + 1;
        }
        next = nextBottom - width;
    }
    if (y < height) BlurOneRow(RowAt(pixels, pitchInPixels, y), next, twinkleInterval, span);
}

}  // namespace
