#include "platform/dsound/manual_audio.h"

#include <algorithm>
#include <mutex>

#include "platform/dsound/clocked_audio_output.h"

namespace {

std::mutex& RegistryMutex() {
    static std::mutex mutex;
    return mutex;
}

std::vector<ClockedAudioOutput*>& Registry() {
    static std::vector<ClockedAudioOutput*> outputs;
    return outputs;
}

}  // namespace

void RegisterManualAudioOutput(ClockedAudioOutput* output) {
    std::lock_guard<std::mutex> guard(RegistryMutex());
    Registry().push_back(output);
}

void UnregisterManualAudioOutput(ClockedAudioOutput* output) {
    std::lock_guard<std::mutex> guard(RegistryMutex());
    auto& outputs = Registry();
    outputs.erase(std::remove(outputs.begin(), outputs.end(), output), outputs.end());
}

int AdvanceManualAudioOutputs(uint32_t frames) {
    std::lock_guard<std::mutex> guard(RegistryMutex());
    for (ClockedAudioOutput* output : Registry()) output->Advance(frames);
    return static_cast<int>(Registry().size());
}

std::vector<int16_t> TakeManualAudioFrames() {
    std::lock_guard<std::mutex> guard(RegistryMutex());
    std::vector<int16_t> all;
    for (ClockedAudioOutput* output : Registry()) {
        std::vector<int16_t> frames = output->TakeFrames();
        all.insert(all.end(), frames.begin(), frames.end());
    }
    return all;
}
