// The canvas sizes.
#include "engine/Geometry.h"

#include "settings/DisplayModes.h"

int32_t screenWidth = 0;
int32_t screenHeight = 0;
int32_t fieldWidth = 0;
int32_t fieldHeight = 0;

void SetCanvasSize(int32_t width, int32_t height) {
    screenWidth = width;
    screenHeight = height;
    fieldWidth = width + 2 * fieldBorder;
    fieldHeight = height + 2 * fieldBorder;
}

void SetCanvasForDisplayMode(int32_t resolution) {
    const DisplayMode& mode = DisplayModeFor(resolution);
    SetCanvasSize(mode.width, mode.height);
}
