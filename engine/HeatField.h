// The heat field: the engine's 32-bit canvas (cells 0x00RRGGBB) with a cold
// border of fieldBorder cells, its line drawing and its colour conversions.
#pragma once

#include <cstdint>

#include "engine/Geometry.h"

// The primary sky's field: fieldWidth x fieldHeight cells, row-major; null
// outside run mode.
extern uint32_t*& HeatField;

// Allocates a zeroed field for the sky's current fieldWidth x fieldHeight
// (any field it had is freed first). Returns 1, or 0 when the memory cannot
// be had (the field stays null).
int AllocHeatField(Sky& sky);
int AllocHeatField();
void FreeHeatField(Sky& sky);
void FreeHeatField();

// Writes value into every cell of the closed segment (x1,y1)-(x2,y2), given
// in the sky's screen coordinates.
void DrawHeatLine(Sky& sky, int x1, int y1, int x2, int y2, uint32_t value);
void DrawHeatLine(int x1, int y1, int x2, int y2, uint32_t value);

// A cell to a 16-bit 5-6-5 pixel, each channel truncated.
inline uint16_t CellToRGB565(uint32_t cell) {
    return static_cast<uint16_t>(((cell >> 8) & 0xF800u) | ((cell >> 5) & 0x07E0u) |
                                 ((cell >> 3) & 0x001Fu));
}

// A GDI colour (0x00BBGGRR) to a cell (0x00RRGGBB).
inline uint32_t ColorRefToCell(uint32_t colorRef) {
    return ((colorRef & 0xFFu) << 16) | (colorRef & 0xFF00u) | ((colorRef >> 16) & 0xFFu);
}
