// Sample records for the tests that save and load the settings: a font style
// as the settings dialog leaves one (italic, the given size, weight,
// character set, pitch, face and colour, and the precisions a font dialog
// fills in), a whole record filled from a table of its values, and the
// record of defaults.
#pragma once

#include <cstdint>
#include <cstring>

#include "settings/Settings.h"

inline void SetSampleFont(TextStyle& style, int32_t height, int32_t weight, uint8_t charSet,
                          uint8_t pitchAndFamily, const char* face, COLORREF color) {
    std::memset(&style, 0, sizeof style);
    style.logFont.lfHeight = height;
    style.logFont.lfWeight = weight;
    style.logFont.lfItalic = 1;
    style.logFont.lfCharSet = charSet;
    style.logFont.lfOutPrecision = 3;
    style.logFont.lfClipPrecision = 2;
    style.logFont.lfQuality = 1;
    style.logFont.lfPitchAndFamily = pitchAndFamily;
    std::strcpy(style.logFont.lfFaceName, face);
    style.Color = color;
}

struct SampleFontValues {
    int32_t height;
    int32_t weight;
    uint8_t charSet;
    uint8_t pitchAndFamily;
    const char* face;
    COLORREF color;
};

struct SampleRecord {
    int32_t resolution, maxParticleNum, fps;
    const char* topText;
    const char* bottomText;
    const char* midText;
    SampleFontValues top, bottom, mid;
};

inline void SetSampleFont(TextStyle& style, const SampleFontValues& v) {
    SetSampleFont(style, v.height, v.weight, v.charSet, v.pitchAndFamily, v.face, v.color);
}

// Settings as the dialog leaves them, FpsShow off so the top text counts.
inline void FillSampleSettings(const SampleRecord& sample) {
    std::memset(&Settings, 0, sizeof Settings);
    Settings.Resolution = sample.resolution;
    Settings.MaxParticleNum = sample.maxParticleNum;
    Settings.Fps = sample.fps;
    Settings.FpsShow = 0;
    Settings.OtherMonitors = 1;  // never saved: what a file without it gives
    std::strcpy(Settings.TopText, sample.topText);
    std::strcpy(Settings.BottomText, sample.bottomText);
    std::strcpy(Settings.MidText, sample.midText);
    SetSampleFont(Settings.TopFont, sample.top);
    SetSampleFont(Settings.BottomFont, sample.bottom);
    SetSampleFont(Settings.MidFont, sample.mid);
}

// What an empty store (or none) gives.
inline SettingsRecord DefaultRecord() {
    SettingsRecord record;
    std::memset(&record, 0, sizeof record);
    record.Resolution = 1;
    record.MaxParticleNum = 300;
    record.Fps = 30;
    record.FpsShow = 1;
    record.OtherMonitors = 1;
    return record;
}
