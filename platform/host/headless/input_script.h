// The headless input script: one action a line, "<frame> down <key>", "<frame> up <key>" or
// "<frame> close", where a frame is one pump of the library's message loop (counted from 0) and a key is
// a DirectInput key code (decimal or 0x-prefixed hex, 1 to 255). Blank lines and lines starting with '#'
// are skipped.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

enum class ScriptActionKind { kKeyDown, kKeyUp, kClose };

struct ScriptAction {
    int64_t frame = 0;
    ScriptActionKind kind = ScriptActionKind::kKeyDown;
    uint8_t dik = 0;
};

struct InputScript {
    std::vector<ScriptAction> actions;  // in frame order; lines of one frame keep their order
    std::vector<std::string> errors;    // "line N: reason" for every line that was skipped
};

InputScript ParseInputScript(const std::string& text);
