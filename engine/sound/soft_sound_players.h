// Soft sounds (handle type 4): PCM data in memory, or players that feed one DirectSound buffer from a
// ring of PCM the program writes. The module keeps their list, pauses them with the window and updates
// the active players from the stream thread or the pump.
#pragma once

#include <cstdint>

#include "engine/core/helpers/ring_buffer.h"
#include "engine/core/memory/handle_manager.h"
#include "engine/sound/sound_record.h"

struct SoftSoundPlayer {
    HandleHeader header;
    int kind;  // 1 player, 0 plain data
    HandleListNode node;
    uint8_t* data;  // plain data, owned
    RingBuffer ring;
    int pauseTaken;
    int wasPlaying;
    SoundBuffer slot;
    WAVEFORMATEX format;
    uint32_t bufferSize;
    uint32_t writePosition;  // next buffer byte to fill
    int refillStarted;
    int active;
};

int ReleaseSoftSoundPlayer(HandleHeader* data);
// Keep callbacks of the two deletion passes at the end: one keeps the players, one the plain data.
int KeepSoftSoundPlayers(HandleHeader* data);
int KeepSoftSoundData(HandleHeader* data);
// Writes the PCM waiting in the player's ring into the part of its buffer that has been played.
int UpdateSoftSoundPlayer(SoftSoundPlayer* player);
