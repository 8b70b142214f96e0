// One frame's engine work over a fake back buffer, and the routing of timer
// ticks, which must not reach the engine before set-up has finished.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
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
#include "text/MidMessage.h"

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

// Records the text lines drawn, as "text@x,y colour centred bottomRight".
class TextLog : public NullPlatform {
public:
    TextLog() { InstallPlatform(this); }
    ~TextLog() override { InstallPlatform(nullptr); }
    void DrawTextLine(const char* text, int x, int y, COLORREF colour, const LOGFONTA*, int centred,
                      int bottomRight) override {
        lines.push_back(std::string(text) + "@" + std::to_string(x) + "," + std::to_string(y) + " " +
                        std::to_string(colour) + " " + std::to_string(centred) +
                        std::to_string(bottomRight));
    }
    std::vector<std::string> lines;
};

TEST_F(FrameTest, TheTextsGoOverTheFrameInRunModesOrder) {
    LoadDefaultSettings();
    std::strcpy(Settings.TopText, "top %d");
    std::strcpy(Settings.BottomText, "bottom");
    TextLog log;
    FrameTexts texts = {0x123456, {0, 1}, {0}};
    texts.pulse.Start(255);
    SpawnBurst(10, 3, 100, 100, 0);

    Settings.FpsShow = 1;
    DrawFrameTexts(texts, 30);
    // The frame rate and count, then the pulse's next step (255 rises by 256).
    EXPECT_EQ(log.lines, (std::vector<std::string>{
                             "FPS:30  Particle Num:3    @4,2 1193046 00",
                             "bottom@" + std::to_string(screenWidth) + "," +
                                 std::to_string(screenHeight) + " 511 01"}));
    // TopText as typed, never a format; a set bottom colour stops the pulse;
    // a pending middle line is drawn centred once and no more.
    Settings.FpsShow = 0;
    Settings.BottomFont.Color = 7;
    char line[] = "mid";
    currentMidLine = line;
    midLinePending = 1;
    Settings.MidFont.Color = 9;
    log.lines.clear();
    DrawFrameTexts(texts, 30);
    DrawFrameTexts(texts, 30);
    EXPECT_EQ(log.lines.size(), 5u);
    EXPECT_EQ(log.lines[0], "top %d@4,2 1193046 00");
    EXPECT_EQ(log.lines[1].substr(log.lines[1].find(' ')), " 7 01");
    EXPECT_EQ(log.lines[2], "mid@-1,-1 9 10");
    EXPECT_EQ(texts.pulse.value, 511u);
    currentMidLine = nullptr;
    LoadDefaultSettings();
}

}  // namespace
