// The public calls on sound handles: play, stop, query, volume and play time.
#include "engine/sound/sound_handles.h"

#include "engine/core/frame/message_pump.h"
#include "engine/core/frame/window_utils.h"
#include "engine/sound/sound.h"
#include "engine/sound/sound_buffers.h"
#include "engine/sound/sound_output_state.h"
#include "engine/sound/stream_sound.h"
#include "platform/kernel/kernel32.h"

namespace {

// Play type 0: until the sound has ended, or the window is closed.
void WaitForSoundEnd(int handle) {
    if (PumpMessagesCore() != 0) return;
    while (QuerySoundPlaying(handle) == 1) {
        Sleep(1);
        if (PumpMessagesCore() != 0) return;
    }
}

}  // namespace

int PlaySoundHandle(int handle, int playType, int fromTop) {
    if (!GetSoundRecord(handle, 0)) return -1;
    WaitWhileInactive();
    SoundRecord* record = GetSoundRecord(handle, 0);
    if (!record) return -1;
    const int result = record->streamFlag ? PlayStreamSound(handle, playType, fromTop)
                                          : PlaySoundRecord(record, playType, fromTop);
    if (result != 0) return -1;
    if (playType == 0) WaitForSoundEnd(handle);
    return 0;
}

int StopSoundHandle(int handle) {
    SoundRecord* record = GetSoundRecord(handle, 0);
    if (!record) return -1;
    return record->streamFlag ? StopStreamSound(handle) : StopSoundRecord(record);
}

int QuerySoundPlaying(int handle) {
    SoundRecord* record = GetSoundRecord(handle, 0);
    if (!record) return -1;
    return record->streamFlag ? IsStreamSoundPlaying(handle) : IsSoundRecordPlaying(record);
}

int SetSoundVolume(int volume, int handle) {
    SoundRecord* record = GetSoundRecord(handle, 0);
    return record ? SetSoundRecordVolume(record, volume) : -1;
}

int GetSoundPlayTime(int handle) {
    SoundRecord* record = GetSoundRecord(handle, 0);
    if (!record) return -1;
    return record->streamFlag ? GetStreamPlayTime(handle) : GetSoundRecordPlayTime(record);
}
