// The canvas sizes.
#include "engine/Geometry.h"

#include "settings/DisplayModes.h"

int32_t& screenWidth = primarySky.screenWidth;
int32_t& screenHeight = primarySky.screenHeight;
int32_t& fieldWidth = primarySky.fieldWidth;
int32_t& fieldHeight = primarySky.fieldHeight;

void SetCanvasSize(Sky& sky, int32_t width, int32_t height) {
    sky.screenWidth = width;
    sky.screenHeight = height;
    sky.fieldWidth = width + 2 * fieldBorder;
    sky.fieldHeight = height + 2 * fieldBorder;
}

void SetCanvasSize(int32_t width, int32_t height) { SetCanvasSize(primarySky, width, height); }

void SetCanvasForDisplayMode(int32_t resolution) {
    const DisplayMode& mode = DisplayModeFor(resolution);
    SetCanvasSize(mode.width, mode.height);
}
