// The cover windows under Wine: what they are, what they take from the
// user and what they leave alone, and that they follow the monitors.
#include <gtest/gtest.h>

#include <windows.h>

#include "runmode/Covers_win.h"

namespace {

int ends = 0;
void CountEnd() { ++ends; }

class CoversTest : public ::testing::Test {
protected:
    void SetUp() override {
        ends = 0;
        saver = CreateWindowExA(0, "STATIC", "saver", WS_POPUP | WS_VISIBLE, 0, 0, 64, 48, nullptr, nullptr,
                                GetModuleHandleA(nullptr), nullptr);
        ASSERT_NE(saver, nullptr);
        SetForegroundWindow(saver);
        // The test display has one monitor: nothing to cover.
        ShowCovers(GetModuleHandleA(nullptr), saver, CountEnd);
        ASSERT_TRUE(CoverWindows().empty());
    }
    void TearDown() override {
        HideCovers();
        DestroyWindow(saver);
    }
    HWND saver = nullptr;
};

TEST_F(CoversTest, BlackTopmostPopupsThatNeverTakeTheActivation) {
    const std::vector<ScreenRect> rects = {{64, 0, 128, 48}, {0, 48, 32, 96}};
    ASSERT_EQ(PlaceCovers(rects), 1);
    ASSERT_EQ(CoverWindows().size(), 2u);
    for (size_t i = 0; i < rects.size(); ++i) {
        HWND cover = CoverWindows()[i];
        char name[64] = {};
        GetClassNameA(cover, name, sizeof name);
        EXPECT_STREQ(name, kCoverClassName);
        EXPECT_EQ(GetWindowLongA(cover, GWL_STYLE) & (WS_POPUP | WS_CAPTION | WS_THICKFRAME), WS_POPUP);
        const LONG wanted = WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE;
        EXPECT_EQ(GetWindowLongA(cover, GWL_EXSTYLE) & wanted, wanted);
        EXPECT_TRUE(IsWindowVisible(cover));
        RECT rect;
        GetWindowRect(cover, &rect);
        EXPECT_EQ((ScreenRect{rect.left, rect.top, rect.right, rect.bottom}), rects[i]) << i;
        EXPECT_EQ(GetClassLongPtrA(cover, GCLP_HCURSOR), 0);
        HDC dc = GetDC(cover);
        EXPECT_EQ(GetPixel(dc, 5, 5), RGB(0, 0, 0));
        ReleaseDC(cover, dc);
        // A click does not activate it.
        EXPECT_EQ(SendMessageA(cover, WM_MOUSEACTIVATE, reinterpret_cast<WPARAM>(cover),
                               MAKELPARAM(HTCLIENT, WM_LBUTTONDOWN)),
                  MA_NOACTIVATE);
        EXPECT_NE(GetActiveWindow(), cover);
    }
    // Fewer monitors: the surplus cover goes, the other moves.
    ASSERT_EQ(PlaceCovers({{10, 10, 20, 20}}), 1);
    ASSERT_EQ(CoverWindows().size(), 1u);
    RECT rect;
    GetWindowRect(CoverWindows()[0], &rect);
    EXPECT_EQ(rect.left, 10);
    EXPECT_EQ(rect.right, 20);
}

TEST_F(CoversTest, KeysAndButtonsEndRunModeMovesDoNot) {
    ASSERT_EQ(PlaceCovers({{64, 0, 128, 48}}), 1);
    HWND cover = CoverWindows()[0];
    const UINT ignored[] = {WM_MOUSEMOVE, WM_MBUTTONDOWN, WM_KEYUP, WM_LBUTTONUP};
    for (UINT message : ignored) SendMessageA(cover, message, 0, MAKELPARAM(5, 5));
    EXPECT_EQ(ends, 0);
    const UINT enders[] = {WM_KEYDOWN, WM_LBUTTONDOWN, WM_RBUTTONDOWN, WM_CLOSE};
    for (UINT message : enders) SendMessageA(cover, message, 0x41, MAKELPARAM(5, 5));
    EXPECT_EQ(ends, 4);
    EXPECT_TRUE(IsWindow(cover));
}

TEST_F(CoversTest, TheyFollowTheMonitorsAndLeaveNothingBehind) {
    ASSERT_EQ(PlaceCovers({{64, 0, 128, 48}, {0, 48, 32, 96}}), 1);
    std::vector<HWND> made = CoverWindows();
    // As after a display change: the one monitor there is needs no cover.
    UpdateCovers();
    EXPECT_TRUE(CoverWindows().empty());
    for (HWND cover : made) EXPECT_FALSE(IsWindow(cover));

    ASSERT_EQ(PlaceCovers({{64, 0, 128, 48}, {0, 48, 32, 96}}), 1);
    made = CoverWindows();
    HideCovers();
    EXPECT_TRUE(CoverWindows().empty());
    for (HWND cover : made) EXPECT_FALSE(IsWindow(cover));
    // Once hidden, a display change brings none back.
    UpdateCovers();
    EXPECT_TRUE(CoverWindows().empty());
}

}  // namespace
