// The sound converter over WAVE (PCM and float) and Ogg Vorbis data.
#include "engine/sound/sound_converter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>

#include "converter_fixture.h"
#include "engine/core/memory/tracked_allocator.h"
#include "sound_test_data.h"

namespace {

std::vector<uint8_t> Truncated(std::vector<uint8_t> bytes, size_t cut) {
    bytes.resize(bytes.size() - cut);
    return bytes;
}

const WAVEFORMATEX kStereo16 = WaveFormat(WAVE_FORMAT_PCM, 2, 44100, 16);

TEST(SoundConverterWave, ChunkLayouts) {
    const std::vector<uint8_t> pcm = RampPcm(100);
    WAVEFORMATEX noChannels = kStereo16;
    noChannels.nChannels = 0;
    WAVEFORMATEX noAlign = kStereo16;
    noAlign.nBlockAlign = 0;
    WAVEFORMATEX noRate = kStereo16;
    noRate.nAvgBytesPerSec = 0;
    WAVEFORMATEX doubles = WaveFormat(WAVE_FORMAT_IEEE_FLOAT, 2, 44100, 64);
    WAVEFORMATEX adpcm = WaveFormat(2, 2, 44100, 4);
    struct Case {
        const char* name;
        std::vector<uint8_t> file;
        bool opens;
    } cases[] = {
        {"plain", WaveBuilder().Fmt(kStereo16).Data(pcm).Build(), true},
        {"fmt of 18 bytes", WaveBuilder().Fmt(kStereo16, 18).Data(pcm).Build(), true},
        {"bext before fmt",
         WaveBuilder().Chunk("bext", std::vector<uint8_t>(602, 1)).Fmt(kStereo16).Data(pcm).Build(), true},
        {"LIST before fmt", WaveBuilder().Chunk("LIST", {1, 2, 3, 4}).Fmt(kStereo16).Data(pcm).Build(),
         false},
        {"odd chunk before data",
         WaveBuilder().Fmt(kStereo16).Chunk("junk", {9, 9, 9}).Chunk("LIST", {5}).Data(pcm).Build(), true},
        {"no data chunk", WaveBuilder().Fmt(kStereo16).Chunk("junk", {1, 2}).Build(), false},
        {"0 channels", WaveBuilder().Fmt(noChannels).Data(pcm).Build(), false},
        {"0 block align", WaveBuilder().Fmt(noAlign).Data(pcm).Build(), false},
        {"0 bytes per second", WaveBuilder().Fmt(noRate).Data(pcm).Build(), false},
        {"64-bit float", WaveBuilder().Fmt(doubles, 18).Data(pcm).Build(), false},
        {"ADPCM without the compression manager", WaveBuilder().Fmt(adpcm, 18).Data(pcm).Build(), false},
        {"fmt body of 14 bytes", WaveBuilder().Fmt(kStereo16, 14).Data(pcm).Build(), false},
        {"ends inside a chunk header", Truncated(WaveBuilder().Fmt(kStereo16).Data(pcm).Build(), 400 + 5),
         false},
        {"RIFF but not WAVE", {'R', 'I', 'F', 'F', 4, 0, 0, 0, 'A', 'V', 'I', ' '}, false},
        {"empty", {}, false},
    };
    for (Case& c : cases) {
        Converted converted(c.file);
        EXPECT_EQ(converted.result, c.opens ? 0 : -1) << c.name;
        if (!c.opens || converted.result != 0) continue;
        EXPECT_EQ(GetConvertedSize(&converted.converter), 400) << c.name;
        EXPECT_EQ(converted.Whole(), pcm) << c.name;
    }
}

TEST(SoundConverterWave, SixteenByteFmtTakesItsBitsFromTheBlockAlign) {
    WAVEFORMATEX format = kStereo16;
    format.wBitsPerSample = 0;
    Converted converted(WaveBuilder().Fmt(format).Data(RampPcm(10)).Build());
    ASSERT_EQ(converted.result, 0);
    WAVEFORMATEX out{};
    GetConverterFormat(&converted.converter, &out);
    EXPECT_EQ(out.wBitsPerSample, 16);
    EXPECT_EQ(out.nBlockAlign, 4);
    EXPECT_EQ(out.cbSize, 0);
}

TEST(SoundConverterWave, DataSizeIsClampedToTheBytesInTheStream) {
    const std::vector<uint8_t> pcm = RampPcm(50);
    Converted converted(WaveBuilder().Fmt(kStereo16).DataClaiming(0x7FFFFFF0, pcm).Build());
    ASSERT_EQ(converted.result, 0);
    EXPECT_EQ(GetConvertedSize(&converted.converter), 200);
    EXPECT_EQ(converted.Whole(), pcm);
}

TEST(SoundConverterWave, FloatBecomesSixteenBitPcm) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const std::vector<float> samples = {1.0f,  -1.0f,    0.5f,      -0.5f, 1.5f,
                                        -7.0f, 0.00001f, -0.00001f, nan,   0.0f};
    const int16_t expected[] = {32767, -32768, 16384, -16384, 32767, -32768, 0, 0, 0, 0};
    WAVEFORMATEX format = WaveFormat(WAVE_FORMAT_IEEE_FLOAT, 2, 48000, 32);
    Converted converted(WaveBuilder().Fmt(format, 18).Data(FloatPcm(samples)).Build());
    ASSERT_EQ(converted.result, 0);
    WAVEFORMATEX out{};
    GetConverterFormat(&converted.converter, &out);
    EXPECT_EQ(out.wFormatTag, WAVE_FORMAT_PCM);
    EXPECT_EQ(out.wBitsPerSample, 16);
    EXPECT_EQ(out.nBlockAlign, 4);
    EXPECT_EQ(out.nAvgBytesPerSec, 192000u);
    std::vector<uint8_t> pcm = converted.Whole();
    ASSERT_EQ(pcm.size(), 20u);
    for (size_t i = 0; i < 10; ++i)
        EXPECT_EQ(static_cast<int16_t>(pcm[2 * i] | (pcm[2 * i + 1] << 8)), expected[i]) << i;
}

