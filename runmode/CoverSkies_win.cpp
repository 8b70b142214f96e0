// The skies of the covers and their drawing: a 32-bit DIB section the blurred
// field is copied into, stretched over the cover's window each frame.
#include "runmode/CoverSkies_win.h"

#include <cstdint>
#include <cstdio>
#include <memory>
#include <new>
#include <utility>
#include <vector>

#include "engine/Geometry.h"
#include "runmode/Covers_win.h"
#include "runmode/OtherSkies.h"
#include "settings/Settings.h"

namespace {

struct CoverSky {
    HWND cover;
    ScreenRect monitor;  // where the cover was when the sky was made
    bool failed;         // could not be made at that size: the cover stays black
    OtherSky other;
    HDC memory;
    HBITMAP bitmap;
    HGDIOBJ previousBitmap;
    uint32_t* bits;  // the DIB section's pixels, top row first, the sky's width apart
    // The blur's own 16-bit output, which nothing shows: the stretch reads
    // the field's cells instead (CopyShownCells).
    std::unique_ptr<uint16_t[]> pixels;
};

std::vector<CoverSky> coverSkies;
unsigned skiesMade = 0;

// What the stretches cost, said through the debugger's channel at the end
// of a run (Wine's +debugstr), so it can be measured in run mode.
LARGE_INTEGER stretchTicks = {};
LARGE_INTEGER stepTicks = {};
unsigned framesDrawn = 0;

void ReleaseDrawing(CoverSky& record) {
    if (record.memory != nullptr) {
        if (record.previousBitmap != nullptr) SelectObject(record.memory, record.previousBitmap);
        DeleteDC(record.memory);
    }
    if (record.bitmap != nullptr) DeleteObject(record.bitmap);
    record.memory = nullptr;
    record.bitmap = nullptr;
    record.previousBitmap = nullptr;
    record.bits = nullptr;
    record.pixels.reset();
}

void Release(CoverSky& record) {
    ReleaseDrawing(record);
    ReleaseOtherSky(record.other);
}

// The DIB section of a sky of size and a memory context holding it. Returns
// 1, or 0 with nothing held.
int MakeDrawing(CoverSky& record, SkySize size) {
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = size.width;
    info.bmiHeader.biHeight = -size.height;  // top-down, as the field's rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    record.bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    record.memory = CreateCompatibleDC(nullptr);
    record.pixels.reset(new (std::nothrow) uint16_t[static_cast<size_t>(size.width) * size.height]);
    if (record.bitmap == nullptr || bits == nullptr || record.memory == nullptr || !record.pixels) {
        ReleaseDrawing(record);
        return 0;
    }
    record.previousBitmap = SelectObject(record.memory, record.bitmap);
    record.bits = static_cast<uint32_t*>(bits);
    return 1;
}

void Make(CoverSky& record, unsigned now) {
    const SkySize size = SkySizeFor(screenHeight, record.monitor);
    // Each sky its own sequence, never the primary's.
    const uint32_t seed = now * 2654435761u + 0x9E3779B9u * ++skiesMade;
    if (!StartOtherSky(record.other, size, seed, now) || !MakeDrawing(record, size)) {
        Release(record);
        record.failed = true;
    }
}

ScreenRect WindowPlace(HWND window) {
    RECT rect = {0, 0, 0, 0};
    GetWindowRect(window, &rect);
    return ScreenRect{rect.left, rect.top, rect.right, rect.bottom};
}

bool SameSize(const ScreenRect& a, const ScreenRect& b) {
    return a.right - a.left == b.right - b.left && a.bottom - a.top == b.bottom - b.top;
}

CoverSky& RecordOf(HWND cover) {
    for (CoverSky& record : coverSkies)
        if (record.cover == cover) return record;
    CoverSky fresh = {};
    fresh.cover = cover;
    coverSkies.push_back(std::move(fresh));
    return coverSkies.back();
}

void DropGoneCovers(const std::vector<HWND>& covers) {
    for (size_t i = coverSkies.size(); i-- > 0;) {
        bool shown = false;
        for (HWND cover : covers) shown |= cover == coverSkies[i].cover;
        if (shown) continue;
        Release(coverSkies[i]);
        coverSkies.erase(coverSkies.begin() + static_cast<long>(i));
    }
}

void Draw(CoverSky& record, unsigned now) {
    LARGE_INTEGER start, stepped, stretched;
    QueryPerformanceCounter(&start);
    // GDI may still be reading the bits for the last stretch.
    GdiFlush();
    StepOtherSky(record.other, now, record.pixels.get(), record.other.sky.screenWidth);
    CopyShownCells(record.other.sky, record.bits);
    QueryPerformanceCounter(&stepped);
    HDC dc = GetDC(record.cover);
    if (dc == nullptr) return;
    SetStretchBltMode(dc, COLORONCOLOR);
    StretchBlt(dc, 0, 0, record.monitor.right - record.monitor.left, record.monitor.bottom - record.monitor.top,
               record.memory, 0, 0, record.other.sky.screenWidth, record.other.sky.screenHeight, SRCCOPY);
    ReleaseDC(record.cover, dc);
    QueryPerformanceCounter(&stretched);
    stepTicks.QuadPart += stepped.QuadPart - start.QuadPart;
    stretchTicks.QuadPart += stretched.QuadPart - stepped.QuadPart;
    ++framesDrawn;
}

void ReportCosts() {
    LARGE_INTEGER frequency;
    if (framesDrawn == 0 || !QueryPerformanceFrequency(&frequency) || frequency.QuadPart == 0) return;
    const double perDraw = 1000.0 / static_cast<double>(frequency.QuadPart) / framesDrawn;
    char line[160];
    std::snprintf(line, sizeof line, "Glimmerax: other skies: %u draws, sky %dx%d, step %.3f ms, stretch %.3f ms\n",
                  framesDrawn, coverSkies.empty() ? 0 : coverSkies[0].other.sky.screenWidth,
                  coverSkies.empty() ? 0 : coverSkies[0].other.sky.screenHeight,
                  static_cast<double>(stepTicks.QuadPart) * perDraw,
                  static_cast<double>(stretchTicks.QuadPart) * perDraw);
    OutputDebugStringA(line);
}

}  // namespace

void StepOtherSkies(unsigned now) {
    if (!Settings.OtherMonitors) return;
    const std::vector<HWND>& covers = CoverWindows();
    DropGoneCovers(covers);
    for (HWND cover : covers) {
        CoverSky& record = RecordOf(cover);
        const ScreenRect place = WindowPlace(cover);
        if (record.other.sky.heatField == nullptr && !record.failed) {
            record.monitor = place;
            Make(record, now);
        } else if (!SameSize(place, record.monitor)) {
            // A display change gave the monitor another size: a sky of its
            // new shape (a failed one gets another chance).
            Release(record);
            record.failed = false;
            record.monitor = place;
            Make(record, now);
        }
        if (record.bits != nullptr) Draw(record, now);
    }
}

void ReleaseOtherSkies() {
    ReportCosts();
    for (CoverSky& record : coverSkies) Release(record);
    coverSkies.clear();
    stepTicks.QuadPart = 0;
    stretchTicks.QuadPart = 0;
    framesDrawn = 0;
}

const Sky* CoverSkyOf(HWND cover) {
    for (const CoverSky& record : coverSkies)
        if (record.cover == cover && record.bits != nullptr) return &record.other.sky;
    return nullptr;
}
