// Everything the portable run-mode code needs from the platform, behind one
// seam: the window's timers, text on the back buffer, and the back buffer's
// lock. Run mode installs the real platform when it begins; until then (and
// in tests that need none) a null platform answers: no timers run, no text
// is drawn, and the back buffer never locks.
#pragma once

#include <cstdint>

#include "platform/PlatformTypes.h"

// Timer ids of the full-screen window.
const unsigned spawnerTimerId = 1;
const unsigned midStartTimerId = 100;
const unsigned midLineTimerId = 101;

class Platform {
public:
    virtual ~Platform() {}

    // Starts timer id with a period of periodMs; starting a running id
    // replaces it. Its ticks come back through DispatchSaverTimer.
    virtual void StartTimer(unsigned id, unsigned periodMs) = 0;
    virtual void StopTimer(unsigned id) = 0;

    // Draws one line of text on the back buffer at (x, y), or placed as
    // PlaceOverlayText says, and burns it into the heat field when centred.
    virtual void DrawTextLine(const char* text, int x, int y, COLORREF colour, const LOGFONTA* font,
                          int centred, int bottomRight) = 0;

    // Locks the whole back buffer, waiting while it is busy. Returns 1 with
    // the top-left pixel and the row pitch in bytes, or 0 when it cannot be
    // locked. Every successful lock is followed by one unlock.
    virtual int LockBackBuffer(uint16_t** pixels, int* pitchBytes) = 0;
    virtual void UnlockBackBuffer() = 0;
};

// Does nothing; the back buffer never locks. Tests derive their fakes from it
// and override only what they watch.
class NullPlatform : public Platform {
public:
    void StartTimer(unsigned, unsigned) override {}
    void StopTimer(unsigned) override {}
    void DrawTextLine(const char*, int, int, COLORREF, const LOGFONTA*, int, int) override {}
    int LockBackBuffer(uint16_t**, int*) override { return 0; }
    void UnlockBackBuffer() override {}
};

// The installed platform: the null one until InstallPlatform says otherwise.
Platform& ThePlatform();
// Installs platform, which must outlive its use; null puts the null one back.
void InstallPlatform(Platform* platform);
