// The table of display modes.
#include "settings/DisplayModes.h"

const DisplayMode displayModes[displayModeCount] = {
    {0, 640, 480, "640*480"},
    {1, 800, 600, "800*600"},
    {2, 1024, 768, "1024*768"},
    {3, 1280, 1024, "1280*1024"},
};

const DisplayMode& DisplayModeFor(int32_t resolution) {
    // The loader keeps Resolution in range; anything else is shown as the
    // default mode rather than read past the table.
    if (resolution < 0 || resolution >= displayModeCount) return displayModes[defaultDisplayMode];
    return displayModes[resolution];
}

const DisplayMode* TakeDisplayMode(int32_t resolution, int (*take)(const DisplayMode& mode, void* context),
                                   void* context) {
    // A settings file copied from a PC with a bigger display names a mode
    // this one may not have: a smaller picture beats an error box.
    for (int32_t index = DisplayModeFor(resolution).index; index >= 0; --index) {
        if (take(displayModes[index], context)) return &displayModes[index];
    }
    return nullptr;
}
