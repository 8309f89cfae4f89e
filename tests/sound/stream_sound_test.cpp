// Stream sounds heard through the manually clocked output: sources played in turn, the refusals of
// sources, stop and resume, the pause of all sounds, and the refill made by the message pump.
#include "engine/sound/stream_sound.h"
#include "engine/core/frame/library_state.h"
#include "engine/core/frame/message_pump.h"
#include "tests/sound/sound_handles_fixture.h"

namespace {

constexpr uint32_t kRate = 44100;

// The left channel of mixed stereo samples.
std::vector<int16_t> Left(const std::vector<int16_t>& mixed) {
    std::vector<int16_t> left;
    for (size_t i = 0; i < mixed.size(); i += 2) left.push_back(mixed[i]);
    return left;
}

// The left channel that StereoRamp(frames, first) plays.
std::vector<int16_t> RampLeft(uint32_t frames, uint32_t first = 0) {
    std::vector<int16_t> left;
    for (uint32_t i = 0; i < frames; ++i) left.push_back(static_cast<int16_t>((first + i) % 30000));
    return left;
}

void Append(std::vector<int16_t>& to, const std::vector<int16_t>& more) {
    to.insert(to.end(), more.begin(), more.end());
}

std::vector<int16_t> Concatenated(const std::vector<std::vector<int16_t>>& parts) {
    std::vector<int16_t> all;
    for (const auto& part : parts) Append(all, part);
    return all;
}

int MillisecondsOf(uint32_t frames) {
    return static_cast<int>(uint64_t{frames} * 1000 / kRate);
}

class StreamFixture : public SoundHandlesTest {
  protected:
    // A stream handle over a ramp of `frames` frames read from a file image.
    int LoadRamp(uint32_t frames, uint32_t first = 0) {
        soundOutput.loadSettings.streamMode = kStreamFileImage;
        const std::string path = Write("ramp" + std::to_string(first) + ".wav",
                                       WaveFile(WaveFormat(1, 2, kRate, 16), StereoRamp(frames, first)));
        return LoadSoundFile(path.c_str(), 1, -1);
    }
    int AddRamp(int handle, uint32_t frames, uint32_t first, DWORD rate = kRate) {
        const std::string path = Write("add" + std::to_string(first) + ".wav",
                                       WaveFile(WaveFormat(1, 2, rate, 16), StereoRamp(frames, first)));
        SoundLoadSettings settings = soundOutput.loadSettings;
        return AddStreamSoundFile(&settings, path.c_str(), 0, handle, kStreamFileImage, -1, 0);
    }
    // Stops the handle, lets `frames` frames of silence go by and plays it on.
    void StopAWhileAndResume(int handle, uint32_t frames) {
        ASSERT_EQ(StopSoundHandle(handle), 0);
        EXPECT_EQ(QuerySoundPlaying(handle), 0);
        const std::vector<int16_t> gap = Play(frames);
        EXPECT_EQ(gap, std::vector<int16_t>(gap.size(), 0));
        ASSERT_EQ(PlaySoundHandle(handle, 1, 0), 0);
    }
};

// A stop anywhere, in the last half second too, goes on after the resume with the next frame heard,
// and the play time is the position heard.
TEST_F(StreamFixture, StopAndResumeGoOnFromTheFrameHeard) {
    ASSERT_EQ(InitSound(), 0);
    constexpr uint32_t frames = kRate * 5 / 2;
    for (uint32_t stopAt : {kRate, kRate + 123, frames - kRate / 2 + 441, frames - 300}) {
        SCOPED_TRACE(stopAt);
        const int handle = LoadRamp(frames);
        ASSERT_NE(handle, -1);
        ASSERT_EQ(PlaySoundHandle(handle, 1, 1), 0);
        std::vector<int16_t> heard = Left(Play(stopAt));
        EXPECT_EQ(GetSoundPlayTime(handle), MillisecondsOf(stopAt));
        StopAWhileAndResume(handle, kRate / 4);
        EXPECT_EQ(GetSoundPlayTime(handle), MillisecondsOf(stopAt));
        const uint32_t step = std::min<uint32_t>(4410, (frames - stopAt) / 2);
        Append(heard, Left(Play(step)));
        EXPECT_EQ(GetSoundPlayTime(handle), MillisecondsOf(stopAt + step));
        Append(heard, Left(Play(frames - stopAt - step + kRate * 2)));
        EXPECT_EQ(QuerySoundPlaying(handle), 0);
        std::vector<int16_t> expected = RampLeft(frames);
        expected.resize(heard.size(), 0);
        ASSERT_EQ(heard, expected);
        EXPECT_EQ(DeleteHandle(handle), 0);
    }
}

TEST_F(StreamFixture, FiveStopsGiveTheUninterruptedSoundWithThePausesCutOut) {
    ASSERT_EQ(InitSound(), 0);
    constexpr uint32_t frames = kRate * 3;
    const int handle = LoadRamp(frames);
    ASSERT_NE(handle, -1);
    ASSERT_EQ(PlaySoundHandle(handle, 1, 1), 0);
    const std::vector<int16_t> uninterrupted = Play(frames + kRate * 2);
    ASSERT_EQ(QuerySoundPlaying(handle), 0);

    ASSERT_EQ(PlaySoundHandle(handle, 1, 1), 0);
    std::vector<int16_t> cut;
    uint32_t position = 0;
    for (uint32_t stopAt : {10000u, 30001u, 52920u, 88200u, frames - 4300}) {
        Append(cut, Play(stopAt - position));
        position = stopAt;
        EXPECT_EQ(GetSoundPlayTime(handle), MillisecondsOf(stopAt));
        StopAWhileAndResume(handle, 5000 + stopAt % 7000);
    }
    Append(cut, Play(frames + kRate * 2 - position));
    EXPECT_EQ(QuerySoundPlaying(handle), 0);
    ASSERT_EQ(cut.size(), uninterrupted.size());
    EXPECT_EQ(cut, uninterrupted);
    EXPECT_EQ(Left(cut), [&] {
        std::vector<int16_t> expected = RampLeft(frames);
        expected.resize(cut.size() / 2, 0);
        return expected;
    }());
}

// With play type 3 the sources play one after the other and the list starts again, with no gap.
TEST_F(StreamFixture, SourcesPlayInTurnAndTheListLoops) {
    ASSERT_EQ(InitSound(), 0);
    const uint32_t lengths[] = {7000, 9001, 5000};
    for (int count : {2, 3}) {
        SCOPED_TRACE(count);
        const int handle = LoadRamp(lengths[0], 0);
        ASSERT_NE(handle, -1);
        std::vector<int16_t> round = RampLeft(lengths[0], 0);
        for (int i = 1; i < count; ++i) {
            ASSERT_EQ(AddRamp(handle, lengths[i], 10000 * i), 0) << Log();
            Append(round, RampLeft(lengths[i], 10000 * i));
        }
        EXPECT_EQ(Record(handle)->stream.sourceCount, count);
        ASSERT_EQ(PlaySoundHandle(handle, 3, 1), 0);
        const std::vector<int16_t> heard = Left(Play(kRate * 2));
        std::vector<int16_t> expected;
        while (expected.size() < heard.size()) Append(expected, round);
        expected.resize(heard.size());
        ASSERT_EQ(heard, expected);
        EXPECT_EQ(QuerySoundPlaying(handle), 1);
        EXPECT_EQ(DeleteHandle(handle), 0);
    }
}

// A fourth source and a source of another rate are refused with their messages; the stream then plays
// its three sources once, unchanged.
TEST_F(StreamFixture, FourthSourceAndSourceOfAnotherFormatAreRefused) {
    ASSERT_EQ(InitSound(), 0);
    const int handle = LoadRamp(3000, 0);
    ASSERT_NE(handle, -1);
    ASSERT_EQ(AddRamp(handle, 4000, 21000, 22050), -1);
    EXPECT_NE(Log().find("フォーマットの違う音声データは同時に使うことは出来ません"), std::string::npos);
    EXPECT_NE(Log().find("右記のＷＡＶファイルのセットアップに失敗しました"), std::string::npos);
    ASSERT_EQ(AddRamp(handle, 4000, 10000), 0);
    ASSERT_EQ(AddRamp(handle, 5000, 20000), 0);
    EXPECT_EQ(Log().find("ストリーム風サウンドの制御データ領域がいっぱいです"), std::string::npos);
    ASSERT_EQ(AddRamp(handle, 6000, 25000), -1);
    EXPECT_NE(Log().find("ストリーム風サウンドの制御データ領域がいっぱいです"), std::string::npos);
    EXPECT_EQ(Record(handle)->stream.sourceCount, 3);
    EXPECT_EQ(Record(handle)->stream.totalSamples, 12000);

    ASSERT_EQ(PlaySoundHandle(handle, 1, 1), 0);
    const std::vector<int16_t> heard = Left(Play(kRate * 2));
    std::vector<int16_t> expected =
        Concatenated({RampLeft(3000, 0), RampLeft(4000, 10000), RampLeft(5000, 20000)});
    expected.resize(heard.size(), 0);
    EXPECT_EQ(heard, expected);
    EXPECT_EQ(QuerySoundPlaying(handle), 0);
}

// The window's pause holds the stream where it is; the resume goes on with the next frame.
TEST_F(StreamFixture, PauseOfAllSoundsHoldsAStreamInPlace) {
    ASSERT_EQ(InitSound(), 0);
    constexpr uint32_t frames = kRate * 2;
    const int handle = LoadRamp(frames);
    ASSERT_NE(handle, -1);
    ASSERT_EQ(PlaySoundHandle(handle, 1, 1), 0);
    std::vector<int16_t> heard = Left(Play(kRate * 6 / 5));
    ASSERT_EQ(PauseAllSounds(1), 0);
    EXPECT_EQ(QuerySoundPlaying(handle), 0);
    const std::vector<int16_t> gap = Play(kRate / 2);
    EXPECT_EQ(gap, std::vector<int16_t>(gap.size(), 0));
    ASSERT_EQ(PauseAllSounds(0), 0);
    EXPECT_EQ(QuerySoundPlaying(handle), 1);
    Append(heard, Left(Play(kRate * 2)));
    std::vector<int16_t> expected = RampLeft(frames);
    expected.resize(heard.size(), 0);
    EXPECT_EQ(heard, expected);
}

// On a one-processor machine no thread refills: the message pump does, and a stream far longer than
// its first fill plays whole through it.
TEST_F(StreamFixture, TheMessagePumpRefillsOnOneProcessor) {
    ASSERT_EQ(InitSound(), 0);
    ASSERT_EQ(soundOutput.streamThread, nullptr);
    libraryFlags.noWindow = 1;
    constexpr uint32_t frames = kRate * 3;
    const int handle = LoadRamp(frames);
    ASSERT_NE(handle, -1);
    ASSERT_EQ(PlaySoundHandle(handle, 1, 1), 0);
    const std::vector<int16_t> heard = Left(Play(frames + kRate * 2, [] { return PumpMessagesCore(); }));
    libraryFlags.noWindow = 0;
    std::vector<int16_t> expected = RampLeft(frames);
    expected.resize(heard.size(), 0);
    EXPECT_EQ(heard, expected);
    EXPECT_EQ(QuerySoundPlaying(handle), 0);
}

}  // namespace
