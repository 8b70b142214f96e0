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

// Blurs the whole visible field. Span(row, below, out, x, end, left) blurs
// the cells [x, end) of one row, none of them a twinkle candidate, and
// returns the value of cell end - 1 (left when the span is empty). The
// candidates themselves are done one by one here: there are one or two per
// row at the intervals the saver draws, so the wide loops never need to
// look at them.
template <typename Span>
void BlurRows(uint16_t* pixels, int pitchInPixels, int twinkleInterval, Span span) {
    if (HeatField == nullptr || pixels == nullptr) return;
    const int width = screenWidth;
    const int height = screenHeight;
    const int stride = fieldWidth;
    // Index in the current row of the next candidate; 64 bits so a huge
    // interval cannot overflow when it is stepped past the row.
    int64_t next = twinkleInterval > 0 ? static_cast<int64_t>(twinkleInterval) - 1 : INT64_MAX;
    for (int y = 0; y < height; ++y) {
        uint32_t* row = HeatField + static_cast<long>(y + fieldBorder) * stride + fieldBorder;
        const uint32_t* below = row + stride;
        uint16_t* out = pixels + static_cast<long>(y) * pitchInPixels;
        uint32_t left = 0;  // the first cell never reads the border
        int x = 0;
        while (next < width) {
            const int candidate = static_cast<int>(next);
            left = span(row, below, out, x, candidate, left);
            left = BlurSingleCell(row, below, out, candidate, left, true);
            x = candidate + 1;
            next += twinkleInterval;
        }
        span(row, below, out, x, width, left);
        // The countdown runs on into the next row.
        next -= width;
    }
}

}  // namespace
