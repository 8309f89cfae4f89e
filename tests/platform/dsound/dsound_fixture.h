// A DirectSound device on the manually clocked output, and helpers to make and fill buffers.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "platform/dsound/audio_output_override.h"
#include "platform/dsound/dsound.h"
#include "platform/dsound/dsound_test_hooks.h"
#include "platform/dsound/manual_audio.h"

inline WAVEFORMATEX PcmFormat(WORD channels, DWORD rate, WORD bits) {
    WAVEFORMATEX format{};
    format.wFormatTag = WAVE_FORMAT_PCM;
    format.nChannels = channels;
    format.nSamplesPerSec = rate;
    format.wBitsPerSample = bits;
    format.nBlockAlign = static_cast<WORD>(channels * bits / 8);
    format.nAvgBytesPerSec = rate * format.nBlockAlign;
    return format;
}

constexpr DWORD kAllControls =
    DSBCAPS_CTRLFREQUENCY | DSBCAPS_CTRLPAN | DSBCAPS_CTRLVOLUME | DSBCAPS_GLOBALFOCUS;

class ManualDirectSound : public ::testing::Test {
  protected:
    void SetUp() override {
        SetAudioOutputOverride(OutputChoice());
        ASSERT_EQ(DirectSoundCreate(nullptr, &ds_, nullptr), DS_OK);
        ASSERT_EQ(ds_->SetCooperativeLevel(nullptr, DSSCL_PRIORITY), DS_OK);
        TakeManualAudioFrames();
    }
    void TearDown() override {
        for (auto* buffer : buffers_) buffer->Release();
        if (ds_) ds_->Release();
        SetAudioOutputOverride(nullptr);
        SetDirectSoundCaps(nullptr);
        SetDirectSoundCreateRefusal(nullptr);
        SetDirectSoundDuplicateLimit(-1);
        EXPECT_EQ(GetLiveDirectSoundBufferCount(), 0);
    }
    virtual const char* OutputChoice() { return "manual"; }

    IDirectSoundBuffer* MakeBuffer(const WAVEFORMATEX& format, DWORD bytes, DWORD flags = kAllControls) {
        WAVEFORMATEX copy = format;
        DSBUFFERDESC desc{};
        desc.dwSize = sizeof desc;
        desc.dwFlags = flags;
        desc.dwBufferBytes = bytes;
        desc.lpwfxFormat = &copy;
        IDirectSoundBuffer* buffer = nullptr;
        EXPECT_EQ(ds_->CreateSoundBuffer(&desc, &buffer, nullptr), DS_OK);
        if (buffer) buffers_.push_back(buffer);
        return buffer;
    }

    static void Fill(IDirectSoundBuffer* buffer, const void* bytes, DWORD size, DWORD offset = 0) {
        void* p1 = nullptr;
        void* p2 = nullptr;
        DWORD n1 = 0, n2 = 0;
        ASSERT_EQ(buffer->Lock(offset, size, &p1, &n1, &p2, &n2, 0), DS_OK);
        std::memcpy(p1, bytes, n1);
        if (p2) std::memcpy(p2, static_cast<const uint8_t*>(bytes) + n1, n2);
        ASSERT_EQ(buffer->Unlock(p1, n1, p2, n2), DS_OK);
    }

    // Stereo 16-bit samples of a buffer filled with a ramp: frame i holds (i, -i).
    IDirectSoundBuffer* RampBuffer(DWORD frames, DWORD rate = 44100) {
        std::vector<int16_t> samples(frames * 2);
        for (DWORD i = 0; i < frames; ++i) {
            samples[2 * i] = static_cast<int16_t>(i);
            samples[2 * i + 1] = static_cast<int16_t>(-static_cast<int>(i));
        }
        IDirectSoundBuffer* buffer = MakeBuffer(PcmFormat(2, rate, 16), frames * 4);
        Fill(buffer, samples.data(), frames * 4);
        return buffer;
    }

    static std::vector<int16_t> Advance(uint32_t frames) {
        EXPECT_EQ(AdvanceManualAudioOutputs(frames), 1);
        return TakeManualAudioFrames();
    }

    IDirectSound* ds_ = nullptr;
    std::vector<IDirectSoundBuffer*> buffers_;
};
