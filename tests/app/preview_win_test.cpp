// Preview mode's child window in a stand-in for the settings' preview
// window: its place, that it takes no input, and that its end ends preview.
#include <gtest/gtest.h>

#include <windows.h>

#include "app/Preview_win.h"

namespace {

// A top-level window holding a static control, as the screen-saver settings
// hold their preview.
class PreviewHostTest : public ::testing::Test {
protected:
    void SetUp() override {
        DrainQuit();
        host = CreateWindowExA(0, "STATIC", "host", WS_OVERLAPPEDWINDOW, 0, 0, 400, 300, nullptr,
                               nullptr, GetModuleHandleA(nullptr), nullptr);
        ASSERT_NE(host, nullptr);
        previewArea = CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VISIBLE, 10, 10, 152, 112, host,
                                      nullptr, GetModuleHandleA(nullptr), nullptr);
        ASSERT_NE(previewArea, nullptr);
    }
    void TearDown() override {
        if (IsWindow(host)) DestroyWindow(host);
        DrainQuit();
    }
    // Whether a quit message with exit code 0 is waiting.
    static bool QuitPosted() {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) return msg.wParam == 0;
            DispatchMessageA(&msg);
        }
        return false;
    }
    static void DrainQuit() {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        }
    }
    HWND host = nullptr;
    HWND previewArea = nullptr;
};

TEST_F(PreviewHostTest, FillsThePreviewAreaAndTakesNoInput) {
    HWND child = CreatePreviewWindow(previewArea, GetModuleHandleA(nullptr));
    ASSERT_NE(child, nullptr);
    EXPECT_EQ(GetParent(child), previewArea);
    RECT rect;
    GetWindowRect(child, &rect);
    EXPECT_EQ(rect.right - rect.left, 152);
    EXPECT_EQ(rect.bottom - rect.top, 112);
    LONG style = GetWindowLongA(child, GWL_STYLE);
    EXPECT_EQ(style & (WS_BORDER | WS_CAPTION | WS_THICKFRAME), 0);
    EXPECT_FALSE(IsWindowEnabled(child));
    EXPECT_EQ(SendMessageA(child, WM_MOUSEACTIVATE, reinterpret_cast<WPARAM>(host), 0),
              MA_NOACTIVATE);
    EXPECT_FALSE(QuitPosted()) << "preview ended while its window stands";
}

TEST_F(PreviewHostTest, EndsWhenClosedOrDestroyedWithItsHost) {
    // Each way the host can be done with the preview.
    for (int route = 0; route < 3; ++route) {
        if (IsWindow(host)) DestroyWindow(host);
        SetUp();
        HWND child = CreatePreviewWindow(previewArea, GetModuleHandleA(nullptr));
        ASSERT_NE(child, nullptr);
        if (route == 0) SendMessageA(child, WM_CLOSE, 0, 0);
        if (route == 1) DestroyWindow(previewArea);
        if (route == 2) DestroyWindow(host);
        EXPECT_FALSE(IsWindow(child)) << "route " << route;
        EXPECT_TRUE(QuitPosted()) << "route " << route;
    }
}

TEST_F(PreviewHostTest, NoWindowForAHandleThatIsNotAWindow) {
    EXPECT_EQ(CreatePreviewWindow(nullptr, GetModuleHandleA(nullptr)), nullptr);
    EXPECT_EQ(CreatePreviewWindow(reinterpret_cast<HWND>(static_cast<UINT_PTR>(1234)),
                                  GetModuleHandleA(nullptr)),
              nullptr);
    EXPECT_FALSE(QuitPosted());
}

}  // namespace
