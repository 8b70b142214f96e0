// Processor feature checks by CPUID, asked once and remembered.
#include "blur/CpuFeatures.h"

#if defined(__i386__) || defined(__x86_64__)
#include <cpuid.h>
#define GLIMMERAX_X86 1
#endif

namespace {

#ifdef GLIMMERAX_X86
// The register state the operating system has enabled (XCR0). Written as the
// bare instruction so this file needs no -mxsave.
unsigned long long ReadXcr0() {
    unsigned int low = 0, high = 0;
    __asm__ volatile("xgetbv" : "=a"(low), "=d"(high) : "c"(0));
    return (static_cast<unsigned long long>(high) << 32) | low;
}
#endif

int DetectSse2() {
#ifdef GLIMMERAX_X86
    unsigned int a = 0, b = 0, c = 0, d = 0;
    // __get_cpuid also covers the old 32-bit processors without CPUID.
    if (!__get_cpuid(1, &a, &b, &c, &d)) return 0;
    return (d & bit_SSE2) != 0 ? 1 : 0;
#else
    return 0;
#endif
}

int DetectAvx2() {
#ifdef GLIMMERAX_X86
    unsigned int a = 0, b = 0, c = 0, d = 0;
    if (!__get_cpuid(1, &a, &b, &c, &d)) return 0;
    if ((c & bit_OSXSAVE) == 0 || (c & bit_AVX) == 0) return 0;
    // XMM (bit 1) and YMM (bit 2) state must both be enabled by the system.
    if ((ReadXcr0() & 0x6) != 0x6) return 0;
    if (__get_cpuid_max(0, nullptr) < 7) return 0;
    __cpuid_count(7, 0, a, b, c, d);
    return (b & bit_AVX2) != 0 ? 1 : 0;
#else
    return 0;
#endif
}

int DetectAvx512Bw() {
#ifdef GLIMMERAX_X86
    if (!DetectAvx2()) return 0;
    // Opmask (bit 5), upper halves of ZMM0-15 (bit 6) and ZMM16-31 (bit 7),
    // besides the XMM and YMM state.
    if ((ReadXcr0() & 0xE6) != 0xE6) return 0;
    unsigned int a = 0, b = 0, c = 0, d = 0;
    __cpuid_count(7, 0, a, b, c, d);
    const unsigned int wanted = bit_AVX512F | bit_AVX512BW | bit_AVX512VL;
    return (b & wanted) == wanted ? 1 : 0;
#else
    return 0;
#endif
}

int DetectAvx512Vbmi() {
#ifdef GLIMMERAX_X86
    if (!CpuHasAvx512Bw()) return 0;
    unsigned int a = 0, b = 0, c = 0, d = 0;
    __cpuid_count(7, 0, a, b, c, d);
    return (c & bit_AVX512VBMI) != 0 ? 1 : 0;
#else
    return 0;
#endif
}

}  // namespace

int CpuHasSse2() {
    static const int has = DetectSse2();
    return has;
}

int CpuHasAvx2() {
    static const int has = DetectAvx2();
    return has;
}

int CpuHasAvx512Bw() {
    static const int has = DetectAvx512Bw();
    return has;
}

int CpuHasAvx512Vbmi() {
    static const int has = DetectAvx512Vbmi();
    return has;
}
