// The sound module's start and end: the device, the three sound handle types and their lists, and the
// stream thread.
#include <cstring>

#include "engine/core/frame/message_pump.h"
#include "engine/core/frame/system_info.h"
#include "engine/core/memory/handle_manager.h"
#include "engine/core/memory/log.h"
#include "engine/sound/music_handles.h"
#include "engine/sound/soft_sound_players.h"
#include "engine/sound/sound.h"
#include "engine/sound/sound_device.h"
#include "engine/sound/sound_handles.h"
#include "engine/sound/sound_output_state.h"
#include "engine/sound/stream_sound.h"
#include "platform/kernel/kernel32.h"

SoundTypeLock::SoundTypeLock(int lockedType) : type(lockedType) {
    if (handleTypes[type].registered) EnterCriticalSection(&handleTypes[type].section);
}

SoundTypeLock::~SoundTypeLock() {
    if (handleTypes[type].registered) LeaveCriticalSection(&handleTypes[type].section);
}

namespace {

constexpr int kSoundHandleLimit = 32768;
constexpr int kSoftSoundHandleLimit = 8192;
constexpr int kMusicHandleLimit = 256;

void RegisterSoundHandleTypes() {
    RegisterHandleType(kHandleTypeSound, sizeof(SoundRecord), kSoundHandleLimit, InitSoundRecord,
                       ReleaseSoundRecord, "サウンド");
    RegisterHandleType(kHandleTypeSoftSound, sizeof(SoftSoundPlayer), kSoftSoundHandleLimit,
                       NoOpHandleCallback, ReleaseSoftSoundPlayer, "ソフトサウンド");
    RegisterHandleType(kHandleTypeMusic, sizeof(MusicRecord), kMusicHandleLimit, InitMusicRecord,
                       ReleaseMusicRecord, "ミュージック");
    InitHandleList(&soundOutput.streamHead, &soundOutput.streamTail);
    InitHandleList(&soundOutput.playerHead, &soundOutput.playerTail);
}

// Sound handles, then plain soft-sound data, then the players (which the data pass keeps).
void DeleteSoundAndSoftSoundHandles() {
    DeleteAllHandles(kHandleTypeSound, nullptr);
    DeleteAllHandles(kHandleTypeSoftSound, KeepSoftSoundPlayers);
    DeleteAllHandles(kHandleTypeSoftSound, KeepSoftSoundData);
}

void StartStreamThread() {
    __atomic_store_n(&soundOutput.streamStop, 0, __ATOMIC_RELEASE);
    HANDLE thread = CreateThread(nullptr, 0, SoundStreamThreadMain, nullptr, CREATE_SUSPENDED,
                                 &soundOutput.streamThreadId);
    if (!thread) return;
    soundOutput.streamThread = thread;
    SetThreadPriority(thread, THREAD_PRIORITY_TIME_CRITICAL);
    ResumeThread(thread);
}

// Waits until the stream thread has ended: the thread must not touch the handles that the end is
// about to delete. The window is served once first; the wait itself is on the thread's handle, since
// a polling sleep would move the virtual clock by as many steps as the thread took to see the flag,
// and the sound mixed before the end would depend on thread scheduling.
void StopStreamThread() {
    if (!soundOutput.streamThread) return;
    __atomic_store_n(&soundOutput.streamStop, 1, __ATOMIC_RELEASE);
    PumpMessagesCore();
    WaitForSingleObject(soundOutput.streamThread, INFINITE);
    CloseHandle(soundOutput.streamThread);
    soundOutput.streamThread = nullptr;
    soundOutput.streamThreadId = 0;
}

void FinishOutputCapture() {
    if (!soundOutput.captureOpen) return;
    uint8_t header[46];
    auto put32 = [&](int at, uint32_t v) {
        for (int i = 0; i < 4; ++i) header[at + i] = static_cast<uint8_t>(v >> (8 * i));
    };
    auto put16 = [&](int at, uint16_t v) {
        header[at] = static_cast<uint8_t>(v);
        header[at + 1] = static_cast<uint8_t>(v >> 8);
    };
    const uint32_t frames = soundOutput.captureFrames;
    std::memcpy(header, "RIFF", 4);
    put32(4, 4 * frames + 38);
    std::memcpy(header + 8, "WAVEfmt ", 8);
    put32(16, 18);
    put16(20, 1);
    put16(22, 2);
    put32(24, 44100);
    put32(28, 176400);
    put16(32, 4);
    put16(34, 16);
    put16(36, 0);
    std::memcpy(header + 38, "data", 4);
    put32(42, 4 * frames);
    HANDLE file = soundOutput.captureFile;
    DWORD written = 0;
    SetFilePointer(file, 0, nullptr, FILE_BEGIN);
    WriteFile(file, header, sizeof header, &written, nullptr);
    CloseHandle(file);
    soundOutput.captureOpen = 0;
    soundOutput.captureFile = nullptr;
}

}  // namespace

int InitSound() {
    if (soundOutput.initialised || soundOutput.directSound) return -1;
    if (StartSoundDevice() != 0) return -1;
    soundOutput.loadSettings = SoundLoadSettings{0, 0, 2, 0};
    LogSoundDeviceCaps();
    RegisterSoundHandleTypes();
    soundOutput.initialised = 1;
    DeleteSoundAndSoftSoundHandles();
    if (GetSystemInformation().processorCount > 1) StartStreamThread();
    LogText("DirectSound の初期化は正常に終了しました\n");
    return 0;
}

int EndSound() {
    if (!soundOutput.initialised || !soundOutput.directSound) return -1;
    StopStreamThread();
    FinishOutputCapture();
    DeleteSoundAndSoftSoundHandles();
    DeleteAllHandles(kHandleTypeMusic, nullptr);
    DeleteTemporaryMidiFile();
    EndHandleType(kHandleTypeSound);
    EndHandleType(kHandleTypeSoftSound);
    EndHandleType(kHandleTypeMusic);
    ReleaseSoundDevice();
    LogText("DirectSound の終了処理は正常に終了しました\n");
    soundOutput.initialised = 0;
    return 0;
}
