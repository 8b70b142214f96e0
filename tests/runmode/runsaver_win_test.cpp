// The Win32 half of run mode under Wine: the window, the ways it ends, the
// shutdown that may run only once, the timers before set-up, and the
// rectangle that is presented.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "engine/Engine.h"
#include "engine/Geometry.h"
#include "engine/HeatField.h"
#include "engine/Particles.h"
#include "runmode/Covers_win.h"
#include "runmode/Saver_win.h"
#include "runmode/Ticks.h"
#include "settings/Settings.h"

namespace {

// Counts the quit messages waiting in this thread's queue and removes them.
int DrainQuitMessages() {
    int quits = 0;
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) ++quits;
    }
    return quits;
}

class RunModeTest : public ::testing::Test {
protected:
    void SetUp() override {
        DrainQuitMessages();
        Settings.Resolution = 0;
        BeginRunMode();  // and with it the canvas of mode 0
        ASSERT_EQ(InitEngine(), 1);
        ASSERT_EQ(CreateSaverWindow(GetModuleHandleA(nullptr)), 1);
        ASSERT_NE(saverWindow, nullptr);
        window = saverWindow;
    }
    void TearDown() override {
        ShutdownSaver();
        DrainQuitMessages();
        saverReady = 0;
    }

    // Whether the whole of run mode's state is gone.
    static void ExpectShutDown(HWND window) {
        EXPECT_EQ(saverWindow, nullptr);
        EXPECT_FALSE(IsWindow(window));
        EXPECT_EQ(HeatField, nullptr);
        EXPECT_EQ(particleHead, nullptr);
        EXPECT_EQ(saverReady, 0);
    }

    HWND window = nullptr;
};

TEST_F(RunModeTest, TheWindowIsABorderlessPopupOfTheDesktopsSize) {
    char name[64] = {};
    GetClassNameA(window, name, sizeof(name));
    EXPECT_STREQ(name, "rippleful");
    GetWindowTextA(window, name, sizeof(name));
    EXPECT_STREQ(name, "Particle");
    LONG style = GetWindowLongA(window, GWL_STYLE);
    EXPECT_TRUE(style & WS_POPUP);
    EXPECT_FALSE(style & (WS_CAPTION | WS_BORDER | WS_THICKFRAME));
    EXPECT_TRUE(IsWindowVisible(window));
    RECT rect;
    GetWindowRect(window, &rect);
    EXPECT_EQ(rect.left, 0);
    EXPECT_EQ(rect.top, 0);
    EXPECT_EQ(rect.right, GetSystemMetrics(SM_CXSCREEN));
    EXPECT_EQ(rect.bottom, GetSystemMetrics(SM_CYSCREEN));
}

TEST_F(RunModeTest, ShutdownRunsOnceAndPostsOneQuit) {
    ShutdownSaver();
    ExpectShutDown(window);
    ShutdownSaver();
    EXPECT_EQ(DrainQuitMessages(), 1);
}

TEST_F(RunModeTest, KeysAndButtonsEndRunMode) {
    const UINT enders[] = {WM_KEYDOWN, WM_LBUTTONDOWN, WM_RBUTTONDOWN};
    for (UINT message : enders) {
        SendMessageA(window, message, 0x41, 0);
        ExpectShutDown(window);
        EXPECT_EQ(DrainQuitMessages(), 1) << "message " << message;
        // A fresh run for the next message.
        BeginRunMode();
        ASSERT_EQ(InitEngine(), 1);
        ASSERT_EQ(CreateSaverWindow(GetModuleHandleA(nullptr)), 1);
        window = saverWindow;
    }
}

TEST_F(RunModeTest, MovingTheMouseOrTheMiddleButtonDoesNotEndIt) {
    SendMessageA(window, WM_MOUSEMOVE, 0, MAKELPARAM(10, 10));
    SendMessageA(window, WM_MBUTTONDOWN, 0, MAKELPARAM(10, 10));
    SendMessageA(window, WM_KEYUP, 0x41, 0);
    EXPECT_EQ(saverWindow, window);
    EXPECT_TRUE(IsWindow(window));
    EXPECT_NE(HeatField, nullptr);
    EXPECT_EQ(DrainQuitMessages(), 0);
}

