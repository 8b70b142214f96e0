// Run mode: set-up, the frame loop with its busy-wait pacing, the timers,
// the window procedure and the shutdown.
#include <windows.h>
#include <ddraw.h>
#include <mmsystem.h>

#include "engine/Engine.h"
#include "engine/Geometry.h"
#include "engine/Maths.h"
#include "engine/Particles.h"
#include "engine/Random.h"
#include "framework/Afx_win.h"
#include "framework/Guards_win.h"
#include "framework/SystemDlls_win.h"
#include "platform/Platform.h"
#include "runmode/CoverSkies_win.h"
#include "runmode/Covers_win.h"
#include "runmode/DisplayPower.h"
#include "runmode/DisplayPower_win.h"
#include "runmode/Frame.h"
#include "runmode/FrameLogic.h"
#include "runmode/Overlay_win.h"
#include "runmode/Saver_win.h"
#include "runmode/Ticks.h"
#include "settings/Settings.h"
#include "text/MidMessage.h"
#include "text/Overlay.h"

FILE* logFile = nullptr;
const char kRunModeMutexName[] = "Local\\Glimmerax.RunMode";

namespace {

int shutDown = 0;

// Values the frame loop keeps for the length of the run.
unsigned frameInterval = 33;
unsigned lastFrameTime = 0;
unsigned frameRate = 0;
FrameTexts frameTexts = {0, {0, 1}, {0}};

// What the run draws and times with: the system's, or a test's stand-ins.
RunModeSystem standIns = {};
bool useStandIns = false;
RunModeSystem run = {};
unsigned MillisecondClock() { return run.clock(); }

// Set while this run holds the system timer at 1 ms.
int finePeriodHeld = 0;
SurfaceKeeper surfaceKeeper;

// The platform of run mode: the window's timers, GDI text on the back
// buffer, and the back buffer's lock.
class WindowsPlatform : public Platform {
public:
    void StartTimer(unsigned id, unsigned periodMs) override {
        if (saverWindow != nullptr) SetTimer(saverWindow, id, periodMs, SaverTimerProc);
    }
    void StopTimer(unsigned id) override {
        if (saverWindow != nullptr) KillTimer(saverWindow, id);
    }
    void DrawTextLine(const char* text, int x, int y, COLORREF colour, const LOGFONTA* font,
                      int centred, int bottomRight) override {
        DrawOverlayTextOnSurface(text, x, y, colour, font, centred, bottomRight);
    }
    int LockBackBuffer(uint16_t** pixels, int* pitchBytes) override {
        if (!backLock.Lock(backSurface)) {
            // A lost surface is restored before the next frame.
            surfaceKeeper.Note(SurfaceAnswerOf(backLock.Result()));
            return 0;
        }
        *pixels = backLock.Pixels();
        *pitchBytes = backLock.Pitch();
        return 1;
    }
    void UnlockBackBuffer() override { backLock.Unlock(); }

private:
    SurfaceLock backLock;
};

WindowsPlatform windowsPlatform;

// Frames start on the system timer's ticks: Windows 10 and later keep a
// program that does not ask at the default 15.6 ms, which would make 30
// frames a second into about 21. A period that cannot be had changes
// nothing else.
void HoldFinePeriod() {
    finePeriodHeld = run.beginPeriod != nullptr && run.beginPeriod(1) == 0;
}
void ReleaseFinePeriod() {
    if (finePeriodHeld && run.endPeriod != nullptr) run.endPeriod(1);
    finePeriodHeld = 0;
}

}  // namespace

MillisecondClockFn LoadMillisecondClock() {
    return SystemFunction<MillisecondClockFn>(L"winmm.dll", "timeGetTime");
}

RunModeSystem SystemRunMode() {
    RunModeSystem system = {};
    system.initDisplay = InitDirectDraw;
    system.screen = &DirectDrawScreen();
    system.clock = LoadMillisecondClock();
    system.beginPeriod = SystemFunction<TimerPeriodFn>(L"winmm.dll", "timeBeginPeriod");
    system.endPeriod = SystemFunction<TimerPeriodFn>(L"winmm.dll", "timeEndPeriod");
    return system;
}

void UseRunModeSystem(const RunModeSystem* system) {
    useStandIns = system != nullptr;
    if (useStandIns) standIns = *system;
}

int OpenLogFile(const char* path) {
    logFile = std::fopen(path, "at+");
    return logFile != nullptr ? 1 : 0;
}

void CloseLogFile() {
    if (logFile != nullptr) std::fclose(logFile);
    logFile = nullptr;
}

void CALLBACK SaverTimerProc(HWND, UINT, UINT_PTR id, DWORD) {
    DispatchSaverTimer(static_cast<unsigned>(id));
}

LRESULT CALLBACK SaverWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_KEYDOWN:
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
        ShutdownSaver();
        return DefWindowProcA(window, WM_CLOSE, wParam, lParam);
    case WM_CLOSE:
        // Alt+F4, End Task or the system's close: end run mode the same way.
        ShutdownSaver();
        return 0;
    case WM_ACTIVATEAPP:
        // Another program took the activation: a saver that went on unseen
        // behind it could no longer be ended by a key or a click. During
        // set-up (the mode change, the DirectDraw error box) it is not yet
        // running and the activation may come and go.
        if (!wParam && saverReady) {
            ShutdownSaver();
            return 0;
        }
        return DefWindowProcA(window, message, wParam, lParam);
    case WM_SIZE:
        if (wParam == SIZE_MINIMIZED && saverReady) {
            ShutdownSaver();
            return 0;
        }
        return DefWindowProcA(window, message, wParam, lParam);
    case WM_POWERBROADCAST:
        // The display going off or on never ends run mode.
        if (TakeDisplayPowerBroadcast(window, wParam, lParam)) return TRUE;
        return DefWindowProcA(window, message, wParam, lParam);
    case WM_DISPLAYCHANGE:
        // The other monitors move beside a primary of another size.
        UpdateCovers();
        return DefWindowProcA(window, message, wParam, lParam);
    case WM_DESTROY:
        // Destroyed by someone other than ShutdownSaver: the window is going
        // already, so only the rest of the shutdown is left to do.
        if (window == saverWindow) saverWindow = nullptr;
        ShutdownSaver();
        return 0;
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
}

