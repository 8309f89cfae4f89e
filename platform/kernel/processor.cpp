#include "platform/kernel/processor.h"

#include <cpuid.h>
#include <x86intrin.h>

bool IsCpuidAvailable() {
    return true;
}

void QueryCpuid(uint32_t leaf, uint32_t registers[4]) {
    __cpuid_count(leaf, 0, registers[0], registers[1], registers[2], registers[3]);
}

uint64_t ReadTimeStampCounter() {
    return __rdtsc();
}
