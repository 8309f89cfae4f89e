// Character input: the ring of typed characters and editing keys that the window procedure fills, the
// string inputs the pump drives, and the input method's window messages.
#pragma once

#include "platform/kernel/win_types.h"

int InitCharCodeBuffer();
// Puts one character byte or editing code into the ring; -1 when it is full.
int PutCharCode(int code);
// 1 while the ring has room for another code.
int CharCodeBufferHasRoom();
int ProcessStringInput();
int DeleteAllStringInputs();
LRESULT HandleImeMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
