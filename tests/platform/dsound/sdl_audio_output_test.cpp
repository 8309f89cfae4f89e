// The SDL2 audio output on SDL's dummy driver: SDL2 is loaded on the output's first open, and the device's
// callback pulls frames from the mixer, moving a playing voice on.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <memory>
#include <string>

#include "platform/dsound/audio_output.h"
#include "platform/dsound/sound_mixer.h"
#include "tests/wait_until.h"

namespace {

TEST(SdlAudioOutput, OpensOnTheDummyDriverAndPullsFromTheMixer) {
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    auto mixer = std::make_shared<SoundMixer>();
    MixerVoice voice;
    voice.data = std::make_shared<std::vector<uint8_t>>(4 * 4410, uint8_t(0));
    voice.format = WAVEFORMATEX{WAVE_FORMAT_PCM, 2, 44100, 44100 * 4, 4, 16, 0};
    voice.frames = 4410;
    voice.frequency = 44100;
    voice.playing = voice.looping = true;
    {
        std::lock_guard lock(mixer->Mutex());
        mixer->AddVoice(&voice);
    }
    std::string error;
    std::unique_ptr<AudioOutput> output = OpenSdlAudioOutput(mixer, &error);
    ASSERT_NE(output, nullptr) << error;
    EXPECT_TRUE(WaitUntil(
        [&] {
            std::lock_guard lock(mixer->Mutex());
            return voice.position > 0;
        },
        [] { usleep(1000); }));
    output.reset();
    std::lock_guard lock(mixer->Mutex());
    mixer->RemoveVoice(&voice);
    unsetenv("SDL_AUDIODRIVER");
}

}  // namespace
