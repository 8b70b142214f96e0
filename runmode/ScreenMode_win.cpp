// The display mode run mode takes, and the canvas that follows it.
#include "runmode/ScreenMode_win.h"

#include "engine/Geometry.h"
#include "engine/HeatField.h"
#include "settings/DisplayModes.h"
#include "settings/Settings.h"

namespace {

int TrySixteenBitMode(const DisplayMode& mode, void* context) {
    auto* directDraw = static_cast<IDirectDraw7*>(context);
    return SUCCEEDED(directDraw->SetDisplayMode(mode.width, mode.height, 16, 0, 0)) ? 1 : 0;
}

}  // namespace

int SetScreenMode(IDirectDraw7* directDraw) {
    // A laptop's panel often lacks 1280x1024, and a settings file copied
    // from another PC may ask for it: fireworks in a smaller mode rather
    // than an error box at every start.
    const DisplayMode* mode = TakeDisplayMode(Settings.Resolution, TrySixteenBitMode, directDraw);
    if (mode == nullptr) return 0;
    if (mode->width == screenWidth && mode->height == screenHeight) return 1;
    // Nothing has been drawn yet: the field is made afresh at the mode's size.
    SetCanvasSize(mode->width, mode->height);
    return AllocHeatField();
}
