// What the software mixer makes of playing buffers, read from the manually clocked output.
#include <cmath>

#include "dsound_fixture.h"

namespace {

using MixerTest = ManualDirectSound;

TEST_F(MixerTest, NothingPlaysUntilTheClockMoves) {
    IDirectSoundBuffer* buffer = RampBuffer(100);
    ASSERT_EQ(buffer->Play(0, 0, 0), DS_OK);
    DWORD play = 1, write = 1;
    ASSERT_EQ(buffer->GetCurrentPosition(&play, &write), DS_OK);
    EXPECT_EQ(play, 0u);
    EXPECT_TRUE(TakeManualAudioFrames().empty());
}

TEST_F(MixerTest, OutputRateBufferAtFullVolumeIsCopiedExactly) {
    IDirectSoundBuffer* buffer = RampBuffer(100);
    ASSERT_EQ(buffer->Play(0, 0, 0), DS_OK);
    std::vector<int16_t> out = Advance(40);
    ASSERT_EQ(out.size(), 80u);
    for (int i = 0; i < 40; ++i) {
        EXPECT_EQ(out[2 * i], i);
        EXPECT_EQ(out[2 * i + 1], -i);
    }
}

TEST_F(MixerTest, OneShotBufferStopsAtItsEndAndRewinds) {
    IDirectSoundBuffer* buffer = RampBuffer(30);
    ASSERT_EQ(buffer->Play(0, 0, 0), DS_OK);
    std::vector<int16_t> out = Advance(50);
    EXPECT_EQ(out[2 * 29], 29);
    for (int i = 30; i < 50; ++i) EXPECT_EQ(out[2 * i], 0) << i;
    DWORD status = 99, play = 99;
    ASSERT_EQ(buffer->GetStatus(&status), DS_OK);
    EXPECT_EQ(status, 0u);
    ASSERT_EQ(buffer->GetCurrentPosition(&play, nullptr), DS_OK);
    EXPECT_EQ(play, 0u);
}

TEST_F(MixerTest, LoopingBufferWrapsWithoutAGap) {
    IDirectSoundBuffer* buffer = RampBuffer(30);
    ASSERT_EQ(buffer->Play(0, 0, DSBPLAY_LOOPING), DS_OK);
    std::vector<int16_t> out = Advance(75);
    for (int i = 0; i < 75; ++i) EXPECT_EQ(out[2 * i], i % 30) << i;
    DWORD status = 0, play = 0;
    ASSERT_EQ(buffer->GetStatus(&status), DS_OK);
    EXPECT_EQ(status, DWORD{DSBSTATUS_PLAYING | DSBSTATUS_LOOPING});
    ASSERT_EQ(buffer->GetCurrentPosition(&play, nullptr), DS_OK);
    EXPECT_EQ(play, 15u * 4);
}

TEST_F(MixerTest, EightBitMonoGoesToBothChannels) {
    const uint8_t bytes[4] = {128, 255, 0, 192};
    IDirectSoundBuffer* buffer = MakeBuffer(PcmFormat(1, 44100, 8), 4);
    Fill(buffer, bytes, 4);
    ASSERT_EQ(buffer->Play(0, 0, 0), DS_OK);
    std::vector<int16_t> out = Advance(4);
    const int16_t expected[4] = {0, 127 * 256, -128 * 256, 64 * 256};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(out[2 * i], expected[i]);
        EXPECT_EQ(out[2 * i + 1], expected[i]);
    }
}

TEST_F(MixerTest, VolumeAndPanScaleEachChannel) {
    struct Case {
        LONG volume, pan;
        double left, right;
    } cases[] = {
        {0, 0, 1.0, 1.0},     {-600, 0, std::pow(10.0, -0.3), std::pow(10.0, -0.3)},
        {0, 10000, 0.0, 1.0}, {0, -10000, 1.0, 0.0},
        {0, 2000, 0.1, 1.0},  {-10000, 0, 0.0, 0.0},
    };
    const int16_t level = 20000;
    std::vector<int16_t> samples(20, level);
    IDirectSoundBuffer* buffer = MakeBuffer(PcmFormat(2, 44100, 16), 40);
    Fill(buffer, samples.data(), 40);
    for (const Case& c : cases) {
        ASSERT_EQ(buffer->SetVolume(c.volume), DS_OK);
        ASSERT_EQ(buffer->SetPan(c.pan), DS_OK);
        ASSERT_EQ(buffer->Play(0, 0, 0), DS_OK);
        std::vector<int16_t> out = Advance(1);
        EXPECT_EQ(out[0], std::lrint(level * c.left)) << c.volume << " " << c.pan;
        EXPECT_EQ(out[1], std::lrint(level * c.right)) << c.volume << " " << c.pan;
        ASSERT_EQ(buffer->Stop(), DS_OK);
        ASSERT_EQ(buffer->SetCurrentPosition(0), DS_OK);
    }
}

