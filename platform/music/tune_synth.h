// Renders a score to samples: one voice per track (an oscillator under an attack-decay-sustain-release
// envelope), panned and summed, with the tune's volume, fades and looping applied.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/music/tune_score.h"

class TuneSynth {
  public:
    TuneSynth(const TuneScore& score, int sampleRate);

    // Moves to a sample position (samples at the synth's rate; beyond the end wraps when looping)
    // with every voice silent.
    void Seek(int64_t sample);
    void SetLoop(bool loop) { loop_ = loop; }
    void SetVolume(double volume) { volume_ = volume; }
    // The gain goes from 0 to 1 over the given samples from now.
    void FadeIn(int64_t samples);
    // The gain goes from its present value to 0 over the given samples; the synth then finishes.
    void FadeOut(int64_t samples);

    // Writes frames of interleaved samples in [-1, 1] (1 or 2 channels); after the end (no loop) or a
    // finished fade-out, silence.
    void Render(float* out, int frames, int channels);
    bool Finished() const { return finished_; }
    int64_t Position() const { return position_; }
    // Sample at which a tick starts.
    int64_t TickSample(int64_t tick) const;

  private:
    struct Voice {
        size_t nextEvent = 0;
        int64_t gateEnd = 0;  // sample where the playing note's release starts
        bool gate = false;
        double phase = 0.0;
        double frequency = 0.0;
        double level = 0.0;  // envelope
        int stage = 0;       // 0 idle, 1 attack, 2 decay, 3 sustain, 4 release
        uint32_t noise = 1;
        float noiseValue = 0.0f;
    };

    void StartEvents();
    double NextEnvelope(Voice& voice, const TuneInstrument& instrument);
    float Oscillate(Voice& voice, TuneWave wave);

    const TuneScore& score_;
    int rate_;
    int64_t endSample_;
    int64_t loopSample_;
    int64_t position_ = 0;
    bool loop_ = true;
    bool finished_ = false;
    double volume_ = 1.0;
    double fadeGain_ = 1.0;
    double fadeStep_ = 0.0;  // per sample; negative while fading out
    std::vector<Voice> voices_;
};
