// Line drawing into the heat field: the segments every particle leaves.
#include "engine/HeatField.h"

#include <cstdint>

namespace {

// Writes one cell given in screen coordinates. Cells off the field, border
// included, are skipped: the engine's own points never leave the screen, but
// a stray point must not write outside the field's memory.
inline void PutCell(Sky& sky, int64_t x, int64_t y, uint32_t value) {
    if (x < -fieldBorder || x >= static_cast<int64_t>(sky.screenWidth) + fieldBorder) return;
    if (y < -fieldBorder || y >= static_cast<int64_t>(sky.screenHeight) + fieldBorder) return;
    int64_t column = x + fieldBorder;
    int64_t row = y + fieldBorder;
    // The storage is what truly bounds the write, should the sizes disagree.
    if (column >= sky.fieldWidth || row >= sky.fieldHeight) return;
    sky.heatField[row * sky.fieldWidth + column] = value;
}

}  // namespace

void DrawHeatLine(int x1, int y1, int x2, int y2, uint32_t value) {
    DrawHeatLine(primarySky, x1, y1, x2, y2, value);
}

void DrawHeatLine(Sky& sky, int x1, int y1, int x2, int y2, uint32_t value) {
    if (sky.heatField == nullptr) return;
    // Coordinates and the error term are kept in 64 bits so that far-apart
    // end points cannot overflow.
    int64_t x = x1;
    int64_t y = y1;
    PutCell(sky, x, y, value);
    int64_t dx = static_cast<int64_t>(x2) - x1;
    int64_t dy = static_cast<int64_t>(y2) - y1;
    int64_t stepX = 1;
    int64_t stepY = 1;
    if (dx < 0) {
        stepX = -1;
        dx = -dx;
    }
    if (dy < 0) {
        stepY = -1;
        dy = -dy;
    }
    // The minor axis steps as soon as the error reaches zero (>=, not >), so
    // an exact tie moves early: (0,0)-(2,1) passes through (1,1). A 45-degree
    // line takes the row-major branch. The first cell is written twice.
    if (dx > dy) {
        int64_t e = 2 * dy - dx;
        for (int64_t i = 0; i <= dx; ++i) {
            PutCell(sky, x, y, value);
            if (e >= 0) {
                e -= 2 * dx;
                y += stepY;
            }
            x += stepX;
            e += 2 * dy;
        }
    } else {
        int64_t e = 2 * dx - dy;
        for (int64_t i = 0; i <= dy; ++i) {
            PutCell(sky, x, y, value);
            if (e >= 0) {
                e -= 2 * dy;
                x += stepX;
            }
            y += stepY;
            e += 2 * dx;
        }
    }
}
