// The engine's canvas: the visible screen and the heat field around it.
// Set once when run mode starts, from the display mode of the settings.
#pragma once

#include <cstdint>

#include "engine/Sky.h"

// The heat field's cold border, in cells, on every side of the screen.
const int fieldBorder = 4;

// The primary sky's sizes.
extern int32_t& screenWidth;
extern int32_t& screenHeight;
extern int32_t& fieldWidth;   // screenWidth + 2 * fieldBorder
extern int32_t& fieldHeight;  // screenHeight + 2 * fieldBorder

// A screen of width x height pixels and the field around it.
void SetCanvasSize(Sky& sky, int32_t width, int32_t height);
void SetCanvasSize(int32_t width, int32_t height);
// The screen of a Resolution setting (the default mode for one out of range).
void SetCanvasForDisplayMode(int32_t resolution);
