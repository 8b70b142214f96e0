// A font style as the settings dialog leaves one, for the tests that save
// and load the record: italic, the given size, weight, character set, pitch,
// face and colour, and the precisions a font dialog fills in.
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
