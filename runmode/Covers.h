// Where run mode's covers go: every monitor but the one the saver's window
// fills gets a black window of its own, so no other monitor shows the desktop
// while the fireworks run.
#pragma once

#include <vector>

// A rectangle in virtual-screen coordinates, right and bottom exclusive (the
// layout of a Win32 RECT).
struct ScreenRect {
    int left;
    int top;
    int right;
    int bottom;
};

bool operator==(const ScreenRect& a, const ScreenRect& b);

// The rectangles to cover, in the monitors' order: all of monitors but the
// one the saver's window fills, that is the one with the largest share of
// its own area under the window. A window made before a mode change can be
// larger than the primary it fills and reach into a neighbour; the
// neighbour is then only partly under it. The primary monitor comes first,
// so on a tie, or when the window meets no monitor at all, the primary
// stays uncovered. One monitor gives no cover.
std::vector<ScreenRect> CoverRects(const std::vector<ScreenRect>& monitors, const ScreenRect& saver);
