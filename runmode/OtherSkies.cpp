// The sizes and the frames of the skies beside the primary.
#include "runmode/OtherSkies.h"

#include "engine/Engine.h"
#include "runmode/Frame.h"
#include "runmode/FrameLogic.h"

namespace {

const unsigned spawnerPeriodMs = 1000;
const int64_t widthGrain = 16;

}  // namespace

SkySize SkySizeFor(int modeHeight, const ScreenRect& monitor) {
    const int64_t width = static_cast<int64_t>(monitor.right) - monitor.left;
    const int64_t height = static_cast<int64_t>(monitor.bottom) - monitor.top;
    if (modeHeight < 1 || width < 1 || height < 1) return {0, 0};
    // The width the monitor's shape gives, to the nearest multiple of 16
    // (600 * 1920 / 1080 = 1066.7 gives 1072): the field's rows then lie a
    // multiple of 32 bytes apart, as at every display mode, where the blur's
    // packed loads and stores never straddle cache lines more than there.
    // Unaligned, a 1820-wide sky's frame cost 1.6 times the primary's per
    // cell; the stretch absorbs the few columns it gains or loses.
    int64_t skyWidth =
        (2 * modeHeight * width + widthGrain * height) / (2 * widthGrain * height) * widthGrain;
    if (skyWidth < widthGrain) skyWidth = widthGrain;
    // A monitor no shape could make that wide; kept within what a field's
    // size can hold.
    if (skyWidth > 32768) skyWidth = 32768;
    return {static_cast<int>(skyWidth), modeHeight};
}

int StartOtherSky(OtherSky& other, SkySize size, uint32_t seed, unsigned now) {
    other.lastSpawn = now;
    return InitSky(other.sky, size.width, size.height, seed);
}

void StepOtherSky(OtherSky& other, unsigned now, uint16_t* pixels, int pitchInPixels) {
    // Unsigned, as the frame pacing: the clock's wrap does not stop it.
    if (static_cast<uint32_t>(now - other.lastSpawn) >= spawnerPeriodMs) {
        other.lastSpawn = now;
        SpawnerTick(other.sky);
    }
    RenderSkyFrame(other.sky, pixels, pitchInPixels);
}

void ReleaseOtherSky(OtherSky& other) { ReleaseSky(other.sky); }
