// What the processor this program runs on can do, as far as the
// blur's instruction-set specific paths care.
#pragma once

// 1 when the processor has SSE2.
int CpuHasSse2();
// 1 when the processor has AVX2 and the operating system saves the 256-bit
// registers across task switches (without the latter, AVX code faults).
int CpuHasAvx2();
// 1 when the processor has AVX-512 F, BW and VL besides AVX2, and the
// operating system saves the opmask and all 512-bit register state.
int CpuHasAvx512Bw();
// 1 when, besides all that, the processor has the AVX-512 byte
// manipulation instructions (VBMI).
int CpuHasAvx512Vbmi();
