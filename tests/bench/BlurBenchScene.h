// What the blur's benchmark and its self-timing twin share: the screen sizes,
// a field that looks like a running show, and the memory floor to compare
// every path against.
#pragma once

#include <emmintrin.h>

#include <cstdint>
#include <cstring>
#include <new>

#include "engine/Geometry.h"
#include "engine/HeatField.h"
#include "settings/Settings.h"

struct BenchSize {
    int width;
    int height;
};

const BenchSize benchSizes[] = {{640, 480}, {800, 600}, {1024, 768}, {1280, 1024}};

// Fills the visible field the way a show leaves it: mostly dim glow with
// bright streaks and some black; the border stays as it is.
inline void FillBenchField() {
    uint32_t state = 12345u;
    for (int y = 0; y < screenHeight; ++y) {
        uint32_t* row = HeatField + static_cast<long>(y + fieldBorder) * fieldWidth + fieldBorder;
        for (int x = 0; x < screenWidth; ++x) {
            state = state * 1664525u + 1013904223u;
            const uint32_t kind = state >> 29;
            uint32_t cell = 0;
            if (kind >= 6) {
                cell = (state >> 5) & 0x00FFFFFFu;  // a bright streak
            } else if (kind >= 2) {
                cell = (state >> 7) & 0x001F1F1Fu;  // dim glow
            }
            row[x] = cell;
        }
    }
}

// Sets the sizes and a fresh field with a cold border, filled as above.
// Returns 1, or 0 when the field cannot be had.
inline int SetUpBenchField(int width, int height) {
    SetCanvasSize(width, height);
    if (!AllocHeatField()) return 0;
    FillBenchField();
    return 1;
}

// The least any blur can cost: one streaming pass that reads every visible
// cell, writes it back and writes a 16-bit pixel, in the same row order.
// key is 0 but unknown to the compiler, so the write-back is not dropped.
inline void MemoryFloorPass(uint16_t* pixels, int pitchInPixels, uint32_t key) {
    const __m128i keys = _mm_set1_epi32(static_cast<int>(key));
    for (int y = 0; y < screenHeight; ++y) {
        uint32_t* row = HeatField + static_cast<long>(y + fieldBorder) * fieldWidth + fieldBorder;
        uint16_t* out = pixels + static_cast<long>(y) * pitchInPixels;
        int x = 0;
        for (; x + 8 <= screenWidth; x += 8) {
            __m128i* cells = reinterpret_cast<__m128i*>(row + x);
            const __m128i first = _mm_xor_si128(_mm_loadu_si128(cells), keys);
            const __m128i second = _mm_xor_si128(_mm_loadu_si128(cells + 1), keys);
            _mm_storeu_si128(cells, first);
            _mm_storeu_si128(cells + 1, second);
            const __m128i packed =
                _mm_packs_epi32(_mm_srai_epi32(first, 16), _mm_srai_epi32(second, 16));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(out + x), packed);
        }
        for (; x < screenWidth; ++x) {
            row[x] ^= key;
            out[x] = static_cast<uint16_t>(row[x] >> 16);
        }
    }
}

// The stand-in for the locked back buffer: pitch equal to the width,
// starting on a page as a surface's memory does, and written once before any
// timing so that no page is faulted in during one.
class BenchSurface {
public:
    BenchSurface()
        : size_(static_cast<size_t>(screenWidth) * screenHeight),
          pixels_(static_cast<uint16_t*>(::operator new(size_ * sizeof(uint16_t), alignment))) {
        std::memset(pixels_, 0, size_ * sizeof(uint16_t));
    }
    ~BenchSurface() { ::operator delete(pixels_, alignment); }
    BenchSurface(const BenchSurface&) = delete;
    BenchSurface& operator=(const BenchSurface&) = delete;
    uint16_t* data() { return pixels_; }

private:
    static constexpr std::align_val_t alignment{4096};
    size_t size_;
    uint16_t* pixels_;
};
