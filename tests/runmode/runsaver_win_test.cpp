// The Win32 half of run mode under Wine: the window, the ways it ends, the
// shutdown that may run only once, the timers before set-up, and the
// rectangle that is presented.
#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <cstdio>
#include <cstring>
#include <string>
#include <thread>

#include "engine/Engine.h"
#include "engine/Geometry.h"
#include "engine/HeatField.h"
#include "engine/Particles.h"
#include "runmode/Covers_win.h"
#include "runmode/DisplayPower.h"
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

// The display's power reports as Windows sends them to run mode's window.
const GUID kConsoleDisplayState = {0x6fe69556, 0x704a, 0x47a0, {0x8f, 0x24, 0xc2, 0x8d, 0x93, 0x6f, 0xda, 0x47}};
const GUID kMonitorPowerOn = {0x02731015, 0x4510, 0x4526, {0x99, 0xe6, 0xe5, 0xa1, 0x7e, 0xbd, 0x1a, 0xea}};

LRESULT SendDisplayState(HWND window, const GUID& setting, DWORD state, DWORD length = sizeof(DWORD)) {
    POWERBROADCAST_SETTING report[2] = {};  // room for the state past Data's one byte
    report[0].PowerSetting = setting;
    report[0].DataLength = length;
    std::memcpy(report[0].Data, &state, sizeof state);
    return SendMessageA(window, WM_POWERBROADCAST, PBT_POWERSETTINGCHANGE, reinterpret_cast<LPARAM>(report));
}

