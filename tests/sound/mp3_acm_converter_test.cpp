// MP3 and MPEG-audio WAVE data through the converter's compression-manager openers.
#include <gtest/gtest.h>

#include <algorithm>

#include "engine/sound/acm_functions.h"
#include "engine/sound/sound.h"
#include "mp3_test_data.h"
#include "platform/acm/msacm.h"

namespace {

class Mp3AcmConverterTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_EQ(LoadAcmFunctions(), 0); }
    void TearDown() override { FreeAcmFunctions(); }
};

// Only the compression manager may take the data here.
constexpr int kAcmOnly = kConverterSkipMp3Graph;

std::vector<uint8_t> Slice(const std::vector<uint8_t>& bytes, size_t from, size_t to) {
    return std::vector<uint8_t>(bytes.begin() + from, bytes.begin() + to);
}

template <typename Format>
std::vector<uint8_t> BytesOf(const Format& format) {
    const auto* p = reinterpret_cast<const uint8_t*>(&format);
    return std::vector<uint8_t>(p, p + sizeof format);
}

TEST_F(Mp3AcmConverterTest, DecodesEveryFixtureToTheOraclePcm) {
    for (const Mp3Fixture& fixture : Mp3Fixtures()) {
        Converted converted(ReadFixture(fixture.file), kAcmOnly);
        ASSERT_EQ(converted.result, 0) << fixture.file;
        EXPECT_EQ(converted.converter.kind, kConverterAcm);
        const WAVEFORMATEX& format = converted.converter.outputFormat;
        EXPECT_EQ(format.wFormatTag, WAVE_FORMAT_PCM);
        EXPECT_EQ(format.nChannels, fixture.channels);
        EXPECT_EQ(format.nSamplesPerSec, static_cast<DWORD>(fixture.rate));
        EXPECT_EQ(format.wBitsPerSample, 16);
        EXPECT_EQ(format.nBlockAlign, fixture.channels * 2);
        const int64_t expected = int64_t{fixture.frames} * fixture.samplesPerFrame * fixture.channels * 2;
        EXPECT_EQ(GetConvertedSize(&converted.converter), expected) << fixture.file;
        const std::vector<uint8_t> pcm = converted.Whole();
        EXPECT_EQ(static_cast<int64_t>(pcm.size()), expected) << fixture.file;
        EXPECT_TRUE(MatchesOracle(pcm, fixture));
    }
}

TEST_F(Mp3AcmConverterTest, SmallBlockReadsGiveTheWholeConversion) {
    const Mp3Fixture& fixture = Mp3Fixtures()[0];
    Converted whole(ReadFixture(fixture.file), kAcmOnly);
    Converted blocks(ReadFixture(fixture.file), kAcmOnly);
    ASSERT_EQ(whole.result, 0);
    ASSERT_EQ(blocks.result, 0);
    const std::vector<uint8_t> all = whole.Whole();
    std::vector<uint8_t> joined;
    for (int size : {1, 3, 4, 1000, 4097, 65536, 7}) {
        const std::vector<uint8_t> got = blocks.Read(size);
        joined.insert(joined.end(), got.begin(), got.end());
    }
    for (std::vector<uint8_t> got = blocks.Read(5000); !got.empty(); got = blocks.Read(5000))
        joined.insert(joined.end(), got.begin(), got.end());
    EXPECT_EQ(joined, all);
    EXPECT_EQ(ConvertSoundBlock(&blocks.converter, joined.data(), 4), 0);
}

// Every seek, forward, backward, inside the block and past the end, then a read, gives the whole
// conversion's bytes from that sample on.
TEST_F(Mp3AcmConverterTest, SeekLandsOnTheRequestedSample) {
    for (const Mp3Fixture& fixture : Mp3Fixtures()) {
        Converted whole(ReadFixture(fixture.file), kAcmOnly);
        ASSERT_EQ(whole.result, 0);
        const std::vector<uint8_t> all = whole.Whole();
        const int align = fixture.channels * 2;
        const int frames = static_cast<int>(all.size()) / align;
        Converted seeking(ReadFixture(fixture.file), kAcmOnly);
        ASSERT_EQ(seeking.result, 0);
        for (int sample : {frames / 2, 0, 1, 5, 1151, 1152, 1153, frames - 1, 3000, 2999, frames / 3, 9,
                           frames, frames - 100, 100}) {
            ASSERT_EQ(SeekSoundConverter(&seeking.converter, sample), 0) << fixture.file << " " << sample;
            const std::vector<uint8_t> got = seeking.Read(900);
            const size_t from = static_cast<size_t>(sample) * align;
            const size_t n = std::min<size_t>(900, all.size() - from);
            ASSERT_EQ(got.size(), n) << fixture.file << " " << sample;
            EXPECT_TRUE(std::equal(got.begin(), got.end(), all.begin() + from))
                << fixture.file << " " << sample;
        }
    }
}

