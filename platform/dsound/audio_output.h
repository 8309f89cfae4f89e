// Where the mixed sound goes: the SDL2 audio device, a real-time null sink, a WAV capture file, or a
// sink whose clock only tests move. Chosen by KORVALUND_AUDIO=sdl|null|capture:<file.wav>.
#pragma once

#include <memory>
#include <string>

class SoundMixer;

class AudioOutput {
  public:
    virtual ~AudioOutput() = default;
    // One line naming the output, given as the device description by DirectSoundEnumerateA.
    virtual const char* Description() const = 0;
};

struct AudioOutputChoice {
    enum class Kind { Automatic, Sdl, Null, Capture, Manual };
    Kind kind = Kind::Automatic;
    std::string capturePath;  // Capture always; Manual optionally
};

// "sdl", "null", "capture:<file>", and for tests "manual" and "manual:<file>"; an empty text is
// Automatic (SDL unless the host is headless). False for anything else.
bool ParseAudioOutputChoice(const std::string& text, AudioOutputChoice* choice);

// Opens the chosen output and starts it pulling from the mixer. Never fails: an SDL device that
// cannot be opened, or a capture file that cannot be written, gives the null sink (said on stderr).
std::unique_ptr<AudioOutput> OpenAudioOutput(const std::shared_ptr<SoundMixer>& mixer);

std::unique_ptr<AudioOutput> OpenSdlAudioOutput(const std::shared_ptr<SoundMixer>& mixer, std::string* error);
