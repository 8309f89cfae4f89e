// MP3 through the DirectShow graph: the decoded PCM, its growth, the failures and their messages.
#include <gtest/gtest.h>

#include <stdlib.h>

#include <filesystem>
#include <mutex>
#include <string>

#include "engine/core/frame/library_state.h"
#include "engine/core/frame/system_functions.h"
#include "engine/core/memory/log.h"
#include "mp3_test_data.h"
#include "platform/com/class_registry.h"
#include "platform/dshow/dshow.h"
#include "platform/kernel/debug_output.h"

namespace {

constexpr int kGraphOnly =
    kConverterSkipPcmWave | kConverterSkipAcmWave | kConverterSkipOgg | kConverterSkipAcmMp3;

class Mp3GraphConverterTest : public ::testing::Test {
  protected:
    void SetUp() override {
        LoadSystemLibraries();
        libraryState.run.quit = 0;
        SetDebugOutputCapture([this](const std::string& text) {
            std::lock_guard<std::mutex> guard(logLock_);
            log_ += text;
        });
        char pattern[] = "/tmp/mp3_graph_XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        folder_ = pattern;
        SetFileLogEnabled(1);
        SetLogFolder(("C:" + folder_).c_str());
        InitLogOutput();
    }
    void TearDown() override {
        SetDebugOutputCapture(nullptr);
        SetLogFolder("");
        std::error_code ec;
        std::filesystem::remove_all(folder_, ec);
        libraryState.run.quit = 0;
        for (const CLSID& clsid : {CLSID_FilterGraph, CLSID_NullRenderer, CLSID_MpegAudioDecoder})
            SetComClassFailing(clsid, false);
    }
    std::string Log() {
        std::lock_guard<std::mutex> guard(logLock_);
        return log_;
    }
    bool Logged(const char* message) { return Log().find(message) != std::string::npos; }

