// The output choice, the WAV capture of the mixed sound on both clocks and the real-time null sink.
#include <time.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "dsound_fixture.h"
#include "platform/dsound/audio_output.h"
#include "platform/dsound/wave_capture.h"
#include "platform/kernel/clock.h"
#include "platform/kernel/kernel32.h"

namespace {

uint32_t Read32(const std::vector<uint8_t>& b, size_t at) {
    return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (uint32_t{b[at + 3]} << 24);
}
uint16_t Read16(const std::vector<uint8_t>& b, size_t at) {
    return static_cast<uint16_t>(b[at] | (b[at + 1] << 8));
}

std::vector<uint8_t> ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// <chrono> cannot be compiled for the Shift-JIS execution character set.
double SecondsNow() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return now.tv_sec + now.tv_nsec / 1e9;
}

std::string TempPath(const char* name) {
    return (std::filesystem::temp_directory_path() / (std::string("korvalund_") + name)).string();
}

TEST(AudioOutputChoice, ParsesTheEnvironmentTexts) {
    using Kind = AudioOutputChoice::Kind;
    struct Case {
        const char* text;
        bool ok;
        Kind kind;
        const char* path;
    } cases[] = {
        {"", true, Kind::Automatic, ""},
        {"sdl", true, Kind::Sdl, ""},
        {"null", true, Kind::Null, ""},
        {"capture:out.wav", true, Kind::Capture, "out.wav"},
        {"capture:/tmp/a b.wav", true, Kind::Capture, "/tmp/a b.wav"},
        {"manual", true, Kind::Manual, ""},
        {"manual:x.wav", true, Kind::Manual, "x.wav"},
        {"capture:", false, Kind::Automatic, ""},
        {"SDL", false, Kind::Automatic, ""},
        {"pulse", false, Kind::Automatic, ""},
    };
    for (const Case& c : cases) {
        AudioOutputChoice choice;
        EXPECT_EQ(ParseAudioOutputChoice(c.text, &choice), c.ok) << c.text;
        if (!c.ok) continue;
        EXPECT_EQ(choice.kind, c.kind) << c.text;
        EXPECT_EQ(choice.capturePath, c.path) << c.text;
    }
}

TEST(WaveCaptureHeader, IsTheFixedFortySixBytes) {
    uint8_t header[kCaptureHeaderSize];
    MakeCaptureWaveHeader(header, 1000);
    const uint8_t expected[kCaptureHeaderSize] = {
        'R',  'I',  'F',  'F',  0xC6, 0x0F, 0,   0,  // 4 x 1000 + 38
        'W',  'A',  'V',  'E',  'f',  'm',  't', ' ', 18,  0,   0,    0,    1, 0,
        2,    0,    0x44, 0xAC, 0,    0,  // 44100
        0x10, 0xB1, 0x02, 0,              // 176400
        4,    0,    16,   0,    0,    0,    'd', 'a', 't', 'a', 0xA0, 0x0F, 0, 0};
    EXPECT_EQ(std::memcmp(header, expected, sizeof header), 0);
}

class CaptureTest : public ManualDirectSound {
  protected:
    const char* OutputChoice() override {
        path_ = "manual:" + TempPath("capture_test.wav");
        return path_.c_str();
    }
    std::string path_;
};

TEST_F(CaptureTest, CaptureHoldsExactlyTheMixedFramesBehindItsHeader) {
    IDirectSoundBuffer* buffer = RampBuffer(3000);
    ASSERT_EQ(buffer->Play(0, 0, 0), DS_OK);
    std::vector<int16_t> mixed = Advance(2500);
    mixed.resize(0);
    Advance(1234);
    const std::string file = path_.substr(7);
    ds_->Release();  // closes the output and finishes its header
    ds_ = nullptr;
    std::vector<uint8_t> bytes = ReadFile(file);
    const uint32_t frames = 2500 + 1234;
    ASSERT_EQ(bytes.size(), 46u + 4 * frames);
    uint8_t header[kCaptureHeaderSize];
    MakeCaptureWaveHeader(header, frames);
    EXPECT_EQ(std::memcmp(bytes.data(), header, sizeof header), 0);
    EXPECT_EQ(Read32(bytes, 4), 4 * frames + 38);
    EXPECT_EQ(Read32(bytes, 42), 4 * frames);
    EXPECT_EQ(Read16(bytes, 22), 2);
    for (uint32_t i = 0; i < frames; ++i) {
        const int16_t left = static_cast<int16_t>(Read16(bytes, 46 + 4 * i));
        ASSERT_EQ(left, i < 3000 ? static_cast<int16_t>(i) : 0) << i;
    }
    std::remove(file.c_str());
}

