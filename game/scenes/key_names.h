// The names shown for keyboard key codes, read from "./data/key.txt": line n names key code n.
#pragma once

#include <cstdint>

constexpr int kKeyCodeCount = 256;
constexpr int kKeyNameSize = 12;  // 11 characters and the terminating zero

struct KeyNames {
    char names[kKeyCodeCount][kKeyNameSize] = {};

    // Reads up to 256 lines in order; a missing or short file leaves the remaining names empty.
    void Load(const char* path = "./data/key.txt");
    // The name of a key code; empty for a code outside 0-255.
    const char* Name(int keyCode) const;
};

// Over 256 key states (1 down): 0 when no key is down, the code when exactly one is, -1 for several.
int FindSinglePressedKey(const char states[kKeyCodeCount]);