TEST_F(RunModeTest, OnlyTheDisplaysOwnReportsDarkenIt) {
    const GUID otherSetting = {0x5d3e9a59, 0xe9d5, 0x4b00, {0xa6, 0xbd, 0xff, 0x34, 0xff, 0x51, 0x65, 0x48}};
    const struct {
        const GUID* setting;
        DWORD state, length;
        int off;
    } reports[] = {
        {&kConsoleDisplayState, 0, 4, 1}, {&kConsoleDisplayState, 2, 4, 0},
        {&kMonitorPowerOn, 0, 4, 1},      {&kMonitorPowerOn, 1, 4, 0},
        {&otherSetting, 0, 4, 0},         {&kConsoleDisplayState, 0, 0, 0},  // too short to read
    };
    for (const auto& r : reports) {
        SendDisplayState(window, *r.setting, r.state, r.length);
        EXPECT_EQ(DisplayIsOff(), r.off) << r.state << " " << r.length;
        EXPECT_EQ(saverWindow, window);
        EXPECT_EQ(DrainQuitMessages(), 0);
    }
    SendDisplayState(window, kConsoleDisplayState, 0);
    ShutdownSaver();
    EXPECT_EQ(DisplayIsOff(), 0) << "a new run starts with the display on";
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

// The whole of run mode with the display going off and on, its reports sent
// to the window from another thread as Windows sends them: dark, run mode
// makes no frame and leaves the core alone while its timers go on (the
// spawner adds rockets that no frame moves); back on, it draws again within
// 100 ms, paced from then; a key while dark ends it with exit code 0.
namespace displayoff {

const unsigned kFrameInterval = 33;  // at 30 frames a second

MillisecondClockFn runClock = nullptr;
std::atomic<int> frames{0};
std::atomic<unsigned> frameTimes[4096];

int InitDisplay(HWND) { return 1; }

// Counts the frames at their blit, with the time of each by run mode's clock.
class Screen : public ScreenSurfaces {
public:
    SurfaceAnswer Restore() override { return SurfaceAnswer::ok; }
    SurfaceAnswer SetMode() override { return SurfaceAnswer::ok; }
    SurfaceAnswer Blit() override {
        int frame = frames.load();
        if (frame < 4096) frameTimes[frame] = runClock();
        frames.store(frame + 1);
        return SurfaceAnswer::ok;
    }
} screen;

double ProcessCpuMs() {
    FILETIME created, exited, kernel, user;
    GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
    auto ms = [](const FILETIME& t) {
        return ((static_cast<uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime) / 10000.0;
    };
    return ms(kernel) + ms(user);
}

bool FramesPass(int count, DWORD timeoutMs) {
    DWORD start = GetTickCount();
    while (frames.load() <= count && GetTickCount() - start < timeoutMs) Sleep(1);
    return frames.load() > count;
}

}  // namespace displayoff

TEST(RunModeOnStandIns, WhileTheDisplayIsOffNoFramesNoSpinningAndAKeyStillEndsIt) {
    using namespace displayoff;
    runClock = LoadMillisecondClock();
    ASSERT_NE(runClock, nullptr);
    frames = 0;
    Settings.Fps = 30;
    // A run that ended at its error box left its quit message behind.
    DrainQuitMessages();
    RunModeSystem system = {InitDisplay, &screen, runClock, nullptr, nullptr};
    UseRunModeSystem(&system);

    struct {
        bool started = false;
        int framesOff = 0, framesAfterOff = 0, rocketsOff = 0, rocketsAfterOff = 0;
        double cpuMs = 0, wallMs = 0;
        unsigned onAt = 0;
        int framesOn = 0, framesBeforeKey = 0;
    } seen;
    std::thread feeder([&seen] {
        seen.started = FramesPass(2, 10000);
        HWND window = FindWindowA("rippleful", "Particle");
        if (!seen.started) {
            // Not a message that waits for a run mode that may be gone.
            PostMessageA(window, WM_CLOSE, 0, 0);
            return;
        }
        SendDisplayState(window, kConsoleDisplayState, 0);
        seen.framesOff = frames.load();
        seen.rocketsOff = particleCount;
        double cpu0 = ProcessCpuMs();
        unsigned wall0 = runClock();
        Sleep(2000);
        seen.cpuMs = ProcessCpuMs() - cpu0;
        seen.wallMs = runClock() - wall0;
        seen.framesAfterOff = frames.load();
        seen.rocketsAfterOff = particleCount;
        // Dimmed counts as on.
        seen.onAt = runClock();
        SendDisplayState(window, kConsoleDisplayState, 2);
        FramesPass(seen.framesAfterOff, 1000);
        seen.framesOn = frames.load();
        // Windows 7's report this time.
        SendDisplayState(window, kMonitorPowerOn, 0);
        seen.framesBeforeKey = frames.load();
        Sleep(100);
        PostMessageA(window, WM_KEYDOWN, VK_SPACE, 0);
    });
    int exitCode = RunSaver();
    int framesAtEnd = frames.load();
    feeder.join();
    UseRunModeSystem(nullptr);
    ShowCursor(TRUE);

    ASSERT_TRUE(seen.started) << "no frames before the display went off";
    EXPECT_EQ(seen.framesAfterOff, seen.framesOff) << "frames while the display was off";
    EXPECT_GT(seen.rocketsAfterOff, seen.rocketsOff) << "the spawner's timer stopped while the display was off";
    EXPECT_LT(seen.cpuMs, 0.05 * seen.wallMs) << seen.cpuMs << " ms of CPU in " << seen.wallMs << " ms off";
    ASSERT_GT(seen.framesOn, seen.framesAfterOff) << "no frame within 1 s of the display coming on";
    unsigned firstOn = frameTimes[seen.framesAfterOff].load() - seen.onAt;
    EXPECT_LT(firstOn, 100u);
    EXPECT_GE(firstOn, kFrameInterval) << "the pacing did not start again when the display came on";
    EXPECT_EQ(exitCode, 0);
    EXPECT_EQ(framesAtEnd, seen.framesBeforeKey) << "frames while the display was off again";
    EXPECT_EQ(saverWindow, nullptr);
    EXPECT_EQ(DisplayIsOff(), 0);
    std::printf("display off 2 s: %.1f ms of CPU in %.0f ms, %d frames; first frame %u ms after it came on\n",
                seen.cpuMs, seen.wallMs, seen.framesAfterOff - seen.framesOff, firstOn);
}
