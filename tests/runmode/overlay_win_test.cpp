// The GDI half of the text overlays under Wine, on a real DirectDraw surface:
// what is drawn where, what a centred line burns, and that no call leaves a
// GDI object behind.
#include <gtest/gtest.h>

#include <windows.h>
#include <ddraw.h>

#include <cstring>
#include <string>

#include "engine/Geometry.h"
#include "engine/HeatField.h"
#include "framework/Guards_win.h"
#include "runmode/Overlay_win.h"
#include "runmode/Saver_win.h"
#include "settings/Settings.h"
#include "text/Overlay.h"

namespace {

// An off-screen 5-6-5 surface in system memory standing in for the back
// buffer: no display mode change is needed for it.
class OverlaySurfaceTest : public ::testing::Test {
protected:
    void SetUp() override {
        SetCanvasForDisplayMode(0);
        ASSERT_EQ(AllocHeatField(), 1);
        DirectDrawCreateExFn directDrawCreateEx = LoadDirectDraw();
        ASSERT_NE(directDrawCreateEx, nullptr);
        ASSERT_TRUE(SUCCEEDED(directDrawCreateEx(nullptr, dd.OutVoid(), IID_IDirectDraw7, nullptr)));
        ASSERT_TRUE(SUCCEEDED(dd->SetCooperativeLevel(nullptr, DDSCL_NORMAL)));
        DDSURFACEDESC2 desc = {};
        desc.dwSize = sizeof desc;
        desc.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT | DDSD_PIXELFORMAT;
        desc.dwWidth = static_cast<DWORD>(screenWidth);
        desc.dwHeight = static_cast<DWORD>(screenHeight);
        desc.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN | DDSCAPS_SYSTEMMEMORY;
        desc.ddpfPixelFormat.dwSize = sizeof(DDPIXELFORMAT);
        desc.ddpfPixelFormat.dwFlags = DDPF_RGB;
        desc.ddpfPixelFormat.dwRGBBitCount = 16;
        desc.ddpfPixelFormat.dwRBitMask = 0xF800;
        desc.ddpfPixelFormat.dwGBitMask = 0x07E0;
        desc.ddpfPixelFormat.dwBBitMask = 0x001F;
        ASSERT_TRUE(SUCCEEDED(dd->CreateSurface(&desc, surface.Out(), nullptr)));
        savedBack = backSurface;
        backSurface = surface.Get();
        Fill(0);
        std::memset(&font, 0, sizeof font);
        font.lfHeight = -24;
        font.lfWeight = FW_BOLD;
        lstrcpyA(font.lfFaceName, "Arial");
    }
    void TearDown() override {
        backSurface = savedBack;
        surface.Reset();
        dd.Reset();
        FreeHeatField();
    }

    void Fill(uint16_t value) {
        SurfaceLock lock(surface.Get());
        ASSERT_NE(lock.Pixels(), nullptr);
        for (int y = 0; y < screenHeight; ++y) {
            uint16_t* row = reinterpret_cast<uint16_t*>(reinterpret_cast<char*>(lock.Pixels()) +
                                                        y * lock.Pitch());
            for (int x = 0; x < screenWidth; ++x) row[x] = value;
        }
    }

    // The box of pixels that differ from the background: left, top, right,
    // bottom (exclusive); all zero when nothing was drawn.
    RECT Drawn(uint16_t background) {
        RECT box = {screenWidth, screenHeight, 0, 0};
        SurfaceLock lock(surface.Get());
        if (lock.Pixels() == nullptr) return RECT{0, 0, 0, 0};
        for (int y = 0; y < screenHeight; ++y) {
            const uint16_t* row = reinterpret_cast<const uint16_t*>(
                reinterpret_cast<const char*>(lock.Pixels()) + y * lock.Pitch());
            for (int x = 0; x < screenWidth; ++x) {
                if (row[x] == background) continue;
                if (x < box.left) box.left = x;
                if (y < box.top) box.top = y;
                if (x + 1 > box.right) box.right = x + 1;
                if (y + 1 > box.bottom) box.bottom = y + 1;
            }
        }
        if (box.right == 0) return RECT{0, 0, 0, 0};
        return box;
    }

    SIZE Measure(const char* text) {
        SIZE size = {0, 0};
        SurfaceDC dc(surface.Get());
        if (dc.Get() == nullptr) return size;
        OwnedGdiObject made(CreateFontIndirectA(&font));
        SelectedObject selected(dc.Get(), made.Get());
        GetTextExtentPointA(dc.Get(), text, lstrlenA(text), &size);
        return size;
    }

    int BurntCells(uint32_t cell) {
        int count = 0;
        for (int i = 0; i < fieldWidth * fieldHeight; ++i) count += HeatField[i] == cell;
        return count;
    }

