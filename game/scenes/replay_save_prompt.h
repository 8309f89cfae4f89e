// The replay-save step of the title and the area-select screen: F4 asks to save the last run, the next
// frame writes it, and the box shows the file's name or the failure until a confirm.
#pragma once

#include <cstdint>

#include "game/frame/replay_file.h"

// F4 held while the last run's replay is in memory.
bool ReplaySaveRequested();

struct ReplaySavePrompt {
    int32_t step = 0;     // 0 saving, 1 done
    int32_t result = -1;  // what SaveReplay answered
    uint8_t saved = 1;
    char name[kReplayNameSize] = {};

    void Begin();
    // Saves on its first frame; true once a confirm closes the box.
    bool Update();
    void Draw() const;
};

// "[ PRESS F4 TO SAVE REPLAY DATA ]" in red while the replay is in memory; true when it was drawn.
bool DrawReplaySaveHint();
