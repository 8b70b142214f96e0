// The settings record shared by every mode, the screen sizes derived from it,
// and the INI rules that fill and store it.
#pragma once

#include <cstddef>
#include <cstdint>

#include "settings/PlatformTypes.h"

// A font and colour for one of the three texts. Color 0 asks for an automatic
// colour (random for the top and middle texts, the pulse for the bottom text).
struct TextStyle {
    LOGFONTA logFont;
    COLORREF Color;
};

struct SettingsRecord {
    int32_t Resolution;      // 0..3, index into the display modes
    int32_t MaxParticleNum;  // 100..1000
    int32_t Fps;             // 15..100
    int32_t FpsShow;         // 1: the top-left line shows the frame rate
    char TopText[1024];
    char BottomText[1024];
    char MidText[2048];      // lines separated by CR LF
    TextStyle TopFont;
    TextStyle BottomFont;
    TextStyle MidFont;
};

extern SettingsRecord Settings;

// The heat field's cold border, in cells, on every side of the screen.
const int fieldBorder = 4;

// Set by the loaders from Resolution.
extern int32_t screenWidth;
extern int32_t screenHeight;
extern int32_t fieldWidth;
extern int32_t fieldHeight;

// Where the INI values come from and go to: the platform's profile-string
// functions on Windows, a fake in tests.
class ProfileStore {
public:
    virtual ~ProfileStore() {}
    // Copies the value of section/key into buffer (at most size - 1 bytes and
    // a terminator) and returns the number of bytes copied, 0 when the key
    // is missing or empty.
    virtual unsigned long ReadString(const char* section, const char* key, char* buffer,
                                     unsigned long size) = 0;
    // Stores value under section/key, creating either as needed. Returns
    // false when it could not be stored; callers ignore that.
    virtual bool WriteString(const char* section, const char* key, const char* value) = 0;
};

// Fills Settings and the derived sizes from the store, applying the ranges
// and defaults.
void LoadSettingsFrom(ProfileStore& store);
// Writes the whole record to the store in the fixed key order.
void SaveSettingsTo(ProfileStore& store);
// Sets every field to its default (what an empty store gives) and the sizes.
void LoadDefaultSettings();
// Sets screenWidth, screenHeight, fieldWidth and fieldHeight from Resolution.
void DeriveScreenSizes();

// Windows only: the INI file beside the executable.
void LoadSettings();
void SaveSettings();
