// The music player's calls through the DirectSound stand-in: a tune is heard in the WAV capture of the
// mixed output, loops, stops, fades to silence over three seconds, and calls without a tune are safe.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/dsound/audio_output_override.h"
#include "platform/dsound/dsound_test_hooks.h"
#include "platform/dsound/manual_audio.h"
#include "platform/music/music_test_hooks.h"
#include "platform/music/pxtone.h"

namespace {

constexpr int kOutputRate = 44100;

// 150 beats a minute, 4 ticks a beat: a tick is 0.1 s. Two A4 notes of 0.2 s with 0.1 s rests: 0.6 s.
const char* kTune =
    "pttune 1\ntempo 150\nbeat 4\n"
    "instrument tone square attack=0 decay=0 sustain=1 release=0 volume=0.5\n"
    "track tone\nnotes a4:2 r:1 a4:2 r:1\n";

class PxtoneTest : public ::testing::Test {
  protected:
    void SetUp() override {
        dir_ = std::filesystem::temp_directory_path() / ("korvalund_pxtone_" + std::to_string(::getpid()));
        std::filesystem::create_directories(dir_);
        tune_ = (dir_ / "tune.pttune").string();
        std::ofstream(tune_) << kTune;
        capture_ = (dir_ / "capture.wav").string();
        SetMusicRefillThreadEnabled(false);
        SetAudioOutputOverride(("manual:" + capture_).c_str());
    }
    void TearDown() override {
        pxtone_Release();
        SetAudioOutputOverride(nullptr);
        SetMusicRefillThreadEnabled(true);
        EXPECT_EQ(GetLiveDirectSoundBufferCount(), 0);
        std::filesystem::remove_all(dir_);
    }

    void Ready(int rate) {
        ASSERT_TRUE(pxtone_Ready(nullptr, 1, rate, 16, 0.1f, TRUE, nullptr));
        pxtone_Tune_SetVolume(1.0f);
    }
    void LoadAndStart(bool loop) {
        pxtone_Tune_SetLoop(loop ? TRUE : FALSE);
        ASSERT_TRUE(pxtone_Tune_Load(nullptr, nullptr, tune_.c_str()));
        ASSERT_TRUE(pxtone_Tune_Start(0, 0));
    }
    // Plays the output on by the given milliseconds, refilling the stream every 10 ms as the player's
    // thread would; the left channel of what was mixed.
    static std::vector<float> Play(int milliseconds) {
        std::vector<float> left;
        const int step = kOutputRate / 100;
        for (int done = 0; done < milliseconds; done += 10) {
            AdvanceManualAudioOutputs(step);
            RefillMusicNow();
        }
        const std::vector<int16_t> frames = TakeManualAudioFrames();
        for (size_t i = 0; i < frames.size(); i += 2) left.push_back(frames[i] / 32768.0f);
        return left;
    }
    static double Rms(const std::vector<float>& samples, double fromSeconds, double seconds) {
        const size_t from = static_cast<size_t>(fromSeconds * kOutputRate);
        const size_t count = static_cast<size_t>(seconds * kOutputRate);
        double sum = 0.0;
        for (size_t i = from; i < from + count && i < samples.size(); ++i) sum += samples[i] * samples[i];
        return std::sqrt(sum / static_cast<double>(count));
    }
    static int RisingCrossings(const std::vector<float>& samples, double fromSeconds, double seconds) {
        const size_t from = static_cast<size_t>(fromSeconds * kOutputRate);
        const size_t to = from + static_cast<size_t>(seconds * kOutputRate);
        int crossings = 0;
        for (size_t i = from + 1; i < to && i < samples.size(); ++i) {
            if (samples[i - 1] < 0.0f && samples[i] >= 0.0f) ++crossings;
        }
        return crossings;
    }
    // The left channel of the capture file, once the player has closed its output.
    std::vector<float> CaptureLeft() {
        std::ifstream in(capture_, std::ios::binary);
        const std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(in),
                                         std::istreambuf_iterator<char>()};
        std::vector<float> left;
        for (size_t at = 46; at + 4 <= bytes.size(); at += 4) {
            left.push_back(static_cast<int16_t>(bytes[at] | bytes[at + 1] << 8) / 32768.0f);
        }
        return left;
    }

