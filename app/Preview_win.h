// Preview mode: an empty child window in the host's preview window, so that
// the screen-saver settings can end the preview by closing it.
#pragma once

#include <windows.h>

// Puts one borderless black child window, the size of parent's client area,
// into parent. It never takes the activation or input; when it is closed or
// destroyed (with its parent, or once the parent is gone), it posts the quit
// message with exit code 0. Returns the child, or null when parent is not a
// window or the child cannot be made.
HWND CreatePreviewWindow(HWND parent, HINSTANCE instance);

extern const char kPreviewClassName[];