TEST(WaveCaptureFile, OnePathIsWrittenByOneCaptureAtATime) {
    const std::string path = TempPath("capture_shared.wav");
    std::string error;
    auto first = WaveCapture::Open(path, &error);
    ASSERT_NE(first, nullptr) << error;
    EXPECT_EQ(WaveCapture::Open(path, &error), nullptr);
    EXPECT_NE(error.find("already captured"), std::string::npos) << error;
    const int16_t samples[4] = {1, 2, 3, 4};
    first->Append(samples, 2);
    first.reset();
    EXPECT_EQ(ReadFile(path).size(), 46u + 8u);  // the refused capture did not touch the file
    auto again = WaveCapture::Open(path, &error);
    EXPECT_NE(again, nullptr) << error;
    again.reset();
    std::remove(path.c_str());
}

TEST(NullOutput, PlaysByTheRealClock) {
    SetAudioOutputOverride("null");
    IDirectSound* ds = nullptr;
    ASSERT_EQ(DirectSoundCreate(nullptr, &ds, nullptr), DS_OK);
    ASSERT_EQ(ds->SetCooperativeLevel(nullptr, DSSCL_PRIORITY), DS_OK);
    WAVEFORMATEX format = PcmFormat(2, 44100, 16);
    DSBUFFERDESC desc{};
    desc.dwSize = sizeof desc;
    desc.dwBufferBytes = 44100 * 4;
    desc.lpwfxFormat = &format;
    IDirectSoundBuffer* buffer = nullptr;
    ASSERT_EQ(ds->CreateSoundBuffer(&desc, &buffer, nullptr), DS_OK);
    // The clock is read before Play: the position counts from inside the call, which may take a while.
    const double start = SecondsNow();
    ASSERT_EQ(buffer->Play(0, 0, DSBPLAY_LOOPING), DS_OK);
    const timespec wait = {0, 30 * 1000 * 1000};
    nanosleep(&wait, nullptr);
    DWORD play = 0;
    ASSERT_EQ(buffer->GetCurrentPosition(&play, nullptr), DS_OK);
    const double seconds = SecondsNow() - start;
    EXPECT_GE(play, 4u * 44100 * 25 / 1000);
    EXPECT_LE(play, 4u * static_cast<DWORD>(44100 * (seconds + 0.005)));
    buffer->Release();
    ds->Release();
    SetAudioOutputOverride(nullptr);
}

// On the virtual clock a capture holds every moment the clock moved through, however fast the moves
// come: six half-second sleeps in a row with no buffer call between them are three seconds of sound.
TEST(CaptureOutput, OnTheVirtualClockHoldsAllTheTimeTheClockMoved) {
    const std::string path = TempPath("capture_virtual.wav");
    const std::string choice = "capture:" + path;
    SetClockMode(ClockMode::kVirtual);
    SetAudioOutputOverride(choice.c_str());
    IDirectSound* ds = nullptr;
    ASSERT_EQ(DirectSoundCreate(nullptr, &ds, nullptr), DS_OK);
    for (int i = 0; i < 6; ++i) Sleep(500);
    ds->Release();
    SetAudioOutputOverride(nullptr);
    SetClockMode(ClockMode::kReal);
    EXPECT_EQ(ReadFile(path).size(), 46u + 4u * 44100 * 3);
    std::remove(path.c_str());
}

// The game's two sound devices meet the same unwritable capture file: one line says so, and both play
// to the null output.
TEST(CaptureOutput, AnUnwritableFileIsSaidInOneLineForEveryDevice) {
    const std::string choice = "capture:" + TempPath("no_such_folder/unwritable.wav");
    SetAudioOutputOverride(choice.c_str());
    testing::internal::CaptureStderr();
    IDirectSound* devices[2] = {};
    for (IDirectSound*& ds : devices) EXPECT_EQ(DirectSoundCreate(nullptr, &ds, nullptr), DS_OK);
    const std::string said = testing::internal::GetCapturedStderr();
    for (IDirectSound* ds : devices) {
        if (ds) ds->Release();
    }
    SetAudioOutputOverride(nullptr);
    EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
    EXPECT_NE(said.find("cannot write " + choice.substr(8)), std::string::npos) << said;
    EXPECT_NE(said.find("using the null output"), std::string::npos) << said;
}

TEST(NullOutput, UnknownChoiceFallsBackToTheNullSink) {
    SetAudioOutputOverride("speakers");
    IDirectSound* ds = nullptr;
    ASSERT_EQ(DirectSoundCreate(nullptr, &ds, nullptr), DS_OK);
    EXPECT_EQ(AdvanceManualAudioOutputs(1), 0);
    ds->Release();
    SetAudioOutputOverride(nullptr);
}

}  // namespace
