// The network remnant: socket events arrive as a window message; it is never started in this system.
#pragma once

#include "platform/kernel/win_types.h"

int PumpNetworkWindow(int flag);
int ShutdownNetwork();
LRESULT HandleSocketMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
