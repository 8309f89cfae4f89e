// The sound module's DirectSound device and the buffers of a sound, on the manually clocked output.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "engine/core/frame/system_functions.h"
#include "engine/sound/sound_buffers.h"
#include "engine/sound/sound_device.h"
#include "engine/sound/sound_output_state.h"
#include "platform/com/class_registry.h"
#include "platform/dsound/audio_output_override.h"
#include "platform/dsound/dsound_test_hooks.h"
#include "platform/dsound/manual_audio.h"

namespace {

class SoundDeviceTest : public ::testing::Test {
  protected:
    void SetUp() override {
        LoadSystemLibraries();
        SetAudioOutputOverride("manual");
    }
    void TearDown() override {
        for (SoundRecord* record : records_) {
            ReleaseSoundRecordBuffers(record);
            delete record;
        }
        ReleaseSoundDevice();
        SetAudioOutputOverride(nullptr);
        SetDirectSoundCaps(nullptr);
        SetDirectSoundCreateRefusal(nullptr);
        SetDirectSoundDuplicateLimit(-1);
        SetComClassFailing(CLSID_DirectSound, false);
        EXPECT_EQ(GetLiveDirectSoundBufferCount(), 0);
    }
    WAVEFORMATEX PrimaryFormat() {
        WAVEFORMATEX format{};
        EXPECT_EQ(soundOutput.primary->GetFormat(&format, sizeof format, nullptr), DS_OK);
        return format;
    }
    // A whole sound of `frames` 16-bit stereo 44100 Hz frames, each frame (i, i).
    SoundRecord* WholeSound(uint32_t frames, int bufferCount) {
        auto* record = new SoundRecord{};
        records_.push_back(record);
        record->format = WAVEFORMATEX{WAVE_FORMAT_PCM, 2, 44100, 176400, 4, 16, 0};
        if (CreateSoundRecordBuffers(record, nullptr, &record->format, frames * 4, 0, bufferCount) != 0)
            return record;
        std::vector<int16_t> pcm(frames * 2);
        for (uint32_t i = 0; i < frames; ++i) pcm[2 * i] = pcm[2 * i + 1] = static_cast<int16_t>(i);
        void* p1 = nullptr;
        void* p2 = nullptr;
        DWORD n1 = 0, n2 = 0;
        EXPECT_EQ(SoundBufferLock(&record->buffers[0], 0, frames * 4, &p1, &n1, &p2, &n2), 0);
        std::memcpy(p1, pcm.data(), n1);
        EXPECT_EQ(SoundBufferUnlock(&record->buffers[0], p1, n1, p2, n2), 0);
        return record;
    }
    std::vector<SoundRecord*> records_;
};

TEST_F(SoundDeviceTest, PrimaryFormatFollowsTheCapabilities) {
    struct Case {
        DWORD flags, maxRate;
        WORD channels, bits;
        DWORD rate;
    } cases[] = {
        {DSCAPS_PRIMARYSTEREO | DSCAPS_PRIMARY16BIT, 200000, 2, 16, 44100},
        {DSCAPS_PRIMARYSTEREO | DSCAPS_PRIMARY16BIT, 96000, 2, 16, 44100},
        {DSCAPS_PRIMARYSTEREO | DSCAPS_PRIMARY16BIT, 22050, 2, 16, 22050},
        {DSCAPS_PRIMARY16BIT, 44100, 1, 16, 44100},
        {DSCAPS_PRIMARYSTEREO, 44100, 2, 8, 44100},
        {0, 11025, 1, 8, 11025},
    };
    for (const Case& c : cases) {
        DSCAPS caps = DefaultDirectSoundCaps();
        caps.dwFlags = c.flags;
        caps.dwMaxSecondarySampleRate = c.maxRate;
        SetDirectSoundCaps(&caps);
        ASSERT_EQ(StartSoundDevice(), 0);
        const WAVEFORMATEX format = PrimaryFormat();
        EXPECT_EQ(format.nChannels, c.channels) << c.maxRate;
        EXPECT_EQ(format.wBitsPerSample, c.bits);
        EXPECT_EQ(format.nSamplesPerSec, c.rate);
        EXPECT_EQ(format.nBlockAlign, c.channels * c.bits / 8);
        EXPECT_EQ(format.nAvgBytesPerSec, format.nBlockAlign * c.rate);
        ReleaseSoundDevice();
    }
}

TEST_F(SoundDeviceTest, SilentBufferLoopsFromTheStart) {
    ASSERT_EQ(StartSoundDevice(), 0);
    ASSERT_NE(soundOutput.silent, nullptr);
    DWORD status = 0;
    ASSERT_EQ(soundOutput.silent->GetStatus(&status), DS_OK);
    EXPECT_EQ(status, DWORD{DSBSTATUS_PLAYING | DSBSTATUS_LOOPING});
    AdvanceManualAudioOutputs(1000);
    for (int16_t sample : TakeManualAudioFrames()) ASSERT_EQ(sample, 0);
}

TEST_F(SoundDeviceTest, ADeviceThatCannotBeMadeLeavesNothing) {
    SetComClassFailing(CLSID_DirectSound, true);
    EXPECT_EQ(StartSoundDevice(), -1);
    EXPECT_EQ(soundOutput.directSound, nullptr);
    EXPECT_EQ(soundOutput.primary, nullptr);
}

TEST_F(SoundDeviceTest, VolumeTable) {
    ASSERT_EQ(StartSoundDevice(), 0);
    SoundRecord* record = WholeSound(100, 3);
    const int table[][2] = {{255, 0}, {128, -299}, {1, -2406}, {0, -10000}, {-5, -10000}, {300, 0}};
    for (const auto& row : table) {
        EXPECT_EQ(VolumeToAttenuation(row[0]), row[1]) << row[0];
        SetSoundRecordVolume(record, row[0]);
        for (int i = 0; i < record->bufferCount; ++i) {
            LONG volume = 1;
            ASSERT_EQ(record->buffers[i].buffer->GetVolume(&volume), DS_OK);
            EXPECT_EQ(volume, row[1]) << row[0];
        }
    }
}

TEST_F(SoundDeviceTest, TwelveBuffersAskedGiveTen) {
    ASSERT_EQ(StartSoundDevice(), 0);
    SoundRecord* record = WholeSound(100, 12);
    EXPECT_EQ(record->bufferCount, 10);
    EXPECT_EQ(GetLiveDirectSoundBufferCount(), 2 + 10);
}

TEST_F(SoundDeviceTest, BufferCreationFallsBackToFewerControlsThenFails) {
    ASSERT_EQ(StartSoundDevice(), 0);
    SetDirectSoundCreateRefusal(
        [](const DSBUFFERDESC& desc) { return (desc.dwFlags & DSBCAPS_CTRLFREQUENCY) != 0; });
    SoundRecord* record = WholeSound(100, 3);
    ASSERT_EQ(record->bufferCount, 3);
    DWORD frequency = 0;
    EXPECT_EQ(record->buffers[0].buffer->GetFrequency(&frequency), DSERR_CONTROLUNAVAIL);
    SetDirectSoundCreateRefusal([](const DSBUFFERDESC&) { return true; });
    SoundRecord* none = WholeSound(100, 3);
    EXPECT_EQ(none->bufferCount, 0);
    EXPECT_FALSE(none->buffers[0].valid);
    SetDirectSoundCreateRefusal(nullptr);
    SetDirectSoundDuplicateLimit(1);
    SoundRecord* two = WholeSound(100, 3);
    EXPECT_EQ(two->bufferCount, 2);  // the second duplicate failed: the sound keeps what was made
}

TEST_F(SoundDeviceTest, ThreePlaysOverlapAndTheFourthRestartsTheFirst) {
    ASSERT_EQ(StartSoundDevice(), 0);
    SoundRecord* record = WholeSound(1000, 3);
    ASSERT_EQ(record->bufferCount, 3);
    DWORD positions[3] = {};
    for (int play = 0; play < 3; ++play) {
        ASSERT_EQ(PlaySoundRecord(record, 1, 1), 0);
        AdvanceManualAudioOutputs(100);
    }
    for (int i = 0; i < 3; ++i) {
        DWORD status = 0;
        ASSERT_EQ(SoundBufferGetStatus(&record->buffers[i], &status), 0);
        EXPECT_TRUE(status & DSBSTATUS_PLAYING) << i;
        SoundBufferGetPosition(&record->buffers[i], &positions[i], nullptr);
    }
    // Played in turn 1, 2, 0 (the index starts at 0 and moves on before each play).
    EXPECT_EQ(positions[1], 300u * 4);
    EXPECT_EQ(positions[2], 200u * 4);
    EXPECT_EQ(positions[0], 100u * 4);
    TakeManualAudioFrames();
    ASSERT_EQ(PlaySoundRecord(record, 1, 1), 0);
    DWORD restarted = 1;
    SoundBufferGetPosition(&record->buffers[1], &restarted, nullptr);
    EXPECT_EQ(restarted, 0u);
    EXPECT_EQ(record->currentBuffer, 1);
    AdvanceManualAudioOutputs(1);
    std::vector<int16_t> mixed = TakeManualAudioFrames();
    EXPECT_EQ(mixed[0], 0 + 200 + 100);  // the restarted buffer at 0 beside the other two
}

TEST_F(SoundDeviceTest, PlayWithoutFromTopLeavesAPlayingBufferAlone) {
    ASSERT_EQ(StartSoundDevice(), 0);
    SoundRecord* record = WholeSound(1000, 1);
    ASSERT_EQ(PlaySoundRecord(record, 1, 1), 0);
    AdvanceManualAudioOutputs(50);
    ASSERT_EQ(PlaySoundRecord(record, 1, 0), 0);
    DWORD play = 0;
    SoundBufferGetPosition(&record->buffers[0], &play, nullptr);
    EXPECT_EQ(play, 50u * 4);
}

TEST_F(SoundDeviceTest, PauseAndResumeRestartOnlyWhatWasPlaying) {
    ASSERT_EQ(StartSoundDevice(), 0);
    SoundRecord* record = WholeSound(1000, 3);
    ASSERT_EQ(PlaySoundRecord(record, 3, 1), 0);  // slot 1, looping
    AdvanceManualAudioOutputs(10);
    PauseSoundRecord(record, 1);
    EXPECT_EQ(IsSoundRecordPlaying(record), 0);
    PauseSoundRecord(record, 1);  // a second pause changes nothing
    PauseSoundRecord(record, 0);
    DWORD status[3] = {};
    for (int i = 0; i < 3; ++i) SoundBufferGetStatus(&record->buffers[i], &status[i]);
    EXPECT_EQ(status[0], 0u);
    EXPECT_EQ(status[1], DWORD{DSBSTATUS_PLAYING | DSBSTATUS_LOOPING});
    EXPECT_EQ(status[2], 0u);
    DWORD play = 0;
    SoundBufferGetPosition(&record->buffers[1], &play, nullptr);
    EXPECT_EQ(play, 10u * 4);
    EXPECT_EQ(GetSoundRecordPlayTime(record), 0);  // 10 frames at 44100 Hz
    AdvanceManualAudioOutputs(4410);
    EXPECT_EQ(GetSoundRecordPlayTime(record), (4420 % 1000) * 1000 / 44100);
}

}  // namespace
