#include "platform/dsound/sound_mixer.h"

#include <algorithm>
#include <cmath>

double AttenuationToGain(int32_t hundredthsOfDecibel) {
    if (hundredthsOfDecibel <= -10000) return 0.0;
    if (hundredthsOfDecibel >= 0) return 1.0;
    return std::pow(10.0, hundredthsOfDecibel / 2000.0);
}

void SoundMixer::AddVoice(MixerVoice* voice) {
    voices_.push_back(voice);
}

void SoundMixer::RemoveVoice(MixerVoice* voice) {
    voices_.erase(std::remove(voices_.begin(), voices_.end(), voice), voices_.end());
}

void SoundMixer::SetCatchUp(std::function<void()> catchUp) {
    std::lock_guard<std::mutex> guard(catchUpMutex_);
    catchUp_ = std::move(catchUp);
}

void SoundMixer::CatchUp() {
    std::lock_guard<std::mutex> guard(catchUpMutex_);
    if (catchUp_) catchUp_();
}

void SoundMixer::Mix(int16_t* out, uint32_t frames) {
    std::lock_guard<std::mutex> guard(mutex_);
    accumulator_.assign(static_cast<size_t>(frames) * kOutputChannels, 0);
    for (MixerVoice* voice : voices_)
        if (voice->playing) MixVoice(*voice, accumulator_.data(), frames);
    for (size_t i = 0; i < accumulator_.size(); ++i)
        out[i] = static_cast<int16_t>(std::clamp<int32_t>(accumulator_[i], -32768, 32767));
}

namespace {

// One channel of one frame as a signed 16-bit value (8-bit samples are unsigned around 128).
int32_t ReadSample(const uint8_t* frame, const WAVEFORMATEX& format, int channel) {
    if (format.wBitsPerSample == 8) return (static_cast<int32_t>(frame[channel]) - 128) * 256;
    const uint8_t* p = frame + channel * 2;
    return static_cast<int16_t>(static_cast<uint16_t>(p[0] | (p[1] << 8)));
}

double Interpolate(int32_t a, int32_t b, uint32_t fraction) {
    return a + (b - a) * (fraction / 4294967296.0);
}

}  // namespace

void SoundMixer::MixVoice(MixerVoice& voice, int32_t* accumulator, uint32_t frames) {
    if (voice.frames == 0 || !voice.data) {
        voice.playing = false;
        return;
    }
    const WAVEFORMATEX& format = voice.format;
    const uint8_t* bytes = voice.data->data();
    const double gain = AttenuationToGain(voice.volume);
    const double left = gain * (voice.pan > 0 ? AttenuationToGain(-voice.pan) : 1.0);
    const double right = gain * (voice.pan < 0 ? AttenuationToGain(voice.pan) : 1.0);
    const int rightChannel = format.nChannels > 1 ? 1 : 0;
    const uint64_t step = (static_cast<uint64_t>(voice.frequency) << 32) / kOutputRate;
    const uint64_t end = static_cast<uint64_t>(voice.frames) << 32;

    for (uint32_t i = 0; i < frames; ++i) {
        const uint32_t index = voice.PositionFrame();
        const uint32_t fraction = static_cast<uint32_t>(voice.position);
        uint32_t next = index + 1;
        if (next >= voice.frames) next = voice.looping ? 0 : index;
        const uint8_t* a = bytes + static_cast<size_t>(index) * format.nBlockAlign;
        const uint8_t* b = bytes + static_cast<size_t>(next) * format.nBlockAlign;
        const double l = Interpolate(ReadSample(a, format, 0), ReadSample(b, format, 0), fraction);
        const double r =
            Interpolate(ReadSample(a, format, rightChannel), ReadSample(b, format, rightChannel), fraction);
        accumulator[2 * i] += static_cast<int32_t>(std::lrint(l * left));
        accumulator[2 * i + 1] += static_cast<int32_t>(std::lrint(r * right));

        voice.position += step;
        if (voice.position < end) continue;
        if (!voice.looping) {
            voice.playing = false;
            voice.position = 0;
            return;
        }
        voice.position %= end;
    }
}
