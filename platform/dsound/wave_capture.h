// A WAV file of the mixed output: 44100 Hz, 2 channels, 16 bits, behind a 46-byte header that is
// rewritten with the frame count as the capture grows and when it is closed.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

inline constexpr int kCaptureHeaderSize = 46;

// The header for `frames` frames: RIFF size 4 x frames + 38, an 18-byte fmt body, data size 4 x frames.
void MakeCaptureWaveHeader(uint8_t (&header)[kCaptureHeaderSize], uint32_t frames);

class WaveCapture {
  public:
    static std::unique_ptr<WaveCapture> Open(const std::string& path, std::string* error);
    ~WaveCapture();
    void Append(const int16_t* samples, uint32_t frames);

  private:
    explicit WaveCapture(std::FILE* file) : file_(file) {}
    void WriteHeader();

    std::FILE* file_;
    uint32_t frames_ = 0;
    uint32_t framesSinceHeader_ = 0;
};
