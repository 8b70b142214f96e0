// The engine's share of one frame and of the timer ticks, over small seams
// so the frame can be driven without DirectDraw or window timers.
#pragma once

#include <cstdint>

// The back buffer as the frame sees it.
class FrameSurface {
public:
    virtual ~FrameSurface() {}
    // Locks the whole surface, waiting while it is busy. Returns 1 with the
    // top-left pixel and the row pitch in bytes, or 0 when it cannot be locked.
    virtual int Lock(uint16_t** pixels, int* pitchBytes) = 0;
    virtual void Unlock() = 0;
};

// Moves and draws every particle, then blurs the heat field into the locked
// surface with a fresh twinkle interval. A surface that will not lock (or
// none at all) skips the blur; the rest of the frame goes on.
void RenderFrameOn(FrameSurface* surface);

// Timer ids of the full-screen window.
const unsigned spawnerTimerId = 1;
const unsigned midStartTimerId = 100;
const unsigned midLineTimerId = 101;

// Window timers, started and killed through these two. They call the hooks
// below: the screen saver installs its window timers there, tests a fake.
// Without a hook they do nothing. Setting a running id replaces it.
void StartSaverTimer(unsigned id, unsigned periodMs);
void StopSaverTimer(unsigned id);
extern void (*saverTimerStarter)(unsigned id, unsigned periodMs);
extern void (*saverTimerStopper)(unsigned id);

// Hands a timer tick to its owner. Ticks that arrive before run mode has
// finished setting up (or after it has shut down) are ignored: nothing may
// touch the engine while the surfaces or buffers do not exist.
void DispatchSaverTimer(unsigned id);
extern int saverReady;