    std::filesystem::path dir_;
    std::string tune_;
    std::string capture_;
};

TEST_F(PxtoneTest, ATuneIsHeardInTheCaptureAtEveryRate) {
    for (int rate : {11025, 22050, 44100}) {
        Ready(rate);
        LoadAndStart(false);
        const std::vector<float> heard = Play(800);
        EXPECT_GT(Rms(heard, 0.01, 0.18), 0.3) << rate;                // first note
        EXPECT_LT(Rms(heard, 0.22, 0.06), 0.01) << rate;               // rest
        EXPECT_GT(Rms(heard, 0.31, 0.18), 0.3) << rate;                // second note
        EXPECT_NEAR(RisingCrossings(heard, 0.0, 0.2), 88, 3) << rate;  // 440 Hz
        EXPECT_LT(Rms(heard, 0.62, 0.15), 0.01) << rate;               // the tune ended
        pxtone_Release();
        const std::vector<float> captured = CaptureLeft();
        ASSERT_GE(captured.size(), heard.size()) << rate;
        EXPECT_GT(Rms(captured, 0.01, 0.18), 0.3) << rate;
        EXPECT_NEAR(RisingCrossings(captured, 0.31, 0.18), 79, 3) << rate;
    }
}

TEST_F(PxtoneTest, LoopingTunePlaysOnAndAnEndedOneStops) {
    Ready(22050);
    LoadAndStart(true);
    const std::vector<float> looped = Play(2000);
    for (double at : {0.0, 0.6, 1.2, 1.8}) EXPECT_GT(Rms(looped, at + 0.01, 0.18), 0.3) << at;
    EXPECT_TRUE(IsMusicPlaying());
    ASSERT_TRUE(pxtone_Tune_Start(0, 0));
    pxtone_Tune_SetLoop(FALSE);
    Play(1000);
    EXPECT_FALSE(IsMusicPlaying());
}

TEST_F(PxtoneTest, StopSilencesAtOnceAndStartPlaysAgain) {
    Ready(44100);
    LoadAndStart(true);
    Play(100);
    pxtone_Tune_Stop();
    EXPECT_FALSE(IsMusicPlaying());
    EXPECT_EQ(Rms(Play(300), 0.0, 0.3), 0.0);
    ASSERT_TRUE(pxtone_Tune_Start(0, 0));
    EXPECT_GT(Rms(Play(200), 0.01, 0.18), 0.3);
}

TEST_F(PxtoneTest, FadeOutReachesSilenceOverThreeSeconds) {
    Ready(22050);
    LoadAndStart(true);
    Play(600);
    ASSERT_TRUE(pxtone_Tune_Fadeout(3000));
    const std::vector<float> fading = Play(4000);
    // Each window is one full loop of the tune (0.6 s), so the level falls with the fade alone.
    double previous = 1.0;
    for (double at : {0.0, 0.6, 1.2, 1.8, 2.4}) {
        const double level = Rms(fading, at, 0.6);
        EXPECT_LT(level, previous) << at;
        EXPECT_GT(level, 0.0) << at;
        previous = level;
    }
    EXPECT_NEAR(Rms(fading, 0.7, 0.1) / Rms(fading, 0.1, 0.1), 0.8, 0.1);  // linear over 3 s: -0.2 per 0.6 s
    EXPECT_EQ(Rms(fading, 3.15, 0.85), 0.0);
    EXPECT_FALSE(IsMusicPlaying());
    ASSERT_TRUE(pxtone_Tune_Start(0, 0));  // still loaded
    EXPECT_GT(Rms(Play(200), 0.01, 0.18), 0.3);
}

TEST_F(PxtoneTest, VolumeScalesTheTune) {
    Ready(44100);
    LoadAndStart(true);
    const double full = Rms(Play(200), 0.01, 0.18);
    pxtone_Tune_Stop();
    EXPECT_EQ(pxtone_Tune_SetVolume(0.6f), 1.0f);
    ASSERT_TRUE(pxtone_Tune_Start(0, 0));
    EXPECT_NEAR(Rms(Play(200), 0.01, 0.18) / full, 0.6, 0.02);
}

