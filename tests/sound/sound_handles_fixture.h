// The sound module on the manually clocked output, started fresh for each test, with the files a test
// writes and the log it made.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "engine/core/frame/library_state.h"
#include "engine/core/frame/system_functions.h"
#include "engine/core/frame/system_info.h"
#include "engine/core/memory/async_load.h"
#include "engine/core/memory/handle_manager.h"
#include "engine/core/memory/log.h"
#include "engine/sound/acm_functions.h"
#include "engine/sound/sound.h"
#include "engine/sound/sound_handles.h"
#include "engine/sound/sound_output_state.h"
#include "platform/com/class_registry.h"
#include "platform/dsound/audio_output_override.h"
#include "platform/dsound/dsound_test_hooks.h"
#include "platform/dsound/manual_audio.h"
#include "platform/kernel/debug_output.h"
#include "platform/kernel/kernel32.h"
#include "platform/kernel/module_registry.h"
#include "platform/kernel/path_mapping.h"
#include "tests/sound/sound_test_data.h"

// 16-bit stereo 44100 Hz PCM whose frame i holds (v, -v) with v = (first + i) % 30000.
inline std::vector<uint8_t> StereoRamp(uint32_t frames, uint32_t first = 0) {
    std::vector<uint8_t> out;
    out.reserve(frames * 4);
    for (uint32_t i = 0; i < frames; ++i) {
        const int32_t v = static_cast<int32_t>((first + i) % 30000);
        Append16(out, static_cast<uint16_t>(v));
        Append16(out, static_cast<uint16_t>(-v));
    }
    return out;
}

inline std::vector<uint8_t> WaveFile(const WAVEFORMATEX& format, const std::vector<uint8_t>& pcm) {
    return WaveBuilder().Fmt(format).Data(pcm).Build();
}

class SoundHandlesTest : public ::testing::Test {
  protected:
    void SetUp() override {
        char pattern[] = "/tmp/sound_handles_XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        folder_ = pattern;
        LoadSystemLibraries();
        SetAudioOutputOverride("manual");
        GetSystemInformation().processorCount = 1;
        libraryFlags.asyncLoad = 0;
        libraryState.run.quit = 0;
        SetDebugOutputCapture([this](const std::string& text) {
            std::lock_guard<std::mutex> guard(logLock_);
            log_ += text;
        });
        SetFileLogEnabled(1);
        SetLogFolder(("C:" + folder_).c_str());
        InitLogOutput();
    }
    void TearDown() override {
        EndSound();
        SetDebugOutputCapture(nullptr);
        SetLogFolder("");
        SetAudioOutputOverride(nullptr);
        SetComClassFailing(CLSID_DirectSound, false);
        SetDirectSoundCreateRefusal(nullptr);
        soundOutput.loadSettings = SoundLoadSettings{};
        libraryState.run.quit = 0;
        GetSystemInformation().processorCount = 0;
        EXPECT_EQ(GetLiveDirectSoundBufferCount(), 0);
        std::error_code ec;
        std::filesystem::remove_all(folder_, ec);
    }
    // Writes a file into the test folder and gives its Windows path.
    std::string Write(const std::string& name, const std::vector<uint8_t>& bytes) {
        std::ofstream(folder_ + "/" + name, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        return ToWindowsPath(folder_ + "/" + name);
    }
    std::string Log() {
        std::lock_guard<std::mutex> guard(logLock_);
        return log_;
    }
    SoundRecord* Record(int handle) { return GetSoundRecord(handle, 0); }
    // Mixes `frames` frames 10 ms at a time, calling `refill` between the steps (by default the refill
    // of the stream sounds, as the pump of a one-processor machine makes it); the mixed stereo samples.
    std::vector<int16_t> Play(uint32_t frames, int (*refill)() = UpdateAllStreamSounds) {
        TakeManualAudioFrames();
        for (uint32_t done = 0; done < frames; done += 441) {
            AdvanceManualAudioOutputs(std::min<uint32_t>(441, frames - done));
            refill();
        }
        return TakeManualAudioFrames();
    }

    std::string folder_;
    std::mutex logLock_;
    std::string log_;
};