    std::string folder_;
    std::mutex logLock_;
    std::string log_;
};

TEST_F(Mp3GraphConverterTest, DecodesEveryFixtureToTheOraclePcm) {
    for (const Mp3Fixture& fixture : Mp3Fixtures()) {
        Converted converted(ReadFixture(fixture.file), kGraphOnly);
        ASSERT_EQ(converted.result, 0) << fixture.file << Log();
        EXPECT_EQ(converted.converter.kind, kConverterMemory);
        const WAVEFORMATEX& format = converted.converter.outputFormat;
        EXPECT_EQ(format.wFormatTag, WAVE_FORMAT_PCM);
        EXPECT_EQ(format.nChannels, fixture.channels);
        EXPECT_EQ(format.nSamplesPerSec, static_cast<DWORD>(fixture.rate));
        EXPECT_EQ(format.wBitsPerSample, 16);
        EXPECT_EQ(format.nAvgBytesPerSec, static_cast<DWORD>(fixture.rate * fixture.channels * 2));
        EXPECT_EQ(converted.converter.blockSize, format.nAvgBytesPerSec);
        const int64_t expected = int64_t{fixture.frames} * fixture.samplesPerFrame * fixture.channels * 2;
        EXPECT_EQ(GetConvertedSize(&converted.converter), expected) << fixture.file;
        const std::vector<uint8_t> pcm = converted.Whole();
        EXPECT_EQ(static_cast<int64_t>(pcm.size()), expected) << fixture.file;
        EXPECT_TRUE(MatchesOracle(pcm, fixture));
    }
}

// The PCM block starts at ten times the MP3's size and grows by 1 MB when the sound needs more.
TEST_F(Mp3GraphConverterTest, ThePcmBlockGrowsByOneMegabyteBeyondTenTimesTheMp3) {
    struct Case {
        const Mp3Fixture& fixture;
        uint32_t growths;
    };
    for (const Case& c : {Case{Mp3Fixtures()[0], 1}, Case{Mp3Fixtures()[1], 0}}) {
        const std::vector<uint8_t> mp3 = ReadFixture(c.fixture.file);
        Converted converted(mp3, kGraphOnly);
        ASSERT_EQ(converted.result, 0);
        EXPECT_EQ(converted.converter.memory.capacity, mp3.size() * 10 + c.growths * 1048576u)
            << c.fixture.file;
        EXPECT_TRUE(MatchesOracle(converted.Whole(), c.fixture));
    }
}

TEST_F(Mp3GraphConverterTest, SeekLandsOnTheRequestedSample) {
    const Mp3Fixture& fixture = Mp3Fixtures()[0];
    Converted converted(ReadFixture(fixture.file), kGraphOnly);
    ASSERT_EQ(converted.result, 0);
    const std::vector<uint8_t> all = converted.Whole();
    const int frames = static_cast<int>(all.size() / 4);
    for (int sample : {frames / 2, 0, 1, 1153, frames - 1, 9, frames}) {
        ASSERT_EQ(SeekSoundConverter(&converted.converter, sample), 0);
        const std::vector<uint8_t> got = converted.Read(800);
        const size_t from = static_cast<size_t>(sample) * 4;
        ASSERT_EQ(got.size(), std::min<size_t>(800, all.size() - from)) << sample;
        EXPECT_TRUE(std::equal(got.begin(), got.end(), all.begin() + from)) << sample;
    }
}

TEST_F(Mp3GraphConverterTest, TruncatedDataDecodesItsWholeFrames) {
    std::vector<uint8_t> mp3 = ReadFixture(Mp3Fixtures()[0].file);
    mp3.resize(mp3.size() - 100);
    Converted converted(mp3, kGraphOnly);
    ASSERT_EQ(converted.result, 0) << Log();
    const std::vector<uint8_t> pcm = converted.Whole();
    EXPECT_LE(pcm.size(), size_t{12} * 1152 * 4);
    EXPECT_GE(pcm.size(), size_t{11} * 1152 * 4);
    EXPECT_TRUE(MatchesOracle(std::vector<uint8_t>(pcm), Mp3Fixtures()[0]) || pcm.size() < 41472u);
}

// What no decoder of the graph takes fails while the graph is built, with the library's message.
TEST_F(Mp3GraphConverterTest, DataNoDecoderTakesFailsWithTheLibrarysMessage) {
    std::vector<uint8_t> noise(5000);
    for (size_t i = 0; i < noise.size(); ++i) noise[i] = static_cast<uint8_t>(i * 131 + 7);
    std::vector<uint8_t> wave =
        WaveBuilder().Fmt(WaveFormat(WAVE_FORMAT_PCM, 1, 8000, 16)).Data(std::vector<uint8_t>(800)).Build();
    for (const auto& bytes : {noise, wave, std::vector<uint8_t>{0xFF, 0xFB}}) {
        log_.clear();
        Converted converted(bytes, kGraphOnly);
        EXPECT_EQ(converted.result, -1);
        EXPECT_EQ(converted.converter.memory.data, nullptr);
        EXPECT_TRUE(Logged("グラフの構築に失敗しました")) << Log();
    }
}

TEST_F(Mp3GraphConverterTest, MissingGraphObjectsFailWithTheirMessages) {
    struct Case {
        const CLSID& clsid;
        const char* message;
    };
    const Case cases[] = {
        {CLSID_NullRenderer, "MP3変換用 NullRender の作成に失敗しました"},
        {CLSID_FilterGraph, "MP3変換用 IGraphBuilder の作成に失敗しました"},
        {CLSID_MpegAudioDecoder, "グラフの構築に失敗しました"},
    };
    const std::vector<uint8_t> mp3 = ReadFixture(Mp3Fixtures()[0].file);
    for (const Case& c : cases) {
        log_.clear();
        SetComClassFailing(c.clsid, true);
        Converted converted(mp3, kGraphOnly);
        SetComClassFailing(c.clsid, false);
        EXPECT_EQ(converted.result, -1) << c.message;
        EXPECT_TRUE(Logged(c.message)) << Log();
    }
}

TEST_F(Mp3GraphConverterTest, AClosedWindowEndsTheConversion) {
    libraryState.run.quit = 1;
    Converted converted(ReadFixture(Mp3Fixtures()[0].file), kGraphOnly);
    EXPECT_EQ(converted.result, -1);
    EXPECT_EQ(converted.converter.memory.data, nullptr);
    EXPECT_TRUE(Logged("MP3変換の途中でソフトが終了しました")) << Log();
}

TEST_F(Mp3GraphConverterTest, TheDisableBitSkipsTheGraph) {
    Converted converted(ReadFixture(Mp3Fixtures()[0].file), kGraphOnly | kConverterSkipMp3Graph);
    EXPECT_EQ(converted.result, -1);
    EXPECT_EQ(Log(), "");
}

}  // namespace
