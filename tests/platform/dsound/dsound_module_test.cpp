// The DirectSound stand-in as the library reaches it: the COM class and "DSOUND.DLL" by name.
#include "dsound_fixture.h"
#include "platform/com/ole32.h"
#include "platform/kernel/module_registry.h"

namespace {

TEST(DirectSoundModule, ClassAndEntryPointsAreRegistered) {
    SetAudioOutputOverride("manual");
    IDirectSound* ds = nullptr;
    ASSERT_EQ(CoCreateInstance(CLSID_DirectSound, nullptr, CLSCTX_ALL, IID_IDirectSound,
                               reinterpret_cast<void**>(&ds)),
              S_OK);
    EXPECT_EQ(ds->SetCooperativeLevel(nullptr, DSSCL_PRIORITY), DSERR_UNINITIALIZED);
    EXPECT_EQ(ds->Initialize(nullptr), DS_OK);
    ds->Release();

    HMODULE module = LoadLibraryA("DSOUND.DLL");
    ASSERT_NE(module, nullptr);
    auto enumerate =
        reinterpret_cast<decltype(&DirectSoundEnumerateA)>(GetProcAddress(module, "DirectSoundEnumerateA"));
    ASSERT_NE(enumerate, nullptr);
    int devices = 0;
    enumerate(
        [](LPGUID, LPCSTR, LPCSTR, LPVOID context) -> BOOL {
            ++*static_cast<int*>(context);
            return TRUE;
        },
        &devices);
    EXPECT_EQ(devices, 2);
    EXPECT_NE(GetProcAddress(module, "DirectSoundCreate"), nullptr);
    FreeLibrary(module);
    SetAudioOutputOverride(nullptr);
}

TEST(DirectSoundModule, CreationCanBeMadeToFail) {
    SetPlatformCallFailing("DirectSoundCreate", true);
    IDirectSound* ds = nullptr;
    EXPECT_TRUE(FAILED(CoCreateInstance(CLSID_DirectSound, nullptr, CLSCTX_ALL, IID_IDirectSound,
                                        reinterpret_cast<void**>(&ds))));
    EXPECT_EQ(ds, nullptr);
    EXPECT_EQ(DirectSoundCreate(nullptr, &ds, nullptr), DSERR_NODRIVER);
    ResetPlatformTestSwitches();
}

}  // namespace