    ComPtr<IDirectDraw7> dd;
    ComPtr<IDirectDrawSurface7> surface;
    IDirectDrawSurface7* savedBack = nullptr;
    LOGFONTA font;
};

TEST_F(OverlaySurfaceTest, TopLeftTextIsDrawnAtItsPointAndNotBurnt) {
    DrawOverlayTextOnSurface("FPS:30  Particle Num:123  ", 4, 2, RGB(255, 255, 255), &font, 0, 0);
    RECT box = Drawn(0);
    EXPECT_GE(box.left, 4);
    EXPECT_GE(box.top, 2);
    EXPECT_LT(box.left, 12);
    EXPECT_GT(box.right, box.left + 50);
    EXPECT_EQ(BurntCells(0x00FFFFFF), 0);
}

TEST_F(OverlaySurfaceTest, BottomRightTextEndsAgainstTheCorner) {
    const char* text = "Glimmerax";
    SIZE size = Measure(text);
    DrawOverlayTextOnSurface(text, 0, 0, RGB(255, 0, 0), &font, 0, 1);
    RECT box = Drawn(0);
    ASSERT_GT(box.right, 0);
    EXPECT_LE(box.right, screenWidth - 4);
    EXPECT_LE(box.bottom, screenHeight - 2);
    EXPECT_GE(box.left, screenWidth - 4 - size.cx);
    EXPECT_GE(box.top, screenHeight - 2 - size.cy);
}

TEST_F(OverlaySurfaceTest, ACentredLineIsBurntInTheTextColour) {
    const char* text = "Happy New Year";
    SIZE size = Measure(text);
    DrawOverlayTextOnSurface(text, -1, -1, RGB(0, 255, 0), &font, 1, 0);
    RECT box = Drawn(0);
    const int x = (screenWidth - size.cx) / 2;
    const int y = static_cast<int>((screenHeight - size.cy) * 0.382);
    EXPECT_GE(box.left, x);
    EXPECT_GE(box.top, y);
    EXPECT_LE(box.right, x + size.cx);
    EXPECT_LE(box.bottom, y + size.cy);
    // Green 0x0000FF00 burns cells of 0x0000FF00 wherever the glyphs show 0x07E0.
    EXPECT_GT(BurntCells(0x0000FF00), 20);
    for (int cy = 0; cy < screenHeight; ++cy) {
        for (int cx = 0; cx < screenWidth; ++cx) {
            uint32_t cell = HeatField[(cy + fieldBorder) * fieldWidth + fieldBorder + cx];
            if (cell == 0) continue;
            EXPECT_TRUE(cx >= x && cx < x + size.cx && cy >= y && cy < y + size.cy)
                << "burnt outside the box at " << cx << "," << cy;
        }
    }
}

TEST_F(OverlaySurfaceTest, AnEmptyTextDrawsAndBurnsNothing) {
    DrawOverlayTextOnSurface("", -1, -1, RGB(0, 255, 0), &font, 1, 0);
    RECT box = Drawn(0);
    EXPECT_EQ(box.right, 0);
    EXPECT_EQ(BurntCells(0x0000FF00), 0);
}

TEST_F(OverlaySurfaceTest, ALineWiderThanTheScreenIsBurntOnlyOnTheScreen) {
    std::string wide(200, 'W');
    font.lfHeight = -200;
    DrawOverlayTextOnSurface(wide.c_str(), -1, -1, RGB(255, 255, 255), &font, 1, 0);
    // The border stays cold: nothing burnt outside the visible cells.
    for (int y = 0; y < fieldHeight; ++y) {
        for (int x = 0; x < fieldWidth; ++x) {
            bool visible = x >= fieldBorder && x < fieldBorder + screenWidth && y >= fieldBorder &&
                           y < fieldBorder + screenHeight;
            if (!visible) {
                ASSERT_EQ(HeatField[y * fieldWidth + x], 0u) << x << "," << y;
            }
        }
    }
    EXPECT_GT(BurntCells(0x00FFFFFF), 0);
}

TEST_F(OverlaySurfaceTest, NoSurfaceDrawsNothing) {
    backSurface = nullptr;
    DrawOverlayTextOnSurface("text", -1, -1, RGB(0, 255, 0), &font, 1, 0);
    backSurface = surface.Get();
    EXPECT_EQ(Drawn(0).right, 0);
    EXPECT_EQ(BurntCells(0x0000FF00), 0);
}

TEST_F(OverlaySurfaceTest, ThousandsOfCallsLeaveTheGdiObjectCountUnchanged) {
    // One call first, so that lazily made stock objects are counted.
    DrawOverlayTextOnSurface("warm up", 4, 2, RGB(255, 255, 255), &font, 0, 0);
    const DWORD before = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    HFONT probeBefore = CreateFontIndirectA(&font);
    for (int i = 0; i < 5000; ++i) {
        DrawOverlayTextOnSurface("FPS:30  Particle Num:123  ", 4, 2, RGB(255, 255, 255), &font, 0, 0);
        DrawOverlayTextOnSurface("bottom", 0, 0, RGB(255, 0, 0), &font, 0, 1);
    }
    const DWORD after = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    HFONT probeAfter = CreateFontIndirectA(&font);
    EXPECT_EQ(before, after);
    // Wine keeps no such count (it reads 0). Its handle table hands freed
    // slots out again, so the slot of a font made after the loop tells the
    // same: 10,000 leaked fonts would push it thousands of slots further.
    const int slotBefore = LOWORD(reinterpret_cast<uintptr_t>(probeBefore));
    const int slotAfter = LOWORD(reinterpret_cast<uintptr_t>(probeAfter));
    EXPECT_LT(slotAfter - slotBefore, 64) << slotBefore << " -> " << slotAfter;
    DeleteObject(probeBefore);
    DeleteObject(probeAfter);
}

}  // namespace
