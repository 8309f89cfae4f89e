// A WAV file of the mixed output: 44100 Hz, 2 channels, 16 bits, behind a 46-byte header that is
// rewritten with the frame count as the capture grows and when it is closed.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <utility>

inline constexpr int kCaptureHeaderSize = 46;

// The header for `frames` frames: RIFF size 4 x frames + 38, an 18-byte fmt body, data size 4 x frames.
void MakeCaptureWaveHeader(uint8_t (&header)[kCaptureHeaderSize], uint32_t frames);

class WaveCapture {
  public:
    // Fails while another capture of this process writes the same path.
    static std::unique_ptr<WaveCapture> Open(const std::string& path, std::string* error);
    ~WaveCapture();
    void Append(const int16_t* samples, uint32_t frames);

  private:
    WaveCapture(std::FILE* file, std::string path) : file_(file), path_(std::move(path)) {}
    void WriteHeader();

    std::FILE* file_;
    std::string path_;
    uint32_t frames_ = 0;
    uint32_t framesSinceHeader_ = 0;
};
