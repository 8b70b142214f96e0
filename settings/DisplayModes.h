// The four display modes run mode can switch to, in the order of the
// Resolution setting and of the settings dialog's list.
#pragma once

#include <cstdint>

struct DisplayMode {
    int32_t index;     // the Resolution setting that chooses it
    int32_t width;     // pixels
    int32_t height;
    const char* name;  // as the settings dialog lists it
};

const int32_t displayModeCount = 4;
extern const DisplayMode displayModes[displayModeCount];

// What a fresh or unreadable Resolution gives: 800 x 600.
const int32_t defaultDisplayMode = 1;

// The mode of a Resolution setting; the default mode for any value outside
// 0..displayModeCount - 1.
const DisplayMode& DisplayModeFor(int32_t resolution);

// The mode run mode shows for a Resolution setting on a display that may not
// have it: the setting's mode (as DisplayModeFor gives it) if take accepts
// it, else the next smaller mode take accepts, tried in turn from the
// largest down; take is never asked for a larger one. take returns 1 when
// the display now shows the mode, 0 when it refused it. Returns the mode
// taken, or null when the display took none.
const DisplayMode* TakeDisplayMode(int32_t resolution, int (*take)(const DisplayMode& mode, void* context),
                                   void* context);
