// Synthesis of a score: pitch and timing at every rate, envelopes, looping, fades and volume.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "platform/music/tune_synth.h"

namespace {

TuneScore Score(const std::string& text) {
    TuneScore score;
    std::string error;
    EXPECT_TRUE(ParseTuneScore(text, &score, &error)) << error;
    return score;
}

std::vector<float> Render(TuneSynth& synth, int frames, int channels = 1) {
    std::vector<float> out(static_cast<size_t>(frames) * channels, 99.0f);
    synth.Render(out.data(), frames, channels);
    return out;
}

double Rms(const std::vector<float>& samples, size_t from, size_t count) {
    double sum = 0.0;
    for (size_t i = from; i < from + count && i < samples.size(); ++i) sum += samples[i] * samples[i];
    return std::sqrt(sum / static_cast<double>(count));
}

int RisingCrossings(const std::vector<float>& samples, size_t from, size_t count) {
    int crossings = 0;
    for (size_t i = from + 1; i < from + count && i < samples.size(); ++i) {
        if (samples[i - 1] < 0.0f && samples[i] >= 0.0f) ++crossings;
    }
    return crossings;
}

// 120 beats a minute, 4 ticks a beat: a tick is 1/8 s. One A4 (440 Hz) of 4 ticks (0.5 s), then 4 ticks
// of rest.
const char* kBeep =
    "pttune 1\ntempo 120\nbeat 4\n"
    "instrument tone square attack=0 decay=0 sustain=1 release=0 volume=0.5\n"
    "track tone\nnotes a4:4 r:4\n";

TEST(TuneSynth, PitchAndTimingHoldAtEveryRate) {
    const TuneScore score = Score(kBeep);
    for (int rate : {11025, 22050, 44100}) {
        TuneSynth synth(score, rate);
        synth.SetLoop(false);
        const std::vector<float> out = Render(synth, rate);
        const size_t half = static_cast<size_t>(rate / 2);
        EXPECT_NEAR(RisingCrossings(out, 0, half), 220, 2) << rate;
        EXPECT_NEAR(Rms(out, 0, half), 0.5, 0.01) << rate;
        EXPECT_EQ(Rms(out, half + 1, half - 1), 0.0) << rate;
        EXPECT_EQ(synth.TickSample(4), static_cast<int64_t>(half)) << rate;
        EXPECT_TRUE(synth.Finished()) << rate;
    }
}

TEST(TuneSynth, WithoutLoopItEndsInSilence) {
    const TuneScore score = Score(kBeep);
    TuneSynth synth(score, 11025);
    synth.SetLoop(false);
    Render(synth, 11025);
    const std::vector<float> after = Render(synth, 5000);
    EXPECT_EQ(Rms(after, 0, after.size()), 0.0);
    EXPECT_EQ(synth.Position(), 11025);
}

TEST(TuneSynth, LoopingStartsAgainAtTheLoopTick) {
    const TuneScore score = Score(
        "pttune 1\ntempo 120\nbeat 4\nloop 2\n"
        "instrument tone square attack=0 decay=0 sustain=1 release=0\n"
        "track tone\nnotes r:2 a4:2 r:2\n");
    TuneSynth synth(score, 8000);  // a tick is 1000 samples
    const std::vector<float> out = Render(synth, 9000);
    // Ticks 0-1 silent, 2-3 sound, 4-5 silent, then from tick 2 again: 6000-7999 sound, 8000-8999 silent.
    EXPECT_EQ(Rms(out, 0, 2000), 0.0);
    EXPECT_GT(Rms(out, 2000, 2000), 0.2);
    EXPECT_EQ(Rms(out, 4010, 1990), 0.0);
    EXPECT_GT(Rms(out, 6000, 2000), 0.2);
    EXPECT_EQ(Rms(out, 8010, 990), 0.0);
    EXPECT_FALSE(synth.Finished());
    EXPECT_EQ(synth.Position(), 5000);
}

TEST(TuneSynth, EnvelopeRisesDecaysAndReleases) {
    const TuneScore score = Score(
        "pttune 1\ntempo 60\nbeat 1\n"
        "instrument tone square attack=100 decay=100 sustain=0.5 release=100 volume=1\n"
        "track tone\nnotes c6:1 r:1\n");
    TuneSynth synth(score, 10000);
    const std::vector<float> out = Render(synth, 20000);
    auto level = [&](int at) { return std::fabs(out[at]); };
    EXPECT_NEAR(level(500), 0.5, 0.01);     // halfway up the attack
    EXPECT_NEAR(level(1000), 1.0, 0.01);    // at the top
    EXPECT_NEAR(level(1500), 0.75, 0.01);   // halfway down the decay
    EXPECT_NEAR(level(5000), 0.5, 0.01);    // sustained
    EXPECT_NEAR(level(10250), 0.25, 0.01);  // released at 1 per 100 ms from the note's end
    EXPECT_EQ(level(11000), 0.0);
}

TEST(TuneSynth, FadeOutReachesSilenceOverItsLengthAndFinishes) {
    const TuneScore score = Score(kBeep);
    TuneSynth synth(score, 11025);
    synth.FadeOut(11025 / 4);
    const std::vector<float> out = Render(synth, 11025 / 2);
    EXPECT_GT(Rms(out, 0, 500), Rms(out, 1000, 500));
    EXPECT_GT(Rms(out, 1000, 500), Rms(out, 2000, 500));
    EXPECT_EQ(Rms(out, 11025 / 4 + 1, 2000), 0.0);
    EXPECT_TRUE(synth.Finished());
}

TEST(TuneSynth, FadeInAndVolumeScaleTheLevel) {
    const TuneScore score = Score(kBeep);
    TuneSynth synth(score, 8000);
    synth.SetVolume(0.5);
    synth.FadeIn(2000);
    const std::vector<float> out = Render(synth, 4000);
    EXPECT_LT(Rms(out, 0, 200), 0.05);
    EXPECT_NEAR(Rms(out, 2000, 2000), 0.25, 0.01);
}

TEST(TuneSynth, StereoPansAndMonoTakesTheMean) {
    const TuneScore score = Score(
        "pttune 1\ninstrument l square attack=0 decay=0 sustain=1 release=0 volume=0.5 pan=-1\n"
        "track l\nnotes a4:4\n");
    TuneSynth stereo(score, 8000);
    const std::vector<float> out = Render(stereo, 1000, 2);
    double left = 0, right = 0;
    for (int i = 0; i < 1000; ++i) {
        left += std::fabs(out[2 * i]);
        right += std::fabs(out[2 * i + 1]);
    }
    EXPECT_NEAR(left / 1000, 0.5, 0.01);
    EXPECT_EQ(right, 0.0);
    TuneSynth mono(score, 8000);
    EXPECT_NEAR(Rms(Render(mono, 1000, 1), 0, 1000), 0.25, 0.01);
}

TEST(TuneSynth, SeekStartsPartWayWithVoicesSilent) {
    const TuneScore score = Score(
        "pttune 1\ntempo 120\nbeat 4\ninstrument tone square attack=0 decay=0 sustain=1 release=0\n"
        "track tone\nnotes a4:2 r:2 a4:2\n");
    TuneSynth synth(score, 8000);
    synth.Seek(500);  // inside the first note: it does not sound
    const std::vector<float> out = Render(synth, 5000);
    EXPECT_EQ(Rms(out, 0, 3500), 0.0);
    EXPECT_GT(Rms(out, 3500, 1500), 0.2);
}

}  // namespace
