#include "platform/dsound/wave_capture.h"

#include <cerrno>
#include <cstring>
#include <mutex>
#include <set>
#include <vector>

namespace {

// Paths being written by a capture of this process. Each DirectSound device mixes on its own, so a
// second device asking for the same file would interleave two streams in it: it is refused instead.
std::mutex openPathsLock;
std::set<std::string>& OpenPaths() {
    static std::set<std::string> paths;
    return paths;
}

void Put32(uint8_t* p, uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}
void Put16(uint8_t* p, uint16_t v) {
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
}

}  // namespace

void MakeCaptureWaveHeader(uint8_t (&header)[kCaptureHeaderSize], uint32_t frames) {
    std::memcpy(header + 0, "RIFF", 4);
    Put32(header + 4, 4 * frames + 38);
    std::memcpy(header + 8, "WAVE", 4);
    std::memcpy(header + 12, "fmt ", 4);
    Put32(header + 16, 18);
    Put16(header + 20, 1);
    Put16(header + 22, 2);
    Put32(header + 24, 44100);
    Put32(header + 28, 176400);
    Put16(header + 32, 4);
    Put16(header + 34, 16);
    Put16(header + 36, 0);
    std::memcpy(header + 38, "data", 4);
    Put32(header + 42, 4 * frames);
}

std::unique_ptr<WaveCapture> WaveCapture::Open(const std::string& path, std::string* error) {
    std::lock_guard<std::mutex> guard(openPathsLock);
    if (OpenPaths().count(path) != 0) {
        *error = path + " is already captured from another sound device";
        return nullptr;
    }
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) {
        *error = "cannot write " + path + ": " + std::strerror(errno);
        return nullptr;
    }
    OpenPaths().insert(path);
    std::unique_ptr<WaveCapture> capture(new WaveCapture(file, path));
    capture->WriteHeader();
    return capture;
}

WaveCapture::~WaveCapture() {
    WriteHeader();
    std::fclose(file_);
    std::lock_guard<std::mutex> guard(openPathsLock);
    OpenPaths().erase(path_);
}

void WaveCapture::Append(const int16_t* samples, uint32_t frames) {
    // A 32-bit RIFF size holds at most this many frames; the capture stops growing there.
    const uint32_t room = (0xFFFFFFFFu - 38) / 4 - frames_;
    if (frames > room) frames = room;
    std::vector<uint8_t> bytes(static_cast<size_t>(frames) * 4);
    for (size_t i = 0; i < static_cast<size_t>(frames) * 2; ++i)
        Put16(bytes.data() + 2 * i, static_cast<uint16_t>(samples[i]));
    std::fwrite(bytes.data(), 1, bytes.size(), file_);
    frames_ += frames;
    framesSinceHeader_ += frames;
    if (framesSinceHeader_ >= 44100) WriteHeader();
}

void WaveCapture::WriteHeader() {
    uint8_t header[kCaptureHeaderSize];
    MakeCaptureWaveHeader(header, frames_);
    std::fseek(file_, 0, SEEK_SET);
    std::fwrite(header, 1, sizeof header, file_);
    std::fseek(file_, 0, SEEK_END);
    std::fflush(file_);
    framesSinceHeader_ = 0;
}
