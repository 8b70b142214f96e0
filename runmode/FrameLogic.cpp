// Frame pacing, the frame-rate line, the pulse of the bottom text and the
// spawner's tick, kept free of Win32 so they run under test.
#include "runmode/FrameLogic.h"

#include <cstdio>

#include "engine/Maths.h"
#include "engine/Particles.h"

namespace {

// More particles than this and the spawner waits: it keeps the screen busy
// without letting the sweep's cost run away. A fixed figure, independent of
// the MaxParticleNum setting.
const int spawnLimit = 500;

}  // namespace

unsigned FrameIntervalFor(int fps) {
    if (fps <= 0) return 1000;  // never loaded that way; avoid dividing by zero
    return 1000u / static_cast<unsigned>(fps);
}

unsigned WaitForFrame(unsigned (*clock)(), unsigned lastFrameTime, unsigned interval) {
    // Unsigned subtraction: a counter that wrapped past zero since the last
    // frame still gives the true elapsed time.
    unsigned now = clock();
    while (static_cast<uint32_t>(now - lastFrameTime) < interval) {
        now = clock();
    }
    return now;
}

unsigned MeasureFrameRate(unsigned& lastFrameTime, unsigned now) {
    if (now == lastFrameTime) now = lastFrameTime + 1;
    unsigned rate = 1000u / static_cast<uint32_t>(now - lastFrameTime);
    lastFrameTime = now;
    return rate;
}

void FormatFpsLine(char* buffer, size_t size, unsigned rate, int count) {
    if (buffer == nullptr || size == 0) return;
    std::snprintf(buffer, size, "FPS:%-3d Particle Num:%-5d", static_cast<int>(rate), count);
}

void PulseColour::Start(uint32_t frameInterval) {
    rising = 1;
    value = frameInterval;
}

void PulseColour::Step() {
    // Each band moves one channel: red in the low byte first, then green,
    // then blue, so the text goes black, red, yellow, white and back.
    if (rising != 0) {
        if (value >= 0xFFFFFFu) {
            rising = 0;
        } else if (value >= 0xFFFFu) {
            value += 0x10000u;
        } else if (value >= 0xFFu) {
            value += 0x100u;
        } else {
            value += 1u;
        }
    } else {
        if (value == 0u) {
            rising = 1;
        } else if (value <= 0xFFu) {
            value -= 1u;
        } else if (value <= 0xFFFFu) {
            value -= 0x100u;
        } else {
            value -= 0x10000u;
        }
    }
}

void SpawnerTick(Sky& sky) {
    if (sky.particleCount > spawnLimit) return;
    int rockets = RandomBetween(sky, 0, 3);
    for (int i = 0; i < rockets; ++i) {
        // Type 1 or 2, drawn afresh for each rocket; count, place and colour
        // 0 leave them to the burst's own random choices.
        SpawnBurst(sky, RandomBetween(sky, 0, 3), 0, 0, 0, 0);
    }
}

void SpawnerTick() { SpawnerTick(primarySky); }
