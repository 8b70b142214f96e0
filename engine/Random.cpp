// The engine's random generator: a linear congruential generator with the
// classic C runtime constants, so every build draws the same sequence.
#include "engine/Random.h"

#include <cstdlib>
#include <ctime>

void SeedRandom(Sky& sky, uint32_t seed) { sky.randomState = seed; }

void SeedRandom(uint32_t seed) { SeedRandom(primarySky, seed); }

void SeedRandomFromTime() {
    const std::time_t now = std::time(nullptr);
    std::srand(static_cast<unsigned>(now));
    SeedRandom(static_cast<uint32_t>(now));
}

int NextRandom(Sky& sky) {
    // Unsigned 32-bit arithmetic wraps the same way on every compiler and
    // word size; only the upper 15 bits of the state are handed out because
    // the low bits of such a generator repeat with short periods.
    sky.randomState = sky.randomState * 214013u + 2531011u;
    return static_cast<int>((sky.randomState >> 16) & 0x7FFFu);
}

int NextRandom() { return NextRandom(primarySky); }
