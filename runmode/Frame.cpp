// One frame's engine work: the sweep, then the blur into the back buffer.
#include "runmode/Frame.h"

#include <cstdint>

#include "blur/Blur.h"
#include "engine/HeatField.h"
#include "engine/Maths.h"
#include "engine/Particles.h"
#include "platform/Platform.h"

void RenderFrame() {
    SweepParticles();
    if (HeatField == nullptr) return;
    uint16_t* pixels = nullptr;
    int pitchBytes = 0;
    Platform& platform = ThePlatform();
    if (!platform.LockBackBuffer(&pixels, &pitchBytes)) return;
    // The pitch is in bytes; the blur counts 16-bit pixels.
    if (pixels != nullptr) BlurHeatField(pixels, pitchBytes >> 1, RandomBetween(791, 2797));
    platform.UnlockBackBuffer();
}