TEST_F(PxtoneTest, CallsWithoutATuneDoNoHarm) {
    EXPECT_EQ(pxtone_Tune_Stop(), 0);  // nothing readied yet
    EXPECT_TRUE(pxtone_Tune_Release());
    EXPECT_FALSE(pxtone_Tune_Start(0, 0));
    EXPECT_FALSE(pxtone_Tune_Fadeout(3000));
    Ready(44100);
    EXPECT_FALSE(pxtone_Tune_Start(0, 0));
    EXPECT_FALSE(pxtone_Tune_Fadeout(3000));
    EXPECT_EQ(pxtone_Tune_Stop(), 0);
    EXPECT_TRUE(pxtone_Tune_Release());
    EXPECT_FALSE(pxtone_Tune_Load(nullptr, nullptr, (dir_ / "missing.pttune").c_str()));
    std::ofstream(dir_ / "broken.pttune") << "pttune 1\ntempo fast\n";
    EXPECT_FALSE(pxtone_Tune_Load(nullptr, nullptr, (dir_ / "broken.pttune").c_str()));
    EXPECT_FALSE(pxtone_Tune_Load(reinterpret_cast<HMODULE>(1), "PTTUNE", "x"));
    EXPECT_FALSE(pxtone_Tune_Start(0, 0));
    EXPECT_EQ(Rms(Play(100), 0.0, 0.1), 0.0);
}

TEST_F(PxtoneTest, ReleaseAfterStopFreesTheTune) {
    Ready(44100);
    LoadAndStart(true);
    Play(50);
    pxtone_Tune_Stop();
    EXPECT_TRUE(pxtone_Tune_Release());
    EXPECT_FALSE(pxtone_Tune_Start(0, 0));
    EXPECT_TRUE(pxtone_Release());
    EXPECT_EQ(GetLiveDirectSoundBufferCount(), 0);
    EXPECT_FALSE(pxtone_Tune_Start(0, 0));
}

TEST_F(PxtoneTest, ResetOpensAtTheNewRateAndKeepsTheTune) {
    Ready(11025);
    LoadAndStart(true);
    Play(100);
    ASSERT_TRUE(pxtone_Reset(nullptr, 1, 44100, 16, 0.1f, TRUE, nullptr));
    EXPECT_FALSE(IsMusicPlaying());
    ASSERT_TRUE(pxtone_Tune_Start(0, 0));
    const std::vector<float> heard = Play(200);
    EXPECT_NEAR(RisingCrossings(heard, 0.0, 0.2), 88, 3);
}

TEST_F(PxtoneTest, UnplayableFormatsAreRefused) {
    EXPECT_FALSE(pxtone_Ready(nullptr, 3, 44100, 16, 0.1f, TRUE, nullptr));
    EXPECT_FALSE(pxtone_Ready(nullptr, 1, 44100, 24, 0.1f, TRUE, nullptr));
    EXPECT_FALSE(pxtone_Ready(nullptr, 1, 1000, 16, 0.1f, TRUE, nullptr));
    EXPECT_FALSE(pxtone_Ready(nullptr, 1, 44100, 16, NAN, TRUE, nullptr));
    EXPECT_TRUE(pxtone_Ready(nullptr, 2, 22050, 8, 0.0f, TRUE, nullptr));  // the buffer grows to 20 ms
    pxtone_Tune_SetVolume(1.0f);
    LoadAndStart(true);
    EXPECT_GT(Rms(Play(200), 0.01, 0.18), 0.3);
}

// The player's own thread keeps the stream filled: without it the 0.1 s buffer would repeat the first
// note for ever instead of reaching the rest after the tune's end.
TEST_F(PxtoneTest, TheRefillThreadKeepsTheStreamGoing) {
    SetMusicRefillThreadEnabled(true);
    Ready(44100);
    LoadAndStart(false);
    for (int i = 0; i < 40; ++i) {
        AdvanceManualAudioOutputs(kOutputRate / 50);
        ::usleep(30000);
    }
    std::vector<float> heard;
    const std::vector<int16_t> frames = TakeManualAudioFrames();
    for (size_t i = 0; i < frames.size(); i += 2) heard.push_back(frames[i] / 32768.0f);
    EXPECT_GT(Rms(heard, 0.31, 0.18), 0.3);
    EXPECT_LT(Rms(heard, 0.62, 0.15), 0.01);
}

}  // namespace
