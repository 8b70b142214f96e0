// Which monitors run mode covers: every one but the monitor the saver's
// window fills, whatever the layout.
#include <gtest/gtest.h>

#include <vector>

#include "runmode/Covers.h"

void PrintTo(const ScreenRect& r, std::ostream* out) {
    *out << "(" << r.left << "," << r.top << ")-(" << r.right << "," << r.bottom << ")";
}

namespace {

using Rects = std::vector<ScreenRect>;

TEST(CoverRects, EveryMonitorButTheOneTheWindowFills) {
    const ScreenRect vga = {0, 0, 640, 480};
    const ScreenRect right = {640, 0, 1664, 768};
    const struct {
        const char* layout;
        Rects monitors;  // the primary first, as the system's list is put
        ScreenRect saver;
        Rects covers;
    } cases[] = {
        {"one monitor", {vga}, vga, {}},
        {"no monitor at all", {}, vga, {}},
        {"two side by side", {vga, right}, vga, {right}},
        // Made at the desktop's size before the mode change, the window
        // reaches into the neighbour, which is still only partly under it.
        {"a window larger than the primary", {vga, right}, {0, 0, 1280, 1024}, {right}},
        {"two stacked", {{0, 0, 800, 600}, {0, 600, 1024, 1368}}, {0, 0, 800, 600}, {{0, 600, 1024, 1368}}},
        {"three in a row",
         {{0, 0, 1024, 768}, {1024, 0, 2304, 1024}, {-1280, 0, 0, 1024}},
         {0, 0, 1024, 768},
         {{1024, 0, 2304, 1024}, {-1280, 0, 0, 1024}}},
        {"a monitor left of the primary", {{0, 0, 800, 600}, {-1024, -168, 0, 600}}, {0, 0, 800, 600},
         {{-1024, -168, 0, 600}}},
        {"the window on the second monitor", {vga, right}, right, {vga}},
        {"a window over both: the primary stays", {vga, right}, {0, 0, 1664, 768}, {right}},
        {"a window on no monitor: the primary stays", {vga, right}, {5000, 0, 5640, 480}, {right}},
    };
    for (const auto& c : cases) {
        Rects got = CoverRects(c.monitors, c.saver);
        ASSERT_EQ(got.size(), c.covers.size()) << c.layout;
        for (size_t i = 0; i < got.size(); ++i) EXPECT_EQ(got[i], c.covers[i]) << c.layout << " cover " << i;
    }
}

}  // namespace
