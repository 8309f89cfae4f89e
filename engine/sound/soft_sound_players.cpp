#include "engine/sound/soft_sound_players.h"

#include <algorithm>
#include <cstring>

#include "engine/core/memory/tracked_allocator.h"
#include "engine/sound/sound.h"
#include "engine/sound/sound_buffers.h"
#include "engine/sound/sound_output_state.h"

namespace {

SoftSoundPlayer* PlayerOf(HandleListNode* node) {
    return static_cast<SoftSoundPlayer*>(node->data);
}

// Fills `size` buffer bytes from `offset` with ring data, silence where the ring has run dry.
void FillFromRing(SoftSoundPlayer* player, uint8_t* out, uint32_t size) {
    const uint32_t align = player->format.nBlockAlign ? player->format.nBlockAlign : 1;
    const uint32_t available = std::min(player->ring.stored, size) / align * align;
    if (available > 0) TakeFromRingBuffer(&player->ring, out, static_cast<int>(available), 0);
    std::memset(out + available, player->format.wBitsPerSample == 8 ? 128 : 0, size - available);
}

}  // namespace

int ReleaseSoftSoundPlayer(HandleHeader* data) {
    SoftSoundPlayer* player = reinterpret_cast<SoftSoundPlayer*>(data);
    if (player->kind) {
        FreeRingBuffer(&player->ring);
        if (player->slot.valid) SoundBufferRelease(&player->slot);
        if (player->node.next) UnlinkHandleListNode(&player->node);
    } else {
        TrackedFree(player->data);
        player->data = nullptr;
    }
    return 0;
}

int KeepSoftSoundPlayers(HandleHeader* data) {
    return reinterpret_cast<SoftSoundPlayer*>(data)->kind != 0;
}

int KeepSoftSoundData(HandleHeader* data) {
    return reinterpret_cast<SoftSoundPlayer*>(data)->kind == 0;
}

int UpdateSoftSoundPlayer(SoftSoundPlayer* player) {
    SoundTypeLock lock(kHandleTypeSoftSound);
    if (!player->slot.valid || player->bufferSize == 0) return -1;
    DWORD play = 0;
    if (SoundBufferGetPosition(&player->slot, &play, nullptr) != 0) return -1;
    const uint32_t size = player->bufferSize;
    // The bytes from the write position up to the play cursor have been played and may be refilled.
    uint32_t free = (play + size - player->writePosition) % size;
    if (!player->refillStarted) free = size;
    if (free == 0) return 0;
    void* region[2] = {};
    DWORD bytes[2] = {};
    if (SoundBufferLock(&player->slot, player->writePosition, free, &region[0], &bytes[0], &region[1],
                        &bytes[1]) != 0)
        return -1;
    for (int i = 0; i < 2; ++i)
        if (region[i]) FillFromRing(player, static_cast<uint8_t*>(region[i]), bytes[i]);
    SoundBufferUnlock(&player->slot, region[0], bytes[0], region[1], bytes[1]);
    player->writePosition = (player->writePosition + free) % size;
    player->refillStarted = 1;
    return 0;
}

int UpdateAllSoftSoundPlayers() {
    if (!soundOutput.directSound || !soundOutput.initialised) return -1;
    SoundTypeLock lock(kHandleTypeSoftSound);
    for (HandleListNode* node = soundOutput.playerHead.next; node && node != &soundOutput.playerTail;
         node = node->next)
        if (PlayerOf(node)->active) UpdateSoftSoundPlayer(PlayerOf(node));
    return 0;
}

int PauseSoftSoundPlayers(int pause) {
    if (!soundOutput.directSound || !soundOutput.initialised) return -1;
    SoundTypeLock lock(kHandleTypeSoftSound);
    for (HandleListNode* node = soundOutput.playerHead.next; node && node != &soundOutput.playerTail;
         node = node->next) {
        SoftSoundPlayer* player = PlayerOf(node);
        PauseSoundSlot(&player->slot, &player->pauseTaken, &player->wasPlaying, pause);
    }
    return 0;
}
