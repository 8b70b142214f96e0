// One frame's engine work and the routing of timer ticks.
#include "runmode/Frame.h"

#include "blur/Blur.h"
#include "runmode/FrameLogic.h"
#include "engine/HeatField.h"
#include "engine/Maths.h"
#include "text/MidMessage.h"
#include "engine/Particles.h"

int saverReady = 0;
void (*saverTimerStarter)(unsigned id, unsigned periodMs) = nullptr;
void (*saverTimerStopper)(unsigned id) = nullptr;

void StartSaverTimer(unsigned id, unsigned periodMs) {
    if (saverTimerStarter != nullptr) saverTimerStarter(id, periodMs);
}

void StopSaverTimer(unsigned id) {
    if (saverTimerStopper != nullptr) saverTimerStopper(id);
}

void RenderFrameOn(FrameSurface* surface) {
    SweepParticles();
    if (surface == nullptr || HeatField == nullptr) return;
    uint16_t* pixels = nullptr;
    int pitchBytes = 0;
    if (!surface->Lock(&pixels, &pitchBytes)) return;
    // The pitch is in bytes; the blur counts 16-bit pixels.
    if (pixels != nullptr) BlurHeatField(pixels, pitchBytes >> 1, RandomBetween(791, 2797));
    surface->Unlock();
}

void DispatchSaverTimer(unsigned id) {
    if (!saverReady) return;
    if (id == spawnerTimerId) {
        SpawnerTick();
    } else if (id == midStartTimerId) {
        MidStartTick();
    } else if (id == midLineTimerId) {
        MidLineTick();
    }
}
