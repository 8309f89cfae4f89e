// The two default textures kept in the program as run-length TGA 2.0 files: a white 8 x 8 image with
// full alpha, and a 256 x 8 grey ramp of four steps (0, 0x55, 0xAA, 0xFF, 64 columns each).
#pragma once

#include <array>
#include <cstdint>

extern const std::array<uint8_t, 84> kDefaultWhiteTga;
extern const std::array<uint8_t, 172> kDefaultRampTga;
