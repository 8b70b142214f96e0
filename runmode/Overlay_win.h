// The GDI body of DrawOverlayText: the Windows platform draws texts with it.
#pragma once

#include <windows.h>

// Draws text on backSurface and, when centred, burns it into the heat field.
// Draws nothing when there is no surface or it yields no device context.
void DrawOverlayTextOnSurface(const char* text, int x, int y, COLORREF colour, const LOGFONTA* font,
                              int centred, int bottomRight);
