// Texts over the picture: where a line goes, and how a centred line is burnt
// into the heat field so that it glows and melts away.
#pragma once

#include <cstdint>

#include "platform/PlatformTypes.h"

struct OverlayPlacement {
    int x;
    int y;
};

// The top-left corner of a text box of cx x cy pixels: centred (x halfway,
// y at 0.382 of the free height, both truncated toward zero), else against
// the bottom-right corner (4 and 2 pixels in), else at (x, y) as given.
// centred wins when both flags are set.
OverlayPlacement PlaceOverlayText(int cx, int cy, int x, int y, int centred, int bottomRight);

// Finds the pixels of the box (x, y, cx, cy) that show the text colour's exact
// 16-bit value on the locked surface and writes the colour into their heat
// field cells. pixels is the locked surface, at least screenWidth x
// screenHeight pixels of pitchBytes per row. The box is clipped to the
// visible screen, so nothing outside the surface or the field is touched.
void BurnTextIntoField(const uint16_t* pixels, int pitchBytes, int x, int y, int cx, int cy,
                       COLORREF colour);

// Draws one line of text on the back buffer (and burns it when centred)
// through the installed platform; the null platform (tests, or before run
// mode has its surfaces) draws nothing. No text or no font: nothing either.
void DrawOverlayText(const char* text, int x, int y, COLORREF colour, const LOGFONTA* font,
                     int centred, int bottomRight);
