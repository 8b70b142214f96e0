// A platform for tests that records every line of text drawn through it,
// with the time of the drawing by the test's own clock.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/Platform.h"

struct DrawCall {
    uint64_t at;
    std::string text;
    int x, y;
    COLORREF colour;
    const LOGFONTA* font;
    int centred, bottomRight;
};

class RecordingPlatform : public NullPlatform {
public:
    void DrawTextLine(const char* text, int x, int y, COLORREF colour, const LOGFONTA* font,
                      int centred, int bottomRight) override {
        draws.push_back({Now(), text, x, y, colour, font, centred, bottomRight});
    }
    // The time a drawing is recorded at; 0 for a test without a clock.
    virtual uint64_t Now() const { return 0; }

    std::vector<DrawCall> draws;
};

// Installs a platform for the length of a scope, and the null one after.
class InstalledPlatform {
public:
    explicit InstalledPlatform(Platform& platform) { InstallPlatform(&platform); }
    ~InstalledPlatform() { InstallPlatform(nullptr); }
    InstalledPlatform(const InstalledPlatform&) = delete;
    InstalledPlatform& operator=(const InstalledPlatform&) = delete;
};
