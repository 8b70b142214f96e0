// The few Win32-shaped values the portable core needs: a GDI colour and a
// logical font. On Windows these are the real types; elsewhere a stand-in of
// the same layout, so the core and its tests build anywhere.
#pragma once

#include <cstdint>

#ifdef _WIN32
#include <windef.h>
#include <wingdi.h>
#else
typedef uint32_t COLORREF;  // 0x00BBGGRR: red in the low byte

struct LOGFONTA {
    int32_t lfHeight;
    int32_t lfWidth;
    int32_t lfEscapement;
    int32_t lfOrientation;
    int32_t lfWeight;
    uint8_t lfItalic;
    uint8_t lfUnderline;
    uint8_t lfStrikeOut;
    uint8_t lfCharSet;
    uint8_t lfOutPrecision;
    uint8_t lfClipPrecision;
    uint8_t lfQuality;
    uint8_t lfPitchAndFamily;
    char lfFaceName[32];
};
#endif

static_assert(sizeof(COLORREF) == 4, "COLORREF is 32 bits");
static_assert(sizeof(LOGFONTA) == 60, "LOGFONTA keeps the Win32 layout");
