// A string as character records (3 bytes each: single or lead byte, trail byte or 0, a flag byte), and
// the batch that renders a string's new characters into the font's glyph cache before it is drawn.
#pragma once

#include <cstddef>
#include <cstdint>

#include "engine/text_movie/font_record.h"

constexpr int kCharacterRecordBytes = 3;
// Strings of up to this many characters are handled without allocating.
constexpr int kFixedStringCharacters = 256;

// The bytes of the string that are drawn: up to the terminator, and no more than length (-1: all).
int StringByteLength(const char* text, int length);

// Splits `bytes` bytes into records (records may be null to count only). A lead byte of the charset
// takes the next byte as its trail; a lead byte with no byte left is taken alone. The character count.
int SplitStringCharacters(const char* text, int bytes, int charset, uint8_t* records);

// The 16-bit code of a record (lead | trail << 8) that indexes the font's code map.
inline int CharacterCode(const uint8_t* record) {
    return record[0] | record[1] << 8;
}

// Bytes that hold `count` characters: the fixed block, or an allocated one for longer strings. Empty
// (data() null) when the allocation failed.
class CharacterBuffer {
  public:
    CharacterBuffer(int count, size_t bytesPerCharacter);
    ~CharacterBuffer();
    CharacterBuffer(const CharacterBuffer&) = delete;
    CharacterBuffer& operator=(const CharacterBuffer&) = delete;
    uint8_t* data() { return data_; }

  private:
    // Room for the largest per-character need: records, batch records and codes.
    static constexpr size_t kFixedBytesPerCharacter = 8;
    alignas(8) uint8_t fixed_[kFixedStringCharacters * kFixedBytesPerCharacter];
    uint8_t* data_;
    bool allocated_;
};

// Splits the string and renders, in one batch, every character not yet cached (at most as many as the
// cache has cells). records (may be null) receives the character records; countOut (may be null) the
// character count. 0, or -1 for a font handle that is not ready or a failed allocation.
int CacheStringGlyphs(int length, const char* text, int fontHandle, uint8_t* records, int* countOut);
