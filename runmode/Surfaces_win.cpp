// The full-screen window and the DirectDraw 7 objects of run mode.
#include <windows.h>
#include <ddraw.h>

#include "engine/Geometry.h"
#include "framework/SystemDlls_win.h"
#include "runmode/Saver_win.h"
#include "runmode/ScreenMode_win.h"

HWND saverWindow = nullptr;
IDirectDraw7* directDraw = nullptr;
IDirectDrawSurface7* primarySurface = nullptr;
IDirectDrawSurface7* backSurface = nullptr;
RECT presentationRect = {0, 0, 0, 0};

// The record sizes of the 32-bit saver; its 64-bit test twin has wider
// pointers in the surface description.
static_assert(sizeof(void*) != 4 || sizeof(DDSURFACEDESC2) == 124,
              "the surface description the driver expects");
static_assert(sizeof(DDPIXELFORMAT) == 32, "the pixel format record the driver expects");

int CreateSaverWindow(HINSTANCE instance) {
    WNDCLASSA windowClass = {};
    windowClass.style = 0;
    windowClass.lpfnWndProc = SaverWndProc;
    windowClass.cbClsExtra = 0;
    windowClass.cbWndExtra = 0;
    windowClass.hInstance = instance;
    windowClass.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(128));
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    windowClass.lpszMenuName = nullptr;
    windowClass.lpszClassName = "rippleful";
    // A second run in the same process finds the class registered already.
    RegisterClassA(&windowClass);

    // The desktop's size before the mode changes: on a desktop larger than
    // the mode the window is larger than the surfaces, which the
    // presentation rectangle allows for.
    saverWindow = CreateWindowExA(0, "rippleful", "Particle", WS_POPUP, 0, 0,
                                  GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN),
                                  nullptr, nullptr, instance, nullptr);
    if (saverWindow == nullptr) return 0;
    ShowWindow(saverWindow, SW_SHOW);
    UpdateWindow(saverWindow);
    return 1;
}

DirectDrawCreateExFn LoadDirectDraw() {
    return SystemFunction<DirectDrawCreateExFn>(L"ddraw.dll", "DirectDrawCreateEx");
}

int InitDirectDraw(HWND window) {
    // DirectDraw from the system folder: never a ddraw.dll lying beside the
    // saver. Without it there is no DirectDraw to set up.
    DirectDrawCreateExFn directDrawCreateEx = LoadDirectDraw();
    if (directDrawCreateEx == nullptr) return 0;
    if (FAILED(directDrawCreateEx(nullptr, reinterpret_cast<void**>(&directDraw), IID_IDirectDraw7,
                                  nullptr)))
        return 0;
    if (FAILED(directDraw->SetCooperativeLevel(window, DDSCL_FULLSCREEN | DDSCL_EXCLUSIVE))) return 0;
    if (!SetScreenMode(directDraw)) return 0;

    DDSURFACEDESC2 request = {};
    request.dwSize = sizeof(request);
    request.dwFlags = DDSD_CAPS | DDSD_BACKBUFFERCOUNT;
    request.dwBackBufferCount = 1;
    request.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX | DDSCAPS_3DDEVICE;
    if (FAILED(directDraw->CreateSurface(&request, &primarySurface, nullptr))) return 0;

    DDSCAPS2 backCaps = {};
    backCaps.dwCaps = DDSCAPS_BACKBUFFER;
    if (FAILED(primarySurface->GetAttachedSurface(&backCaps, &backSurface))) return 0;
    backSurface->AddRef();

    // Every frame is written as 5-6-5 whatever the mode reports.
    DDPIXELFORMAT format = {};
    format.dwSize = sizeof(format);
    if (FAILED(primarySurface->GetPixelFormat(&format))) return 0;
    return 1;
}

RECT PresentationRect(HWND window) {
    RECT rect = {0, 0, 0, 0};
    GetClientRect(window, &rect);
    // The surfaces are only as large as the mode; a blit rectangle beyond
    // them would fail and show nothing.
    if (rect.right > screenWidth) rect.right = screenWidth;
    if (rect.bottom > screenHeight) rect.bottom = screenHeight;
    if (rect.left < 0) rect.left = 0;
    if (rect.top < 0) rect.top = 0;
    return rect;
}

SurfaceAnswer SurfaceAnswerOf(HRESULT result) {
    if (SUCCEEDED(result)) return SurfaceAnswer::ok;
    if (result == DDERR_SURFACELOST) return SurfaceAnswer::lost;
    if (result == DDERR_WRONGMODE) return SurfaceAnswer::wrongMode;
    return SurfaceAnswer::failed;
}

namespace {

class DirectDrawSurfaces : public ScreenSurfaces {
public:
    SurfaceAnswer Restore() override {
        // One restore of the primary brings back its implicit back buffer.
        if (primarySurface == nullptr) return SurfaceAnswer::failed;
        return SurfaceAnswerOf(primarySurface->Restore());
    }
    SurfaceAnswer SetMode() override {
        if (directDraw == nullptr) return SurfaceAnswer::failed;
        return SurfaceAnswerOf(directDraw->SetDisplayMode(screenWidth, screenHeight, 16, 0, 0));
    }
    SurfaceAnswer Blit() override {
        if (primarySurface == nullptr || backSurface == nullptr) return SurfaceAnswer::failed;
        RECT rect = presentationRect;
        return SurfaceAnswerOf(primarySurface->Blt(&rect, backSurface, &rect, DDBLT_WAIT, nullptr));
    }
};

DirectDrawSurfaces directDrawSurfaces;

}  // namespace

ScreenSurfaces& DirectDrawScreen() { return directDrawSurfaces; }