// An ID3v2 tag is skipped by its size; version 2.4 adds a footer of 10 bytes when its flag is set.
// A skip that went too far would lose the first frame.
TEST_F(Mp3AcmConverterTest, Id3TagsAreSkippedBySizeVersionAndFooter) {
    const Mp3Fixture& fixture = Mp3Fixtures()[0];
    const std::vector<uint8_t> mp3 = ReadFixture(fixture.file);
    struct Case {
        uint8_t version;
        uint8_t flags;
        bool footer;
    };
    for (const Case& c :
         {Case{3, 0x00, false}, Case{3, 0x10, false}, Case{4, 0x00, false}, Case{4, 0x10, true}}) {
        std::vector<uint8_t> tagged = {'I', 'D', '3', c.version, 0, c.flags, 0, 0, 0x01, 0x05};  // 133 bytes
        tagged.resize(10 + 133, 0x20);
        if (c.footer) tagged.insert(tagged.end(), {'3', 'D', 'I', c.version, 0, c.flags, 0, 0, 0x01, 0x05});
        tagged.insert(tagged.end(), mp3.begin(), mp3.end());
        Converted converted(tagged, kAcmOnly);
        ASSERT_EQ(converted.result, 0) << int(c.version) << " " << int(c.flags);
        EXPECT_EQ(GetConvertedSize(&converted.converter), int64_t{fixture.frames} * 1152 * 4);
        EXPECT_TRUE(MatchesOracle(converted.Whole(), fixture)) << int(c.version) << " " << int(c.flags);
    }
}

TEST_F(Mp3AcmConverterTest, TruncatedDataDecodesItsWholeFrames) {
    const Mp3Fixture& fixture = Mp3Fixtures()[0];
    const std::vector<uint8_t> mp3 = ReadFixture(fixture.file);
    // The frames are 313 or 314 bytes long: a cut of 100 leaves 12 whole frames.
    Converted converted(Slice(mp3, 0, mp3.size() - 100), kAcmOnly);
    ASSERT_EQ(converted.result, 0);
    EXPECT_EQ(GetConvertedSize(&converted.converter), int64_t{12} * 1152 * 4);
    const std::vector<uint8_t> pcm = converted.Whole();
    EXPECT_LE(pcm.size(), size_t{12} * 1152 * 4);
    EXPECT_GE(pcm.size(), size_t{11} * 1152 * 4);
}

TEST_F(Mp3AcmConverterTest, DamagedFramesDecodeWithinBounds) {
    const std::vector<uint8_t> mp3 = ReadFixture(Mp3Fixtures()[0].file);
    for (size_t at : {size_t{2}, size_t{400}, size_t{700}, size_t{1500}, mp3.size() - 50}) {
        std::vector<uint8_t> damaged = mp3;
        for (size_t i = at; i < std::min(at + 120, damaged.size()); ++i)
            damaged[i] = static_cast<uint8_t>(i * 37 + 0xF1);
        Converted converted(damaged, kAcmOnly);
        ASSERT_EQ(converted.result, 0) << at;
        const int64_t size = GetConvertedSize(&converted.converter);
        EXPECT_LE(static_cast<int64_t>(converted.Whole().size()), size) << at;
        EXPECT_EQ(SeekSoundConverter(&converted.converter, 3000), 0);
        EXPECT_LE(converted.Read(1 << 20).size(), static_cast<size_t>(size));
    }
}