TEST(SoundConverterWave, OneAndAHalfSecondsOfFloatStereoAt48kHz) {
    std::vector<float> samples(72000 * 2, 0.25f);
    Converted converted(WaveBuilder()
                            .Fmt(WaveFormat(WAVE_FORMAT_IEEE_FLOAT, 2, 48000, 32), 18)
                            .Data(FloatPcm(samples))
                            .Build());
    ASSERT_EQ(converted.result, 0);
    EXPECT_EQ(GetConvertedSize(&converted.converter), 288000);
    std::vector<uint8_t> pcm = converted.Whole();
    ASSERT_EQ(pcm.size(), 288000u);
    EXPECT_EQ(pcm[287998] | (pcm[287999] << 8), 8192);
}

// The PCM is oggdec's decode of the fixture (its start, for the stereo one), byte for byte.
TEST(SoundConverterOgg, PcmIsTheIndependentDecode) {
    struct Case {
        const char* file;
        const char* oracle;
        WORD channels;
        DWORD rate;
        uint32_t frames;  // of the sox input the fixture was encoded from
    } cases[] = {{"tone_stereo.ogg", "tone_stereo_ogg.raw", 2, 22050, 66150},
                 {"tone_mono.ogg", "tone_mono_ogg.raw", 1, 11025, 4410}};
    for (const Case& c : cases) {
        Converted converted(ReadFixture(c.file));
        ASSERT_EQ(converted.result, 0) << c.file;
        WAVEFORMATEX out{};
        GetConverterFormat(&converted.converter, &out);
        EXPECT_EQ(out.nChannels, c.channels);
        EXPECT_EQ(out.nSamplesPerSec, c.rate);
        EXPECT_EQ(out.wBitsPerSample, 16);
        EXPECT_EQ(GetConvertedSize(&converted.converter), int64_t{c.frames} * c.channels * 2) << c.file;
        std::vector<uint8_t> pcm = converted.Whole();
        EXPECT_EQ(pcm.size(), size_t{c.frames} * c.channels * 2) << c.file;
        const std::vector<uint8_t> oracle = ReadFixture(c.oracle);
        ASSERT_GT(oracle.size(), 8000u);
        ASSERT_GE(pcm.size(), oracle.size());
        EXPECT_TRUE(std::equal(oracle.begin(), oracle.end(), pcm.begin())) << c.file;
    }
}

TEST(SoundConverterOgg, AMissingPageEndsTheDataThere) {
    std::vector<uint8_t> bytes = ReadFixture("tone_stereo.ogg");  // 66150 frames
    std::vector<size_t> pages;
    for (size_t i = 0; i + 4 <= bytes.size(); ++i)
        if (std::memcmp(bytes.data() + i, "OggS", 4) == 0) pages.push_back(i);
    ASSERT_GE(pages.size(), 4u);  // identification, setup, audio ..., last audio
    const size_t cut = pages.size() - 2;
    bytes.erase(bytes.begin() + pages[cut], bytes.begin() + pages[cut + 1]);
    Converted converted(bytes);
    ASSERT_EQ(converted.result, 0);
    std::vector<uint8_t> pcm = converted.Whole();
    EXPECT_LT(pcm.size(), size_t{66150} * 4);
}

