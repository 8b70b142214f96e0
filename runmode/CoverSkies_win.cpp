// The skies of the covers and their drawing: each sky's blurred field,
// stretched over its cover's window each frame.
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
    // The blur's own 16-bit output, which nothing shows: the stretch reads
    // the field's cells themselves.
    std::unique_ptr<uint16_t[]> pixels;
};

std::vector<CoverSky> coverSkies;
unsigned skiesMade = 0;

// What the stretches cost, said through the debugger's channel at the end
// of a run (Wine's +debugstr), so it can be measured in run mode.
LARGE_INTEGER stretchTicks = {};
LARGE_INTEGER stepTicks = {};
unsigned framesDrawn = 0;

void Release(CoverSky& record) {
    record.pixels.reset();
    ReleaseOtherSky(record.other);
}

void Make(CoverSky& record, unsigned now) {
    const SkySize size = SkySizeFor(screenHeight, record.monitor);
    // Each sky its own sequence, never the primary's.
    const uint32_t seed = now * 2654435761u + 0x9E3779B9u * ++skiesMade;
    if (StartOtherSky(record.other, size, seed, now))
        record.pixels.reset(new (std::nothrow) uint16_t[static_cast<size_t>(size.width) * size.height]);
    if (!record.pixels) {
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

// The sky's visible rows as a 32-bit top-down DIB: the field's own cells
// (0x00RRGGBB, the top byte unused), fieldWidth apart from the first
// visible row on, the visible ones starting fieldBorder cells in. Stretched
// from there, no copy: one of the whole picture cost as much as the blur.
struct FieldDib {
    BITMAPINFO info;
    const uint32_t* rows;
};

FieldDib FieldDibOf(const Sky& sky) {
    FieldDib dib = {};
    dib.info.bmiHeader.biSize = sizeof dib.info.bmiHeader;
    dib.info.bmiHeader.biWidth = sky.fieldWidth;
    // Top-down and only the visible rows, so the source's top is row 0
    // whichever corner GDI counts from.
    dib.info.bmiHeader.biHeight = -sky.screenHeight;
    dib.info.bmiHeader.biPlanes = 1;
    dib.info.bmiHeader.biBitCount = 32;
    dib.info.bmiHeader.biCompression = BI_RGB;
    dib.rows = sky.heatField + static_cast<long>(fieldBorder) * sky.fieldWidth;
    return dib;
}

void Draw(CoverSky& record, unsigned now) {
    LARGE_INTEGER start, stepped, stretched;
    QueryPerformanceCounter(&start);
    const Sky& sky = record.other.sky;
    StepOtherSky(record.other, now, record.pixels.get(), sky.screenWidth);
    QueryPerformanceCounter(&stepped);
    HDC dc = GetDC(record.cover);
    if (dc == nullptr) return;
    const FieldDib dib = FieldDibOf(sky);
    SetStretchBltMode(dc, COLORONCOLOR);
    StretchDIBits(dc, 0, 0, record.monitor.right - record.monitor.left, record.monitor.bottom - record.monitor.top,
                  fieldBorder, 0, sky.screenWidth, sky.screenHeight, dib.rows, &dib.info, DIB_RGB_COLORS, SRCCOPY);
    ReleaseDC(record.cover, dc);
    // Drawn before the field's next frame changes it.
    GdiFlush();
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
        if (record.pixels) Draw(record, now);
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
        if (record.cover == cover && record.pixels) return &record.other.sky;
    return nullptr;
}
