// The display's reported state: off only for 0, and "back on" only once, on
// the report that ends a dark spell.
#include <gtest/gtest.h>

#include "runmode/DisplayPower.h"

namespace {

TEST(DisplayPower, OnlyAReportOfZeroDarkensAndTheNextOtherValueWakes) {
    const struct {
        uint32_t state;
        int off, cameOn;
    } reports[] = {
        {1, 0, 0}, {2, 0, 0},           // on, dimmed: still drawn
        {0, 1, 0}, {0, 1, 0},           // off, and off again
        {2, 0, 1},                      // dimmed wakes it
        {0, 1, 0}, {1, 0, 1}, {1, 0, 0},
        {0, 1, 0}, {7, 0, 1},           // a state not understood counts as on
        {0xFFFFFFFFu, 0, 0},
    };
    NoteDisplayState(1);
    for (const auto& r : reports) {
        EXPECT_EQ(NoteDisplayState(r.state), r.cameOn) << r.state;
        EXPECT_EQ(DisplayIsOff(), r.off) << r.state;
    }
}

}  // namespace