TEST_F(Mp3AcmConverterTest, DataWithoutTwoFramesInARowIsRefused) {
    std::vector<uint8_t> headerOnly = {0xFF, 0xFB, 0x90, 0x64};
    headerOnly.resize(2000);
    std::vector<uint8_t> syncNoise(3000);
    for (size_t i = 0; i < syncNoise.size(); ++i)
        syncNoise[i] = (i % 3 == 0) ? 0xFF : static_cast<uint8_t>(0xF0 + i % 16);
    std::vector<uint8_t> reservedRate = ReadFixture(Mp3Fixtures()[0].file);
    for (size_t i = 0; i + 2 < reservedRate.size(); ++i)
        if (reservedRate[i] == 0xFF && (reservedRate[i + 1] & 0xF0) == 0xF0) reservedRate[i + 2] |= 0x0C;
    for (const auto& bytes : {headerOnly, syncNoise, reservedRate, std::vector<uint8_t>{0xFF, 0xFB, 0x90}}) {
        Converted converted(bytes, kAcmOnly);
        EXPECT_EQ(converted.result, -1);
    }
}

TEST_F(Mp3AcmConverterTest, DisableBitsAndAMissingModuleSkipTheAcmOpeners) {
    const std::vector<uint8_t> mp3 = ReadFixture(Mp3Fixtures()[0].file);
    EXPECT_EQ(Converted(mp3, kAcmOnly).result, 0);
    EXPECT_EQ(Converted(mp3, kAcmOnly | kConverterSkipAcmMp3).result, -1);
    FreeAcmFunctions();
    EXPECT_EQ(Converted(mp3, kAcmOnly).result, -1);
}

// MPEG audio inside RIFF WAVE (tags 0x55 and 0x50) goes through the compression manager's WAVE opener.
TEST_F(Mp3AcmConverterTest, MpegAudioWaveFilesDecodeLikeTheRawStream) {
    const Mp3Fixture& layer3 = Mp3Fixtures()[0];
    const Mp3Fixture& layer2 = Mp3Fixtures()[2];
    MPEGLAYER3WAVEFORMAT mp3Format{};
    mp3Format.wfx = {WAVE_FORMAT_MPEGLAYER3, 2, 44100, 96000 / 8, 1, 0, MPEGLAYER3_WFX_EXTRA_BYTES};
    mp3Format.wID = MPEGLAYER3_ID_MPEG;
    mp3Format.nBlockSize = 313;
    mp3Format.nFramesPerBlock = 1;
    MPEG1WAVEFORMAT mp2Format{};
    mp2Format.wfx = {WAVE_FORMAT_MPEG, 2, 32000, 128000 / 8, 1, 0, 22};
    mp2Format.fwHeadLayer = 2;
    mp2Format.dwHeadBitrate = 128000;
    struct Case {
        const Mp3Fixture& fixture;
        std::vector<uint8_t> fmt;
    };
    for (const Case& c : {Case{layer3, BytesOf(mp3Format)}, Case{layer2, BytesOf(mp2Format)}}) {
        const std::vector<uint8_t> wave =
            WaveBuilder().Chunk("fmt ", c.fmt).Data(ReadFixture(c.fixture.file)).Build();
        Converted converted(wave, kAcmOnly | kConverterSkipAcmMp3);
        ASSERT_EQ(converted.result, 0) << c.fixture.file;
        EXPECT_EQ(converted.converter.kind, kConverterAcm);
        const std::vector<uint8_t> pcm = converted.Whole();
        EXPECT_EQ(pcm.size(), size_t(c.fixture.frames) * c.fixture.samplesPerFrame * 4) << c.fixture.file;
        EXPECT_TRUE(MatchesOracle(pcm, c.fixture));
    }
}

// Compressed WAVE formats without a codec here (ADPCM, GSM ...) are refused, as on a system without
// that codec.
TEST_F(Mp3AcmConverterTest, WaveFormatsWithoutACodecAreRefused) {
    for (WORD tag : {WORD{2}, WORD{0x11}, WORD{0x31}, WORD{0x161}}) {
        WAVEFORMATEX format = WaveFormat(tag, 1, 22050, 4);
        format.nBlockAlign = 256;
        format.nAvgBytesPerSec = 11100;
        const std::vector<uint8_t> wave =
            WaveBuilder().Fmt(format, 18).Data(std::vector<uint8_t>(4096, 0x11)).Build();
        EXPECT_EQ(Converted(wave, kAcmOnly).result, -1) << tag;
    }
}

}  // namespace
