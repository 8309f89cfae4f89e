// Registration of the compression manager stand-in: the "msacm32.dll" entry points.
#include "platform/acm/msacm.h"
#include "platform/kernel/module_registry.h"

void RegisterAcmModule() {
    RegisterPlatformModule("msacm32.dll", {{"acmFormatSuggest", &acmFormatSuggest},
                                           {"acmStreamOpen", &acmStreamOpen},
                                           {"acmStreamClose", &acmStreamClose},
                                           {"acmMetrics", &acmMetrics},
                                           {"acmStreamPrepareHeader", &acmStreamPrepareHeader},
                                           {"acmStreamConvert", &acmStreamConvert},
                                           {"acmStreamUnprepareHeader", &acmStreamUnprepareHeader},
                                           {"acmStreamSize", &acmStreamSize}});
}
