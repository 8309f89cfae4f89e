// The Audio Compression Manager's functions, loaded by name from "msacm32.dll" at library init. The
// compressed-data openers of the converter call them; while the module is absent they stay null and
// those openers refuse their input.
#pragma once

#include "platform/kernel/win_types.h"

struct AcmFunctions {
    HMODULE module;
    FARPROC formatSuggest;
    FARPROC streamOpen;
    FARPROC streamClose;
    FARPROC metrics;
    FARPROC streamPrepareHeader;
    FARPROC streamConvert;
    FARPROC streamUnprepareHeader;
    FARPROC streamSize;
    int loaded;
};

extern AcmFunctions acmFunctions;
