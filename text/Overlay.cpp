// Placement of the overlay texts and the burn of a centred line into the
// heat field; the GDI drawing itself is run mode's (runmode/Overlay_win.cpp).
#include "text/Overlay.h"

#include <cstdint>

#include "engine/Geometry.h"
#include "engine/HeatField.h"
#include "platform/Platform.h"

OverlayPlacement PlaceOverlayText(int cx, int cy, int x, int y, int centred, int bottomRight) {
    OverlayPlacement place = {x, y};
    if (centred) {
        // Integer division and the cast both truncate toward zero, so a line
        // wider or taller than the screen is still centred to the pixel.
        // 0.382 puts the line at the upper golden-section point of the free
        // height, above the rockets' usual bursting height.
        place.x = (screenWidth - cx) / 2;
        place.y = static_cast<int>((screenHeight - cy) * 0.382);
    } else if (bottomRight) {
        place.x = screenWidth - cx - 4;
        place.y = screenHeight - cy - 2;
    }
    return place;
}

void BurnTextIntoField(const uint16_t* pixels, int pitchBytes, int x, int y, int cx, int cy,
                       COLORREF colour) {
    if (pixels == nullptr || HeatField == nullptr || pitchBytes <= 0) return;
    // Clip the box to the visible screen (which the field covers, border
    // aside): a long line, a huge font or a negative corner must not reach
    // past the surface or the field. 64-bit sums keep x + cx from wrapping.
    int64_t left = x < 0 ? 0 : x;
    int64_t top = y < 0 ? 0 : y;
    int64_t right = static_cast<int64_t>(x) + cx;
    int64_t bottom = static_cast<int64_t>(y) + cy;
    int64_t screenRight = screenWidth;
    int64_t screenBottom = screenHeight;
    if (screenRight > fieldWidth - 2 * fieldBorder) screenRight = fieldWidth - 2 * fieldBorder;
    if (screenBottom > fieldHeight - 2 * fieldBorder) screenBottom = fieldHeight - 2 * fieldBorder;
    if (right > screenRight) right = screenRight;
    if (bottom > screenBottom) bottom = screenBottom;
    if (left >= right || top >= bottom) return;

    // The text is found by its exact 16-bit colour in the finished picture:
    // glyph pixels in the text colour are burnt, smoothed edges are not, and
    // a background pixel that happens to match is burnt too.
    const uint32_t cell = ColorRefToCell(colour);
    const uint16_t pixel = CellToRGB565(cell);
    const unsigned char* surface = reinterpret_cast<const unsigned char*>(pixels);
    for (int64_t row = top; row < bottom; ++row) {
        const uint16_t* line = reinterpret_cast<const uint16_t*>(surface + row * pitchBytes);
        uint32_t* cells = HeatField + (row + fieldBorder) * fieldWidth + fieldBorder;
        for (int64_t column = left; column < right; ++column) {
            if (line[column] == pixel) cells[column] = cell;
        }
    }
}

void DrawOverlayText(const char* text, int x, int y, COLORREF colour, const LOGFONTA* font,
                     int centred, int bottomRight) {
    if (text == nullptr || font == nullptr) return;
    ThePlatform().DrawTextLine(text, x, y, colour, font, centred, bottomRight);
}
