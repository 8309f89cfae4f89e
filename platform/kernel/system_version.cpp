// The Windows version the library sees, and the memory totals.
#include <sys/sysinfo.h>

#include <cstring>

#include "platform/kernel/kernel32.h"

namespace {

struct MemoryFigures {
    uint64_t totalPhysical, availablePhysical, totalSwap, availableSwap;
};

MemoryFigures ReadMemory() {
    struct sysinfo info {};
    sysinfo(&info);
    uint64_t unit = info.mem_unit ? info.mem_unit : 1;
    return {info.totalram * unit, (info.freeram + info.bufferram) * unit,
            (info.totalram + info.totalswap) * unit, (info.freeram + info.bufferram + info.freeswap) * unit};
}

DWORD LoadPercent(const MemoryFigures& memory) {
    if (memory.totalPhysical == 0) return 0;
    return DWORD(100 - memory.availablePhysical * 100 / memory.totalPhysical);
}

// A 64-bit process's user address space as Windows reports it (8 TB less 64 KB).
constexpr uint64_t kVirtualSpace = 0x7FFFFFE0000ull;

}  // namespace

BOOL WINAPI GetVersionExA(LPOSVERSIONINFOA info) {
    if (!info || info->dwOSVersionInfoSize < sizeof(OSVERSIONINFOA)) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    info->dwMajorVersion = 6;
    info->dwMinorVersion = 1;
    info->dwBuildNumber = 7601;
    info->dwPlatformId = VER_PLATFORM_WIN32_NT;
    std::memset(info->szCSDVersion, 0, sizeof(info->szCSDVersion));
    std::strcpy(info->szCSDVersion, "Service Pack 1");
    return TRUE;
}

void WINAPI GlobalMemoryStatus(LPMEMORYSTATUS status) {
    MemoryFigures memory = ReadMemory();
    status->dwLength = sizeof(MEMORYSTATUS);
    status->dwMemoryLoad = LoadPercent(memory);
    status->dwTotalPhys = SIZE_T(memory.totalPhysical);
    status->dwAvailPhys = SIZE_T(memory.availablePhysical);
    status->dwTotalPageFile = SIZE_T(memory.totalSwap);
    status->dwAvailPageFile = SIZE_T(memory.availableSwap);
    status->dwTotalVirtual = SIZE_T(kVirtualSpace);
    status->dwAvailVirtual = SIZE_T(kVirtualSpace);
}

BOOL WINAPI GlobalMemoryStatusEx(LPMEMORYSTATUSEX status) {
    if (!status || status->dwLength != sizeof(MEMORYSTATUSEX)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    MemoryFigures memory = ReadMemory();
    status->dwMemoryLoad = LoadPercent(memory);
    status->ullTotalPhys = memory.totalPhysical;
    status->ullAvailPhys = memory.availablePhysical;
    status->ullTotalPageFile = memory.totalSwap;
    status->ullAvailPageFile = memory.availableSwap;
    status->ullTotalVirtual = kVirtualSpace;
    status->ullAvailVirtual = kVirtualSpace;
    status->ullAvailExtendedVirtual = 0;
    return TRUE;
}
