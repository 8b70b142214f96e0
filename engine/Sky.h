// A sky: everything one picture of fireworks needs from frame to frame (its
// canvas sizes, heat field, particle list and random state), so that several
// can run side by side. Every engine operation works on the sky it is handed;
// the primary monitor's sky is primarySky, which the engine's plain names
// (HeatField, particleHead, particleCount, screenWidth, ...) denote and the
// operations without a sky argument work on.
#pragma once

#include <cstdint>

struct Particle;

struct Sky {
    int32_t screenWidth;
    int32_t screenHeight;
    int32_t fieldWidth;   // screenWidth + 2 * fieldBorder
    int32_t fieldHeight;  // screenHeight + 2 * fieldBorder
    // fieldWidth x fieldHeight cells (0x00RRGGBB), row-major, inside
    // heatFieldBlock; both null while the sky has no field.
    uint32_t* heatField;
    void* heatFieldBlock;
    Particle* particleHead;  // the list's sentinel; null while there is no list
    Particle* particleTail;
    int32_t particleCount;
    // Set while a middle message shows over this sky: rockets burst
    // differently. Only the primary ever shows one.
    int32_t midTextActive;
    // The state of this sky's own random sequence (Random.h).
    uint32_t randomState;
};

// The primary monitor's sky: set up by InitEngine, released by ReleaseEngine.
extern Sky primarySky;
