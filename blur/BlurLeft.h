// The left neighbour a column loop carries from one block of cells to the
// next, as the AVX2 and AVX-512 paths keep it: a cell spread to four 16-bit
// channel words (twice), and packed back into a cell.
//
// Internal linkage, as in BlurRows.h: each path's file is built for its own
// instruction set. These use SSE2 only.
#pragma once

#include <emmintrin.h>

#include <cstdint>

namespace {

// A left value as four channel words, twice.
inline __m128i SpreadLeft(uint32_t left) {
    const __m128i words =
        _mm_unpacklo_epi8(_mm_cvtsi32_si128(static_cast<int>(left)), _mm_setzero_si128());
    return _mm_unpacklo_epi64(words, words);
}
inline uint32_t JoinLeft(__m128i left) {
    return static_cast<uint32_t>(_mm_cvtsi128_si32(_mm_packus_epi16(left, left)));
}

}  // namespace
