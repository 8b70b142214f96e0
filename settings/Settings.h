// The settings record shared by every mode and the INI rules that fill and
// store it.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/PlatformTypes.h"

// A font and colour for one of the three texts. Color 0 asks for an automatic
// colour (random for the top and middle texts, the pulse for the bottom text).
struct TextStyle {
    LOGFONTA logFont;
    COLORREF Color;
};

struct SettingsRecord {
    int32_t Resolution;      // 0..3, index into displayModes (settings/DisplayModes.h)
    int32_t MaxParticleNum;  // 100..1000
    int32_t Fps;             // 15..100
    int32_t FpsShow;         // 1: the top-left line shows the frame rate
    char TopText[1024];
    char BottomText[1024];
    char MidText[2048];      // lines separated by CR LF
    TextStyle TopFont;
    TextStyle BottomFont;
    TextStyle MidFont;
    // [Monitors] OtherMonitors: 1 (the default) shows fireworks on every
    // monitor beside the primary, 0 keeps them black. The dialog neither
    // shows nor saves it.
    int32_t OtherMonitors;
};

extern SettingsRecord Settings;

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
    // false when it could not be stored.
    virtual bool WriteString(const char* section, const char* key, const char* value) = 0;
};

// Fills Settings from the store, applying the ranges and defaults.
void LoadSettingsFrom(ProfileStore& store);
// Writes the whole record to the store in the fixed key order. Every key is
// attempted; returns true when the store took them all. A text that begins
// or ends with a blank or a quote is written inside one more pair of double
// quotes, which the profile functions remove when it is read.
bool SaveSettingsTo(ProfileStore& store);
// Sets every field to its default (what an empty store gives).
void LoadDefaultSettings();

// Builds "<folder of modulePath>Glimmerax.ini" into out. modulePath and
// copied are what the module-name query gave for a buffer of capacity bytes.
// isLeadByte tells the first byte of a double-byte character, so a trail byte
// equal to '\' is not taken for a separator (null: code page 936). Returns 1,
// or 0 when the module path was not had whole (copied is 0 or fills the
// buffer), has no backslash, or the result would not fit in outSize bytes;
// out is then the empty string.
int BuildIniPath(const char* modulePath, unsigned long copied, unsigned long capacity,
                 char* out, size_t outSize, bool (*isLeadByte)(unsigned char));

// Windows only: the INI file beside the executable. When its path cannot be
// had, LoadSettings sets the defaults and SaveSettings stores nothing.
// SaveSettings returns 1 when the file now holds the record, 0 when it was
// left as it was (the caller tells the user).
void LoadSettings();
int SaveSettings();
// Windows only: the INI file's path into out; 1, or 0 (out empty) when the
// executable's own path cannot be had whole.
int SettingsIniPath(char* out, size_t outSize);
// Windows only: the same through an explicit INI file path. The save writes
// a copy of the file in the same folder and then puts the copy in the file's
// place in one step, so the file is never seen half-written, even when the
// process dies during the save; when any step fails the copy is removed and
// the file stays as it was. interpose, when given, stands between the save
// and the copy's store (tests refuse writes through it).
void LoadSettingsFromFile(const char* path);
int SaveSettingsToFile(const char* path, ProfileStore* (*interpose)(ProfileStore& copy) = nullptr);
