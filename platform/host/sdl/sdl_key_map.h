// SDL's physical key codes and DirectInput key codes (which name the physical keys of a PC keyboard).
#pragma once

#include <SDL.h>

#include <cstdint>

// 0 for a key DirectInput has no code for.
uint8_t DikOfSdlScancode(SDL_Scancode scancode);
// SDL_SCANCODE_UNKNOWN for a code no SDL key has.
SDL_Scancode SdlScancodeOfDik(uint8_t dik);
