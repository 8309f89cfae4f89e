// The library's archive format ("TVA" files, magic "TV"): a header, a table block holding the name,
// file and directory tables, and a data area of stored file bytes, each file either as it is or as a
// packed block of the library's LZ code. Every byte is scrambled with the 12-byte archive key.
// All numbers are little-endian. The structures below are the decoded forms; the reader and the writer
// move bytes with the Load/Store helpers, never by casting into the tables.
#pragma once

#include <cstdint>
#include <cstring>

constexpr uint16_t kArchiveMagic = 'T' | ('V' << 8);
constexpr int kArchiveMaxVersion = 5;
constexpr uint32_t kArchiveDirectoryAttribute = 0x10;
constexpr uint32_t kArchiveNotPacked = 0xFFFFFFFF;
constexpr uint32_t kArchiveNoParent = 0xFFFFFFFF;
constexpr uint32_t kArchivePackedHeadSize = 9;
constexpr uint32_t kArchiveDirEntrySize = 16;
constexpr int kArchiveKeySize = 12;

struct ArchiveHeader {
    uint16_t magic;
    uint16_t version;
    uint32_t tableSize;        // bytes of the table block
    uint32_t dataPosition;     // archive position of the data area
    uint32_t tablePosition;    // archive position of the table block
    uint32_t fileTableOffset;  // inside the table block
    uint32_t dirTableOffset;   // inside the table block
    uint32_t codePage;         // version 4 and later
};

struct ArchiveFileEntry {
    uint32_t nameOffset;  // of its ArchiveNameEntry in the table block
    uint32_t attributes;  // 0x10 = directory
    uint64_t creationTime;
    uint64_t lastAccessTime;
    uint64_t lastWriteTime;
    uint32_t dataOffset;  // file: from the data position; directory: of its ArchiveDirEntry
    uint32_t size;        // unpacked bytes
    uint32_t packedSize;  // version 2 and later; kArchiveNotPacked when stored as it is
};

struct ArchiveDirEntry {
    uint32_t self;          // offset of this entry (not read by the reader)
    uint32_t parentOffset;  // kArchiveNoParent at the root
    uint32_t entryCount;
    uint32_t firstEntry;  // file-table offset of its first consecutive entry
};

inline uint32_t ArchiveHeaderSize(int version) {
    return version >= 4 ? 28 : 24;
}
inline uint32_t ArchiveFileEntrySize(int version) {
    return version >= 2 ? 44 : 40;
}
inline bool IsArchiveFilePacked(int version, const ArchiveFileEntry& entry) {
    return version >= 2 && entry.packedSize != kArchiveNotPacked;
}

inline uint16_t LoadU16(const uint8_t* p) {
    return uint16_t(p[0] | (p[1] << 8));
}
inline uint32_t LoadU32(const uint8_t* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}
inline uint64_t LoadU64(const uint8_t* p) {
    return LoadU32(p) | uint64_t(LoadU32(p + 4)) << 32;
}
inline void StoreU16(uint8_t* p, uint16_t v) {
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
}
inline void StoreU32(uint8_t* p, uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = uint8_t(v >> (8 * i));
}
inline void StoreU64(uint8_t* p, uint64_t v) {
    StoreU32(p, uint32_t(v));
    StoreU32(p + 4, uint32_t(v >> 32));
}

// Header fields from its (descrambled) bytes; codePage is read only from version 4 on.
void DecodeArchiveHeader(const uint8_t* bytes, ArchiveHeader* out);
void EncodeArchiveHeader(const ArchiveHeader& header, uint8_t* bytes);
void DecodeArchiveFileEntry(const uint8_t* bytes, int version, ArchiveFileEntry* out);
void EncodeArchiveFileEntry(const ArchiveFileEntry& entry, int version, uint8_t* bytes);
void DecodeArchiveDirEntry(const uint8_t* bytes, ArchiveDirEntry* out);
void EncodeArchiveDirEntry(const ArchiveDirEntry& entry, uint8_t* bytes);

// The character-set code (string helpers) for a code page: 932 -> 1, 936 -> 4, 949 -> 2, 950 -> 3.
int ArchiveCharsetForCodePage(uint32_t codePage);
