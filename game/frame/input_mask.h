// The frame's input mask: the four directions and the five assigned buttons in one word, from the pad
// and keyboard, or from a script while a scene holds the controls.
#pragma once

#include <cstdint>

enum InputBits : uint32_t {
    kInputDown = 1,
    kInputLeft = 2,
    kInputRight = 4,
    kInputUp = 8,
};

extern uint32_t inputNow;
extern uint32_t inputPrev;
extern uint8_t inputEnabled;  // 1 player control, 0 scripted input
extern uint32_t scriptedInput;

// Builds this frame's mask; with record set stores it in the replay buffer at runFrame.
void PollInput(bool record);

// Whether an assigned pad bit is set in the mask of this frame, and newly set since the last frame.
inline bool InputHeld(uint32_t bits) {
    return (inputNow & bits) != 0;
}
inline bool InputPressed(uint32_t bits) {
    return (inputNow & bits) != 0 && (inputPrev & bits) == 0;
}
