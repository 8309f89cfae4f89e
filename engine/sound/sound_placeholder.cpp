// Placeholder for the sound module's life cycle and per-pump work until sound handles and the stream
// thread land: nothing is started and nothing plays. The sound subsystem deletes this
// file.
#include "engine/sound/sound.h"

#include "engine/core/file_access.h"

namespace {

int nextSound = 1;

bool IsSound(int handle) {
    return handle > 0 && handle < nextSound;
}

}  // namespace

int InitSound() {
    return 0;
}
int EndSound() {
    return 0;
}
int LoadAcmFunctions() {
    return 0;
}
int FreeAcmFunctions() {
    return 0;
}
int EndBackgroundMusic() {
    return 0;
}
int PauseAllSounds(int) {
    return 0;
}
int PauseSoftSoundPlayers(int) {
    return 0;
}
int UpdateAllStreamSounds() {
    return 0;
}
int UpdateAllSoftSoundPlayers() {
    return 0;
}
int UpdateMusicPlayState() {
    return 0;
}
int ReplayOrCloseMidiMci() {
    return 0;
}

// Sound handles: a number for a file that opens, -1 (as for a missing file) otherwise; nothing plays.
int LoadSoundFile(const char* path, int bufferCount, int) {
    if (!path || bufferCount < 1) return -1;
    uintptr_t file = CallFileOpen(path, 1, 1, 0);
    if (file == 0) return -1;
    CallFileClose(file);
    return nextSound++;
}
int PlaySoundHandle(int handle, int, int) {
    return IsSound(handle) ? 0 : -1;
}
int StopSoundHandle(int handle) {
    return IsSound(handle) ? 0 : -1;
}
int QuerySoundPlaying(int handle) {
    return IsSound(handle) ? 0 : -1;
}
int SetSoundVolume(int, int handle) {
    return IsSound(handle) ? 0 : -1;
}
int GetSoundPlayTime(int handle) {
    return IsSound(handle) ? 0 : -1;
}
