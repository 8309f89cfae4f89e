// The library's sound calls as the game and the library's frame make them. Volumes are 0-255 (255 full);
// every call returns -1 while sound is not started or for an invalid handle.
#pragma once

// Library init and end.
int InitSound();
int EndSound();
int LoadAcmFunctions();
int FreeAcmFunctions();
int EndBackgroundMusic();

// Sound handles. LoadSoundFile: bufferCount buffers (at most 10) played in turn; joinHandle -1 for none.
int LoadSoundFile(const char* path, int bufferCount, int joinHandle);
// playType 0 waits for the end, 3 loops, any other value plays once and returns; fromTop 1 restarts.
int PlaySoundHandle(int handle, int playType, int fromTop);
int StopSoundHandle(int handle);
int QuerySoundPlaying(int handle);  // 1 playing, 0 not
int SetSoundVolume(int volume, int handle);
int GetSoundPlayTime(int handle);  // milliseconds into the current buffer

// Window activation (1 pauses, 0 resumes what the pause stopped) and the message pump's periodic work.
int PauseAllSounds(int pause);
int PauseSoftSoundPlayers(int pause);
int UpdateAllStreamSounds();
int UpdateAllSoftSoundPlayers();
int UpdateMusicPlayState();
// The window's MCI notification of MIDI playback: plays again when looping, else closes the device.
int ReplayOrCloseMidiMci();
