// The sound module's state: the DirectSound objects, the load settings, the handle lists, the stream
// thread and the output capture.
#pragma once

#include <cstdint>

#include "engine/core/memory/handle_manager.h"
#include "engine/sound/sound_record.h"
#include "platform/dsound/dsound.h"

struct SoundOutputState {
    int initialised;
    IDirectSound* directSound;
    IDirectSoundBuffer* primary;
    IDirectSoundBuffer* silent;
    int musicEngineMode;    // 0 DirectSound (music by MCI), 1 DirectMusic; nothing sets 1
    int softwarePlacement;  // buffers in software memory; nothing sets it
    SoundLoadSettings loadSettings;
    HandleListNode streamHead, streamTail;  // stream sounds
    HandleListNode playerHead, playerTail;  // soft-sound players
    void* streamThread;
    DWORD streamThreadId;
    int streamStop;  // 0 running, 1 stop requested, 2 ended; atomic accesses only
    int captureOpen;
    void* captureFile;
    uint32_t captureFrames;
};

extern SoundOutputState soundOutput;

// DSBCAPS_STATIC, or DSBCAPS_LOCSOFTWARE under the software-placement switch.
DWORD SoundPlacementFlag();

// The sound handle type's critical section, which the stream thread shares with the main thread.
struct SoundTypeLock {
    explicit SoundTypeLock(int type = kHandleTypeSound);
    ~SoundTypeLock();
    SoundTypeLock(const SoundTypeLock&) = delete;
    SoundTypeLock& operator=(const SoundTypeLock&) = delete;
    int type;
};
