// The main window's procedure: turns window messages into library state.
#pragma once

#include "platform/user/user32.h"

// MM_MCINOTIFY and the library's private messages.
constexpr UINT kMciNotifyMessage = 0x3B9;
constexpr UINT kPrivateFlagAMessage = 0x46F;
constexpr UINT kPrivateFlagBMessage = 0x470;
constexpr UINT kSocketMessage = 0x505;
constexpr int kFirstToolbarId = 0x500;
constexpr int kToolbarPushButton = 0;

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
