// The per-frame blur of the heat field into the locked 16-bit back buffer,
// and the instruction-set paths behind it.
#pragma once

#include <cstdint>

#include "engine/Sky.h"

// Blurs every visible cell of the sky's heat field (the primary sky's
// without one) in place and writes it as an RGB565 pixel. pixels is the
// top-left pixel of the locked surface, pitchInPixels its row pitch in
// 16-bit pixels (at least the sky's screenWidth), twinkleInterval > 0.
// Reads the sky's sizes on every call. Uses the fastest path the processor
// supports; every path gives bit-identical results.
//
// Pixels go out in pairs (cells x and x + 1, x even, as one 32-bit store with
// pixel x in the low half). When screenWidth is odd the last cell of a row is
// still blurred and its pixel is written alone as 16 bits; nothing at or past
// screenWidth on the surface is touched. An interval below 1 never twinkles.
void BlurHeatField(Sky& sky, uint16_t* pixels, int pitchInPixels, int twinkleInterval);
void BlurHeatField(uint16_t* pixels, int pitchInPixels, int twinkleInterval);

// The same blur, one path each, for the tests and the benchmarks. A path may
// only be called when BlurPathSupported says the processor can run it.
enum BlurPath {
    blurReference = 0,   // plain per-channel arithmetic, one cell at a time
    blurSse2 = 1,        // 128-bit registers: byte averages down columns of four rows
    blurAvx2 = 2,        // 256-bit registers: columns of eight rows
    blurAvx512 = 3,      // 512-bit registers: columns of sixteen rows
    blurAvx512Vbmi = 4,  // the same with the pixels made by bit-field gathers
    blurPathCount = 5
};

typedef void (*BlurFunction)(Sky& sky, uint16_t* pixels, int pitchInPixels, int twinkleInterval);

void BlurHeatFieldReference(Sky& sky, uint16_t* pixels, int pitchInPixels, int twinkleInterval);
void BlurHeatFieldSse2(Sky& sky, uint16_t* pixels, int pitchInPixels, int twinkleInterval);
void BlurHeatFieldAvx2(Sky& sky, uint16_t* pixels, int pitchInPixels, int twinkleInterval);
void BlurHeatFieldAvx512(Sky& sky, uint16_t* pixels, int pitchInPixels, int twinkleInterval);
void BlurHeatFieldAvx512Vbmi(Sky& sky, uint16_t* pixels, int pitchInPixels, int twinkleInterval);

// 1 when this processor (and its operating system) can run the path.
int BlurPathSupported(BlurPath path);
// The path's function, or null for an unknown path.
BlurFunction BlurFunctionFor(BlurPath path);
// A short lower-case name ("reference", "sse2", "avx2", "avx512",
// "avx512vbmi") for reports.
const char* BlurPathName(BlurPath path);
// The path BlurHeatField uses on this machine: the widest one supported.
BlurPath BestBlurPath();
