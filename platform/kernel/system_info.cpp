// GetSystemInfo over sysconf.
#include <unistd.h>

#include <cstring>

#include "platform/kernel/kernel32.h"

void WINAPI GetSystemInfo(LPSYSTEM_INFO info) {
    std::memset(info, 0, sizeof(*info));
    long processors = sysconf(_SC_NPROCESSORS_ONLN);
    if (processors < 1) processors = 1;
    if (processors > 64) processors = 64;
    long page = sysconf(_SC_PAGESIZE);
    info->wProcessorArchitecture = PROCESSOR_ARCHITECTURE_AMD64;
    info->dwPageSize = DWORD(page > 0 ? page : 4096);
    info->lpMinimumApplicationAddress = reinterpret_cast<LPVOID>(uintptr_t(0x10000));
    info->lpMaximumApplicationAddress = reinterpret_cast<LPVOID>(uintptr_t(0x7FFFFFFEFFFFull));
    info->dwActiveProcessorMask = processors >= 64 ? ~DWORD_PTR(0) : (DWORD_PTR(1) << processors) - 1;
    info->dwNumberOfProcessors = DWORD(processors);
    info->dwProcessorType = PROCESSOR_AMD_X8664;
    info->dwAllocationGranularity = 65536;
    info->wProcessorLevel = 6;
}
