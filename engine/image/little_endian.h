// Little-endian fields of image file headers.
#pragma once

#include <cstdint>
#include <cstring>

inline uint16_t LoadLe16(const uint8_t* p) {
    return static_cast<uint16_t>(p[0] | p[1] << 8);
}
inline uint32_t LoadLe32(const uint8_t* p) {
    return uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 | uint32_t{p[3]} << 24;
}
inline void StoreLe16(uint8_t* p, uint32_t v) {
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
}
inline void StoreLe32(uint8_t* p, uint32_t v) {
    StoreLe16(p, v);
    StoreLe16(p + 2, v >> 16);
}
