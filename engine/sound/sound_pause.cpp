// The pause of every sound while the window is inactive, and its resume.
#include "engine/sound/sound.h"
#include "engine/sound/sound_buffers.h"
#include "engine/sound/sound_output_state.h"

int PauseAllSounds(int pause) {
    if (!soundOutput.directSound || !handleTypes[kHandleTypeSound].registered) return -1;
    SoundTypeLock lock;
    // A failed load's handle is deleted by its loading check; the walk allows that.
    ForEachHandle<SoundRecord>(kHandleTypeSound, [pause](SoundRecord* record) {
        if (IsHandleLoading(static_cast<int>(record->header.handle)) == 0) PauseSoundRecord(record, pause);
    });
    return 0;
}
