// One frame's engine work over a fake back buffer, and the routing of timer
// ticks, which must not reach the engine before set-up has finished.
#include <gtest/gtest.h>

#include <vector>

#include "engine/Engine.h"
#include "engine/Geometry.h"
#include "engine/HeatField.h"
#include "engine/Maths.h"
#include "engine/Particles.h"
#include "engine/Random.h"
#include "platform/Platform.h"
#include "runmode/Frame.h"
#include "runmode/Ticks.h"
#include "settings/Settings.h"

namespace {

// A back buffer that can refuse its lock, and counts what was asked of it;
// installed for as long as it lives.
class FakeSurface : public NullPlatform {
public:
    FakeSurface(int width, int height, int pitchPixels)
        : pixels(static_cast<size_t>(pitchPixels) * height, 0xBEEF), pitch(pitchPixels) {
        (void)width;
        InstallPlatform(this);
    }
    ~FakeSurface() override { InstallPlatform(nullptr); }
    int LockBackBuffer(uint16_t** out, int* pitchBytes) override {
        ++locks;
        if (failLock) return 0;
        *out = pixels.data();
        *pitchBytes = pitch * 2;
        return 1;
    }
    void UnlockBackBuffer() override { ++unlocks; }

    std::vector<uint16_t> pixels;
    int pitch;
    int locks = 0;
    int unlocks = 0;
    bool failLock = false;
};

class FrameTest : public ::testing::Test {
protected:
    void SetUp() override {
        SetCanvasForDisplayMode(0);
        ASSERT_EQ(InitEngine(), 1);
        SeedRandom(7);
        saverReady = 0;
    }
    void TearDown() override {
        saverReady = 0;
        ReleaseEngine();
    }
};

TEST_F(FrameTest, AFrameBlursTheFieldIntoTheLockedSurface) {
    FakeSurface surface(screenWidth, screenHeight, screenWidth + 16);
    RenderFrame();
    EXPECT_EQ(surface.locks, 1);
    EXPECT_EQ(surface.unlocks, 1);
    // A cold field blurs to black on the screen and leaves the pitch's
    // slack beyond the screen as it was.
    EXPECT_EQ(surface.pixels[0], 0);
    EXPECT_EQ(surface.pixels[static_cast<size_t>(screenWidth) - 1], 0);
    EXPECT_EQ(surface.pixels[static_cast<size_t>(screenWidth)], 0xBEEF);
}

TEST_F(FrameTest, AFailedLockSkipsTheBlurButNotTheSweep) {
    SpawnBurst(10, 5, 100, 100, 0);
    ASSERT_EQ(particleCount, 5);
    FakeSurface surface(screenWidth, screenHeight, screenWidth);
    surface.failLock = true;
    RenderFrame();
    EXPECT_EQ(surface.locks, 1);
    EXPECT_EQ(surface.unlocks, 0);
    EXPECT_EQ(surface.pixels[0], 0xBEEF);
    // The sparks moved and drew their first points into the field.
    bool drawn = false;
    for (int i = 0; i < fieldWidth * fieldHeight && !drawn; ++i) drawn = HeatField[i] != 0;
    EXPECT_TRUE(drawn);
}

TEST_F(FrameTest, NoSurfaceMeansNoBlur) {
    RenderFrame();  // the null platform's back buffer never locks; the sweep still runs
    SUCCEED();
}

TEST_F(FrameTest, TicksBeforeSetUpHasFinishedAreIgnored) {
    DispatchSaverTimer(spawnerTimerId);
    DispatchSaverTimer(midStartTimerId);
    EXPECT_EQ(particleCount, 0);
    saverReady = 1;
    DispatchSaverTimer(spawnerTimerId);
    EXPECT_GE(particleCount, 1);
    EXPECT_LE(particleCount, 2);
    // After shutdown the engine is gone and ticks must not reach it.
    saverReady = 0;
    ReleaseEngine();
    DispatchSaverTimer(spawnerTimerId);
    EXPECT_EQ(particleHead, nullptr);
}

}  // namespace
