#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "platform/kernel/kernel32.h"
#include "platform/kernel/processor.h"

namespace {

TEST(KernelVersion, ReportsWindows7) {
    OSVERSIONINFOA info{};
    EXPECT_FALSE(GetVersionExA(&info));  // size not set
    info.dwOSVersionInfoSize = sizeof(info);
    ASSERT_TRUE(GetVersionExA(&info));
    EXPECT_EQ(info.dwPlatformId, DWORD(VER_PLATFORM_WIN32_NT));
    EXPECT_EQ(info.dwMajorVersion, 6u);
    EXPECT_EQ(info.dwMinorVersion, 1u);
    EXPECT_EQ(info.dwBuildNumber, 7601u);
    EXPECT_STREQ(info.szCSDVersion, "Service Pack 1");
}

TEST(KernelMemory, StatusAgreesBetweenBothCalls) {
    MEMORYSTATUSEX extended{};
    EXPECT_FALSE(GlobalMemoryStatusEx(&extended));
    extended.dwLength = sizeof(extended);
    ASSERT_TRUE(GlobalMemoryStatusEx(&extended));
    EXPECT_GT(extended.ullTotalPhys, 64ull << 20);
    EXPECT_LE(extended.ullAvailPhys, extended.ullTotalPhys);
    EXPECT_LE(extended.dwMemoryLoad, 100u);
    MEMORYSTATUS plain{};
    GlobalMemoryStatus(&plain);
    EXPECT_EQ(uint64_t(plain.dwTotalPhys), extended.ullTotalPhys);
}

TEST(KernelProcessor, CpuidVendorAndTimeStampCounter) {
    ASSERT_TRUE(IsCpuidAvailable());
    uint32_t registers[4];
    QueryCpuid(0, registers);
    EXPECT_GE(registers[0], 1u);
    char vendor[13] = {};
    std::memcpy(vendor, &registers[1], 4);
    std::memcpy(vendor + 4, &registers[3], 4);
    std::memcpy(vendor + 8, &registers[2], 4);
    EXPECT_EQ(std::strlen(vendor), 12u);
    QueryCpuid(1, registers);
    EXPECT_NE(registers[3] & (1u << 26), 0u);  // every x86-64 processor has SSE2
    uint64_t before = ReadTimeStampCounter();
    Sleep(2);
    EXPECT_GT(ReadTimeStampCounter(), before);
}

}  // namespace
