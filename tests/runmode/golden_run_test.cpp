// Golden runs: a seeded run of a few hundred frames at each display mode,
// with the spawner, the sweeps, the blur and a middle message, ends in a
// heat field and a back buffer whose hashes are fixed here. The same
// constants hold in the native and the 32-bit build, on every blur path the
// processor has: a change to any of them is a change of what the saver
// shows, and wants a reason.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "blur/Blur.h"
#include "engine/Engine.h"
#include "engine/Geometry.h"
#include "engine/HeatField.h"
#include "engine/Maths.h"
#include "engine/Particles.h"
#include "engine/Random.h"
#include "platform/Platform.h"
#include "runmode/Frame.h"
#include "runmode/FrameLogic.h"
#include "runmode/OtherSkies.h"
#include "runmode/Ticks.h"
#include "settings/Settings.h"
#include "text/MidMessage.h"
#include "text/Overlay.h"

namespace {

const int goldenFrames = 240;
const unsigned frameStepMs = 100;  // the run's own clock: ten frames a second
const uint32_t goldenSeed = 20240229u;

uint64_t MixIntoHash(uint64_t hash, uint32_t value) { return (hash ^ value) * 1099511628211ull; }

// Window timers on the run's clock: a started timer fires every period.
std::map<unsigned, unsigned> timerPeriods;
std::map<unsigned, unsigned> timerDue;
unsigned runClock = 0;

void StartFakeTimer(unsigned id, unsigned periodMs) {
    timerPeriods[id] = periodMs;
    timerDue[id] = runClock + periodMs;
}

void StopFakeTimer(unsigned id) {
    timerPeriods.erase(id);
    timerDue.erase(id);
}

void FireDueTimers() {
    std::vector<unsigned> due;
    for (const auto& timer : timerDue)
        if (timer.second <= runClock) due.push_back(timer.first);
    for (unsigned id : due) {
        // A tick may stop its own timer or start another.
        if (timerDue.count(id) == 0) continue;
        timerDue[id] += timerPeriods[id];
        DispatchSaverTimer(id);
    }
}

// The back buffer of the run, and a stand-in for GDI text: a box of 7 x 13
// pixels a character, two pixels in three of the text colour, placed and
// burnt as run mode places and burns a real line.
std::vector<uint16_t> backBuffer;
int backPitch = 0;
int centredDraws = 0;

void DrawFakeText(const char* text, int x, int y, COLORREF colour, const LOGFONTA*, int centred,
                  int bottomRight) {
    const int cx = 7 * static_cast<int>(std::strlen(text));
    const int cy = 13;
    const OverlayPlacement at = PlaceOverlayText(cx, cy, x, y, centred, bottomRight);
    const uint16_t ink = CellToRGB565(ColorRefToCell(colour));
    for (int row = at.y; row < at.y + cy; ++row) {
        if (row < 0 || row >= screenHeight) continue;
        for (int column = at.x; column < at.x + cx; ++column) {
            if (column < 0 || column >= screenWidth || (row + column) % 3 == 0) continue;
            backBuffer[static_cast<size_t>(row) * backPitch + column] = ink;
        }
    }
    centredDraws += centred;
    if (centred) BurnTextIntoField(backBuffer.data(), backPitch * 2, at.x, at.y, cx, cy, colour);
}

// The platform of a golden run: its timers, its texts, its back buffer.
class GoldenPlatform : public NullPlatform {
public:
    void StartTimer(unsigned id, unsigned periodMs) override { StartFakeTimer(id, periodMs); }
    void StopTimer(unsigned id) override { StopFakeTimer(id); }
    void DrawTextLine(const char* text, int x, int y, COLORREF colour, const LOGFONTA* font,
                      int centred, int bottomRight) override {
        DrawFakeText(text, x, y, colour, font, centred, bottomRight);
    }
    int LockBackBuffer(uint16_t** pixels, int* pitchBytes) override {
        *pixels = backBuffer.data();
        *pitchBytes = backPitch * 2;
        return 1;
    }
};

struct GoldenHashes {
    uint64_t field;
    uint64_t pixels;
};

// The blur of one frame: through the frame itself (the best path), or
// through one path alone with the frame's own steps.
const int throughFrame = -1;

// Skies beside the primary, stepped after each of its frames as run mode
// steps them: two upright monitors' (narrow skies cost the test little).
// Their middle-message flag must stay clear while the primary's message
// shows.
struct GoldenNeighbours {
    OtherSky skies[2] = {};
    std::vector<uint16_t> pixels[2];
    int mostParticles = 0;
    bool midTextSeen = false;

