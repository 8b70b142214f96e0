// The cover windows of run mode: made over the monitors the saver does not
// fill, moved when the display changes, destroyed with run mode.
#include "runmode/Covers_win.h"

#include <algorithm>

const char kCoverClassName[] = "GlimmeraxCover";

namespace {

HINSTANCE coverInstance = nullptr;
HWND coveredSaver = nullptr;
void (*endRunMode)() = nullptr;
bool coversShown = false;
std::vector<HWND> covers;

LRESULT CALLBACK CoverWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_MOUSEACTIVATE:
        // A click must not move the activation off the saver's window.
        return MA_NOACTIVATE;
    case WM_SETCURSOR:
        SetCursor(nullptr);
        return TRUE;
    case WM_KEYDOWN:
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_CLOSE:
        if (endRunMode != nullptr) endRunMode();
        return 0;
    case WM_NCDESTROY:
        covers.erase(std::remove(covers.begin(), covers.end(), window), covers.end());
        return DefWindowProcA(window, message, wParam, lParam);
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
}

void RegisterCoverClass() {
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = CoverWndProc;
    windowClass.hInstance = coverInstance;
    // No cursor of its own: the pointer stays hidden over a cover.
    windowClass.hCursor = nullptr;
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    windowClass.lpszClassName = kCoverClassName;
    // Registered already on a second run in the same process.
    RegisterClassA(&windowClass);
}

BOOL CALLBACK AddMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM param) {
    auto* rects = reinterpret_cast<std::vector<ScreenRect>*>(param);
    MONITORINFO info = {};
    info.cbSize = sizeof info;
    if (!GetMonitorInfoA(monitor, &info)) return TRUE;
    ScreenRect rect = {info.rcMonitor.left, info.rcMonitor.top, info.rcMonitor.right, info.rcMonitor.bottom};
    if (info.dwFlags & MONITORINFOF_PRIMARY)
        rects->insert(rects->begin(), rect);
    else
        rects->push_back(rect);
    return TRUE;
}

// Puts a cover over rect, above every window that is not topmost, without
// activating it.
void Show(HWND cover, const ScreenRect& rect) {
    SetWindowPos(cover, HWND_TOPMOST, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top,
                 SWP_NOACTIVATE | SWP_SHOWWINDOW);
    UpdateWindow(cover);
}

// Destroys the last cover; its WM_NCDESTROY takes it off the list.
void DestroyLastCover() {
    HWND cover = covers.back();
    DestroyWindow(cover);
    if (!covers.empty() && covers.back() == cover) covers.pop_back();
}

}  // namespace

std::vector<ScreenRect> MonitorRects() {
    std::vector<ScreenRect> rects;
    EnumDisplayMonitors(nullptr, nullptr, AddMonitor, reinterpret_cast<LPARAM>(&rects));
    return rects;
}

int PlaceCovers(const std::vector<ScreenRect>& rects) {
    while (covers.size() > rects.size()) DestroyLastCover();
    int complete = 1;
    for (size_t i = 0; i < rects.size(); ++i) {
        if (i < covers.size()) {
            Show(covers[i], rects[i]);
            continue;
        }
        RegisterCoverClass();
        // Made hidden and shown without activation: WS_EX_NOACTIVATE keeps
        // clicks from activating it, not the first showing.
        HWND cover = CreateWindowExA(WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, kCoverClassName, "",
                                     WS_POPUP, rects[i].left, rects[i].top, rects[i].right - rects[i].left,
                                     rects[i].bottom - rects[i].top, nullptr, nullptr, coverInstance, nullptr);
        if (cover == nullptr) {
            complete = 0;
            break;
        }
        covers.push_back(cover);
        Show(cover, rects[i]);
    }
    return complete;
}

const std::vector<HWND>& CoverWindows() { return covers; }

void ShowCovers(HINSTANCE instance, HWND saver, void (*onEnd)()) {
    coverInstance = instance;
    coveredSaver = saver;
    endRunMode = onEnd;
    coversShown = true;
    UpdateCovers();
}

void UpdateCovers() {
    if (!coversShown) return;
    RECT window = {0, 0, 0, 0};
    GetWindowRect(coveredSaver, &window);
    PlaceCovers(CoverRects(MonitorRects(), ScreenRect{window.left, window.top, window.right, window.bottom}));
}

void HideCovers() {
    coversShown = false;
    while (!covers.empty()) DestroyLastCover();
    coveredSaver = nullptr;
    endRunMode = nullptr;
}
