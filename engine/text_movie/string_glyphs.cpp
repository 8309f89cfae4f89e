#include "engine/text_movie/string_glyphs.h"

#include <cstring>

#include "engine/core/helpers/string_helpers.h"
#include "engine/core/memory/tracked_allocator.h"
#include "engine/text_movie/font_handles.h"
#include "engine/text_movie/glyph_rasterizer.h"

int StringByteLength(const char* text, int length) {
    if (text == nullptr) return 0;
    if (length < 0) return int(std::strlen(text));
    return int(strnlen(text, size_t(length)));
}

int SplitStringCharacters(const char* text, int bytes, int charset, uint8_t* records) {
    int count = 0;
    for (int i = 0; i < bytes; ++count) {
        const auto lead = static_cast<unsigned char>(text[i]);
        const bool pair = IsLeadByte(lead, charset) && i + 1 < bytes;
        if (records != nullptr) {
            uint8_t* record = records + size_t(count) * kCharacterRecordBytes;
            record[0] = lead;
            record[1] = pair ? static_cast<unsigned char>(text[i + 1]) : 0;
            record[2] = 0;
        }
        i += pair ? 2 : 1;
    }
    return count;
}

CharacterBuffer::CharacterBuffer(int count, size_t bytesPerCharacter) : data_(fixed_), allocated_(false) {
    if (count <= kFixedStringCharacters && bytesPerCharacter <= kFixedBytesPerCharacter) return;
    data_ = static_cast<uint8_t*>(TrackedAlloc(size_t(count) * bytesPerCharacter, __FILE__, __LINE__));
    allocated_ = data_ != nullptr;
}

CharacterBuffer::~CharacterBuffer() {
    if (allocated_) TrackedFree(data_);
}

namespace {

// The characters of the string that are neither cached nor already in the batch, at most the cache's
// cell count. Each is flagged present while the batch is collected, so a repeat is not taken twice.
int CollectNewCharacters(FontRecord* font, const uint8_t* records, int count, uint8_t* batch,
                         uint16_t* codes) {
    int taken = 0;
    for (int i = 0; i < count && taken < font->glyphCount; ++i) {
        const uint8_t* record = records + size_t(i) * kCharacterRecordBytes;
        CodeMapEntry& entry = font->codeMap[CharacterCode(record)];
        if (entry.present) continue;
        entry.present = 1;
        std::memcpy(batch + size_t(taken) * kCharacterRecordBytes, record, kCharacterRecordBytes);
        codes[taken++] = uint16_t(CharacterCode(record));
    }
    for (int i = 0; i < taken; ++i) font->codeMap[codes[i]].present = 0;
    return taken;
}

}  // namespace

int CacheStringGlyphs(int length, const char* text, int fontHandle, uint8_t* records, int* countOut) {
    FontRecord* font = GetFontRecord(fontHandle);
    if (font == nullptr) return -1;
    const int bytes = StringByteLength(text, length);
    const int count = SplitStringCharacters(text, bytes, font->charset, nullptr);
    if (countOut != nullptr) *countOut = count;
    // Records, the batch's records and its codes: 3 + 3 + 2 bytes a character.
    CharacterBuffer buffer(count, 2 * kCharacterRecordBytes + sizeof(uint16_t));
    if (buffer.data() == nullptr) return -1;
    uint8_t* own = buffer.data();
    uint8_t* batch = own + size_t(count) * kCharacterRecordBytes;
    auto* codes = reinterpret_cast<uint16_t*>(batch + size_t(count) * kCharacterRecordBytes);
    if (records == nullptr) records = own;
    SplitStringCharacters(text, bytes, font->charset, records);
    const int taken = CollectNewCharacters(font, records, count, batch, codes);
    if (taken > 0) RasterizeGlyphsIntoRecord(font, taken, batch);
    return 0;
}
