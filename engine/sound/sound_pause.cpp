// The pause of every sound while the window is inactive, and its resume.
#include "engine/sound/sound.h"
#include "engine/sound/sound_buffers.h"
#include "engine/sound/sound_output_state.h"

int PauseAllSounds(int pause) {
    if (!soundOutput.directSound || !handleTypes[kHandleTypeSound].registered) return -1;
    SoundTypeLock lock;
    const HandleTypeRecord& type = handleTypes[kHandleTypeSound];
    // A failed load's handle is deleted by its loading check, so the next node is read first.
    for (HandleListNode *node = type.head.next, *next; node && node != &type.tail; node = next) {
        next = node->next;
        if (IsHandleLoading(static_cast<int>(node->handle)) == 0)
            PauseSoundRecord(static_cast<SoundRecord*>(node->data), pause);
    }
    return 0;
}
