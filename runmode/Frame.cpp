// One frame's engine work: the sweep, then the blur into the back buffer;
// and the texts drawn over it.
#include "runmode/Frame.h"

#include <cstdint>

#include "blur/Blur.h"
#include "engine/HeatField.h"
#include "engine/Maths.h"
#include "engine/Particles.h"
#include "platform/Platform.h"
#include "settings/Settings.h"
#include "text/MidMessage.h"
#include "text/Overlay.h"

namespace {

// The blur of one frame, with a twinkle interval drawn from the sky's own
// sequence.
void BlurSkyFrame(Sky& sky, uint16_t* pixels, int pitchInPixels) {
    BlurHeatField(sky, pixels, pitchInPixels, RandomBetween(sky, 791, 2797));
}

}  // namespace

void RenderFrame() {
    SweepParticles();
    if (HeatField == nullptr) return;
    uint16_t* pixels = nullptr;
    int pitchBytes = 0;
    Platform& platform = ThePlatform();
    if (!platform.LockBackBuffer(&pixels, &pitchBytes)) return;
    // The pitch is in bytes; the blur counts 16-bit pixels.
    if (pixels != nullptr) BlurSkyFrame(primarySky, pixels, pitchBytes >> 1);
    platform.UnlockBackBuffer();
}

void RenderSkyFrame(Sky& sky, uint16_t* pixels, int pitchInPixels) {
    SweepParticles(sky);
    if (sky.heatField == nullptr || pixels == nullptr) return;
    BlurSkyFrame(sky, pixels, pitchInPixels);
}

void DrawFrameTexts(FrameTexts& texts, unsigned frameRate) {
    if (Settings.FpsShow) {
        FormatFpsLine(texts.topLine, sizeof texts.topLine, frameRate, particleCount);
        DrawOverlayText(texts.topLine, 4, 2, texts.topColour, &Settings.TopFont.logFont, 0, 0);
    } else {
        // The user's text is drawn whole and never used as a format.
        DrawOverlayText(Settings.TopText, 4, 2, texts.topColour, &Settings.TopFont.logFont, 0, 0);
    }

    COLORREF bottomColour = Settings.BottomFont.Color;
    if (bottomColour == 0) {
        texts.pulse.Step();
        bottomColour = texts.pulse.value;
    }
    DrawOverlayText(Settings.BottomText, screenWidth, screenHeight, bottomColour,
                    &Settings.BottomFont.logFont, 0, 1);

    DrawPendingMidLine();
}
