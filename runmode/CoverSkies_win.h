// The fireworks on the covers: each cover shows a sky of its own, stepped
// once for every frame of the primary and drawn with GDI (a DIB section
// stretched over the cover), since DirectDraw's exclusive mode belongs to
// the primary.
#pragma once

#include <windows.h>

#include "engine/Sky.h"

// One frame of every cover's sky at the frame clock's time now (ms). A cover
// gets its sky on its first frame, and a new one when its monitor's size
// changed (after a display change); a sky of a cover that went is freed. A
// cover whose sky or drawing cannot be made stays black, until its size
// changes. Nothing is made or drawn while Settings.OtherMonitors is 0.
void StepOtherSkies(unsigned now);
// Frees every sky and its drawing; safe to call twice.
void ReleaseOtherSkies();
// The sky cover shows now, or null when it has none.
const Sky* CoverSkyOf(HWND cover);
