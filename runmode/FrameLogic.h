// The portable share of run mode's frame loop: pacing, the frame rate shown,
// the pulsing colour of the bottom text and the spawner's tick.
#pragma once

#include <cstddef>
#include <cstdint>

#include "engine/Sky.h"

// Milliseconds per frame for a frame rate of fps (15..100): 1000 / fps,
// rounded down (33 at 30 frames per second).
unsigned FrameIntervalFor(int fps);

// Spins on clock() until at least interval milliseconds have passed since
// lastFrameTime and returns the clock's value then. Works across the wrap of
// the 32-bit millisecond counter. Never sleeps.
unsigned WaitForFrame(unsigned (*clock)(), unsigned lastFrameTime, unsigned interval);

// The rate shown for the frame that ends at now: 1000 / (now - lastFrameTime),
// with a zero gap counted as 1 ms. Stores the frame's end in lastFrameTime.
unsigned MeasureFrameRate(unsigned& lastFrameTime, unsigned now);

// Writes the top-left frame-rate line, "FPS:<rate> Particle Num:<count>" with
// the rate left-aligned in three places and the count in five, into buffer.
// Never writes more than size bytes; the line is cut short (and terminated)
// when it does not fit.
void FormatFpsLine(char* buffer, size_t size, unsigned rate, int count);

// The automatic colour of the bottom text (a GDI colour, red in the low
// byte): black rising through red, yellow and white and falling back, one
// step per frame.
struct PulseColour {
    uint32_t value;
    int rising;  // non-zero while the colour brightens

    // Starts rising at the frame interval rather than at black.
    void Start(uint32_t frameInterval);
    // One frame's step; holds one frame at white and at black when it turns.
    void Step();
};

// Timer 1's tick: while the sky (the primary's without one) has at most 500
// particles, launches one or two rockets of a random type (1 or 2).
void SpawnerTick(Sky& sky);
void SpawnerTick();
