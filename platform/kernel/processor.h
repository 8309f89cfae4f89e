// The processor queries the library makes with its own instructions on Windows: CPUID and the
// time-stamp counter, through the compiler's intrinsics.
#pragma once

#include <cstdint>

// Whether bit 21 of the flags register can be toggled (always so on x86-64).
bool IsCpuidAvailable();
// registers = EAX, EBX, ECX, EDX of CPUID with the given leaf (sub-leaf 0).
void QueryCpuid(uint32_t leaf, uint32_t registers[4]);
uint64_t ReadTimeStampCounter();
