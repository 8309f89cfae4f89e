#include "platform/kernel/module_registry.h"

#include <gtest/gtest.h>

#include "platform/kernel/kernel32.h"

namespace {

int WINAPI FirstEntry() {
    return 1;
}
int WINAPI SecondEntry() {
    return 2;
}

class ModuleRegistry : public ::testing::Test {
  protected:
    void TearDown() override { ResetPlatformTestSwitches(); }
};

TEST_F(ModuleRegistry, NamesMatchIgnoringCaseExtensionAndFolder) {
    const char* names[] = {"winmm.dll", "WINMM.DLL", "WinMM", "C:\\Windows\\System32\\winmm.dll"};
    HMODULE first = LoadLibraryA(names[0]);
    ASSERT_NE(first, nullptr);
    for (const char* name : names) {
        HMODULE module = LoadLibraryA(name);
        EXPECT_EQ(module, first) << name;
        FreeLibrary(module);
    }
    FARPROC entry = GetProcAddress(first, "timeGetTime");
    EXPECT_EQ(entry, reinterpret_cast<FARPROC>(&timeGetTime));
    EXPECT_EQ(GetProcAddress(first, "TimeGetTime"), nullptr);  // entry names keep their case
    EXPECT_EQ(GetLastError(), DWORD(ERROR_PROC_NOT_FOUND));
    EXPECT_TRUE(FreeLibrary(first));
}

TEST_F(ModuleRegistry, UnknownAndAbsentModulesFail) {
    EXPECT_EQ(LoadLibraryA("nosuch.dll"), nullptr);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_MOD_NOT_FOUND));
    SetPlatformModuleAbsent("OLE32.dll", true);
    EXPECT_EQ(LoadLibraryA("ole32.dll"), nullptr);
    SetPlatformModuleAbsent("ole32.dll", false);
    HMODULE ole = LoadLibraryA("ole32.dll");
    ASSERT_NE(ole, nullptr);
    SetPlatformExportAbsent("ole32.dll", "CoTaskMemFree", true);
    EXPECT_EQ(GetProcAddress(ole, "CoTaskMemFree"), nullptr);
    EXPECT_NE(GetProcAddress(ole, "CoTaskMemAlloc"), nullptr);
    FreeLibrary(ole);
}

TEST_F(ModuleRegistry, FreedModuleIsNoLongerLoaded) {
    HMODULE kernel = LoadLibraryA("kernel32.dll");
    ASSERT_NE(kernel, nullptr);
    HMODULE again = LoadLibraryA("kernel32.dll");
    EXPECT_EQ(GetModuleHandleA("KERNEL32.DLL"), kernel);
    FreeLibrary(again);
    EXPECT_NE(GetProcAddress(kernel, "GlobalMemoryStatusEx"), nullptr);
    FreeLibrary(kernel);
    EXPECT_EQ(GetModuleHandleA("kernel32.dll"), nullptr);
    EXPECT_EQ(GetProcAddress(kernel, "GlobalMemoryStatusEx"), nullptr);
    EXPECT_FALSE(FreeLibrary(kernel));
    EXPECT_NE(GetModuleHandleA(nullptr), nullptr);
}

TEST_F(ModuleRegistry, SeveralRegistrationsFillOneModule) {
    RegisterPlatformModule("test_merge.dll", {{"First", &FirstEntry}});
    RegisterPlatformModule("Test_Merge", {{"Second", &SecondEntry}});
    HMODULE module = LoadLibraryA("test_merge.dll");
    ASSERT_NE(module, nullptr);
    auto first = reinterpret_cast<int(WINAPI*)()>(GetProcAddress(module, "First"));
    auto second = reinterpret_cast<int(WINAPI*)()>(GetProcAddress(module, "Second"));
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(first() + second(), 3);
    FreeLibrary(module);
}

TEST_F(ModuleRegistry, CreationCallsCanBeMadeToFail) {
    EXPECT_FALSE(IsPlatformCallFailing("Direct3DCreate9"));
    SetPlatformCallFailing("Direct3DCreate9", true);
    EXPECT_TRUE(IsPlatformCallFailing("Direct3DCreate9"));
    ResetPlatformTestSwitches();
    EXPECT_FALSE(IsPlatformCallFailing("Direct3DCreate9"));
}

}  // namespace
