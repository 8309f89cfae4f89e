// Music handles (handle type 5): MIDI music played through MCI in the DirectSound mode, and the
// current background music, which may also be a sound handle.
#pragma once

#include <cstdint>

#include "engine/core/memory/handle_manager.h"

struct MusicRecord {
    HandleHeader header;
    int playing;
    int playSeen;
    int volume;         // 0-255
    uint8_t* midiData;  // owned
    uint32_t midiSize;
    void* segment;  // DirectMusic segment; the DirectMusic mode is not used
};

int InitMusicRecord(HandleHeader* data);
int ReleaseMusicRecord(HandleHeader* data);
int StopMusicHandle(int handle);
// 1 while the music plays: the background music when it is a sound, else the MCI playback (the
// handle's own flag in the DirectMusic mode); -1 for an invalid handle.
int QueryMusicPlaying(int handle);
// Deletes the temporary MIDI file of the MCI playback when one was written.
void DeleteTemporaryMidiFile();
