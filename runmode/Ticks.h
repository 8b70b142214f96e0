// The routing of the window's timer ticks to their owners.
#pragma once

#include "platform/Platform.h"

// Hands a timer tick to its owner: the spawner, or the middle message's two
// timers. Ticks that arrive before run mode has finished setting up (or
// after it has shut down) are ignored: nothing may touch the engine while the
// surfaces or buffers do not exist.
void DispatchSaverTimer(unsigned id);
extern int saverReady;
