// The SDL2 audio device: its callback pulls mixed frames at the device's pace.
#include <dlfcn.h>

#include "platform/dsound/audio_output.h"
#include "platform/dsound/sound_mixer.h"
#include "platform/host/sdl/sdl_library.h"

namespace {

using AlsaErrorHandler = void (*)(const char* file, int line, const char* function, int error,
                                  const char* format, ...);
using AlsaSetErrorHandler = int (*)(AlsaErrorHandler handler);

void IgnoreAlsaError(const char*, int, const char*, int, const char*, ...) {}

// While SDL looks for a device, the ALSA library writes its own errors to standard error (a machine
// without a sound card gets a screenful); the caller's one line says what matters. The handler is set in
// the library SDL loads itself (the same shared object), which stays loaded; null restores ALSA's own.
void SetAlsaErrorHandler(AlsaErrorHandler handler) {
    static const AlsaSetErrorHandler set = []() -> AlsaSetErrorHandler {
        void* alsa = dlopen("libasound.so.2", RTLD_NOW | RTLD_LOCAL);
        if (alsa == nullptr) return nullptr;
        return reinterpret_cast<AlsaSetErrorHandler>(dlsym(alsa, "snd_lib_error_set_handler"));
    }();
    if (set != nullptr) set(handler);
}

class SdlAudioOutput : public AudioOutput {
  public:
    explicit SdlAudioOutput(std::shared_ptr<SoundMixer> mixer) : mixer_(std::move(mixer)) {}
    ~SdlAudioOutput() override {
        if (device_ == 0) return;
        sdl::CloseAudioDevice(device_);
        sdl::QuitSubSystem(SDL_INIT_AUDIO);
    }
    const char* Description() const override { return "Korvalund SDL2 audio output"; }

    bool Open(std::string* error) {
        SetAlsaErrorHandler(&IgnoreAlsaError);
        const bool opened = OpenDevice(error);
        SetAlsaErrorHandler(nullptr);
        return opened;
    }

  private:
    bool OpenDevice(std::string* error) {
        if (!sdl::Load()) {
            *error = "SDL2 could not be loaded";
            return false;
        }
        if (sdl::InitSubSystem(SDL_INIT_AUDIO) != 0) {
            *error = sdl::GetError();
            return false;
        }
        SDL_AudioSpec want{};
        want.freq = SoundMixer::kOutputRate;
        want.format = AUDIO_S16SYS;
        want.channels = SoundMixer::kOutputChannels;
        want.samples = 1024;
        want.callback = &SdlAudioOutput::Pull;
        want.userdata = this;
        device_ = sdl::OpenAudioDevice(nullptr, 0, &want, nullptr, 0);
        if (device_ == 0) {
            *error = sdl::GetError();
            sdl::QuitSubSystem(SDL_INIT_AUDIO);
            return false;
        }
        sdl::PauseAudioDevice(device_, 0);
        return true;
    }

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
