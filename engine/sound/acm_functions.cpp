#include "engine/sound/acm_functions.h"

#include "engine/sound/sound.h"
#include "platform/kernel/module_registry.h"

AcmFunctions acmFunctions;

namespace {

struct AcmEntry {
    const char* name;
    FARPROC AcmFunctions::*field;
};

constexpr AcmEntry kAcmEntries[] = {
    {"acmFormatSuggest", &AcmFunctions::formatSuggest},
    {"acmStreamOpen", &AcmFunctions::streamOpen},
    {"acmStreamClose", &AcmFunctions::streamClose},
    {"acmMetrics", &AcmFunctions::metrics},
    {"acmStreamPrepareHeader", &AcmFunctions::streamPrepareHeader},
    {"acmStreamConvert", &AcmFunctions::streamConvert},
    {"acmStreamUnprepareHeader", &AcmFunctions::streamUnprepareHeader},
    {"acmStreamSize", &AcmFunctions::streamSize},
};

}  // namespace

// 0 with every function found; -1 (nothing kept) when the module or one of them is missing.
int LoadAcmFunctions() {
    if (acmFunctions.loaded) return 0;
    HMODULE module = LoadLibraryA("msacm32.dll");
    if (!module) return -1;
    acmFunctions.module = module;
    for (const AcmEntry& entry : kAcmEntries) {
        acmFunctions.*entry.field = GetProcAddress(module, entry.name);
        if (!(acmFunctions.*entry.field)) {
            FreeAcmFunctions();
            return -1;
        }
    }
    acmFunctions.loaded = 1;
    return 0;
}

int FreeAcmFunctions() {
    if (acmFunctions.module) FreeLibrary(acmFunctions.module);
    acmFunctions = AcmFunctions{};
    return 0;
}
