#include "engine/core/frame/cpu_simd_flag.h"

#include "engine/core/frame/system_info.h"

int GetCpuSimdFlag() {
    return GetSystemInformation().cpuHasMmx != 0 ? 1 : 0;
}

void SetCpuSimdFlag(int flag) {
    GetSystemInformation().cpuHasMmx = flag != 0 ? 1 : 0;
}
