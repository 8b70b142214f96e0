// Preview mode's window: shows nothing, ends with the host's window.
#include "app/Preview_win.h"

const char kPreviewClassName[] = "GlimmeraxPreview";

namespace {

const UINT_PTR kParentWatchTimer = 1;
// A host that ends without destroying its windows in order leaves the child
// nothing to tell it; the parent is looked at this often.
const UINT kParentWatchMs = 500;

LRESULT CALLBACK PreviewWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_MOUSEACTIVATE:
        return MA_NOACTIVATE;
    case WM_TIMER:
        if (wParam == kParentWatchTimer) {
            HWND parent = GetParent(window);
            if (parent == nullptr || !IsWindow(parent)) {
                DestroyWindow(window);
                return 0;
            }
            // Follow the preview window if the host resizes it.
            RECT client;
            RECT own;
            if (GetClientRect(parent, &client) && GetWindowRect(window, &own) &&
                (own.right - own.left != client.right || own.bottom - own.top != client.bottom))
                SetWindowPos(window, nullptr, 0, 0, client.right, client.bottom,
                             SWP_NOZORDER | SWP_NOACTIVATE);
        }
        return 0;
    case WM_DESTROY:
        // Closed by the host, or destroyed with its window: preview is over.
        KillTimer(window, kParentWatchTimer);
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
}

}  // namespace

HWND CreatePreviewWindow(HWND parent, HINSTANCE instance) {
    if (parent == nullptr || !IsWindow(parent)) return nullptr;
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = PreviewWndProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    windowClass.lpszClassName = kPreviewClassName;
    RegisterClassA(&windowClass);

    RECT client = {0, 0, 0, 0};
    GetClientRect(parent, &client);
    // Disabled: clicks and keys stay the host's, and it never becomes the
    // focus or the active window.
    HWND child = CreateWindowExA(WS_EX_NOPARENTNOTIFY, kPreviewClassName, "",
                                 WS_CHILD | WS_VISIBLE | WS_DISABLED, 0, 0, client.right,
                                 client.bottom, parent, nullptr, instance, nullptr);
    if (child == nullptr) return nullptr;
    SetTimer(child, kParentWatchTimer, kParentWatchMs, nullptr);
    return child;
}
