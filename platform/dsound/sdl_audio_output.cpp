// The SDL2 audio device: its callback pulls mixed frames at the device's pace.
#include <SDL.h>

#include "platform/dsound/audio_output.h"
#include "platform/dsound/sound_mixer.h"

namespace {

class SdlAudioOutput : public AudioOutput {
  public:
    explicit SdlAudioOutput(std::shared_ptr<SoundMixer> mixer) : mixer_(std::move(mixer)) {}
    ~SdlAudioOutput() override {
        if (device_ == 0) return;
        SDL_CloseAudioDevice(device_);
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
    }
    const char* Description() const override { return "Korvalund SDL2 audio output"; }

    bool Open(std::string* error) {
        if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
            *error = SDL_GetError();
            return false;
        }
        SDL_AudioSpec want{};
        want.freq = SoundMixer::kOutputRate;
        want.format = AUDIO_S16SYS;
        want.channels = SoundMixer::kOutputChannels;
        want.samples = 1024;
        want.callback = &SdlAudioOutput::Pull;
        want.userdata = this;
        device_ = SDL_OpenAudioDevice(nullptr, 0, &want, nullptr, 0);
        if (device_ == 0) {
            *error = SDL_GetError();
            SDL_QuitSubSystem(SDL_INIT_AUDIO);
            return false;
        }
        SDL_PauseAudioDevice(device_, 0);
        return true;
    }

  private:
    static void Pull(void* self, Uint8* stream, int bytes) {
        auto* output = static_cast<SdlAudioOutput*>(self);
        output->mixer_->Mix(reinterpret_cast<int16_t*>(stream), static_cast<uint32_t>(bytes) / 4);
    }

    std::shared_ptr<SoundMixer> mixer_;
    SDL_AudioDeviceID device_ = 0;
};

}  // namespace

std::unique_ptr<AudioOutput> OpenSdlAudioOutput(const std::shared_ptr<SoundMixer>& mixer,
                                                std::string* error) {
    auto output = std::make_unique<SdlAudioOutput>(mixer);
    if (!output->Open(error)) return nullptr;
    return output;
}
