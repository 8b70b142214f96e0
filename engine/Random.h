// The engine's one source of randomness: a 15-bit generator with the C
// runtime's rand() contract (0..32767), identical on every platform, so a
// seeded run gives the same frames on Windows and Linux.
#pragma once

#include <cstdint>

void SeedRandom(uint32_t seed);
// Seeds both this generator and the C runtime's with the current time.
void SeedRandomFromTime();
int NextRandom();  // 0..32767
