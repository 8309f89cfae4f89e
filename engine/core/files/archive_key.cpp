#include "engine/core/files/archive_key.h"

namespace {

constexpr uint8_t kKeyFill = 0x6B;
constexpr uint8_t kFallbackKeyFill = 0xA5;

uint8_t RotateLeft(uint8_t b, int n) {
    return uint8_t((b << n) | (b >> (8 - n)));
}

// The transformation of key byte i.
uint8_t TransformKeyByte(int i, uint8_t b) {
    switch (i) {
        case 0:
            return uint8_t(~b);
        case 1:
            return RotateLeft(b, 4);
        case 2:
            return uint8_t(b ^ 0x8A);
        case 3:
            return uint8_t(~RotateLeft(b, 4));
        case 4:
            return uint8_t(b + 0x35);
        case 5:
            return RotateLeft(b, 3);
        case 6:
            return uint8_t(b ^ 0xC3);
        case 7:
            return uint8_t(b * 5 + 0x11);
        case 8:
            return RotateLeft(uint8_t(b ^ 0x5E), 2);
        case 9:
            return uint8_t(~(b + 0x27));
        case 10:
            return RotateLeft(b, 7);
        default:
            return uint8_t((b ^ 0x99) - 0x1D);
    }
}

}  // namespace

void MakeArchiveKey(const char* keyString, uint8_t key[kArchiveKeySize]) {
    int length = 0;
    if (keyString != nullptr)
        while (length < kArchiveKeySize && keyString[length] != 0) ++length;
    for (int i = 0; i < kArchiveKeySize; ++i)
        key[i] = length == 0 ? kKeyFill : uint8_t(keyString[i % length]);
    for (int i = 0; i < kArchiveKeySize; ++i) key[i] = TransformKeyByte(i, key[i]);
}

void MakeFallbackArchiveKey(uint8_t key[kArchiveKeySize]) {
    for (int i = 0; i < kArchiveKeySize; ++i) key[i] = kFallbackKeyFill;
}

void XorWithArchiveKey(uint32_t size, void* data, uint64_t keyPosition, const uint8_t key[kArchiveKeySize]) {
    uint8_t* bytes = static_cast<uint8_t*>(data);
    uint32_t k = uint32_t(keyPosition % kArchiveKeySize);
    for (uint32_t i = 0; i < size; ++i) {
        bytes[i] ^= key[k];
        if (++k == kArchiveKeySize) k = 0;
    }
}
