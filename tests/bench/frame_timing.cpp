// Whole frames as run mode makes them, timed at every display mode: the
// timers' work when due (rockets once a second, the middle message line by
// line), the sweep, the blur into the back buffer and the texts over it. A
// seeded show on a 33 ms clock, so the native and the 32-bit Windows build
// do exactly the same work.
//
// The text's glyphs come from a stand-in for GDI (a checked box the size of
// a 16-pixel font's), so what is timed is this program's own code; the
// placement, the pulsing colour and the burn of the middle line are run
// mode's.
//
// Beside each primary frame, timed on its own, the frame of another sky as
// run mode steps it for a 1920x1080 monitor: its spawner's tick once a
// second, its sweep and its blur (the stretch over the monitor reads the
// blurred field itself, with nothing to convert).
#include <cstdio>
#include <cstring>
#include <map>
#include <vector>

#include "engine/Engine.h"
#include "engine/Geometry.h"
#include "engine/Maths.h"
#include "engine/Particles.h"
#include "engine/Random.h"
#include "platform/Platform.h"
#include "runmode/Frame.h"
#include "runmode/OtherSkies.h"
#include "runmode/Ticks.h"
#include "settings/Settings.h"
#include "tests/bench/BenchClock.h"
#include "tests/bench/BlurBenchScene.h"
#include "tests/bench/FrameTiming.h"
#include "text/MidMessage.h"
#include "text/Overlay.h"

namespace {

const unsigned frameMs = 33;     // 30 frames per second
const int warmFrames = 300;      // ten seconds of show before the timing
const int timedFrames = 900;     // thirty seconds timed, frame by frame
const int glyphWidth = 8;
const int glyphHeight = 16;
const ScreenRect otherMonitor = {1280, 0, 3200, 1080};

// The back buffer, the window's timers on the show's clock, and text drawn
// as checked boxes.
class BenchPlatform : public Platform {
public:
    explicit BenchPlatform(uint16_t* pixels) : pixels_(pixels) {}

    void StartTimer(unsigned id, unsigned periodMs) override {
        timers_[id] = Timer{periodMs, clock + periodMs};
    }
    void StopTimer(unsigned id) override { timers_.erase(id); }
    void DrawTextLine(const char* text, int x, int y, COLORREF colour, const LOGFONTA*, int centred,
                      int bottomRight) override {
        const int cx = static_cast<int>(std::strlen(text)) * glyphWidth;
        const OverlayPlacement at = PlaceOverlayText(cx, glyphHeight, x, y, centred, bottomRight);
        const uint16_t pixel = CellToRGB565(ColorRefToCell(colour));
        for (int row = at.y < 0 ? 0 : at.y; row < at.y + glyphHeight && row < screenHeight; ++row) {
            for (int column = at.x < 0 ? 0 : at.x; column < at.x + cx && column < screenWidth;
                 ++column) {
                if (((row ^ column) & 1) == 0) pixels_[static_cast<long>(row) * screenWidth + column] = pixel;
            }
        }
        if (centred) BurnTextIntoField(pixels_, screenWidth * 2, at.x, at.y, cx, glyphHeight, colour);
    }
    int LockBackBuffer(uint16_t** pixels, int* pitchBytes) override {
        *pixels = pixels_;
        *pitchBytes = screenWidth * 2;
        return 1;
    }
    void UnlockBackBuffer() override {}

    // Ticks every timer that has come due by the clock, as the message loop
    // would between frames.
    void FireDueTimers() {
        for (unsigned id : {spawnerTimerId, midStartTimerId, midLineTimerId}) {
            std::map<unsigned, Timer>::iterator timer = timers_.find(id);
            if (timer == timers_.end() || clock < timer->second.due) continue;
            timer->second.due += timer->second.period;
            DispatchSaverTimer(id);
        }
    }

    unsigned clock = 0;

private:
    struct Timer {
        unsigned period;
        unsigned due;
    };
    uint16_t* pixels_;
    std::map<unsigned, Timer> timers_;
};

}  // namespace

int TimeWholeFrames() {
    std::printf("# whole frames at 30 frames per second: median ms of %d, particles on average\n",
                timedFrames);
    for (const BenchSize& size : benchSizes) {
        LoadDefaultSettings();
        Settings.FpsShow = 1;
        std::strcpy(Settings.BottomText, "Glimmerax");
        std::strcpy(Settings.MidText, "Happy New Year\r\n\r\nGlimmer\r\nGlow");
        SetCanvasSize(size.width, size.height);
        if (!InitEngine()) {
            std::printf("%dx%d: no memory for the engine\n", size.width, size.height);
            return 1;
        }
        SeedRandom(2024);
        BenchSurface surface;
        BenchPlatform platform(surface.data());
        InstallPlatform(&platform);
        ResetMidMessage();
        platform.StartTimer(midStartTimerId, 1000);
        platform.StartTimer(spawnerTimerId, 1000);
        FrameTexts texts = {RandomColour(-1, -1, -1), {0, 1}, {0}};
        texts.pulse.Start(frameMs);
        saverReady = 1;
        const SkySize skySize = SkySizeFor(size.height, otherMonitor);
        OtherSky other = {};
        const int skyPitch = (skySize.width + 1) & ~1;
        std::vector<uint16_t> skyPixels(static_cast<size_t>(skyPitch) * skySize.height);
        if (!StartOtherSky(other, skySize, 2025u, platform.clock)) {
            std::printf("%dx%d: no memory for another sky\n", size.width, size.height);
            return 1;
        }

        std::vector<double> times;
        std::vector<double> skyTimes;
        double particles = 0.0;
        double skyParticles = 0.0;
        for (int frame = 0; frame < warmFrames + timedFrames; ++frame) {
            platform.clock += frameMs;
            const BenchClock::time_point start = BenchClock::now();
            platform.FireDueTimers();
            RenderFrame();
            DrawFrameTexts(texts, 1000 / frameMs);
            const double ms = MsSince(start);
            const BenchClock::time_point skyStart = BenchClock::now();
            StepOtherSky(other, platform.clock, skyPixels.data(), skyPitch);
            const double skyMs = MsSince(skyStart);
            if (frame < warmFrames) continue;
            times.push_back(ms);
            skyTimes.push_back(skyMs);
            particles += particleCount;
            skyParticles += other.sky.particleCount;
        }
        const double ms = MedianOf(times);
        std::printf("%4dx%-7d %-10s %9.3f %9.3f %9.0f\n", size.width, size.height, "frame",
                    ms * 1e6 / (static_cast<double>(size.width) * size.height), ms,
                    particles / timedFrames);
        // Keyed by the chosen mode; the sky's own size follows.
        const double skyMs = MedianOf(skyTimes);
        std::printf("%4dx%-7d %-10s %9.3f %9.3f %9.0f  # a %dx%d sky\n", size.width, size.height, "sky",
                    skyMs * 1e6 / (static_cast<double>(skySize.width) * skySize.height), skyMs,
                    skyParticles / timedFrames, skySize.width, skySize.height);
        std::fflush(stdout);
        ReleaseOtherSky(other);

        saverReady = 0;
        ReleaseEngine();
        ReleaseMidLine();
        InstallPlatform(nullptr);
    }
    LoadDefaultSettings();
    return 0;
}
