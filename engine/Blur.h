// The per-frame blur of the heat field into the locked 16-bit back buffer.
#pragma once

#include <cstdint>

// Blurs every visible cell of HeatField in place and writes it as an RGB565
// pixel. pixels is the top-left pixel of the locked surface, pitchInPixels its
// row pitch in 16-bit pixels (at least screenWidth), twinkleInterval > 0.
// Reads screenWidth and screenHeight on every call. Uses the fastest path the
// processor supports; every path gives bit-identical results.
void BlurHeatField(uint16_t* pixels, int pitchInPixels, int twinkleInterval);