TEST(SoundConverter, DisableBitsSkipOpeners) {
    const std::vector<uint8_t> wave = WaveBuilder().Fmt(kStereo16).Data(RampPcm(10)).Build();
    EXPECT_EQ(Converted(wave, kConverterSkipOgg).result, 0);
    EXPECT_EQ(Converted(wave, kConverterSkipPcmWave).result, -1);
    EXPECT_EQ(Converted(ReadFixture("tone_mono.ogg"), kConverterSkipPcmWave).result, 0);
    EXPECT_EQ(Converted(ReadFixture("tone_mono.ogg"), kConverterSkipOgg).result, -1);
}

TEST(SoundConverter, RefusesWhatIsNotSound) {
    std::vector<uint8_t> noise(5000);
    for (size_t i = 0; i < noise.size(); ++i) noise[i] = static_cast<uint8_t>(i * 131 + 7);
    EXPECT_EQ(Converted(noise).result, -1);
    std::vector<uint8_t> mp3 = {0xFF, 0xFB, 0x90, 0x64};
    mp3.resize(2000);
    EXPECT_EQ(Converted(mp3).result, -1);  // MP3 needs the compression manager
}

TEST(SoundConverter, CallsOnAConverterThatIsNotStartedFail) {
    SoundConverter converter{};
    uint8_t buffer[4];
    EXPECT_EQ(ConvertSoundBlock(&converter, buffer, 4), -1);
    EXPECT_EQ(SeekSoundConverter(&converter, 0), -1);
    EXPECT_EQ(ReleaseSoundConverter(&converter), -1);
    Converted converted(WaveBuilder().Fmt(kStereo16).Data(RampPcm(10)).Build());
    ASSERT_EQ(converted.result, 0);
    EXPECT_EQ(ReleaseSoundConverter(&converted.converter), 0);
    EXPECT_EQ(ReleaseSoundConverter(&converted.converter), -1);
    converted.result = -1;
}

// Every seek, then a read, gives the same bytes as the whole conversion from that sample on.
TEST(SoundConverter, EverySeekMatchesTheWholeConversion) {
    std::vector<float> floats(3000 * 2);
    for (size_t i = 0; i < floats.size(); ++i) floats[i] = std::sin(i * 0.01f) * 0.9f;
    const std::vector<std::vector<uint8_t>> files = {
        WaveBuilder().Fmt(kStereo16).Data(RampPcm(70000)).Build(),
        WaveBuilder().Fmt(WaveFormat(WAVE_FORMAT_IEEE_FLOAT, 2, 1000, 32), 18).Data(FloatPcm(floats)).Build(),
        ReadFixture("tone_stereo.ogg"),
        ReadFixture("tone_mono.ogg"),
    };
    for (size_t f = 0; f < files.size(); ++f) {
        Converted whole(files[f]);
        ASSERT_EQ(whole.result, 0) << f;
        const std::vector<uint8_t> all = whole.Whole();
        const uint32_t align = whole.converter.outputFormat.nBlockAlign;
        const int frames = static_cast<int>(all.size() / align);
        Converted seeking(files[f]);
        ASSERT_EQ(seeking.result, 0);
        for (int sample :
             {frames / 2, 0, 1, 3, 4, 1000, 4095, frames - 1, frames - 5, 17, frames / 3, frames}) {
            sample = std::min(sample, frames);
            ASSERT_EQ(SeekSoundConverter(&seeking.converter, sample), 0) << f << " " << sample;
            const std::vector<uint8_t> got = seeking.Read(600);
            const size_t from = static_cast<size_t>(sample) * align;
            const size_t n = std::min<size_t>(600, all.size() - from);
            ASSERT_EQ(got.size(), n) << f << " " << sample;
            EXPECT_TRUE(std::equal(got.begin(), got.end(), all.begin() + from)) << f << " " << sample;
        }
    }
}

TEST(SoundConverter, SmallSeekKeepsThePositionUnlessTheEndWasReached) {
    const std::vector<uint8_t> pcm = RampPcm(100);
    Converted converted(WaveBuilder().Fmt(kStereo16).Data(pcm).Build());
    ASSERT_EQ(converted.result, 0);
    std::vector<uint8_t> first = converted.Read(40);
    ASSERT_EQ(SeekSoundConverter(&converted.converter, 7), 0);  // 28 bytes: within 15 of 40
    std::vector<uint8_t> next = converted.Read(4);
    EXPECT_TRUE(std::equal(next.begin(), next.end(), pcm.begin() + 40));

    converted.Read(1000);
    EXPECT_EQ(converted.Read(4).size(), 0u);
    ASSERT_EQ(SeekSoundConverter(&converted.converter, 98), 0);  // 8 bytes before the end
    std::vector<uint8_t> tail = converted.Read(100);
    EXPECT_EQ(tail, std::vector<uint8_t>(pcm.end() - 8, pcm.end()));
}

}  // namespace
