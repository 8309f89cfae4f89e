// The device object: creation, initialisation, cooperative level, capabilities, the primary buffer
// and device enumeration.
#include <string>
#include <utility>

#include "dsound_fixture.h"

namespace {

using DeviceTest = ManualDirectSound;

TEST(DirectSoundInstance, ClassObjectNeedsInitializeOnce) {
    SetAudioOutputOverride("manual");
    IDirectSound* ds = nullptr;
    ASSERT_EQ(CreateDirectSoundInstance(IID_IDirectSound, reinterpret_cast<void**>(&ds)), S_OK);
    DSCAPS caps{};
    caps.dwSize = sizeof caps;
    EXPECT_EQ(ds->GetCaps(&caps), DSERR_UNINITIALIZED);
    EXPECT_EQ(ds->SetCooperativeLevel(nullptr, DSSCL_PRIORITY), DSERR_UNINITIALIZED);
    EXPECT_EQ(ds->Initialize(nullptr), DS_OK);
    EXPECT_EQ(ds->Initialize(nullptr), DSERR_ALREADYINITIALIZED);
    EXPECT_EQ(ds->GetCaps(&caps), DS_OK);
    EXPECT_EQ(ds->Release(), 0u);

    void* other = nullptr;
    EXPECT_EQ(CreateDirectSoundInstance(IID_IDirectSoundBuffer, &other), E_NOINTERFACE);
    EXPECT_EQ(other, nullptr);
    GUID unknownDevice = {1, 2, 3, {4, 5, 6, 7, 8, 9, 10, 11}};
    EXPECT_EQ(DirectSoundCreate(&unknownDevice, &ds, nullptr), DSERR_NODRIVER);
    EXPECT_EQ(ds, nullptr);
    SetAudioOutputOverride(nullptr);
}

TEST_F(DeviceTest, DefaultCapabilitiesOfferStereoSixteenBitsAndWideRates) {
    DSCAPS caps{};
    caps.dwSize = sizeof caps;
    ASSERT_EQ(ds_->GetCaps(&caps), DS_OK);
    const DWORD wanted = DSCAPS_PRIMARYSTEREO | DSCAPS_PRIMARY16BIT | DSCAPS_SECONDARYSTEREO |
                         DSCAPS_SECONDARY16BIT | DSCAPS_PRIMARYMONO | DSCAPS_PRIMARY8BIT;
    EXPECT_EQ(caps.dwFlags & wanted, wanted);
    EXPECT_EQ(caps.dwMinSecondarySampleRate, 100u);
    EXPECT_EQ(caps.dwMaxSecondarySampleRate, 200000u);
    caps.dwSize = 20;
    EXPECT_EQ(ds_->GetCaps(&caps), DSERR_INVALIDPARAM);
}

TEST_F(DeviceTest, CapabilityOverrideIsReported) {
    DSCAPS custom = DefaultDirectSoundCaps();
    custom.dwFlags = DSCAPS_PRIMARYMONO | DSCAPS_PRIMARY8BIT;
    custom.dwMaxSecondarySampleRate = 22050;
    SetDirectSoundCaps(&custom);
    DSCAPS caps{};
    caps.dwSize = sizeof caps;
    ASSERT_EQ(ds_->GetCaps(&caps), DS_OK);
    EXPECT_EQ(caps.dwFlags, DWORD{DSCAPS_PRIMARYMONO | DSCAPS_PRIMARY8BIT});
    EXPECT_EQ(caps.dwMaxSecondarySampleRate, 22050u);
}

TEST_F(DeviceTest, PrimaryBufferTakesAFormatAtPriorityLevel) {
    DSBUFFERDESC desc{};
    desc.dwSize = sizeof desc;
    desc.dwFlags = DSBCAPS_PRIMARYBUFFER;
    IDirectSoundBuffer* primary = nullptr;
    ASSERT_EQ(ds_->CreateSoundBuffer(&desc, &primary, nullptr), DS_OK);
    buffers_.push_back(primary);
    WAVEFORMATEX format = PcmFormat(1, 22050, 8);
    ASSERT_EQ(primary->SetFormat(&format), DS_OK);
    WAVEFORMATEX read{};
    DWORD written = 0;
    ASSERT_EQ(primary->GetFormat(&read, sizeof read, &written), DS_OK);
    EXPECT_EQ(written, sizeof(WAVEFORMATEX));
    EXPECT_EQ(std::memcmp(&read, &format, sizeof format), 0);
    void* p1 = nullptr;
    DWORD n1 = 0;
    EXPECT_NE(primary->Lock(0, 4, &p1, &n1, nullptr, nullptr, 0), DS_OK);

    ASSERT_EQ(ds_->SetCooperativeLevel(nullptr, DSSCL_NORMAL), DS_OK);
    WAVEFORMATEX other = PcmFormat(2, 44100, 16);
    EXPECT_EQ(primary->SetFormat(&other), DSERR_PRIOLEVELNEEDED);
    WAVEFORMATEX broken = other;
    broken.nAvgBytesPerSec = 1;
    EXPECT_EQ(primary->SetFormat(&broken), DSERR_BADFORMAT);
}

TEST(DirectSoundDevice, BuffersNeedACooperativeLevel) {
    SetAudioOutputOverride("manual");
    IDirectSound* ds = nullptr;
    ASSERT_EQ(DirectSoundCreate(nullptr, &ds, nullptr), DS_OK);
    WAVEFORMATEX format = PcmFormat(2, 44100, 16);
    DSBUFFERDESC desc{};
    desc.dwSize = sizeof desc;
    desc.dwBufferBytes = 400;
    desc.lpwfxFormat = &format;
    IDirectSoundBuffer* buffer = nullptr;
    EXPECT_EQ(ds->CreateSoundBuffer(&desc, &buffer, nullptr), DSERR_PRIOLEVELNEEDED);
    ds->Release();
    SetAudioOutputOverride(nullptr);
}

TEST_F(DeviceTest, BuffersOutliveTheirDevice) {
    IDirectSoundBuffer* buffer = RampBuffer(10);
    ds_->Release();
    ds_ = nullptr;
    EXPECT_EQ(buffer->Play(0, 0, 0), DS_OK);
    DWORD status = 0;
    EXPECT_EQ(buffer->GetStatus(&status), DS_OK);
    EXPECT_EQ(AdvanceManualAudioOutputs(10), 0);
}

TEST(DirectSoundEnumerate, ReportsThePrimaryDriverThenTheDevice) {
    std::vector<std::pair<bool, std::string>> seen;
    auto record = [](LPGUID guid, LPCSTR description, LPCSTR module, LPVOID context) -> BOOL {
        auto* list = static_cast<std::vector<std::pair<bool, std::string>>*>(context);
        list->push_back({guid != nullptr, std::string(description) + "|" + module});
        return TRUE;
    };
    ASSERT_EQ(DirectSoundEnumerateA(record, &seen), DS_OK);
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_FALSE(seen[0].first);
    EXPECT_EQ(seen[0].second, "Primary Sound Driver|");
    EXPECT_TRUE(seen[1].first);

    int calls = 0;
    auto stop = [](LPGUID, LPCSTR, LPCSTR, LPVOID context) -> BOOL {
        ++*static_cast<int*>(context);
        return FALSE;
    };
    ASSERT_EQ(DirectSoundEnumerateA(stop, &calls), DS_OK);
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(DirectSoundEnumerateA(nullptr, nullptr), DSERR_INVALIDPARAM);
}

}  // namespace
