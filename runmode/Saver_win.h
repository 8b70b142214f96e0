// Run mode on Windows: the full-screen window, its DirectDraw surfaces and
// the frame loop.
#pragma once

#include <windows.h>
#include <ddraw.h>

#include <cstdio>

#include "runmode/SurfaceKeeper.h"

extern HWND saverWindow;
extern FILE* logFile;
extern IDirectDraw7* directDraw;
extern IDirectDrawSurface7* primarySurface;
extern IDirectDrawSurface7* backSurface;

// Run mode: set-up, the frame loop, and the exit code of the quit message
// (0), or 0 at once when set-up fails or another run mode of this program
// already runs in the session.
int RunSaver();
// Takes the session-wide mark of a running run mode (kRunModeMutexName).
// Returns 1 when this process holds it now, 0 when another process does.
int TakeRunModeMutex();
extern const char kRunModeMutexName[];

// Registers "rippleful" and creates the borderless "Particle" window at the
// desktop's size. Returns 1 when it exists and is shown, 0 otherwise.
int CreateSaverWindow(HINSTANCE instance);
// DirectDrawCreateEx of the system folder's ddraw.dll, or null.
using DirectDrawCreateExFn = HRESULT(WINAPI*)(GUID*, LPVOID*, REFIID, IUnknown*);
DirectDrawCreateExFn LoadDirectDraw();
// The multimedia clock (timeGetTime of the system folder's winmm.dll), or
// null when it cannot be loaded.
using MillisecondClockFn = DWORD(WINAPI*)();
MillisecondClockFn LoadMillisecondClock();
// timeBeginPeriod and timeEndPeriod: 0 (TIMERR_NOERROR) when the period was
// taken or given back.
using TimerPeriodFn = UINT(WINAPI*)(UINT);

// What run mode takes from outside itself for its picture and its clock.
// Tests hand in stand-ins to run the whole of run mode without a display.
struct RunModeSystem {
    int (*initDisplay)(HWND window);  // InitDirectDraw
    ScreenSurfaces* screen;           // presents the frames, restores lost surfaces
    MillisecondClockFn clock;         // timeGetTime; null fails the set-up
    TimerPeriodFn beginPeriod;        // timeBeginPeriod; null asks for nothing
    TimerPeriodFn endPeriod;          // timeEndPeriod
};
// DirectDraw, and winmm from the system folder (loaded by this call).
RunModeSystem SystemRunMode();
// The stand-ins of the next runs (copied); null goes back to the system's.
void UseRunModeSystem(const RunModeSystem* standIns);

// The primary surface and its back buffer as run mode presents and
// restores them.
ScreenSurfaces& DirectDrawScreen();
// A DirectDraw result as the surface keeper reads it.
SurfaceAnswer SurfaceAnswerOf(HRESULT result);

// Exclusive full-screen 16-bit mode (the settings' mode, or the next smaller
// one the display takes: SetScreenMode), a primary surface with one back
// buffer. Returns 1, or 0 at the first failing step (what was made before
// it stays).
int InitDirectDraw(HWND window);

void CALLBACK SaverTimerProc(HWND window, UINT message, UINT_PTR id, DWORD time);
LRESULT CALLBACK SaverWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Ends run mode: closes the log, frees the engine, destroys the window and
// posts the quit message. A second call in the same run does nothing.
void ShutdownSaver();
// Marks the start of a run, so that its ShutdownSaver takes effect once;
// installs the Windows platform and sets the canvas from the settings.
void BeginRunMode();

int OpenLogFile(const char* path);
void CloseLogFile();

// The client rectangle clipped to the surfaces' screenWidth x screenHeight.
RECT PresentationRect(HWND window);
// The rectangle every frame is blitted from and to, read once the surfaces
// are set up.
extern RECT presentationRect;
