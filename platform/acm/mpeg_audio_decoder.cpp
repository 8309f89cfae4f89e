#include "platform/acm/mpeg_audio_decoder.h"

#include <mpg123.h>

#include <mutex>

namespace {

void InitMpg123Once() {
    static std::once_flag once;
    std::call_once(once, [] { mpg123_init(); });
}

}  // namespace

MpegAudioDecoder::~MpegAudioDecoder() {
    Close();
}

bool MpegAudioDecoder::Open(long rate, int channels) {
    Close();
    InitMpg123Once();
    int error = MPG123_OK;
    mpg123_handle* handle = mpg123_new(nullptr, &error);
    if (!handle) return false;
    bool ok =
        mpg123_param(handle, MPG123_ADD_FLAGS, MPG123_QUIET | MPG123_IGNORE_INFOFRAME, 0) == MPG123_OK &&
        mpg123_param(handle, MPG123_REMOVE_FLAGS, MPG123_GAPLESS, 0) == MPG123_OK &&
        mpg123_format_none(handle) == MPG123_OK;
    if (ok && rate > 0) {
        ok = mpg123_format(handle, rate, channels == 1 ? MPG123_MONO : MPG123_STEREO, MPG123_ENC_SIGNED_16) ==
             MPG123_OK;
    } else if (ok) {
        const long* rates = nullptr;
        size_t count = 0;
        mpg123_rates(&rates, &count);
        for (size_t i = 0; ok && i < count; ++i)
            ok = mpg123_format(handle, rates[i], MPG123_MONO | MPG123_STEREO, MPG123_ENC_SIGNED_16) ==
                 MPG123_OK;
    }
    if (!ok || mpg123_open_feed(handle) != MPG123_OK) {
        mpg123_delete(handle);
        return false;
    }
    handle_ = handle;
    rate_ = rate > 0 ? rate : 0;
    channels_ = rate > 0 ? (channels == 1 ? 1 : 2) : 0;
    return true;
}

void MpegAudioDecoder::Close() {
    if (handle_) mpg123_delete(handle_);
    handle_ = nullptr;
}

bool MpegAudioDecoder::Feed(const uint8_t* data, size_t size) {
    if (!handle_) return false;
    if (size == 0) return true;
    return mpg123_feed(handle_, data, size) == MPG123_OK;
}

size_t MpegAudioDecoder::Read(uint8_t* out, size_t size, bool* failed) {
    if (failed) *failed = false;
    if (!handle_) {
        if (failed) *failed = true;
        return 0;
    }
    size_t written = 0;
    while (written < size) {
        const size_t frameBytes = channels_ > 0 ? size_t(channels_) * 2 : 4;
        const size_t room = (size - written) / frameBytes * frameBytes;
        if (room == 0) break;
        size_t done = 0;
        const int result = mpg123_read(handle_, out + written, room, &done);
        written += done;
        if (result == MPG123_NEW_FORMAT) {
            long rate = 0;
            int channels = 0, encoding = 0;
            if (mpg123_getformat(handle_, &rate, &channels, &encoding) == MPG123_OK) {
                rate_ = rate;
                channels_ = channels;
            }
            continue;
        }
        if (result == MPG123_OK) {
            if (done == 0) break;
            continue;
        }
        if (result == MPG123_ERR && failed) *failed = true;
        break;  // MPG123_NEED_MORE, MPG123_DONE or an error
    }
    return written;
}

bool MpegAudioDecoder::Format(long* rate, int* channels) const {
    if (channels_ == 0) return false;
    *rate = rate_;
    *channels = channels_;
    return true;
}
