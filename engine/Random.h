// The engine's one source of randomness: a 15-bit generator with the C
// runtime's rand() contract (0..32767), identical on every platform, so a
// seeded run gives the same frames on Windows and Linux.
#pragma once

#include <cstdint>

#include "engine/Sky.h"

// Each sky draws its own sequence from its randomState; the calls without a
// sky draw the primary sky's.
void SeedRandom(Sky& sky, uint32_t seed);
void SeedRandom(uint32_t seed);
// Seeds both the primary sky's sequence and the C runtime's with the
// current time.
void SeedRandomFromTime();
int NextRandom(Sky& sky);  // 0..32767
int NextRandom();
