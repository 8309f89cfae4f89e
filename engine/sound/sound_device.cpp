#include "engine/sound/sound_device.h"

#include <algorithm>

#include "engine/core/frame/system_functions.h"
#include "engine/core/memory/log.h"
#include "engine/sound/sound_output_state.h"
#include "platform/com/ole32.h"
#include "platform/kernel/module_registry.h"
#include "platform/user/user32.h"

SoundOutputState soundOutput;

DWORD SoundPlacementFlag() {
    return soundOutput.softwarePlacement ? DSBCAPS_LOCSOFTWARE : DSBCAPS_STATIC;
}

namespace {

void ReleaseDirectSound() {
    soundOutput.directSound->Release();
    soundOutput.directSound = nullptr;
}

WAVEFORMATEX PrimaryFormat(const DSCAPS& caps) {
    WAVEFORMATEX format{};
    format.wFormatTag = WAVE_FORMAT_PCM;
    format.nChannels = (caps.dwFlags & DSCAPS_PRIMARYSTEREO) ? 2 : 1;
    format.wBitsPerSample = (caps.dwFlags & DSCAPS_PRIMARY16BIT) ? 16 : 8;
    format.nSamplesPerSec = std::min<DWORD>(caps.dwMaxSecondarySampleRate, 44100);
    format.nBlockAlign = static_cast<WORD>(format.wBitsPerSample / 8 * format.nChannels);
    format.nAvgBytesPerSec = format.nBlockAlign * format.nSamplesPerSec;
    return format;
}

void StartSilentBuffer() {
    WAVEFORMATEX format{};
    format.wFormatTag = WAVE_FORMAT_PCM;
    format.nChannels = 2;
    format.nSamplesPerSec = 44100;
    format.wBitsPerSample = 16;
    format.nBlockAlign = 4;
    format.nAvgBytesPerSec = 176400;
    DSBUFFERDESC desc{};
    desc.dwSize = sizeof desc;
    desc.dwFlags = DSBCAPS_GLOBALFOCUS | SoundPlacementFlag();
    desc.dwBufferBytes = 400;
    desc.lpwfxFormat = &format;
    IDirectSoundBuffer* silent = nullptr;
    if (FAILED(soundOutput.directSound->CreateSoundBuffer(&desc, &silent, nullptr))) {
        LogText("無音バッファの作成に失敗しました");
        return;
    }
    void* region[2] = {};
    DWORD size[2] = {};
    if (FAILED(silent->Lock(0, 400, &region[0], &size[0], &region[1], &size[1], 0))) {
        LogText("無音バッファのロックに失敗しました");
        silent->Release();
        return;
    }
    for (int i = 0; i < 2; ++i)
        if (region[i]) std::fill_n(static_cast<uint8_t*>(region[i]), size[i], 0);
    silent->Unlock(region[0], size[0], region[1], size[1]);
    silent->Play(0, 0, DSBPLAY_LOOPING);
    soundOutput.silent = silent;
}

const char* OkOrNo(DWORD flags, DWORD flag) {
    return (flags & flag) ? "OK" : "NO";
}

BOOL CALLBACK LogSoundDeviceCallback(LPGUID, LPCSTR description, LPCSTR module, LPVOID) {
    LogPrintf("モジュール名:%15s  ドライバ記述:%s ", module, description);
    return TRUE;
}

}  // namespace

