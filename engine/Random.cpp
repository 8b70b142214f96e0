// The engine's random generator: a linear congruential generator with the
// classic C runtime constants, so every build draws the same sequence.
#include "engine/Random.h"

#include <cstdlib>
#include <ctime>

namespace {

// Unseeded, the generator behaves as if seeded with 1, like rand().
uint32_t randomState = 1;

}  // namespace

void SeedRandom(uint32_t seed) { randomState = seed; }

void SeedRandomFromTime() {
    const std::time_t now = std::time(nullptr);
    std::srand(static_cast<unsigned>(now));
    SeedRandom(static_cast<uint32_t>(now));
}

int NextRandom() {
    // Unsigned 32-bit arithmetic wraps the same way on every compiler and
    // word size; only the upper 15 bits of the state are handed out because
    // the low bits of such a generator repeat with short periods.
    randomState = randomState * 214013u + 2531011u;
    return static_cast<int>((randomState >> 16) & 0x7FFFu);
}
