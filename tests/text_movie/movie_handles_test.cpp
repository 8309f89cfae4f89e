// Movie handles: the life cycle, play and pause, the frame due at a time or sound position, the sound
// track, the frame callback, and the files that fail with the library's messages.
#include "engine/text_movie/movie_record.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <string>
#include <vector>

#include "engine/core/frame/library_init.h"
#include "engine/core/frame/library_state.h"
#include "engine/core/frame/system_functions.h"
#include "engine/core/frame/system_info.h"
#include "engine/core/memory/handle_manager.h"
#include "engine/core/memory/log.h"
#include "engine/sound/sound.h"
#include "engine/sound/sound_output_state.h"
#include "engine/text_movie/theora_movie.h"
#include "platform/com/class_registry.h"
#include "platform/dshow/dshow.h"
#include "platform/dsound/audio_output_override.h"
#include "platform/dsound/manual_audio.h"
#include "platform/kernel/clock.h"
#include "platform/kernel/debug_output.h"
#include "platform/kernel/path_mapping.h"
#include "tests/text_movie/movie_fixtures.h"

namespace {

class MovieHandlesTest : public ::testing::Test {
  protected:
    void SetUp() override {
        clockMode_ = GetClockMode();
        SetClockMode(ClockMode::kReal);
        char pattern[] = "/tmp/movie_handles_XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        folder_ = pattern;
        LoadSystemLibraries();
        libraryState.run.quit = 0;
        SetDebugOutputCapture([this](const std::string& text) {
            std::lock_guard<std::mutex> guard(logLock_);
            log_ += text;
        });
        SetFileLogEnabled(1);
        SetLogFolder(("C:" + folder_).c_str());
        InitLogOutput();
        InitYuvToRgbTables();
        ASSERT_EQ(RegisterMovieHandleType(), 0);
    }
    void TearDown() override {
        EndMovieHandleType();
        if (soundStarted_) EndSound();
        SetAudioOutputOverride(nullptr);
        GetSystemInformation().processorCount = 0;
        SetComClassFailing(CLSID_FilterGraph, false);
        SetDebugOutputCapture(nullptr);
        SetLogFolder("");
        std::error_code ec;
        std::filesystem::remove_all(folder_, ec);
        SetClockMode(clockMode_);
    }
    void StartSound() {
        SetAudioOutputOverride("manual");
        GetSystemInformation().processorCount = 1;
        libraryFlags.asyncLoad = 0;
        ASSERT_EQ(InitSound(), 0);
        soundStarted_ = true;
    }
    std::string Fixture(const char* name) {
        return ToWindowsPath(std::string(KORVALUND_TEST_DIR) + "/fixtures/" + name);
    }
    std::string Write(const std::string& name, const std::vector<uint8_t>& bytes) {
        std::ofstream(folder_ + "/" + name, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
        return ToWindowsPath(folder_ + "/" + name);
    }
    std::string Log() {
        std::lock_guard<std::mutex> guard(logLock_);
        return log_;
    }
    bool Logged(const char* text) { return Log().find(text) != std::string::npos; }
    // Mixes `frames` output frames 10 ms at a time; after each step the stream sounds are refilled and
    // the movie updated, as a frame of the game does. The mixed stereo samples.
    std::vector<int16_t> Run(int movie, uint32_t frames) {
        TakeManualAudioFrames();
        for (uint32_t done = 0; done < frames; done += 441) {
            AdvanceManualAudioOutputs(std::min<uint32_t>(441, frames - done));
            UpdateAllStreamSounds();
            UpdateMovieFrame(movie);
        }
        return TakeManualAudioFrames();
    }
    int Open(const std::string& path, int* width = nullptr, int* height = nullptr) {
        const int32_t halfWidth = 1;
        return OpenMovie(&halfWidth, path.c_str(), width, height, 0, 0);
    }

    ClockMode clockMode_ = ClockMode::kReal;
    bool soundStarted_ = false;
    std::string folder_;
    std::mutex logLock_;
    std::string log_;
};

TEST_F(MovieHandlesTest, OpenMakesAStoppedTheoraMovieOfHandleTypeSix) {
    EXPECT_EQ(RegisterMovieHandleType(), -1);
    EXPECT_EQ(CheckMovieTypeInit(), 0);
    int width = 0, height = 0;
    const int handle = Open(Fixture("tiny.ogv"), &width, &height);
    ASSERT_NE(handle, -1) << Log();
    EXPECT_EQ(HandleTypeOf(handle), 6);
    EXPECT_EQ(width, kFixtureWidth);
    EXPECT_EQ(height, kFixtureHeight);
    MovieRecord* m = GetMovieData(handle);
    ASSERT_NE(m, nullptr);
    EXPECT_EQ(m->theora, 1);
    EXPECT_EQ(m->stopped, 1);
    EXPECT_EQ(m->playType, 1);
    EXPECT_EQ(m->wasPlaying, 0);
    EXPECT_EQ(m->halfWidth, 1);
    EXPECT_EQ(m->soundHandle, -1);
    EXPECT_EQ(m->currentImage, GetTheoraImage(m->decoder));
    EXPECT_EQ(m->width, kFixtureWidth);

    ASSERT_EQ(DeleteHandle(handle), 0);
    EXPECT_EQ(GetMovieData(handle), nullptr);
    EXPECT_EQ(PlayMovie(handle, 1, 0), -1);
}

TEST_F(MovieHandlesTest, EndDeletesEveryMovieAndTypeWideCallsThenRefuse) {
    const int first = Open(Fixture("tiny.ogv"));
    const int second = Open(Fixture("tiny.ogv"));
    ASSERT_NE(first, -1);
    ASSERT_NE(second, -1);
    EXPECT_EQ(EndMovieHandleType(), 0);
    EXPECT_EQ(CheckMovieTypeInit(), -1);
    EXPECT_EQ(EndMovieHandleType(), -1);
    EXPECT_EQ(PauseAllMovies(), -1);
    EXPECT_EQ(ResumeAllMovies(), -1);
    EXPECT_EQ(GetMovieData(first), nullptr);
    EXPECT_EQ(Open(Fixture("tiny.ogv")), -1);
    ASSERT_EQ(RegisterMovieHandleType(), 0);
}

TEST_F(MovieHandlesTest, CallsOnInvalidHandlesAreRefused) {
    const int handle = Open(Fixture("tiny.ogv"));
    ASSERT_NE(handle, -1);
    for (int bad : {-1, 0, handle + 1, handle ^ (1 << 26)}) {
        EXPECT_EQ(GetMovieData(bad), nullptr) << bad;
        EXPECT_EQ(PlayMovie(bad, 1, 0), -1);
        EXPECT_EQ(PauseMovie(bad, 0), -1);
        EXPECT_EQ(UpdateMovieFrame(bad), -1);
        EXPECT_EQ(InvalidateMovieImage(bad), -1);
        EXPECT_EQ(SetMovieFrameCallback(bad, nullptr, nullptr), -1);
    }
}

TEST_F(MovieHandlesTest, PlayAndPauseFollowTheirStateRules) {
    const int handle = Open(Fixture("tiny.ogv"));
    ASSERT_NE(handle, -1);
    MovieRecord* m = GetMovieData(handle);
    EXPECT_EQ(PlayMovie(handle, 0, 0), 0);
    EXPECT_EQ(m->playType, 1) << "play type 0 plays as 1";
    EXPECT_EQ(m->stopped, 0);
    EXPECT_EQ(m->wasPlaying, 1);
    EXPECT_EQ(PlayMovie(handle, 3, 0), 0);
    EXPECT_EQ(m->playType, 1) << "playing already: nothing changes";
    EXPECT_EQ(PauseMovie(handle, 0), 0);
    EXPECT_EQ(m->stopped, 1);
    EXPECT_EQ(m->wasPlaying, 0);
    EXPECT_EQ(PlayMovie(handle, -1, 1), 0);
    EXPECT_EQ(m->stopped, 1) << "resume-only does not start a movie paused by the game";
    EXPECT_EQ(PlayMovie(handle, 3, 0), 0);
    EXPECT_EQ(m->playType, 3);
    EXPECT_EQ(PauseMovie(handle, 1), 0);
    EXPECT_EQ(m->wasPlaying, 1);
    EXPECT_EQ(PlayMovie(handle, -1, 1), 0);
    EXPECT_EQ(m->stopped, 0);
    EXPECT_EQ(m->playType, 3) << "-1 keeps the stored play type";
}

TEST_F(MovieHandlesTest, ResumeAllRestartsOnlyTheMoviesThatWerePlaying) {
    const int playing = Open(Fixture("tiny.ogv"));
    const int pausedByGame = Open(Fixture("tiny.ogv"));
    const int neverPlayed = Open(Fixture("tiny.ogv"));
    ASSERT_NE(neverPlayed, -1);
    PlayMovie(playing, 1, 0);
    PlayMovie(pausedByGame, 1, 0);
    PauseMovie(pausedByGame, 0);
    EXPECT_EQ(PauseAllMovies(), 0);
    for (int h : {playing, pausedByGame, neverPlayed}) EXPECT_EQ(GetMovieData(h)->stopped, 1);
    EXPECT_EQ(ResumeAllMovies(), 0);
    EXPECT_EQ(GetMovieData(playing)->stopped, 0);
    EXPECT_EQ(GetMovieData(pausedByGame)->stopped, 1);
    EXPECT_EQ(GetMovieData(neverPlayed)->stopped, 1);
}

// Without a sound track the frame follows the microsecond clock from the play; a movie that does not
// loop stops on its last frame, a looping one goes round.
TEST_F(MovieHandlesTest, FrameFollowsTheClockWithoutASoundTrack) {
    struct Case {
        int playType;
        int64_t elapsedMs;  // just into a frame, so that a test's own run time does not reach the next one
        int frame;
        int stopped;
    };
    const Case cases[] = {
        {1, 5, 0, 0},   {1, 205, 2, 0},  {1, 905, 9, 1},  {1, 5005, 9, 1},
        {3, 905, 9, 0}, {3, 1205, 2, 0}, {3, 2505, 5, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.playType) + " at " + std::to_string(c.elapsedMs) + " ms");
        const int handle = Open(Fixture("tiny.ogv"));
        ASSERT_NE(handle, -1);
        MovieRecord* m = GetMovieData(handle);
        ASSERT_EQ(PlayMovie(handle, c.playType, 0), 0);
        m->clockStart = GetMicrosecondCount() - c.elapsedMs * 1000;
        UpdateMovieFrame(handle);
        UpdateMovieFrame(handle);  // the second update sees the last frame reached
        EXPECT_EQ(GetTheoraCurrentFrame(m->decoder), c.frame);
        EXPECT_EQ(m->stopped, c.stopped);
        if (c.stopped) {
            EXPECT_EQ(m->wasPlaying, 0);
        }
        DeleteHandle(handle);
    }
}

TEST_F(MovieHandlesTest, PlayGoesOnFromTheFrameShownAtThePause) {
    const int handle = Open(Fixture("tiny.ogv"));
    ASSERT_NE(handle, -1);
    MovieRecord* m = GetMovieData(handle);
    PlayMovie(handle, 1, 0);
    m->clockStart = GetMicrosecondCount() - 405 * 1000;
    PauseMovie(handle, 0);  // catches up to frame 4 on the way
    EXPECT_EQ(GetTheoraCurrentFrame(m->decoder), 4);
    PlayMovie(handle, 1, 0);
    const int64_t sinceStart = GetMicrosecondCount() - m->clockStart;
    EXPECT_GE(sinceStart, 400000);
    EXPECT_LT(sinceStart, 500000);
    UpdateMovieFrame(handle);
    EXPECT_EQ(GetTheoraCurrentFrame(m->decoder), 4);
}

// The graphic side's callback: called on every update, with the frame it converts on demand.
TEST_F(MovieHandlesTest, FrameCallbackSeesEveryUpdateAndGetsTheDueFrame) {
    const int handle = Open(Fixture("tiny.ogv"));
    ASSERT_NE(handle, -1);
    struct Seen {
        int calls = 0;
        MovieRecord* record = nullptr;
        int differences = 0;
    } seen;
    auto callback = [](MovieRecord* movie, void* parameter) {
        Seen* s = static_cast<Seen*>(parameter);
        s->calls++;
        s->record = movie;
        UpdateTheoraImage(movie->decoder, 1, 0, 0);
        const int frame = GetTheoraCurrentFrame(movie->decoder);
        const uint8_t* oracle = OracleRgbFrame(frame);
        const SoftImage* image = movie->currentImage;
        for (int y = 0; y < image->height; y++)
            for (int x = 0; x < image->width; x++) {
                const uint8_t* p = static_cast<const uint8_t*>(image->pixels) + y * image->pitch + x * 4;
                const uint8_t* o = oracle + (y * image->width + x) * 3;
                if (std::abs(p[2] - o[0]) > 1 || std::abs(p[1] - o[1]) > 1 || std::abs(p[0] - o[2]) > 1)
                    s->differences++;
            }
    };
    ASSERT_EQ(SetMovieFrameCallback(handle, callback, &seen), 0);
    MovieRecord* m = GetMovieData(handle);
    UpdateMovieFrame(handle);  // stopped: still called
    EXPECT_EQ(seen.calls, 1);
    EXPECT_EQ(seen.record, m);
    PlayMovie(handle, 1, 0);
    m->clockStart = GetMicrosecondCount() - 605 * 1000;
    UpdateMovieFrame(handle);
    UpdateMovieFrame(handle);
    EXPECT_EQ(seen.calls, 3);
    EXPECT_EQ(GetTheoraCurrentFrame(m->decoder), 6);
    EXPECT_EQ(seen.differences, 0);
}

TEST_F(MovieHandlesTest, SoundTrackIsASoundHandleThatLeadsTheFrames) {
    StartSound();
    const int handle = Open(Fixture("tiny_sound.ogv"));
    ASSERT_NE(handle, -1) << Log();
    MovieRecord* m = GetMovieData(handle);
    ASSERT_NE(m->soundHandle, -1) << Log();
    EXPECT_EQ(HandleTypeOf(m->soundHandle), kHandleTypeSound);
    EXPECT_EQ(QuerySoundPlaying(m->soundHandle), 0);
    PlayMovie(handle, 1, 0);
    EXPECT_EQ(QuerySoundPlaying(m->soundHandle), 1);
    m->clockStart -= 10 * 1000 * 1000;  // the clock no longer counts: the sound does
    AdvanceManualAudioOutputs(44100 * 35 / 100);
    UpdateMovieFrame(handle);
    EXPECT_EQ(GetTheoraCurrentFrame(m->decoder), 3);
    PauseMovie(handle, 0);
    EXPECT_EQ(QuerySoundPlaying(m->soundHandle), 0);
    const int sound = m->soundHandle;
    DeleteHandle(handle);
    EXPECT_EQ(QuerySoundPlaying(sound), -1) << "the sound track goes with the movie";
}

TEST_F(MovieHandlesTest, WithSoundTheLastFrameWaitsForTheSound) {
    StartSound();
    const int handle = Open(Fixture("tiny_sound.ogv"));
    ASSERT_NE(handle, -1);
    MovieRecord* m = GetMovieData(handle);
    ASSERT_NE(m->soundHandle, -1);
    PlayMovie(handle, 1, 0);
    AdvanceManualAudioOutputs(44100 * 98 / 100);
    for (int i = 0; i < 3; i++) UpdateMovieFrame(handle);
    EXPECT_EQ(GetTheoraCurrentFrame(m->decoder), 9);
    EXPECT_EQ(m->stopped, 0);
}

// A pause and a resume go on with the sound heard at the pause, and the picture goes with the sound.
TEST_F(MovieHandlesTest, PauseAndResumeKeepSoundAndPictureTogether) {
    StartSound();
    const int handle = Open(Fixture("tiny_sound.ogv"));
    ASSERT_NE(handle, -1);
    MovieRecord* m = GetMovieData(handle);
    ASSERT_NE(m->soundHandle, -1);
    PlayMovie(handle, 1, 0);
    const std::vector<int16_t> uninterrupted = Run(handle, 44100 * 4 / 5);
    PauseMovie(handle, 0);
    ASSERT_EQ(DeleteHandle(handle), 0);

    const int again = Open(Fixture("tiny_sound.ogv"));
    ASSERT_NE(again, -1);
    m = GetMovieData(again);
    PlayMovie(again, 1, 0);
    std::vector<int16_t> cut;
    uint32_t heard = 0;
    for (uint32_t pauseAt : {6616u, 15436u, 26460u}) {
        const std::vector<int16_t> part = Run(again, pauseAt - heard);
        cut.insert(cut.end(), part.begin(), part.end());
        heard = pauseAt;
        PauseMovie(again, 0);
        const int64_t shown = GetTheoraCurrentFrame(m->decoder);
        EXPECT_EQ(shown, int64_t(heard) * 10 / 44100) << "at " << heard;
        EXPECT_EQ(GetSoundPlayTime(m->soundHandle), int(int64_t(heard) * 1000 / 44100));
        Run(again, 4410);
        EXPECT_EQ(GetTheoraCurrentFrame(m->decoder), shown) << "paused";
        PlayMovie(again, 1, 0);
    }
    const std::vector<int16_t> rest = Run(again, 44100 * 4 / 5 - heard);
    cut.insert(cut.end(), rest.begin(), rest.end());
    EXPECT_EQ(GetTheoraCurrentFrame(m->decoder), 8);
    ASSERT_EQ(cut.size(), uninterrupted.size());
    EXPECT_EQ(cut, uninterrupted);
}

// When the sound track has played out, a movie that does not loop shows its last frame and stops; a
// looping one goes round with its sound.
TEST_F(MovieHandlesTest, MovieWithSoundEndsWithItsSound) {
    StartSound();
    for (int playType : {1, 3}) {
        SCOPED_TRACE(playType);
        const int handle = Open(Fixture("tiny_sound.ogv"));
        ASSERT_NE(handle, -1);
        MovieRecord* m = GetMovieData(handle);
        ASSERT_NE(m->soundHandle, -1);
        PlayMovie(handle, playType, 0);
        Run(handle, 44100 * 5 / 2);
        const int playTime = GetSoundPlayTime(m->soundHandle);
        if (playType == 1) {
            EXPECT_EQ(m->stopped, 1);
            EXPECT_EQ(m->wasPlaying, 0);
            EXPECT_EQ(GetTheoraCurrentFrame(m->decoder), kFixtureFrames - 1);
            EXPECT_EQ(QuerySoundPlaying(m->soundHandle), 0);
            Run(handle, 4410);
            EXPECT_EQ(GetTheoraCurrentFrame(m->decoder), kFixtureFrames - 1);
        } else {
            EXPECT_EQ(m->stopped, 0);
            EXPECT_EQ(QuerySoundPlaying(m->soundHandle), 1);
            EXPECT_GT(playTime, 0);
            EXPECT_LT(playTime, 1000);
            EXPECT_EQ(GetTheoraCurrentFrame(m->decoder), std::min(playTime / 100, kFixtureFrames - 1));
        }
        DeleteHandle(handle);
    }
}

// Files the Theora decoder refuses go to DirectShow, whose graph renders no file here: the open fails
// with the library's messages, leaves no handle behind, and the program goes on.
TEST_F(MovieHandlesTest, FilesOnlyWindowsDecodersCouldPlayFailCleanly) {
    const std::vector<uint8_t> movie = ReadMovieFixture("tiny.ogv");
    struct Case {
        std::string name;
        std::vector<uint8_t> bytes;
    };
    const std::vector<Case> cases = {
        {"clip.avi", {'R', 'I', 'F', 'F', 4, 0, 0, 0, 'A', 'V', 'I', ' '}},
        {"cut.ogv", std::vector<uint8_t>(movie.begin(), movie.begin() + 200)},
        {"empty.mpg", {}},
    };
    for (const Case& c : cases) {
        log_.clear();
        EXPECT_EQ(Open(Write(c.name, c.bytes)), -1) << c.name;
        EXPECT_TRUE(Logged("ムービーファイルオープン処理時にエラーが発生しました")) << Log();
        EXPECT_TRUE(Logged("BasicAudio インターフェースの取得に失敗しました")) << Log();
        EXPECT_EQ(handleTypes[kHandleTypeMovie].count, 0);
    }
    log_.clear();
    EXPECT_EQ(Open(folder_ + "/missing.avi"), -1);
    EXPECT_TRUE(Logged("ムービーファイルオープン処理時にエラーが発生しました"));

    SetComClassFailing(CLSID_FilterGraph, true);
    log_.clear();
    EXPECT_EQ(Open(Write("clip.avi", cases[0].bytes)), -1);
    EXPECT_TRUE(Logged("CLSID_FilterGraph の作成に失敗しました")) << Log();
    EXPECT_EQ(handleTypes[kHandleTypeMovie].count, 0);
}

TEST_F(MovieHandlesTest, InvalidateFlagsTheDecodersSurface) {
    const int handle = Open(Fixture("tiny.ogv"));
    ASSERT_NE(handle, -1);
    MovieRecord* m = GetMovieData(handle);
    EXPECT_EQ(m->decoder->surfaceInvalid.load(), 0);
    EXPECT_EQ(InvalidateMovieImage(handle), 0);
    EXPECT_EQ(m->decoder->surfaceInvalid.load(), 1);
}

}  // namespace
