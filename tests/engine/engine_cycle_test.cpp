// Run mode's engine from set-up to release, many frames at a time, twice in
// one process: nothing may leak or carry over from one run to the next.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "blur/Blur.h"
#include "engine/Engine.h"
#include "engine/Geometry.h"
#include "engine/HeatField.h"
#include "engine/Maths.h"
#include "engine/ParticleAlloc.h"
#include "engine/Particles.h"
#include "engine/Random.h"
#include "runmode/FrameLogic.h"
#include "settings/Settings.h"
#include "text/MidMessage.h"

namespace {

struct RunResult {
    uint64_t fieldHash;
    uint64_t pixelHash;
    int32_t finalCount;
    int32_t mostParticles;
};

uint64_t Mix(uint64_t hash, uint32_t value) { return (hash ^ value) * 1099511628211ull; }

void UseScreen(int width, int height) {
    SetCanvasSize(width, height);
}

// Frames as the saver makes them: a spawner tick every few frames, a sweep
// and a blur into a back buffer every frame; the middle message for a while.
RunResult RunEngine(uint32_t seed, int frames) {
    RunResult r{14695981039346656037ull, 14695981039346656037ull, 0, 0};
    UseScreen(640, 480);
    midTextActive = 0;
    EXPECT_EQ(InitEngine(), 1);
    EXPECT_NE(particleHead, nullptr);
    EXPECT_EQ(particleHead->next, nullptr);
    EXPECT_EQ(particleTail, particleHead);
    EXPECT_EQ(particleCount, 0);
    for (int i = 0; i < fieldWidth * fieldHeight; ++i) {
        if (HeatField[i] != 0) {
            ADD_FAILURE() << "field not cold at start";
            break;
        }
    }

    SeedRandom(seed);
    const int pitch = 648;  // wider than the screen, as surfaces often are
    std::vector<uint16_t> backBuffer(static_cast<size_t>(pitch) * 480, 0);
    for (int frame = 0; frame < frames; ++frame) {
        if (frame % 10 == 0) SpawnerTick();
        midTextActive = frame >= 150 && frame < 220 ? 1 : 0;
        SweepParticles();
        BlurHeatField(backBuffer.data(), pitch, RandomBetween(791, 2797));
        if (particleCount > r.mostParticles) r.mostParticles = particleCount;
    }

    int32_t walked = 0;
    Particle* last = particleHead;
    for (; last->next != nullptr; last = last->next) ++walked;
    EXPECT_EQ(walked, particleCount);
    EXPECT_EQ(last, particleTail);
    r.finalCount = particleCount;
    for (int i = 0; i < fieldWidth * fieldHeight; ++i) r.fieldHash = Mix(r.fieldHash, HeatField[i]);
    for (uint16_t px : backBuffer) r.pixelHash = Mix(r.pixelHash, px);

    ReleaseEngine();
    EXPECT_EQ(HeatField, nullptr);
    EXPECT_EQ(particleHead, nullptr);
    EXPECT_EQ(particleTail, nullptr);
    EXPECT_EQ(particleCount, 0);
    midTextActive = 0;
    return r;
}

TEST(EngineCycle, TwoRunsInOneProcessMatch) {
    const RunResult first = RunEngine(2024, 300);
    const RunResult second = RunEngine(2024, 300);
    EXPECT_EQ(first.fieldHash, second.fieldHash);
    EXPECT_EQ(first.pixelHash, second.pixelHash);
    EXPECT_EQ(first.finalCount, second.finalCount);
    // The run did something: rockets rose and burst into many sparks.
    EXPECT_GT(first.mostParticles, 50);
    const RunResult other = RunEngine(2025, 300);
    EXPECT_NE(other.fieldHash, first.fieldHash);
    // Releasing again is harmless.
    ReleaseEngine();
    ReleaseEngine();
}

TEST(EngineCycle, SetUpFailsCleanlyWithoutMemoryForTheList) {
    UseScreen(640, 480);
    particleAllocBudget = 0;
    EXPECT_EQ(InitEngine(), 0);
    particleAllocBudget = -1;
    EXPECT_EQ(particleHead, nullptr);
    EXPECT_EQ(particleTail, nullptr);
    EXPECT_EQ(HeatField, nullptr);
    // A sweep or a spawn without the engine does nothing.
    SpawnerTick();
    SweepParticles();
    EXPECT_EQ(particleCount, 0);
    ASSERT_EQ(InitEngine(), 1);
    ReleaseEngine();
}

}  // namespace