    void Start(unsigned now) {
        const ScreenRect monitors[2] = {{1280, 0, 2048, 1024}, {-1080, -400, 0, 1520}};
        for (int i = 0; i < 2; ++i) {
            const SkySize size = SkySizeFor(screenHeight, monitors[i]);
            ASSERT_EQ(StartOtherSky(skies[i], size, 7u + i, now), 1);
            pixels[i].assign(static_cast<size_t>(size.width) * size.height, 0);
        }
    }
    void Step(unsigned now) {
        for (int i = 0; i < 2; ++i) {
            StepOtherSky(skies[i], now, pixels[i].data(), skies[i].sky.screenWidth);
            if (skies[i].sky.particleCount > mostParticles) mostParticles = skies[i].sky.particleCount;
            midTextSeen |= skies[i].sky.midTextActive != 0;
        }
    }
    void Release() {
        for (OtherSky& other : skies) ReleaseOtherSky(other);
    }
};

GoldenHashes RunGolden(int mode, int path, bool withNeighbours = false) {
    LoadDefaultSettings();
    Settings.Resolution = mode;
    SetCanvasForDisplayMode(mode);
    std::strcpy(Settings.BottomText, "Glimmerax");
    std::strcpy(Settings.MidText, "Happy New Year\r\n\r\n\xd0\xc2\xc4\xea\xbf\xec\xc0\xd6\r\nGlimmer");
    Settings.MidFont.Color = 0;

    GoldenPlatform platform;
    InstallPlatform(&platform);
    timerPeriods.clear();
    timerDue.clear();
    runClock = 0;
    centredDraws = 0;
    backPitch = screenWidth + 8;
    backBuffer.assign(static_cast<size_t>(backPitch) * screenHeight, 0);

    // Set-up in run mode's order, the seed in place of the time.
    EXPECT_EQ(InitEngine(), 1);
    SeedRandom(goldenSeed);
    platform.StartTimer(midStartTimerId, 1000);
    platform.StartTimer(spawnerTimerId, 1000);
    ResetMidMessage();
    const COLORREF topColour = RandomColour(-1, -1, -1);
    PulseColour pulse;
    pulse.Start(33);
    saverReady = 1;
    GoldenNeighbours neighbours;
    if (withNeighbours) neighbours.Start(runClock);

    char topLine[64];
    int mostParticles = 0;
    for (int frame = 0; frame < goldenFrames; ++frame) {
        runClock += frameStepMs;
        FireDueTimers();
        if (path == throughFrame) {
            RenderFrame();
        } else {
            SweepParticles();
            BlurFunctionFor(static_cast<BlurPath>(path))(primarySky, backBuffer.data(), backPitch,
                                                         RandomBetween(791, 2797));
        }
        FormatFpsLine(topLine, sizeof topLine, 10, particleCount);
        DrawOverlayText(topLine, 4, 2, topColour, &Settings.TopFont.logFont, 0, 0);
        pulse.Step();
        DrawOverlayText(Settings.BottomText, screenWidth, screenHeight, pulse.value,
                        &Settings.BottomFont.logFont, 0, 1);
        DrawPendingMidLine();
        if (particleCount > mostParticles) mostParticles = particleCount;
        if (withNeighbours) neighbours.Step(runClock);
    }
    if (withNeighbours) {
        EXPECT_GT(neighbours.mostParticles, 100) << "the skies beside ran";
        EXPECT_FALSE(neighbours.midTextSeen);
        EXPECT_NE(neighbours.pixels[0], neighbours.pixels[1]) << "each sky draws its own sequence";
        neighbours.Release();
    }
    // The run did what it is for: many sparks, and the message's three
    // lines drawn twice each.
    EXPECT_GT(mostParticles, 100);
    EXPECT_EQ(centredDraws, 6);

    GoldenHashes hashes{14695981039346656037ull, 14695981039346656037ull};
    for (int i = 0; i < fieldWidth * fieldHeight; ++i) hashes.field = MixIntoHash(hashes.field, HeatField[i]);
    for (uint16_t pixel : backBuffer) hashes.pixels = MixIntoHash(hashes.pixels, pixel);

    saverReady = 0;
    ReleaseEngine();
    ReleaseMidLine();
    InstallPlatform(nullptr);
    LoadDefaultSettings();
    return hashes;
}

// One mode on the frame's own path and on every path this processor has.
// The paths run are recorded as the test's "paths" property.
void ExpectGolden(int mode, GoldenHashes golden) {
    std::string paths;
    for (int path = throughFrame; path < blurPathCount; ++path) {
        if (path != throughFrame && !BlurPathSupported(static_cast<BlurPath>(path))) continue;
        const GoldenHashes got = RunGolden(mode, path);
        const char* name = path == throughFrame ? "frame" : BlurPathName(static_cast<BlurPath>(path));
        paths += paths.empty() ? name : std::string(" ") + name;
        EXPECT_EQ(got.field, golden.field) << "mode " << mode << ", " << name;
        EXPECT_EQ(got.pixels, golden.pixels) << "mode " << mode << ", " << name;
    }
    // The same frames while skies beside the primary run in the same loop.
    const GoldenHashes beside = RunGolden(mode, throughFrame, true);
    EXPECT_EQ(beside.field, golden.field) << "mode " << mode << ", other skies running";
    EXPECT_EQ(beside.pixels, golden.pixels) << "mode " << mode << ", other skies running";
    ::testing::Test::RecordProperty("paths", paths);
}

// One test a mode, so a failure names its mode at once.
TEST(GoldenRun, Mode640x480) { ExpectGolden(0, {0x59f6759fd0484461ull, 0x7280c6e4e10b0f49ull}); }
TEST(GoldenRun, Mode800x600) { ExpectGolden(1, {0x806d9f3ee1c909caull, 0x637bdf862cc089ccull}); }
TEST(GoldenRun, Mode1024x768) { ExpectGolden(2, {0xd233975f996b2c6bull, 0xc8b1c0f3359fa472ull}); }
TEST(GoldenRun, Mode1280x1024) { ExpectGolden(3, {0x99194a08e0baa97cull, 0x210e185f114d85c8ull}); }

}  // namespace
