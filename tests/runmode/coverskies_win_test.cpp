// The covers' skies under Wine: one of its monitor's shape for each cover,
// made again when the monitor's size changes, gone with its cover, and none
// with OtherMonitors=0.
#include <gtest/gtest.h>

#include <windows.h>

#include "engine/Engine.h"
#include "engine/Geometry.h"
#include "engine/Maths.h"
#include "runmode/CoverSkies_win.h"
#include "runmode/Covers_win.h"
#include "settings/Settings.h"

namespace {

void EndNothing() {}

class CoverSkiesTest : public ::testing::Test {
protected:
    void SetUp() override {
        LoadDefaultSettings();
        FillDegreeTables();
        SetCanvasSize(320, 240);  // the chosen mode: skies are 240 high
        ShowCovers(GetModuleHandleA(nullptr), nullptr, EndNothing);
    }
    void TearDown() override {
        HideCovers();
        ReleaseOtherSkies();
        LoadDefaultSettings();
    }
    // Frames of every sky, 33 ms apart.
    void Frames(int count) {
        for (int i = 0; i < count; ++i) StepOtherSkies(now += 33);
    }
    static void ExpectSky(HWND cover, int width, const char* what) {
        const Sky* sky = CoverSkyOf(cover);
        ASSERT_NE(sky, nullptr) << what;
        EXPECT_EQ(sky->screenWidth, width) << what;
        EXPECT_EQ(sky->screenHeight, 240) << what;
    }
    unsigned now = 5000;
};

TEST_F(CoverSkiesTest, EachCoverGetsASkyOfItsShapeThatFollowsIt) {
    ASSERT_EQ(PlaceCovers({{400, 0, 880, 240}, {0, 300, 240, 480}}), 1);
    const HWND wide = CoverWindows()[0];
    const HWND other = CoverWindows()[1];
    Frames(70);  // two spawner ticks
    ExpectSky(wide, 480, "a 480x240 monitor");
    ExpectSky(other, 320, "a 240x180 monitor");
    EXPECT_GT(CoverSkyOf(wide)->particleCount, 0);
    EXPECT_NE(CoverSkyOf(wide)->randomState, CoverSkyOf(other)->randomState);

    // A display change: the first monitor moves and takes another shape.
    ASSERT_EQ(PlaceCovers({{0, 0, 240, 240}, {0, 300, 240, 480}}), 1);
    Frames(1);
    ExpectSky(wide, 240, "the first monitor, now 240x240");
    EXPECT_EQ(CoverSkyOf(wide)->particleCount, 0);
    ExpectSky(other, 320, "the second, unchanged");

    // The second monitor goes, and its sky with its cover.
    ASSERT_EQ(PlaceCovers({{0, 0, 240, 240}}), 1);
    Frames(1);
    EXPECT_EQ(CoverSkyOf(other), nullptr);
    ExpectSky(wide, 240, "the one left");
    ReleaseOtherSkies();
    EXPECT_EQ(CoverSkyOf(wide), nullptr);
}

TEST_F(CoverSkiesTest, OtherMonitorsZeroMakesNone) {
    Settings.OtherMonitors = 0;
    ASSERT_EQ(PlaceCovers({{400, 0, 880, 240}}), 1);
    Frames(40);
    EXPECT_EQ(CoverSkyOf(CoverWindows()[0]), nullptr);
    HDC dc = GetDC(CoverWindows()[0]);
    EXPECT_EQ(GetPixel(dc, 100, 100), RGB(0, 0, 0));
    ReleaseDC(CoverWindows()[0], dc);
}

}  // namespace
