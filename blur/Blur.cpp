// The blur's plain per-cell form, which every faster path must match bit for
// bit, and the choice of path at run time.
#include "blur/Blur.h"

#include <cstring>

#include "blur/CpuFeatures.h"
#include "engine/Geometry.h"
#include "engine/HeatField.h"

namespace {

// One cell, channel by channel: blue, green, red and the top byte are each
// the truncated mean of the cell, its three neighbours' values.
uint32_t BlurCell(uint32_t old, uint32_t left, uint32_t right, uint32_t below) {
    uint32_t result = 0;
    for (int shift = 0; shift < 32; shift += 8) {
        uint32_t sum = ((old >> shift) & 0xFFu) + ((left >> shift) & 0xFFu) +
                       ((right >> shift) & 0xFFu) + ((below >> shift) & 0xFFu);
        // At most 1020, so the mean always fits back into its byte.
        result |= (sum >> 2) << shift;
    }
    return result;
}

// The two pixels of a pair as they sit in memory: pixel x at the lower
// address, i.e. the low half of a little-endian 32-bit word.
void StorePair(uint16_t* at, uint16_t first, uint16_t second) {
    uint32_t pair = static_cast<uint32_t>(first) | (static_cast<uint32_t>(second) << 16);
    std::memcpy(at, &pair, sizeof pair);
}

}  // namespace

void BlurHeatFieldReference(Sky& sky, uint16_t* pixels, int pitchInPixels, int twinkleInterval) {
    if (sky.heatField == nullptr || pixels == nullptr) return;
    const int width = sky.screenWidth;
    const int height = sky.screenHeight;
    const int stride = sky.fieldWidth;
    // The countdown belongs to the whole pass, not to a row: the flare
    // candidates drift across the picture from frame to frame.
    int countdown = twinkleInterval > 0 ? twinkleInterval : 0;
    for (int y = 0; y < height; ++y) {
        uint32_t* row = sky.heatField + static_cast<long>(y + fieldBorder) * stride + fieldBorder;
        const uint32_t* below = row + stride;
        uint16_t* out = pixels + static_cast<long>(y) * pitchInPixels;
        // The left neighbour of the first cell counts as cold whatever the
        // border holds; further right it is the value just computed, which
        // is what carries heat along a whole row in one pass.
        uint32_t left = 0;
        uint16_t first = 0;
        for (int x = 0; x < width; ++x) {
            const uint32_t old = row[x];
            uint32_t value = BlurCell(old, left, row[x + 1], below[x]);
            if (--countdown == 0) {
                countdown = twinkleInterval;
                // Compared as whole words, so red decides before green and
                // blue: a fading cell flares to four times its level, a
                // bright one wraps to some other colour.
                if (value < old) value = (old & 0x003F3F3Fu) << 2;
            }
            row[x] = value;
            left = value;
            const uint16_t pixel = CellToRGB565(value);
            if ((x & 1) == 0) {
                first = pixel;
            } else {
                StorePair(out + x - 1, first, pixel);
            }
        }
        // An odd width leaves the last cell without a partner: its pixel goes
        // out alone so the column past the screen stays untouched.
        if ((width & 1) != 0) out[width - 1] = first;
    }
}

int BlurPathSupported(BlurPath path) {
    switch (path) {
        case blurReference: return 1;
        case blurSse2: return CpuHasSse2();
        case blurAvx2: return CpuHasAvx2();
        case blurAvx512: return CpuHasAvx512Bw();
        case blurAvx512Vbmi: return CpuHasAvx512Vbmi();
        default: return 0;
    }
}

BlurFunction BlurFunctionFor(BlurPath path) {
    switch (path) {
        case blurReference: return BlurHeatFieldReference;
        case blurSse2: return BlurHeatFieldSse2;
        case blurAvx2: return BlurHeatFieldAvx2;
        case blurAvx512: return BlurHeatFieldAvx512;
        case blurAvx512Vbmi: return BlurHeatFieldAvx512Vbmi;
        default: return nullptr;
    }
}

const char* BlurPathName(BlurPath path) {
    switch (path) {
        case blurReference: return "reference";
        case blurSse2: return "sse2";
        case blurAvx2: return "avx2";
        case blurAvx512: return "avx512";
        case blurAvx512Vbmi: return "avx512vbmi";
        default: return "unknown";
    }
}

BlurPath BestBlurPath() {
    if (CpuHasAvx512Vbmi()) return blurAvx512Vbmi;
    if (CpuHasAvx512Bw()) return blurAvx512;
    if (CpuHasAvx2()) return blurAvx2;
    if (CpuHasSse2()) return blurSse2;
    return blurReference;
}

void BlurHeatField(Sky& sky, uint16_t* pixels, int pitchInPixels, int twinkleInterval) {
    // Chosen once: the processor does not change during a run.
    static const BlurFunction blur = BlurFunctionFor(BestBlurPath());
    blur(sky, pixels, pitchInPixels, twinkleInterval);
}

void BlurHeatField(uint16_t* pixels, int pitchInPixels, int twinkleInterval) {
    BlurHeatField(primarySky, pixels, pitchInPixels, twinkleInterval);
}
