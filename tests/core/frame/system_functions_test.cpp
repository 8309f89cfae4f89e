#include "engine/core/frame/system_functions.h"

#include <gtest/gtest.h>

#include <cstring>

#include "engine/core/frame/millisecond_clock.h"
#include "platform/com/ole32.h"
#include "platform/kernel/kernel32.h"
#include "platform/kernel/module_registry.h"

namespace {

class SystemFunctions : public ::testing::Test {
  protected:
    void SetUp() override { FreeSystemLibraries(); }
    void TearDown() override {
        ResetPlatformTestSwitches();
        FreeSystemLibraries();
        LoadSystemLibraries();
    }
};

bool TableIsEmpty() {
    const auto* bytes = reinterpret_cast<const unsigned char*>(&systemFunctions);
    for (size_t i = 0; i < sizeof(systemFunctions); ++i)
        if (bytes[i]) return false;
    return true;
}

TEST_F(SystemFunctions, LoadsThePresentModulesAndLeavesTheRestNull) {
    EXPECT_TRUE(TableIsEmpty());
    EXPECT_EQ(LoadSystemLibraries(), 0);
    EXPECT_NE(systemFunctions.winmm, nullptr);
    EXPECT_EQ(systemFunctions.timeGetTime, &timeGetTime);
    EXPECT_NE(systemFunctions.ole32, nullptr);
    EXPECT_EQ(systemFunctions.CoInitializeEx, &CoInitializeEx);
    EXPECT_EQ(systemFunctions.CoCreateInstance, &CoCreateInstance);
    EXPECT_EQ(systemFunctions.CoUninitialize, &CoUninitialize);
    // Winsock does not exist here: its pointers stay null.
    EXPECT_EQ(systemFunctions.ws2_32, nullptr);
    EXPECT_EQ(systemFunctions.socket, nullptr);
    EXPECT_GE(GetMillisecondCount(), 0);
}

TEST_F(SystemFunctions, SecondLoadChangesNothing) {
    LoadSystemLibraries();
    SystemFunctionTable first = systemFunctions;
    LoadSystemLibraries();
    EXPECT_EQ(std::memcmp(&first, &systemFunctions, sizeof(first)), 0);
    // One free releases the one load: the module is no longer held.
    FreeSystemLibraries();
    EXPECT_EQ(GetModuleHandleA("winmm.dll"), nullptr);
}

TEST_F(SystemFunctions, MissingDwmapiLeavesItsPointerNull) {
    SetPlatformModuleAbsent("dwmapi.dll", true);
    LoadSystemLibraries();
    EXPECT_EQ(systemFunctions.dwmapi, nullptr);
    EXPECT_EQ(systemFunctions.DwmEnableComposition, nullptr);
    EXPECT_NE(systemFunctions.winmm, nullptr);
}

TEST_F(SystemFunctions, FreeClearsEveryPointerAndStopsTheClock) {
    LoadSystemLibraries();
    FreeSystemLibraries();
    EXPECT_TRUE(TableIsEmpty());
    EXPECT_EQ(GetMillisecondCount(), -1);
}

TEST_F(SystemFunctions, MissingModuleOrEntryLeavesNullPointers) {
    SetPlatformModuleAbsent("winmm.dll", true);
    SetPlatformExportAbsent("ole32.dll", "CoTaskMemFree", true);
    SetPlatformExportAbsent("dwmapi.dll", "DwmEnableComposition", true);
    LoadSystemLibraries();
    EXPECT_EQ(systemFunctions.DwmEnableComposition, nullptr);
    EXPECT_EQ(systemFunctions.winmm, nullptr);
    EXPECT_EQ(systemFunctions.timeGetTime, nullptr);
    EXPECT_EQ(GetMillisecondCount(), -1);
    EXPECT_NE(systemFunctions.ole32, nullptr);
    EXPECT_EQ(systemFunctions.CoTaskMemFree, nullptr);
    EXPECT_NE(systemFunctions.CoTaskMemAlloc, nullptr);
}

}  // namespace
