// The one table of display modes: the settings' range, the dialog's names and
// run mode's sizes all come from it.
#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "settings/DisplayModes.h"

namespace {

TEST(DisplayModes, TheTableListsTheFourModesInResolutionOrder) {
    const struct {
        int32_t width, height;
        const char* name;
    } expected[] = {{640, 480, "640*480"}, {800, 600, "800*600"}, {1024, 768, "1024*768"},
                    {1280, 1024, "1280*1024"}};
    ASSERT_EQ(displayModeCount, 4);
    for (int32_t i = 0; i < displayModeCount; ++i) {
        EXPECT_EQ(displayModes[i].index, i);
        EXPECT_EQ(displayModes[i].width, expected[i].width) << i;
        EXPECT_EQ(displayModes[i].height, expected[i].height) << i;
        EXPECT_EQ(std::string(displayModes[i].name), expected[i].name) << i;
        EXPECT_EQ(&DisplayModeFor(i), &displayModes[i]);
    }
}

TEST(DisplayModes, AResolutionOutOfRangeIsTheDefaultMode) {
    for (int32_t resolution : {-1, 4, 9, INT_MIN, INT_MAX})
        EXPECT_EQ(&DisplayModeFor(resolution), &displayModes[defaultDisplayMode]) << resolution;
    EXPECT_EQ(displayModes[defaultDisplayMode].width, 800);
}

// A display that has only some modes: the chosen one when it has it, else the
// next smaller one it takes; a larger one is never asked for.
TEST(DisplayModes, ARefusedModeFallsBackToTheNextSmallerOneTaken) {
    struct Display {
        unsigned refused;   // bit i: displayModes[i] is refused
        std::string tried;  // the modes asked for, in order
    };
    const struct {
        int32_t resolution;
        unsigned refused;
        int32_t taken;  // -1: none
        const char* tried;
    } cases[] = {
        {3, 0x0, 3, "3"},   {3, 0x8, 2, "32"},   {3, 0xC, 1, "321"}, {3, 0xE, 0, "3210"},
        {3, 0xF, -1, "3210"}, {3, 0xA, 2, "32"}, {2, 0x8, 2, "2"},   {2, 0x4, 1, "21"},
        {1, 0x6, 0, "10"},  {0, 0x1, -1, "0"},   {9, 0x2, 0, "10"},  {-1, 0x0, 1, "1"},
    };
    for (const auto& c : cases) {
        Display display = {c.refused, ""};
        const DisplayMode* taken = TakeDisplayMode(
            c.resolution,
            [](const DisplayMode& mode, void* context) {
                Display* d = static_cast<Display*>(context);
                d->tried += static_cast<char>('0' + mode.index);
                return (d->refused >> mode.index) & 1 ? 0 : 1;
            },
            &display);
        EXPECT_EQ(taken != nullptr ? taken->index : -1, c.taken) << c.resolution << " " << c.refused;
        if (taken != nullptr) {
            EXPECT_EQ(taken, &displayModes[c.taken]);
        }
        EXPECT_EQ(display.tried, c.tried) << c.resolution << " " << c.refused;
    }
}

}  // namespace
