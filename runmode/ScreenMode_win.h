// The display mode of run mode: the one chosen in the settings, or the
// largest smaller one the display has.
#pragma once

#include <windows.h>
#include <ddraw.h>

// Switches the display, through directDraw in exclusive mode, to the
// settings' mode in 16-bit colour, or when it refuses that one to the next
// smaller of the four it takes. The engine's canvas and heat field follow
// the mode taken (the settings stay as they are). Returns 1, or 0 when the
// display takes none of them (or the smaller field cannot be had).
int SetScreenMode(IDirectDraw7* directDraw);
