#include "engine/sound/music_handles.h"

#include <cstring>

#include "engine/core/frame/message_pump.h"
#include "engine/core/frame/system_functions.h"
#include "engine/core/frame/window_mode.h"
#include "engine/core/memory/tracked_allocator.h"
#include "engine/sound/sound.h"
#include "engine/sound/sound_output_state.h"
#include "platform/kernel/kernel32.h"
#include "platform/user/winmm.h"

namespace {

constexpr UINT kMciClose = 0x0804;
constexpr UINT kMciPlay = 0x0806;
constexpr DWORD kMciNotify = 0x1;
constexpr DWORD kMciFrom = 0x4;
// Pumps after the MCI device is closed, so that its last notification is served.
constexpr int kPumpsAfterClose = 5;

struct MciPlayParameters {
    DWORD_PTR callback;
    DWORD from;
    DWORD to;
};

struct MusicState {
    int current;  // background music handle, 0 for none
    int currentIsSound;
    UINT mciDevice;
    int mciLoop;
    int mciPlaying;
    char midiPath[260];
    int midiFileExists;
};

MusicState music;

MMRESULT SendMci(UINT device, UINT message, DWORD_PTR flags, void* parameters) {
    if (!systemFunctions.mciSendCommandA) return MMSYSERR_ERROR;
    return systemFunctions.mciSendCommandA(device, message, flags, reinterpret_cast<DWORD_PTR>(parameters));
}

}  // namespace

int InitMusicRecord(HandleHeader* data) {
    reinterpret_cast<MusicRecord*>(data)->volume = 255;
    return 0;
}

int ReleaseMusicRecord(HandleHeader* data) {
    MusicRecord* record = reinterpret_cast<MusicRecord*>(data);
    if (record->playing) StopMusicHandle(static_cast<int>(record->header.handle));
    if (record->midiData) {
        std::memset(record->midiData, 0, record->midiSize);
        TrackedFree(record->midiData);
        record->midiData = nullptr;
    }
    return 0;
}

int ReplayOrCloseMidiMci() {
    if (music.mciLoop) {
        MciPlayParameters play{reinterpret_cast<DWORD_PTR>(GetMainWindowHandle()), 0, 0};
        SendMci(music.mciDevice, kMciPlay, kMciNotify | kMciFrom, &play);
        music.mciPlaying = 1;
    } else if (music.mciPlaying) {
        SendMci(music.mciDevice, kMciClose, 0, nullptr);
        music.mciPlaying = 0;
    }
    return 0;
}

void DeleteTemporaryMidiFile() {
    if (!music.midiFileExists) return;
    DeleteFileA(music.midiPath);
    music.midiFileExists = 0;
}

int StopMusicHandle(int handle) {
    if (music.current != 0 && music.currentIsSound) {
        StopSoundHandle(music.current);
        DeleteHandle(music.current);
        music.current = 0;
        return 0;
    }
    MusicRecord* record = static_cast<MusicRecord*>(GetTypedHandleData(handle, kHandleTypeMusic));
    if (!record) return -1;
    music.mciLoop = 0;
    ReplayOrCloseMidiMci();
    for (int i = 0; i < kPumpsAfterClose; ++i) PumpMessagesCore();
    DeleteTemporaryMidiFile();
    record->playing = 0;
    record->playSeen = 0;
    return 0;
}

int QueryMusicPlaying(int handle) {
    if (music.current != 0 && music.currentIsSound) return QuerySoundPlaying(music.current);
    const auto* record = static_cast<MusicRecord*>(GetTypedHandleData(handle, kHandleTypeMusic));
    if (!record) return -1;
    return soundOutput.musicEngineMode == 1 ? record->playing : music.mciPlaying;
}

// The DirectMusic mode is never used, so there is no segment whose play state could change.
int UpdateMusicPlayState() {
    if (!soundOutput.directSound || !handleTypes[kHandleTypeMusic].registered) return -1;
    return 0;
}

int EndBackgroundMusic() {
    if (music.current == 0) return 0;
    if (music.currentIsSound)
        StopSoundHandle(music.current);
    else
        StopMusicHandle(music.current);
    DeleteHandle(music.current);
    music.current = 0;
    music.currentIsSound = 0;
    return 0;
}
