// Set-up and release of run mode's engine buffers.
#include "engine/Engine.h"

#include "engine/HeatField.h"
#include "engine/Maths.h"
#include "engine/Particles.h"

int InitEngine() {
    FillDegreeTables();
    if (!CreateParticleList()) return 0;
    if (!AllocHeatField()) {
        FreeParticleList();
        return 0;
    }
    return 1;
}

void ReleaseEngine() {
    FreeHeatField();
    FreeParticleList();
}
