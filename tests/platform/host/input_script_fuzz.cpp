// Any text as the headless input script: each line is an action or an error naming it, and the actions
// come out in frame order with keys 1 to 255.
#include <cstdint>
#include <string>

#include "platform/host/headless/input_script.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const InputScript script = ParseInputScript(std::string(reinterpret_cast<const char*>(data), size));
    for (size_t i = 0; i < script.actions.size(); ++i) {
        const ScriptAction& action = script.actions[i];
        if (i > 0 && action.frame < script.actions[i - 1].frame) __builtin_trap();
        if (action.frame < 0) __builtin_trap();
        if (action.kind != ScriptActionKind::kClose && action.dik == 0) __builtin_trap();
    }
    for (const std::string& error : script.errors)
        if (error.rfind("line ", 0) != 0) __builtin_trap();
    return 0;
}