// Another program taking the activation, or the window being minimised,
// ends a running saver as a key does; activation moving inside this program,
// and anything during set-up, does not.
TEST_F(RunModeTest, LosingTheScreenToAnotherProgramEndsRunMode) {
    HWND own = CreateWindowExA(0, "STATIC", "own", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                               GetModuleHandleA(nullptr), nullptr);
    const struct {
        const char* route;
        UINT message;
        WPARAM wParam;
        LPARAM lParam;
        int ready;
        bool ends;
    } routes[] = {
        {"another program activated", WM_ACTIVATEAPP, FALSE, 0x1234, 1, true},
        {"minimised", WM_SIZE, SIZE_MINIMIZED, 0, 1, true},
        {"this program activated", WM_ACTIVATEAPP, TRUE, 0x1234, 1, false},
        {"a window of this program activated", WM_ACTIVATE, WA_INACTIVE, reinterpret_cast<LPARAM>(own), 1, false},
        {"resized to the mode", WM_SIZE, SIZE_RESTORED, MAKELPARAM(640, 480), 1, false},
        {"deactivated during set-up", WM_ACTIVATEAPP, FALSE, 0x1234, 0, false},
        {"minimised during set-up", WM_SIZE, SIZE_MINIMIZED, 0, 0, false},
    };
    for (const auto& r : routes) {
        saverReady = r.ready;
        SendMessageA(window, r.message, r.wParam, r.lParam);
        if (r.ends) {
            ExpectShutDown(window);
            EXPECT_EQ(DrainQuitMessages(), 1) << r.route;
            BeginRunMode();
            ASSERT_EQ(InitEngine(), 1);
            ASSERT_EQ(CreateSaverWindow(GetModuleHandleA(nullptr)), 1);
            window = saverWindow;
        } else {
            EXPECT_TRUE(IsWindow(window)) << r.route;
            EXPECT_EQ(saverWindow, window) << r.route;
            EXPECT_EQ(DrainQuitMessages(), 0) << r.route;
        }
    }
    // The real thing: the system minimises the window.
    saverReady = 1;
    ShowWindow(window, SW_MINIMIZE);
    ExpectShutDown(window);
    EXPECT_EQ(DrainQuitMessages(), 1);
    DestroyWindow(own);
}

// A run mode of this program already holds the session's mark: the next one
// returns 0 at once, with no window and no change to the display.
TEST(RunModeAlone, ASecondRunModeEndsAtOnce) {
    HANDLE other = CreateMutexA(nullptr, FALSE, kRunModeMutexName);
    ASSERT_NE(other, nullptr);
    ASSERT_NE(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
    EXPECT_EQ(TakeRunModeMutex(), 0);
    DEVMODEA before = {};
    before.dmSize = sizeof before;
    EnumDisplaySettingsA(nullptr, ENUM_CURRENT_SETTINGS, &before);
    EXPECT_EQ(RunSaver(), 0);
    EXPECT_EQ(saverWindow, nullptr);
    EXPECT_EQ(FindWindowA("rippleful", "Particle"), nullptr);
    DEVMODEA after = {};
    after.dmSize = sizeof after;
    EnumDisplaySettingsA(nullptr, ENUM_CURRENT_SETTINGS, &after);
    EXPECT_EQ(before.dmPelsWidth, after.dmPelsWidth);
    EXPECT_EQ(before.dmBitsPerPel, after.dmBitsPerPel);
    CloseHandle(other);
    // Once the other has gone, the mark is free again.
    EXPECT_EQ(TakeRunModeMutex(), 1);
}

// The covers of the other monitors follow a display change through the
// window, and a click on one ends run mode and takes every cover along.
TEST_F(RunModeTest, CoversFollowTheDisplayAndEndRunModeAsTheWindowDoes) {
    ShowCovers(GetModuleHandleA(nullptr), window, ShutdownSaver);
    ASSERT_EQ(PlaceCovers({{0, 0, 32, 32}}), 1);
    // The test display has one monitor: after the change nothing is covered.
    SendMessageA(window, WM_DISPLAYCHANGE, 16, MAKELPARAM(640, 480));
    EXPECT_TRUE(CoverWindows().empty());
    ASSERT_EQ(PlaceCovers({{0, 0, 32, 32}, {32, 0, 64, 32}}), 1);
    std::vector<HWND> made = CoverWindows();
    SendMessageA(made[1], WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    ExpectShutDown(window);
    EXPECT_EQ(DrainQuitMessages(), 1);
    for (HWND cover : made) EXPECT_FALSE(IsWindow(cover));
}

TEST_F(RunModeTest, CloseFromOutsideEndsRunMode) {
    SendMessageA(window, WM_CLOSE, 0, 0);
    ExpectShutDown(window);
    EXPECT_EQ(DrainQuitMessages(), 1);
}

TEST_F(RunModeTest, DestroyFromOutsideEndsRunModeOnce) {
    DestroyWindow(window);
    ExpectShutDown(window);
    EXPECT_EQ(DrainQuitMessages(), 1);
}

TEST_F(RunModeTest, TimerTicksBeforeSetUpAreIgnored) {
    saverReady = 0;
    SaverTimerProc(window, WM_TIMER, spawnerTimerId, 0);
    EXPECT_EQ(particleCount, 0);
    saverReady = 1;
    SaverTimerProc(window, WM_TIMER, spawnerTimerId, 0);
    EXPECT_GE(particleCount, 1);
    ShutdownSaver();
    SaverTimerProc(nullptr, WM_TIMER, spawnerTimerId, 0);
    EXPECT_EQ(particleHead, nullptr);
}

TEST_F(RunModeTest, ThePresentedRectangleIsClippedToTheSurfaces) {
    // The window has the desktop's size; the surfaces the mode's.
    screenWidth = 320;
    screenHeight = 200;
    RECT rect = PresentationRect(window);
    EXPECT_EQ(rect.left, 0);
    EXPECT_EQ(rect.top, 0);
    EXPECT_EQ(rect.right, 320);
    EXPECT_EQ(rect.bottom, 200);
    // A mode as large as the desktop keeps the whole client area.
    screenWidth = 100000;
    screenHeight = 100000;
    rect = PresentationRect(window);
    EXPECT_EQ(rect.right, GetSystemMetrics(SM_CXSCREEN));
    EXPECT_EQ(rect.bottom, GetSystemMetrics(SM_CYSCREEN));
    SetCanvasForDisplayMode(Settings.Resolution);
}

TEST(LogFile, OpensForAppendingAndClosesOnce) {
    char path[MAX_PATH];
    GetTempPathA(MAX_PATH, path);
    lstrcatA(path, "glimmerax_log_test.txt");
    DeleteFileA(path);
    ASSERT_EQ(OpenLogFile(path), 1);
    EXPECT_NE(logFile, nullptr);
    CloseLogFile();
    EXPECT_EQ(logFile, nullptr);
    CloseLogFile();
    // Nothing is ever written to it.
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetFileSize(file, nullptr), 0u);
    CloseHandle(file);
    DeleteFileA(path);
    EXPECT_EQ(OpenLogFile("Q:\\no\\such\\folder\\log.txt"), 0);
    EXPECT_EQ(logFile, nullptr);
}

}  // namespace

