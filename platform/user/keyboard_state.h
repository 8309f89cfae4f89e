// The keyboard by virtual key, as the window stand-in's key messages leave it.
#pragma once

#include <cstdint>

// Marks a key (left/right-specific for Shift, Ctrl and Alt) down or up; the side-neutral Shift, Ctrl and
// Alt follow their two keys, and a key going down flips its toggle bit. Returns whether it was down.
bool SetVirtualKeyDown(uint8_t virtual_key, bool down);
bool IsVirtualKeyDown(uint8_t virtual_key);
void ResetKeyboardStateForTests();
