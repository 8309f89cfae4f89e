// What the library does when the main window is activated or deactivated.
#pragma once

// activeArgument: the message's wParam (low word: active; for WM_ACTIVATE the high word: minimised).
// 0, or -1 when the window is to be closed because graphics could not be restored.
int HandleActivationChange(int activeArgument, int fromActivateApp);
// Hands every queued activation entry to HandleActivationChange, oldest first.
void DrainActivationRing();
