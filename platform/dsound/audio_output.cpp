#include "platform/dsound/audio_output.h"

#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <set>
#include <string>

#include "platform/dsound/audio_output_override.h"
#include "platform/dsound/clocked_audio_output.h"
#include "platform/dsound/sound_mixer.h"

namespace {

std::mutex& OverrideMutex() {
    static std::mutex mutex;
    return mutex;
}

std::string& OverrideText() {
    static std::string text;
    return text;
}

bool& OverrideSet() {
    static bool set = false;
    return set;
}

std::string ChoiceText() {
    {
        std::lock_guard<std::mutex> guard(OverrideMutex());
        if (OverrideSet()) return OverrideText();
    }
    const char* env = std::getenv("KORVALUND_AUDIO");
    return env ? env : "";
}

bool HostIsHeadless() {
    const char* host = std::getenv("KORVALUND_HOST");
    return host && std::string(host) == "headless";
}

// Every sound device of the process (the game has two) meets the same choice, the same missing device
// and the same unwritable capture file: each such line is written to standard error once.
void SayOnce(const std::string& line) {
    static std::mutex mutex;
    static std::set<std::string> said;
    std::lock_guard<std::mutex> guard(mutex);
    if (said.insert(line).second) std::fprintf(stderr, "%s\n", line.c_str());
}

std::unique_ptr<AudioOutput> NullOutput(const std::shared_ptr<SoundMixer>& mixer) {
    return std::make_unique<ClockedAudioOutput>(mixer, ClockedAudioOutput::Clock::Real, nullptr);
}

}  // namespace

void SetAudioOutputOverride(const char* text) {
    std::lock_guard<std::mutex> guard(OverrideMutex());
    OverrideSet() = text != nullptr;
    OverrideText() = text ? text : "";
}

bool ParseAudioOutputChoice(const std::string& text, AudioOutputChoice* choice) {
    *choice = AudioOutputChoice{};
    using Kind = AudioOutputChoice::Kind;
    if (text.empty()) return true;
    if (text == "sdl") {
        choice->kind = Kind::Sdl;
        return true;
    }
    if (text == "null") {
        choice->kind = Kind::Null;
        return true;
    }
    if (text == "manual") {
        choice->kind = Kind::Manual;
        return true;
    }
    const std::string capture = "capture:";
    const std::string manual = "manual:";
    if (text.size() > capture.size() && text.compare(0, capture.size(), capture) == 0) {
        choice->kind = Kind::Capture;
        choice->capturePath = text.substr(capture.size());
        return true;
    }
    if (text.size() > manual.size() && text.compare(0, manual.size(), manual) == 0) {
        choice->kind = Kind::Manual;
        choice->capturePath = text.substr(manual.size());
        return true;
    }
    return false;
}

std::unique_ptr<AudioOutput> OpenAudioOutput(const std::shared_ptr<SoundMixer>& mixer) {
    using Kind = AudioOutputChoice::Kind;
    const std::string text = ChoiceText();
    AudioOutputChoice choice;
    if (!ParseAudioOutputChoice(text, &choice)) {
        SayOnce("korvalund: KORVALUND_AUDIO=" + text +
                " is not sdl, null or capture:<file.wav>; using the null output");
        return NullOutput(mixer);
    }
    if (choice.kind == Kind::Automatic) choice.kind = HostIsHeadless() ? Kind::Null : Kind::Sdl;

    std::string error;
    std::unique_ptr<WaveCapture> capture;
    if (!choice.capturePath.empty()) {
        capture = WaveCapture::Open(choice.capturePath, &error);
        if (!capture) {
            SayOnce("korvalund: audio capture: " + error + "; using the null output");
            return NullOutput(mixer);
        }
    }
    switch (choice.kind) {
        case Kind::Sdl: {
            auto output = OpenSdlAudioOutput(mixer, &error);
            if (output) return output;
            SayOnce("korvalund: no sound device could be opened (" + error + "); using the null output");
            return NullOutput(mixer);
        }
        case Kind::Capture:
            return std::make_unique<ClockedAudioOutput>(mixer, ClockedAudioOutput::Clock::Real,
                                                        std::move(capture));
        case Kind::Manual:
            return std::make_unique<ClockedAudioOutput>(mixer, ClockedAudioOutput::Clock::Manual,
                                                        std::move(capture));
        default:
            return NullOutput(mixer);
    }
}
