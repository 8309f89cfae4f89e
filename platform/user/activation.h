// Which window is active and has the keyboard focus, and the messages a change sends:
// activating from another application sends WM_ACTIVATEAPP(TRUE) to the process's top-level windows,
// then WM_ACTIVATE to the old and the new window and WM_KILLFOCUS/WM_SETFOCUS; deactivating the
// application sends WM_ACTIVATE(WA_INACTIVE), WM_ACTIVATEAPP(FALSE) and WM_KILLFOCUS.
#pragma once

#include "platform/user/user32.h"

void ActivateWindow(HWND window);
// The application loses the activation (to another application, or because its active window goes).
void DeactivateApplication();
// Drops a window that is being destroyed from the activation state, deactivating it first.
void ForgetActivation(HWND window);
void ResetActivationForTests();
// SPI_GETFOREGROUNDLOCKTIMEOUT / SPI_SETFOREGROUNDLOCKTIMEOUT.
UINT& ForegroundLockTimeout();
