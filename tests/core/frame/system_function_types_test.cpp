// Every function the library loads by name at run time is held as a pointer of the function's own
// type: a call through a pointer of another type is undefined behaviour (clang's checker stops the
// program there). Comparing each pointer with the platform function it found does not compile when
// the two types differ, and fails when the lookup found something else.
#include <gtest/gtest.h>

#include "engine/core/frame/system_functions.h"
#include "platform/com/ole32.h"
#include "platform/kernel/module_registry.h"
#include "platform/user/comctl32.h"
#include "platform/user/dwmapi.h"
#include "platform/user/imm32.h"
#include "platform/user/user32.h"
#include "platform/user/winmm.h"

namespace {

#define EXPECT_LOADED_AS_ITSELF(name) EXPECT_EQ(systemFunctions.name, &::name) << #name

TEST(SystemFunctionTypes, EveryLoadedFunctionHasItsOwnType) {
    InstallImm32TestDouble();  // the input method module is absent unless installed
    FreeSystemLibraries();
    ASSERT_EQ(LoadSystemLibraries(), 0);
    EXPECT_LOADED_AS_ITSELF(ImmGetContext);
    EXPECT_LOADED_AS_ITSELF(ImmReleaseContext);
    EXPECT_LOADED_AS_ITSELF(ImmGetOpenStatus);
    EXPECT_LOADED_AS_ITSELF(ImmGetConversionStatus);
    EXPECT_LOADED_AS_ITSELF(ImmNotifyIME);
    EXPECT_LOADED_AS_ITSELF(ImmSetOpenStatus);
    EXPECT_LOADED_AS_ITSELF(ImmGetCandidateListA);
    EXPECT_LOADED_AS_ITSELF(ImmGetCompositionStringA);
    EXPECT_LOADED_AS_ITSELF(ImmSetCompositionStringA);
    EXPECT_LOADED_AS_ITSELF(timeSetEvent);
    EXPECT_LOADED_AS_ITSELF(timeKillEvent);
    EXPECT_LOADED_AS_ITSELF(timeBeginPeriod);
    EXPECT_LOADED_AS_ITSELF(timeEndPeriod);
    EXPECT_LOADED_AS_ITSELF(timeGetTime);
    EXPECT_LOADED_AS_ITSELF(timeGetDevCaps);
    EXPECT_LOADED_AS_ITSELF(joyGetPosEx);
    EXPECT_LOADED_AS_ITSELF(joyGetDevCapsA);
    EXPECT_LOADED_AS_ITSELF(mciSendCommandA);
    EXPECT_LOADED_AS_ITSELF(CoCreateInstance);
    EXPECT_LOADED_AS_ITSELF(CoTaskMemAlloc);
    EXPECT_LOADED_AS_ITSELF(CoTaskMemFree);
    EXPECT_LOADED_AS_ITSELF(CoInitializeEx);
    EXPECT_LOADED_AS_ITSELF(CoFreeUnusedLibraries);
    EXPECT_LOADED_AS_ITSELF(CoUninitialize);
    EXPECT_LOADED_AS_ITSELF(InitCommonControls);
    EXPECT_LOADED_AS_ITSELF(DwmEnableComposition);
    EXPECT_LOADED_AS_ITSELF(WINNLSEnableIME);
    FreeSystemLibraries();
    SetPlatformModuleAbsent("Imm32.dll", true);
    LoadSystemLibraries();
}

}  // namespace