// The whole of run mode on stand-ins for DirectDraw and winmm, every call
// written down in order.
namespace standin {

std::string calls;
int blits = 0;
DWORD now = 0;
int displayWorks = 1;

int InitDisplay(HWND) { return displayWorks; }
// Each look at the clock is 40 ms on: every wait for a frame ends at once.
DWORD WINAPI Clock() { return now += 40; }
UINT WINAPI BeginPeriod(UINT ms) {
    calls += "begin " + std::to_string(ms) + " ";
    return 0;
}
UINT WINAPI EndPeriod(UINT ms) {
    calls += "end " + std::to_string(ms) + " ";
    return 0;
}

// Presents three frames, loses the surfaces on the second, and presses a key
// on the window after the third.
class Screen : public ScreenSurfaces {
public:
    SurfaceAnswer Restore() override {
        calls += "restore ";
        return SurfaceAnswer::ok;
    }
    SurfaceAnswer SetMode() override { return SurfaceAnswer::ok; }
    SurfaceAnswer Blit() override {
        calls += "blit ";
        if (++blits == 3) PostMessageA(saverWindow, WM_KEYDOWN, VK_SPACE, 0);
        return blits == 2 ? SurfaceAnswer::lost : SurfaceAnswer::ok;
    }
} screen;

// Presses OK on the DirectDraw error box from inside its own message loop.
void CALLBACK PressOk(HWND, UINT, UINT_PTR timer, DWORD) {
    HWND box = FindWindowA(nullptr, "Error");
    if (box == nullptr) return;
    calls += "box ";
    KillTimer(nullptr, timer);
    PostMessageA(box, WM_COMMAND, IDOK, 0);
}

}  // namespace standin

TEST(RunModeOnStandIns, TheClockIsFineFromBeforeTheFirstFrameToTheShutdown) {
    const struct {
        int displayWorks;
        const char* calls;
    } cases[] = {
        {1, "begin 1 blit blit restore blit end 1 "},
        {0, "begin 1 box end 1 "},
    };
    for (const auto& c : cases) {
        standin::calls.clear();
        standin::blits = 0;
        standin::displayWorks = c.displayWorks;
        RunModeSystem system = {standin::InitDisplay, &standin::screen, standin::Clock, standin::BeginPeriod,
                                standin::EndPeriod};
        UseRunModeSystem(&system);
        UINT_PTR timer = c.displayWorks ? 0 : SetTimer(nullptr, 0, 20, standin::PressOk);
        EXPECT_EQ(RunSaver(), 0);
        if (timer != 0) KillTimer(nullptr, timer);
        UseRunModeSystem(nullptr);
        EXPECT_EQ(standin::calls, c.calls);
        EXPECT_EQ(saverWindow, nullptr);
        EXPECT_EQ(HeatField, nullptr);
    }
    // The run that went on hid the pointer for good, as run mode does.
    ShowCursor(TRUE);
}
