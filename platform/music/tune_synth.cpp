#include "platform/music/tune_synth.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double kPi = 3.14159265358979323846;

enum Stage { kIdle = 0, kAttack, kDecay, kSustain, kRelease };

double NoteFrequency(int note) {
    return 440.0 * std::pow(2.0, (note - 69) / 12.0);
}

double MsToSamples(double ms, int rate) {
    return ms * rate / 1000.0;
}

}  // namespace

TuneSynth::TuneSynth(const TuneScore& score, int sampleRate)
    : score_(score), rate_(sampleRate), voices_(score.tracks.size()) {
    endSample_ = TickSample(score_.lengthTicks);
    loopSample_ = TickSample(score_.loopTick);
    Seek(0);
}

int64_t TuneSynth::TickSample(int64_t tick) const {
    const double samplesPerTick = rate_ * 60.0 / (score_.tempo * score_.ticksPerBeat);
    return static_cast<int64_t>(tick * samplesPerTick);
}

void TuneSynth::Seek(int64_t sample) {
    if (sample < 0) sample = 0;
    if (sample >= endSample_ && loop_)
        sample = loopSample_ + (sample - loopSample_) % (endSample_ - loopSample_);
    position_ = sample;
    finished_ = sample >= endSample_;
    for (size_t t = 0; t < voices_.size(); ++t) {
        Voice fresh;
        const std::vector<TuneEvent>& events = score_.tracks[t].events;
        while (fresh.nextEvent < events.size() && TickSample(events[fresh.nextEvent].startTick) < position_) {
            ++fresh.nextEvent;
        }
        voices_[t] = fresh;
    }
}

void TuneSynth::FadeIn(int64_t samples) {
    if (samples <= 0) {
        fadeGain_ = 1.0;
        fadeStep_ = 0.0;
        return;
    }
    fadeGain_ = 0.0;
    fadeStep_ = 1.0 / static_cast<double>(samples);
}

void TuneSynth::FadeOut(int64_t samples) {
    fadeStep_ = -fadeGain_ / static_cast<double>(std::max<int64_t>(samples, 1));
    if (fadeGain_ <= 0.0) finished_ = true;
}

// Events whose start has come: a note starts the attack, a rest the release.
void TuneSynth::StartEvents() {
    for (size_t t = 0; t < voices_.size(); ++t) {
        Voice& voice = voices_[t];
        const std::vector<TuneEvent>& events = score_.tracks[t].events;
        while (voice.nextEvent < events.size() &&
               TickSample(events[voice.nextEvent].startTick) <= position_) {
            const TuneEvent& event = events[voice.nextEvent++];
            if (event.note < 0) {
                if (voice.stage != kIdle) voice.stage = kRelease;
                voice.gate = false;
                continue;
            }
            voice.frequency = NoteFrequency(event.note);
            voice.gate = true;
            voice.gateEnd = TickSample(int64_t{event.startTick} + event.ticks);
            voice.stage = kAttack;
        }
        if (voice.gate && position_ >= voice.gateEnd) {
            voice.gate = false;
            voice.stage = kRelease;
        }
    }
}

double TuneSynth::NextEnvelope(Voice& voice, const TuneInstrument& instrument) {
    switch (voice.stage) {
        case kAttack: {
            const double samples = MsToSamples(instrument.attackMs, rate_);
            voice.level = samples < 1.0 ? 1.0 : voice.level + 1.0 / samples;
            if (voice.level >= 1.0) {
                voice.level = 1.0;
                voice.stage = kDecay;
            }
            break;
        }
        case kDecay: {
            const double samples = MsToSamples(instrument.decayMs, rate_);
            voice.level =
                samples < 1.0 ? instrument.sustain : voice.level - (1.0 - instrument.sustain) / samples;
            if (voice.level <= instrument.sustain) {
                voice.level = instrument.sustain;
                voice.stage = kSustain;
            }
            break;
        }
        case kRelease: {
            const double samples = MsToSamples(instrument.releaseMs, rate_);
            voice.level = samples < 1.0 ? 0.0 : voice.level - 1.0 / samples;
            if (voice.level <= 0.0) {
                voice.level = 0.0;
                voice.stage = kIdle;
            }
            break;
        }
        default:
            break;
    }
    return voice.level;
}

float TuneSynth::Oscillate(Voice& voice, TuneWave wave) {
    const double phase = voice.phase;
    voice.phase += voice.frequency / rate_;
    const bool wrapped = voice.phase >= 1.0;
    voice.phase -= std::floor(voice.phase);
    switch (wave) {
        case TuneWave::kSquare:
            return phase < 0.5 ? 1.0f : -1.0f;
        case TuneWave::kPulse:
            return phase < 0.25 ? 1.0f : -1.0f;
        case TuneWave::kTriangle:
            return static_cast<float>(1.0 - 4.0 * std::fabs(phase - 0.5));
        case TuneWave::kSaw:
            return static_cast<float>(2.0 * phase - 1.0);
        case TuneWave::kSine:
            return static_cast<float>(std::sin(2.0 * kPi * phase));
        case TuneWave::kNoise:
            if (wrapped) {
                voice.noise ^= voice.noise << 13;
                voice.noise ^= voice.noise >> 17;
                voice.noise ^= voice.noise << 5;
                voice.noiseValue = static_cast<float>(voice.noise) / 2147483648.0f - 1.0f;
            }
            return voice.noiseValue;
    }
    return 0.0f;
}

void TuneSynth::Render(float* out, int frames, int channels) {
    for (int i = 0; i < frames; ++i) {
        float left = 0.0f, right = 0.0f;
        if (!finished_) {
            StartEvents();
            for (size_t t = 0; t < voices_.size(); ++t) {
                Voice& voice = voices_[t];
                if (voice.stage == kIdle) continue;
                const TuneInstrument& instrument = score_.instruments[score_.tracks[t].instrument];
                const double level = NextEnvelope(voice, instrument) * instrument.volume;
                const float value = static_cast<float>(Oscillate(voice, instrument.wave) * level);
                left += value * static_cast<float>(instrument.pan > 0 ? 1.0 - instrument.pan : 1.0);
                right += value * static_cast<float>(instrument.pan < 0 ? 1.0 + instrument.pan : 1.0);
            }
            const double gain = volume_ * fadeGain_;
            left = static_cast<float>(std::clamp(left * gain, -1.0, 1.0));
            right = static_cast<float>(std::clamp(right * gain, -1.0, 1.0));
            fadeGain_ = std::clamp(fadeGain_ + fadeStep_, 0.0, 1.0);
            if (fadeStep_ < 0.0 && fadeGain_ <= 0.0) finished_ = true;
            if (fadeStep_ > 0.0 && fadeGain_ >= 1.0) fadeStep_ = 0.0;
            if (++position_ >= endSample_) {
                if (loop_) {
                    Seek(loopSample_);
                } else {
                    finished_ = true;
                }
            }
        }
        if (channels == 2) {
            out[2 * i] = left;
            out[2 * i + 1] = right;
        } else {
            out[i] = (left + right) * 0.5f;
        }
    }
}
