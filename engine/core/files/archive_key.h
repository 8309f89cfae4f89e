// The 12-byte archive key and the scrambling with it: byte k of a range that starts at key position p
// is XORed with key[(p + k) mod 12].
#pragma once

#include <cstdint>

#include "engine/core/files/archive_format.h"

// Builds the key from a key string (null: the built-in key). A string is repeated to fill 12 bytes
// (its first 12 when longer); no string gives 12 copies of the fill constant; every byte then goes
// through the transformation of its index.
void MakeArchiveKey(const char* keyString, uint8_t key[kArchiveKeySize]);
// The key tried when the magic does not match under the built key: 12 copies of a constant.
void MakeFallbackArchiveKey(uint8_t key[kArchiveKeySize]);
void XorWithArchiveKey(uint32_t size, void* data, uint64_t keyPosition, const uint8_t key[kArchiveKeySize]);
