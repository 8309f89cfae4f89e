// Any text as a ".pttune" score: parsed within the format's limits or refused with a message, and a
// parsed score renders a short stretch of samples within [-1, 1].
#include <cmath>
#include <cstdint>
#include <string>

#include "platform/music/tune_score.h"
#include "platform/music/tune_synth.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > kTuneFileLimit) return 0;
    const std::string text(reinterpret_cast<const char*>(data), size);
    TuneScore score;
    std::string error;
    if (!ParseTuneScore(text, &score, &error)) {
        if (error.empty()) __builtin_trap();
        return 0;
    }
    if (score.instruments.size() > kTuneInstrumentLimit || score.tracks.size() > kTuneTrackLimit)
        __builtin_trap();
    TuneSynth synth(score, 8000);
    synth.SetLoop(true);
    float samples[2 * 256];
    for (int block = 0; block < 4; ++block) {
        synth.Render(samples, 256, 2);
        for (float s : samples)
            if (!(std::fabs(s) <= 1.0f)) __builtin_trap();
    }
    return 0;
}
