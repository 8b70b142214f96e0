// The skies of the monitors beside the primary: each a picture of fireworks
// of its own (own field, particles and random sequence; no texts, no middle
// message), stepped once for every frame of the primary and stretched over
// its monitor.
#pragma once

#include <cstdint>

#include "engine/Sky.h"
#include "runmode/Covers.h"

struct SkySize {
    int width;
    int height;
};

// The size of the sky of monitor while the chosen display mode is modeHeight
// pixels high: as high as the mode, and as wide as the monitor's shape makes
// that, rounded to the nearest multiple of 16 pixels (at least 16), so the
// sky shows the grain of the primary stretched over any monitor. {0, 0} for
// an empty monitor or a mode height below 1.
SkySize SkySizeFor(int modeHeight, const ScreenRect& monitor);

// A sky beside the primary and the time (milliseconds) its spawner last
// ticked.
struct OtherSky {
    Sky sky;
    unsigned lastSpawn;
};

// Makes other's sky at size with its own random sequence from seed, its
// spawner's first tick a second after now. Returns 1, or 0 when the sky
// cannot be made (nothing is held then).
int StartOtherSky(OtherSky& other, SkySize size, uint32_t seed, unsigned now);
// One frame of the sky at the time now: the spawner's tick once a second
// has passed since the last (as the primary's timer ticks), then the sweep
// and the blur into pixels (16-bit 5-6-5, pitchInPixels apart).
void StepOtherSky(OtherSky& other, unsigned now, uint16_t* pixels, int pitchInPixels);
void ReleaseOtherSky(OtherSky& other);
