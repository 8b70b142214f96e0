// The skies beside the primary: their sizes from the chosen mode and the
// monitor's shape, their spawner's clock, and a sky that cannot be made.
#include <gtest/gtest.h>

#include <vector>

#include "engine/Engine.h"
#include "engine/ParticleAlloc.h"
#include "runmode/OtherSkies.h"

namespace {

TEST(SkySizeFor, ModeHeightAndTheMonitorsShape) {
    const struct {
        const char* layout;
        int modeHeight;
        ScreenRect monitor;
        int width;
        int height;
    } cases[] = {
        // The width to the nearest multiple of 16.
        {"wide, 1066.7 rounds up", 600, {0, 0, 1920, 1080}, 1072, 600},
        {"wide at 1280x1024, 1820.4 up", 1024, {1280, 0, 3200, 1080}, 1824, 1024},
        {"the mode's own shape", 480, {1280, 0, 2304, 768}, 640, 480},
        {"tall, 337.5 rounds down", 600, {0, 0, 1080, 1920}, 336, 600},
        {"half way rounds up", 480, {0, 0, 24, 480}, 32, 480},
        {"just under half way rounds down", 480, {0, 0, 23, 480}, 16, 480},
        {"stacked under the primary", 768, {0, 1024, 1280, 2048}, 960, 768},
        {"left of and above the primary", 1024, {-1920, -1080, 0, 0}, 1824, 1024},
        {"smaller than the mode, 1365.3 down", 1024, {-800, 0, 0, 600}, 1360, 1024},
        {"a sliver: at least 16", 480, {0, 0, 1, 4000}, 16, 480},
        {"no width", 600, {100, 0, 100, 1080}, 0, 0},
        {"upside down", 600, {0, 1080, 1920, 0}, 0, 0},
        {"no mode height", 0, {0, 0, 1920, 1080}, 0, 0},
    };
    for (const auto& c : cases) {
        const SkySize size = SkySizeFor(c.modeHeight, c.monitor);
        EXPECT_EQ(size.width, c.width) << c.layout;
        EXPECT_EQ(size.height, c.height) << c.layout;
    }
}

TEST(OtherSky, SpawnerTicksOnceASecondAcrossTheClocksWrap) {
    const unsigned start = 0xFFFFFC00u;  // 1024 ms before the wrap
    OtherSky other = {};
    ASSERT_EQ(StartOtherSky(other, {320, 240}, 99u, start), 1);
    std::vector<uint16_t> pixels(320 * 240);
    const struct {
        unsigned after;  // ms since the start
        bool spawns;
    } steps[] = {{0, false}, {999, false}, {1000, true}, {1999, false}, {2000, true}, {2100, false}};
    for (const auto& step : steps) {
        const Particle* tail = other.sky.particleTail;
        StepOtherSky(other, start + step.after, pixels.data(), 320);
        // A tick launches one or two rockets, which take many frames to burst.
        EXPECT_EQ(other.sky.particleTail != tail, step.spawns) << step.after << " ms";
    }
    ReleaseOtherSky(other);
    ReleaseOtherSky(other);  // twice is harmless
    EXPECT_EQ(other.sky.heatField, nullptr);
}

TEST(OtherSky, ASkyThatCannotBeMadeHoldsNothing) {
    OtherSky other = {};
    particleAllocBudget = 0;
    EXPECT_EQ(StartOtherSky(other, {320, 240}, 1u, 0), 0);
    particleAllocBudget = -1;
    EXPECT_EQ(other.sky.heatField, nullptr);
    EXPECT_EQ(other.sky.particleHead, nullptr);
    EXPECT_EQ(StartOtherSky(other, {0, 0}, 1u, 0), 0);
    EXPECT_EQ(other.sky.heatField, nullptr);
    // Stepping it anyway (no pixels, no list) does nothing.
    StepOtherSky(other, 5000, nullptr, 0);
    EXPECT_EQ(other.sky.particleCount, 0);
}

}  // namespace
