// The one table between DirectInput key codes (physical keys) and virtual-key codes. The host delivers
// keys as DirectInput codes; the window stand-in turns them into virtual keys for WM_KEYDOWN and the
// keyboard state, and the input stand-in can read the same table the other way.
#pragma once

#include <cstddef>
#include <cstdint>

struct DikVirtualKey {
    uint8_t dik;
    uint8_t virtual_key;  // left/right-specific for Shift, Ctrl and Alt
};

// Every pair, in DirectInput code order. A virtual key may appear for more than one code (Return and the
// numeric pad's Enter).
const DikVirtualKey* DikVirtualKeyTable(size_t* count);

// 0 when the code names no key with a virtual key.
uint8_t VirtualKeyOfDik(uint8_t dik);
// The first code of the table for a virtual key; the side-neutral Shift, Ctrl and Alt give the left key.
// 0 when none.
uint8_t DikOfVirtualKey(uint8_t virtual_key);
// The virtual key that WM_KEYDOWN carries: Shift, Ctrl and Alt without their side.
uint8_t MessageVirtualKey(uint8_t virtual_key);
// Codes from 0x80 up are the extended keys (bit 24 of a key message's lParam).
inline bool IsExtendedDik(uint8_t dik) {
    return dik >= 0x80;
}
