// Run mode's engine state as a whole: set up once at start, released at end.
#pragma once

#include <cstdint>

#include "engine/Sky.h"

// Fills the degree tables, creates the primary sky's empty particle list and
// its zeroed heat field at the canvas size already set. Returns 1, or 0 when
// memory cannot be had (nothing is left allocated then).
int InitEngine();
// Releases the primary sky's heat field and particle list; safe to call twice.
void ReleaseEngine();

// Makes sky a screen of width x height pixels with an empty particle list, a
// zeroed heat field, no middle message and its own random sequence seeded
// with seed. The degree tables must be filled already (InitEngine). Returns
// 1, or 0 when the sizes are not positive or memory cannot be had (the sky
// then holds nothing to release). A sky that held buffers is released first.
int InitSky(Sky& sky, int32_t width, int32_t height, uint32_t seed);
// Frees the sky's field and list; safe to call twice and on a zeroed sky.
void ReleaseSky(Sky& sky);
