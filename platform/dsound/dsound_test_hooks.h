// Test control of the DirectSound stand-in: the capabilities a device reports, refused buffer
// creations, and a count of the buffers alive. (The output is chosen by audio_output_override.h and
// moved on by manual_audio.h.)
#pragma once

#include <functional>

#include "platform/dsound/dsound.h"

// Capabilities that devices report from now on; null restores the defaults (stereo, 8 and 16 bits,
// secondary rates 100 to 200000 Hz, no hardware buffers or memory).
void SetDirectSoundCaps(const DSCAPS* caps);
DSCAPS DefaultDirectSoundCaps();

// Secondary buffer creations for which `refuse` answers true fail with DSERR_ALLOCATED; null accepts all.
void SetDirectSoundCreateRefusal(std::function<bool(const DSBUFFERDESC&)> refuse);
// Duplications fail with DSERR_ALLOCATED once `count` more have succeeded; -1 never.
void SetDirectSoundDuplicateLimit(int count);

// Secondary and primary buffers not yet released.
int GetLiveDirectSoundBufferCount();
