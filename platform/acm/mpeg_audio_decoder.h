// MPEG audio (layers 1 to 3) to 16-bit PCM through mpg123, fed with compressed bytes as they come.
// Every frame is decoded, the encoder's info frame too (as the silent frame it is), and nothing is cut
// for encoder delay or padding: the output has the frames' full sample count. The codec behind the
// compression manager and the graph's MPEG audio decoder.
#pragma once

#include <cstddef>
#include <cstdint>

struct mpg123_handle_struct;

class MpegAudioDecoder {
  public:
    MpegAudioDecoder() = default;
    ~MpegAudioDecoder();
    MpegAudioDecoder(const MpegAudioDecoder&) = delete;
    MpegAudioDecoder& operator=(const MpegAudioDecoder&) = delete;

    // Opens a decoder. With a rate and channel count the output is fixed to them (mpg123 converts
    // frames of another format where it can); with 0, 0 the stream's first frame sets them.
    bool Open(long rate, int channels);
    void Close();
    bool IsOpen() const { return handle_ != nullptr; }

    // Hands compressed bytes over; false when the decoder refuses them.
    bool Feed(const uint8_t* data, size_t size);
    // Decodes into `out` as far as the fed bytes go; the bytes written (whole sample frames). Decoded
    // samples that do not fit stay for the next call. `failed` is set on a decoder error.
    size_t Read(uint8_t* out, size_t size, bool* failed = nullptr);
    // The output format, once the first frame is decoded (false before).
    bool Format(long* rate, int* channels) const;

  private:
    mpg123_handle_struct* handle_ = nullptr;
    long rate_ = 0;
    int channels_ = 0;
};