void ShutdownSaver() {
    if (shutDown) return;
    shutDown = 1;
    saverReady = 0;
    // Before the display mode goes back, which happens at the process's end.
    HideCovers();
    ReleaseOtherSkies();
    StopWatchingDisplayPower();
    ReleaseFinePeriod();
    CloseLogFile();
    ReleaseEngine();
    ReleaseMidLine();
    HWND window = saverWindow;
    saverWindow = nullptr;
    if (window != nullptr) DestroyWindow(window);
    PostQuitMessage(0);
}

void BeginRunMode() {
    shutDown = 0;
    saverReady = 0;
    InstallPlatform(&windowsPlatform);
    // The canvas is the chosen display mode's for the whole run.
    SetCanvasForDisplayMode(Settings.Resolution);
}

namespace {

// Run mode proper, once this process holds the run-mode mark.
int RunSaverAlone() {
    BeginRunMode();
    ShowCursor(FALSE);
    // Nothing is ever written to the log, so a log that cannot be opened
    // loses nothing: on most PCs a standard user may not create files in the
    // root of C:, and a message there would stop every start of the saver
    // behind a hidden pointer.
    OpenLogFile("c:\\log.txt");
    if (!InitEngine()) {
        // Without the heat field there is nothing to show.
        CloseLogFile();
        return 0;
    }
    SeedRandomFromTime();
    if (!CreateSaverWindow(AfxGetInstanceHandle())) {
        CloseLogFile();
        ReleaseEngine();
        return 0;
    }
    ThePlatform().StartTimer(midStartTimerId, 1000);
    run = useStandIns ? standIns : SystemRunMode();
    surfaceKeeper.Reset();
    HoldFinePeriod();
    if (run.clock == nullptr || !run.initDisplay(saverWindow)) {
        // The pointer was hidden for the fireworks; the user has to find OK.
        ShowCursor(TRUE);
        MessageBoxW(saverWindow, L"初始化DirectDraw过程中出错！", L"Error", MB_OK);
        ShutdownSaver();
        return 0;
    }
    presentationRect = PresentationRect(saverWindow);
    // Read after the mode change, which moves the other monitors.
    ShowCovers(AfxGetInstanceHandle(), saverWindow, ShutdownSaver);
    ThePlatform().StartTimer(spawnerTimerId, 1000);
    ResetMidMessage();
    frameTexts.topColour =
        Settings.TopFont.Color != 0 ? Settings.TopFont.Color : RandomColour(-1, -1, -1);
    frameInterval = FrameIntervalFor(Settings.Fps);
    lastFrameTime = MillisecondClock();
    frameTexts.pulse.Start(frameInterval);
    WatchDisplayPower(saverWindow);
    saverReady = 1;

    MSG msg;
    for (;;) {
        if (PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE)) {
            BOOL got = GetMessageA(&msg, nullptr, 0, 0);
            if (got == 0) return static_cast<int>(msg.wParam);
            if (got == -1) return 0;
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
            continue;
        }
        // After shutdown only the quit message is awaited: no frame touches
        // the released buffers.
        if (!saverReady) {
            WaitMessage();
            continue;
        }
        // Nothing is seen while the display is off: no frames, and no
        // spinning until a message comes. Back on, the pacing starts again
        // from then, with no frames to catch up.
        if (DisplayIsOff()) {
            WaitMessage();
            lastFrameTime = MillisecondClock();
            continue;
        }
        unsigned now = WaitForFrame(MillisecondClock, lastFrameTime, frameInterval);
        frameRate = MeasureFrameRate(lastFrameTime, now);
        // Surfaces lost since the last frame come back first, so this
        // frame is drawn whole; while they cannot, the engine goes on and
        // only the blit is left out.
        surfaceKeeper.Restore(*run.screen);
        RenderFrame();
        DrawFrameTexts(frameTexts, frameRate);
        surfaceKeeper.Present(*run.screen);
        // The other monitors' skies are drawn with GDI into their covers,
        // so a lost surface of the primary leaves them going.
        StepOtherSkies(now);
    }
}

// Held for the length of a run: a second run mode of this program in the
// same session finds it taken.
HANDLE runModeMutex = nullptr;

void ReleaseRunModeMutex() {
    if (runModeMutex != nullptr) CloseHandle(runModeMutex);
    runModeMutex = nullptr;
}

}  // namespace

int TakeRunModeMutex() {
    if (runModeMutex != nullptr) return 1;
    HANDLE mutex = CreateMutexA(nullptr, FALSE, kRunModeMutexName);
    if (mutex == nullptr) return 1;  // nothing to share: run anyway
    if (GetLastError() == ERROR_ALREADY_EXISTS) {
        CloseHandle(mutex);
        return 0;
    }
    runModeMutex = mutex;
    return 1;
}

int RunSaver() {
    // Another run mode already shows: this one ends at once and quietly,
    // before it hides the pointer, makes a window or changes the mode.
    if (!TakeRunModeMutex()) return 0;
    int exitCode = RunSaverAlone();
    ReleaseRunModeMutex();
    return exitCode;
}

