// Common controls ("comctl32.dll"): the library only initialises them; there is nothing to set up.
#pragma once

#include "platform/kernel/win_types.h"

void WINAPI InitCommonControls();
