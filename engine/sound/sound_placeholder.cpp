// Placeholder for the sound module's life cycle and per-pump work until sound handles and the stream
// thread land: nothing is started, nothing plays, every call succeeds. The sound subsystem deletes this
// file.
#include "engine/sound/sound.h"

int InitSound() { return 0; }
int EndSound() { return 0; }
int LoadAcmFunctions() { return 0; }
int FreeAcmFunctions() { return 0; }
int EndBackgroundMusic() { return 0; }
int PauseAllSounds(int) { return 0; }
int PauseSoftSoundPlayers(int) { return 0; }
int UpdateAllStreamSounds() { return 0; }
int UpdateAllSoftSoundPlayers() { return 0; }
int UpdateMusicPlayState() { return 0; }
int ReplayOrCloseMidiMci() { return 0; }