TEST_F(MixerTest, HalfRateIsInterpolatedBetweenFrames) {
    const int16_t samples[6] = {0, 0, 1000, -1000, 2000, -2000};
    IDirectSoundBuffer* buffer = MakeBuffer(PcmFormat(2, 22050, 16), 12);
    Fill(buffer, samples, 12);
    ASSERT_EQ(buffer->Play(0, 0, 0), DS_OK);
    std::vector<int16_t> out = Advance(6);
    const int16_t left[6] = {0, 500, 1000, 1500, 2000, 2000};
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(out[2 * i], left[i]) << i;
        EXPECT_EQ(out[2 * i + 1], -left[i]) << i;
    }
}

TEST_F(MixerTest, SetFrequencyResamplesAndZeroRestoresTheFormatRate) {
    IDirectSoundBuffer* buffer = RampBuffer(1000);
    ASSERT_EQ(buffer->SetFrequency(88200), DS_OK);
    ASSERT_EQ(buffer->Play(0, 0, 0), DS_OK);
    std::vector<int16_t> out = Advance(10);
    for (int i = 0; i < 10; ++i) EXPECT_EQ(out[2 * i], 2 * i);
    ASSERT_EQ(buffer->SetFrequency(DSBFREQUENCY_ORIGINAL), DS_OK);
    DWORD frequency = 0;
    ASSERT_EQ(buffer->GetFrequency(&frequency), DS_OK);
    EXPECT_EQ(frequency, 44100u);
    out = Advance(3);
    EXPECT_EQ(out[0], 20);
    EXPECT_EQ(out[4], 22);
}

TEST_F(MixerTest, VoicesAreSummedAndClamped) {
    std::vector<int16_t> loud(8, 30000);
    IDirectSoundBuffer* a = MakeBuffer(PcmFormat(2, 44100, 16), 16);
    IDirectSoundBuffer* b = MakeBuffer(PcmFormat(2, 44100, 16), 16);
    Fill(a, loud.data(), 16);
    std::vector<int16_t> quiet = {100, -100, 100, -100, -30000, -30000, -30000, -30000};
    Fill(b, quiet.data(), 16);
    ASSERT_EQ(a->Play(0, 0, 0), DS_OK);
    ASSERT_EQ(b->Play(0, 0, 0), DS_OK);
    std::vector<int16_t> out = Advance(3);
    EXPECT_EQ(out[0], 30100);
    EXPECT_EQ(out[1], 29900);
    EXPECT_EQ(out[4], 0);
    ASSERT_EQ(b->SetCurrentPosition(0), DS_OK);
    ASSERT_EQ(a->SetCurrentPosition(0), DS_OK);
    ASSERT_EQ(a->SetVolume(0), DS_OK);
    std::vector<int16_t> twice(8, 30000);
    Fill(b, twice.data(), 16);
    ASSERT_EQ(a->Play(0, 0, 0), DS_OK);
    ASSERT_EQ(b->Play(0, 0, 0), DS_OK);
    out = Advance(1);
    EXPECT_EQ(out[0], 32767);
}

TEST_F(MixerTest, DuplicateSharesTheSamplesButKeepsItsOwnPosition) {
    IDirectSoundBuffer* original = RampBuffer(100);
    IDirectSoundBuffer* duplicate = nullptr;
    ASSERT_EQ(ds_->DuplicateSoundBuffer(original, &duplicate), DS_OK);
    buffers_.push_back(duplicate);
    const int16_t marker[2] = {7000, 7000};
    Fill(original, marker, 4, 10 * 4);  // written after the duplicate was made
    ASSERT_EQ(duplicate->SetCurrentPosition(10 * 4), DS_OK);
    ASSERT_EQ(duplicate->Play(0, 0, 0), DS_OK);
    std::vector<int16_t> out = Advance(2);
    EXPECT_EQ(out[0], 7000);
    EXPECT_EQ(out[2], 11);
    DWORD play = 1;
    ASSERT_EQ(original->GetCurrentPosition(&play, nullptr), DS_OK);
    EXPECT_EQ(play, 0u);
}

}  // namespace
