// Timer ticks to the spawner and the middle message, once run mode is ready.
#include "runmode/Ticks.h"

#include "runmode/FrameLogic.h"
#include "text/MidMessage.h"

int saverReady = 0;

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
