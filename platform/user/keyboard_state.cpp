#include "platform/user/keyboard_state.h"

#include <cstring>
#include <mutex>

#include "platform/user/user32.h"

namespace {

struct KeyboardState {
    std::mutex mutex;
    uint8_t keys[256] = {};
};

KeyboardState& State() {
    static KeyboardState* state = new KeyboardState;
    return *state;
}

void SetKey(uint8_t* keys, uint8_t key, bool down) {
    if (down && !(keys[key] & 0x80)) keys[key] ^= 0x01;
    keys[key] = static_cast<uint8_t>((keys[key] & 0x01) | (down ? 0x80 : 0x00));
}

void FollowPair(uint8_t* keys, uint8_t neutral, uint8_t left, uint8_t right) {
    SetKey(keys, neutral, ((keys[left] | keys[right]) & 0x80) != 0);
}

}  // namespace

bool SetVirtualKeyDown(uint8_t virtual_key, bool down) {
    std::lock_guard lock(State().mutex);
    uint8_t* keys = State().keys;
    bool was_down = (keys[virtual_key] & 0x80) != 0;
    SetKey(keys, virtual_key, down);
    FollowPair(keys, VK_SHIFT, VK_LSHIFT, VK_RSHIFT);
    FollowPair(keys, VK_CONTROL, VK_LCONTROL, VK_RCONTROL);
    FollowPair(keys, VK_MENU, VK_LMENU, VK_RMENU);
    return was_down;
}

bool IsVirtualKeyDown(uint8_t virtual_key) {
    std::lock_guard lock(State().mutex);
    return (State().keys[virtual_key] & 0x80) != 0;
}

void ResetKeyboardStateForTests() {
    std::lock_guard lock(State().mutex);
    std::memset(State().keys, 0, sizeof(State().keys));
}

BOOL WINAPI GetKeyboardState(LPBYTE keyState) {
    if (!keyState) return FALSE;
    std::lock_guard lock(State().mutex);
    std::memcpy(keyState, State().keys, 256);
    return TRUE;
}

SHORT WINAPI GetKeyState(int virtualKey) {
    std::lock_guard lock(State().mutex);
    uint8_t key = State().keys[virtualKey & 0xFF];
    return static_cast<SHORT>(((key & 0x80) ? 0x8000 : 0) | (key & 0x01));
}

SHORT WINAPI GetAsyncKeyState(int virtualKey) {
    std::lock_guard lock(State().mutex);
    return (State().keys[virtualKey & 0xFF] & 0x80) ? static_cast<SHORT>(0x8000) : 0;
}
