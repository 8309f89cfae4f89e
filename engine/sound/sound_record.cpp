// The sound handle type's record lookup and its init and delete callbacks.
#include "engine/core/memory/tracked_allocator.h"
#include "engine/sound/sound_buffers.h"
#include "engine/sound/sound_handles.h"
#include "engine/sound/sound_output_state.h"
#include "engine/sound/stream_sound.h"

SoundRecord* GetSoundRecord(int handle, int fromJob) {
    if (!soundOutput.directSound) return nullptr;
    auto* record = static_cast<SoundRecord*>(GetTypedHandleData(handle, kHandleTypeSound));
    if (!record || (!fromJob && IsHandleLoading(handle) != 0)) return nullptr;
    return record;
}

int InitSoundRecord(HandleHeader* data) {
    SoundRecord* record = reinterpret_cast<SoundRecord*>(data);
    record->volume = 0;
    record->pan = 0;
    record->frequency = 0;
    record->stream.sourceCount = 0;
    record->stream.joinedTo = -1;
    record->stream.currentPlayer = -1;
    return 0;
}

int ReleaseSoundRecord(HandleHeader* data) {
    SoundRecord* record = reinterpret_cast<SoundRecord*>(data);
    if (record->streamFlag) return ReleaseStreamSound(record);
    StopSoundRecord(record);
    ReleaseSoundRecordBuffers(record);
    if (record->referenceCount && --*record->referenceCount <= 0) {
        TrackedFree(record->pcm);
        TrackedFree(record->referenceCount);
    }
    record->pcm = nullptr;
    record->referenceCount = nullptr;
    return 0;
}
