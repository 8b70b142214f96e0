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

}  // namespace
