// Set-up and release of the engine's skies.
#include "engine/Engine.h"

#include "engine/Geometry.h"
#include "engine/HeatField.h"
#include "engine/Maths.h"
#include "engine/Particles.h"
#include "engine/Random.h"

namespace {

int AllocSkyBuffers(Sky& sky) {
    if (!CreateParticleList(sky)) return 0;
    if (!AllocHeatField(sky)) {
        FreeParticleList(sky);
        return 0;
    }
    return 1;
}

}  // namespace

int InitEngine() {
    FillDegreeTables();
    return AllocSkyBuffers(primarySky);
}

void ReleaseEngine() { ReleaseSky(primarySky); }

int InitSky(Sky& sky, int32_t width, int32_t height, uint32_t seed) {
    ReleaseSky(sky);
    if (width <= 0 || height <= 0) return 0;
    SetCanvasSize(sky, width, height);
    sky.midTextActive = 0;
    SeedRandom(sky, seed);
    return AllocSkyBuffers(sky);
}

void ReleaseSky(Sky& sky) {
    FreeHeatField(sky);
    FreeParticleList(sky);
}