int StartSoundDevice() {
    LogText("DirectSound の初期化を行います\n");
    LogText("DirectSound インターフェースの取得を行います....  ");
    IDirectSound* ds = nullptr;
    HRESULT hr = E_FAIL;
    if (systemFunctions.CoCreateInstance)
        hr = systemFunctions.CoCreateInstance(
            CLSID_DirectSound, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER | CLSCTX_LOCAL_SERVER,
            IID_IDirectSound, reinterpret_cast<void**>(&ds));
    if (FAILED(hr) || !ds) {
        soundOutput.directSound = nullptr;
        LogText("DirectSoundインターフェースの作成に失敗しました\n");
        return -1;
    }
    soundOutput.directSound = ds;
    LogText("成功\n");
    LogText("引き続きインターフェースの初期化処理...  ");
    hr = ds->Initialize(nullptr);
    if (FAILED(hr)) {
        LogText("初期化に失敗しました\n");
        LogPrintf("エラーコード %x", static_cast<unsigned>(hr));
        ReleaseDirectSound();
        return -1;
    }
    LogText("成功\n");
    if (FAILED(ds->SetCooperativeLevel(GetDesktopWindow(), DSSCL_PRIORITY))) {
        LogText("DirectSoundの協調レベルの設定に失敗しました\n");
        ReleaseDirectSound();
        return -1;
    }
    DSBUFFERDESC desc{};
    desc.dwSize = sizeof desc;
    desc.dwFlags = DSBCAPS_PRIMARYBUFFER | (soundOutput.softwarePlacement ? DSBCAPS_LOCSOFTWARE : 0);
    if (FAILED(ds->CreateSoundBuffer(&desc, &soundOutput.primary, nullptr))) {
        soundOutput.primary = nullptr;
        LogText("DirectSoundのプライマリサウンドバッファの作成に失敗しました\n");
        ReleaseDirectSound();
        return -1;
    }
    DSCAPS caps{};
    caps.dwSize = sizeof caps;
    ds->GetCaps(&caps);
    const WAVEFORMATEX format = PrimaryFormat(caps);
    if (FAILED(soundOutput.primary->SetFormat(&format)))
        LogText("DirectSoundのプライマリサウンドバッファのフォーマット設定に失敗しました\n");
    StartSilentBuffer();
    return 0;
}

void LogSoundDeviceCaps() {
    if (!soundOutput.directSound) return;
    LogIndentIn();
    DSCAPS caps{};
    caps.dwSize = sizeof caps;
    soundOutput.directSound->GetCaps(&caps);
    LogText("DirectSound デバイスを列挙します\n");
    LogIndentIn();
    HMODULE module = LoadLibraryA("DSOUND.DLL");
    if (!module) {
        LogText("DSOUND.DLL のロードに失敗しました\n");
        LogIndentOut();
        LogIndentOut();
        return;
    }
    auto enumerate = reinterpret_cast<HRESULT(WINAPI*)(LPDSENUMCALLBACKA, LPVOID)>(
        reinterpret_cast<void*>(GetProcAddress(module, "DirectSoundEnumerateA")));
    if (!enumerate) {
        FreeLibrary(module);
        LogText("DirectSound デバイスの列挙用関数のポインタ取得に失敗しました\n");
        LogIndentOut();
        LogIndentOut();
        return;
    }
    enumerate(LogSoundDeviceCallback, nullptr);
    LogIndentOut();
    LogPrintf("最大サンプリングレート:%.2fKHz 最小サンプリングレート:%.2fKHz ",
              caps.dwMaxSecondarySampleRate / 1000.0, caps.dwMinSecondarySampleRate / 1000.0);
    LogPrintf("総サウンドメモリ領域:%.2fKB 空きサウンドメモリ領域:%.2fKB ", caps.dwTotalHwMemBytes / 1024.0,
              caps.dwFreeHwMemBytes / 1024.0);
    LogText("利用可能サンプリング精度\n");
    LogPrintf(" プライマリ １６bit = %s  ８bit = %s ", OkOrNo(caps.dwFlags, DSCAPS_PRIMARY16BIT),
              OkOrNo(caps.dwFlags, DSCAPS_PRIMARY8BIT));
    LogPrintf(" セカンダリ １６bit = %s  ８bit = %s ", OkOrNo(caps.dwFlags, DSCAPS_SECONDARY16BIT),
              OkOrNo(caps.dwFlags, DSCAPS_SECONDARY8BIT));
    LogText("利用可能チャンネル\n");
    LogPrintf(" プライマリ MONO = %s  STEREO = %s ", OkOrNo(caps.dwFlags, DSCAPS_PRIMARYMONO),
              OkOrNo(caps.dwFlags, DSCAPS_PRIMARYSTEREO));
    LogPrintf(" セカンダリ MONO = %s  STEREO = %s ", OkOrNo(caps.dwFlags, DSCAPS_SECONDARYMONO),
              OkOrNo(caps.dwFlags, DSCAPS_SECONDARYSTEREO));
    LogIndentOut();
    FreeLibrary(module);
}

void ReleaseSoundDevice() {
    for (IDirectSoundBuffer** buffer : {&soundOutput.primary, &soundOutput.silent}) {
        if (!*buffer) continue;
        (*buffer)->Stop();
        (*buffer)->Release();
        *buffer = nullptr;
    }
    if (soundOutput.directSound) ReleaseDirectSound();
}
