// Thread identity and time as the window stand-in sees them.
#pragma once

#include "platform/kernel/win_types.h"

DWORD UserThreadId();
// Milliseconds of the process clock (the time of messages and timers).
DWORD UserTickCount();
// Gives up the processor for a moment while waiting for messages.
void UserWaitBriefly();
