// The frame-level walk shared by the blur's packed paths: blocks of rows for
// the column loops, rows for the row loops, the twinkle countdown and the
// single cells the wide loops leave over.
//
// Everything here has internal linkage on purpose. Each path's file is built
// for its own instruction set; an inline function with external linkage
// compiled into the AVX2 file could be the copy the linker keeps for the whole
// program, and would then fault on a processor without AVX2.
#pragma once

#include <cstdint>

#include "engine/Geometry.h"
#include "engine/HeatField.h"

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

// A candidate cell whose blurred value came out below its old one (compared
// as whole words: red decides, then green, then blue) flares: every channel
// becomes (c mod 64) * 4, so a fading dim cell lights up to four times its
// level, a bright one wraps to some other level, and the top byte clears.
inline uint32_t Flared(uint32_t old) { return (old & 0x003F3F3Fu) << 2; }

// Flares the candidates among Rows cells of a column (bit r of flags: row r),
// their new values in value and their old ones in before.
template <int Rows>
inline void FlareCandidates(uint32_t* value, const uint32_t* before, unsigned flags) {
    for (int r = 0; r < Rows; ++r) {
        if ((flags >> r & 1u) && value[r] < before[r]) value[r] = Flared(before[r]);
    }
}

// One cell the slow way, with or without a twinkle. Returns its new value,
// the next cell's left.
inline uint32_t BlurSingleCell(uint32_t* row, const uint32_t* below, uint16_t* out, int x,
                               uint32_t left, bool twinkle) {
    const uint32_t old = row[x];
    uint32_t value = BlurCellPacked(old, left, row[x + 1], below[x]);
    if (twinkle && value < old) value = Flared(old);
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

inline BlurRow RowAt(const Sky& sky, uint16_t* pixels, int pitchInPixels, int y) {
    BlurRow row;
    row.cells = sky.heatField + static_cast<long>(y + fieldBorder) * sky.fieldWidth + fieldBorder;
    row.below = row.cells + sky.fieldWidth;
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

// Blurs a block of Rows consecutive rows (Rows <= 4) whose first twinkle
// candidates are given, and returns the first candidate of the row after.
//
// Run(rows, x, end, lefts) is the path's wide loop: it blurs the groups of
// four cells in [x, end) (a multiple of four wide) of every row of the
// block, storing cells and pixels, row r's left coming in as lefts[r] and
// going out as its new value of cell end - 1. It knows nothing of twinkles.
// Every row reads its below before the row under it is written, as the
// one-cell-at-a-time order demands.
//
// A group holding a candidate is run the same way with its old values kept;
// the flare is then decided here, and only when one fires is the rest of
// that row's group redone one cell at a time. At the saver's intervals there
// are one or two candidates per row, so the wide loop hardly ever stops.
// The cells after the last whole group are done one at a time.
template <int Rows, typename Run>
int64_t BlurBlock(int width, const BlurRow* rows, int64_t next, int twinkleInterval, Run run) {
    const int groupsEnd = width & ~3;
    const int64_t interval = twinkleInterval;
    int64_t candidate[Rows];
    candidate[0] = next;
    for (int r = 1; r < Rows; ++r) candidate[r] = CandidateInNextRow(candidate[r - 1], interval, width);
    const int64_t after = CandidateInNextRow(candidate[Rows - 1], interval, width);
    uint32_t lefts[Rows];
    for (int r = 0; r < Rows; ++r) lefts[r] = 0;  // the first cell never reads the border

    int x = 0;
    while (x < groupsEnd) {
        int64_t stop = groupsEnd;
        for (int r = 0; r < Rows; ++r) {
            const int64_t group = candidate[r] & ~static_cast<int64_t>(3);
            if (group < stop) stop = group;
        }
        if (stop >= groupsEnd) {
            run(rows, x, groupsEnd, lefts);
            x = groupsEnd;
            break;
        }
        // The group at stop holds a candidate in some row. Keep the old
        // values the fix-up may need (a row's below is the next row's old),
        // then let the wide loop run on through that group in the same call.
        const int at = static_cast<int>(stop);
        uint32_t old[Rows][4];
        unsigned flags[Rows];  // bit i: cell at + i is a candidate
        for (int r = 0; r < Rows; ++r) {
            flags[r] = 0;
            for (; candidate[r] < at + 4; candidate[r] += interval) flags[r] |= 1u << (candidate[r] - at);
            for (int i = 0; i < 4; ++i) old[r][i] = rows[r].cells[at + i];
        }
        run(rows, x, at + 4, lefts);
        for (int r = 0; r < Rows; ++r) {
            if (flags[r] == 0) continue;
            uint32_t* cells = rows[r].cells;
            int i = 0;
            // The wide loop's values hold up to the first candidate that
            // flares: a candidate that does not flare keeps its value.
            while (i < 4 && !((flags[r] >> i & 1u) && cells[at + i] < old[r][i])) ++i;
            if (i == 4) continue;
            uint32_t left = Flared(old[r][i]);
            cells[at + i] = left;
            rows[r].out[at + i] = PackedToRGB565(left);
            for (++i; i < 4; ++i) {
                const uint32_t right = i < 3 ? old[r][i + 1] : cells[at + 4];
                const uint32_t below = r + 1 < Rows ? old[r + 1][i] : rows[r].below[at + i];
                uint32_t value = BlurCellPacked(old[r][i], left, right, below);
                if ((flags[r] >> i & 1u) && value < old[r][i]) value = Flared(old[r][i]);
                cells[at + i] = value;
                rows[r].out[at + i] = PackedToRGB565(value);
                left = value;
            }
            lefts[r] = left;
        }
        x = at + 4;
    }
    for (; x < width; ++x) {
        for (int r = 0; r < Rows; ++r) {
            const bool twinkle = candidate[r] == x;
            if (twinkle) candidate[r] += interval;
            lefts[r] = BlurSingleCell(rows[r].cells, rows[r].below, rows[r].out, x, lefts[r], twinkle);
        }
    }
    return after;
}

// Sets up a block of Rows rows from y for the column loops: where its rows
// lie and each row's first twinkle candidate, the first row's being next.
// Returns the first candidate of the row under the block.
template <int Rows>
int64_t ColumnBlockRows(const Sky& sky, uint16_t* pixels, int pitchInPixels, int y, int64_t next,
                        int64_t interval, BlurRow* rows, int64_t* candidate) {
    const int width = sky.screenWidth;
    for (int r = 0; r < Rows; ++r) {
        rows[r] = RowAt(sky, pixels, pitchInPixels, y + r);
        candidate[r] = r == 0 ? next : CandidateInNextRow(candidate[r - 1], interval, width);
    }
    return CandidateInNextRow(candidate[Rows - 1], interval, width);
}

// The twinkle candidates of a block's rows as a column loop meets them, a
// run of Columns cells at a time. Moves the rows' candidates on as it goes.
template <int Rows, int Columns>
class ColumnCandidates {
public:
    ColumnCandidates(int64_t* candidate, int64_t interval)
        : candidate_(candidate), interval_(interval), soonest_(Soonest()) {}

    // Which rows have a candidate in which of the cells x .. x + Columns - 1
    // (bit r of flags[i]: row r at cell x + i). Returns false, leaving flags
    // alone, when none has: the usual case, one comparison.
    bool Take(int x, unsigned* flags) {
        if (soonest_ >= x + Columns) return false;
        for (int i = 0; i < Columns; ++i) flags[i] = 0;
        for (int r = 0; r < Rows; ++r) {
            for (; candidate_[r] < x + Columns; candidate_[r] += interval_) {
                flags[candidate_[r] - x] |= 1u << r;
            }
        }
        soonest_ = Soonest();
        return true;
    }

private:
    int64_t Soonest() const {
        int64_t soonest = candidate_[0];
        for (int r = 1; r < Rows; ++r) soonest = candidate_[r] < soonest ? candidate_[r] : soonest;
        return soonest;
    }

    int64_t* candidate_;
    int64_t interval_;
    int64_t soonest_;
};

// The cells of a block's rows from x on, after a column loop has done the
// ones before: one at a time, top row first, since each reads the old cells
// of the row under it.
template <int Rows>
void BlurRowEnds(int width, const BlurRow* rows, int x, int64_t* candidate, int64_t interval,
                 uint32_t* lefts) {
    for (int r = 0; r < Rows; ++r) {
        for (int cell = x; cell < width; ++cell) {
            const bool twinkle = candidate[r] == cell;
            if (twinkle) candidate[r] += interval;
            lefts[r] = BlurSingleCell(rows[r].cells, rows[r].below, rows[r].out, cell, lefts[r],
                                      twinkle);
        }
    }
}

// Blurs the visible rows from y down in blocks of four rows, then two, then
// one, with the path's wide loop for each block size; next is row y's first
// twinkle candidate.
template <typename Run4, typename Run2, typename Run1>
void BlurRowsFrom(const Sky& sky, uint16_t* pixels, int pitchInPixels, int twinkleInterval, int y,
                  int64_t next, Run4 run4, Run2 run2, Run1 run1) {
    const int width = sky.screenWidth;
    const int height = sky.screenHeight;
    BlurRow rows[4];
    for (; y + 4 <= height; y += 4) {
        for (int r = 0; r < 4; ++r) rows[r] = RowAt(sky, pixels, pitchInPixels, y + r);
        next = BlurBlock<4>(width, rows, next, twinkleInterval, run4);
    }
    if (y + 2 <= height) {
        for (int r = 0; r < 2; ++r) rows[r] = RowAt(sky, pixels, pitchInPixels, y + r);
        next = BlurBlock<2>(width, rows, next, twinkleInterval, run2);
        y += 2;
    }
    if (y < height) {
        rows[0] = RowAt(sky, pixels, pitchInPixels, y);
        BlurBlock<1>(width, rows, next, twinkleInterval, run1);
    }
}

// Blurs the whole visible field in blocks of Rows rows down the columns
// [0, columnsEnd) with the path's column loop, the cells after columnsEnd
// one at a time, and the rows left over under the last block along the
// rows. columns(cells, out, end, candidate, interval, lefts) gets the
// blocks' rows (cells[Rows]: the row under the block, only read) and works
// as ColumnBlockRows and BlurRowEnds expect. No blocks when columnsEnd is 0.
template <int Rows, typename Columns, typename Run4, typename Run2, typename Run1>
void BlurFieldByColumns(const Sky& sky, uint16_t* pixels, int pitchInPixels, int twinkleInterval,
                        int columnsEnd, Columns columns, Run4 run4, Run2 run2, Run1 run1) {
    if (sky.heatField == nullptr || pixels == nullptr) return;
    const int64_t interval = twinkleInterval;
    int64_t next = FirstCandidate(twinkleInterval);
    int y = 0;
    if (columnsEnd > 0) {
        for (; y + Rows <= sky.screenHeight; y += Rows) {
            BlurRow rows[Rows];
            int64_t candidate[Rows];
            uint32_t lefts[Rows];
            next = ColumnBlockRows<Rows>(sky, pixels, pitchInPixels, y, next, interval, rows,
                                         candidate);
            uint32_t* cells[Rows + 1];
            uint16_t* out[Rows];
            for (int r = 0; r < Rows; ++r) {
                cells[r] = rows[r].cells;
                out[r] = rows[r].out;
            }
            cells[Rows] = const_cast<uint32_t*>(rows[Rows - 1].below);
            columns(cells, out, columnsEnd, candidate, interval, lefts);
            BlurRowEnds<Rows>(sky.screenWidth, rows, columnsEnd, candidate, interval, lefts);
        }
    }
    BlurRowsFrom(sky, pixels, pitchInPixels, twinkleInterval, y, next, run4, run2, run1);
}

}  // namespace
