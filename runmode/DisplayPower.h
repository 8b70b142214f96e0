// Whether the display is dark, as the system last reported it. Nothing run
// mode draws is seen then, so the frame loop (and anything else that draws
// each frame) asks DisplayIsOff and rests instead.
#pragma once

#include <cstdint>

// 1 while the display is off, 0 otherwise (and before any report).
int DisplayIsOff();

// Takes a reported display state: 0 off, 1 on, 2 dimmed; any other value
// counts as on, so that a report not understood never stops the fireworks.
// Returns 1 when the display has just come back on, 0 otherwise.
int NoteDisplayState(uint32_t state);
