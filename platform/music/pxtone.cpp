// The ten calls of the music-player library over the process's one TunePlayer.
#include "platform/music/pxtone.h"

#include "platform/music/tune_player.h"

namespace {

TuneOutputFormat MakeFormat(int channels, int sampleRate, int bitsPerSample, float bufferSeconds) {
    TuneOutputFormat format;
    format.channels = channels;
    format.sampleRate = sampleRate;
    format.bitsPerSample = bitsPerSample;
    format.bufferSeconds = bufferSeconds;
    return format;
}

}  // namespace

BOOL pxtone_Ready(HWND window, int channels, int sampleRate, int bitsPerSample, float bufferSeconds, BOOL,
                  PxtonePlayCallback callback) {
    return GlobalTunePlayer().Open(window, MakeFormat(channels, sampleRate, bitsPerSample, bufferSeconds),
                                   callback)
               ? TRUE
               : FALSE;
}

BOOL pxtone_Reset(HWND window, int channels, int sampleRate, int bitsPerSample, float bufferSeconds,
                  BOOL directSound, PxtonePlayCallback callback) {
    return pxtone_Ready(window, channels, sampleRate, bitsPerSample, bufferSeconds, directSound, callback);
}

BOOL pxtone_Release() {
    GlobalTunePlayer().ReleaseTune();
    GlobalTunePlayer().Close();
    return TRUE;
}

BOOL pxtone_Tune_Load(HMODULE module, const char*, const char* path) {
    if (module != nullptr) {
        GlobalTunePlayer().ReleaseTune();
        return FALSE;
    }
    return GlobalTunePlayer().Load(path) ? TRUE : FALSE;
}

BOOL pxtone_Tune_Release() {
    GlobalTunePlayer().ReleaseTune();
    return TRUE;
}

BOOL pxtone_Tune_Start(int32_t startSample, int32_t fadeInMs) {
    return GlobalTunePlayer().Start(startSample, fadeInMs) ? TRUE : FALSE;
}

int32_t pxtone_Tune_Stop() {
    return static_cast<int32_t>(GlobalTunePlayer().Stop());
}

BOOL pxtone_Tune_Fadeout(int32_t milliseconds) {
    return GlobalTunePlayer().FadeOut(milliseconds) ? TRUE : FALSE;
}

void pxtone_Tune_SetLoop(BOOL loop) {
    GlobalTunePlayer().SetLoop(loop != FALSE);
}

float pxtone_Tune_SetVolume(float volume) {
    return GlobalTunePlayer().SetVolume(volume);
}
