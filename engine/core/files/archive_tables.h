// Checked access to the tables of an open archive: every offset and length is tested against the
// table block or the archive before a byte is touched.
#pragma once

#include <cstdint>

#include "engine/core/files/archive_reader.h"

struct ArchiveName {
    const uint8_t* upper;  // length x 4 bytes
    uint16_t length;       // 4-byte units
    uint16_t check;
    const char* written;  // zero-terminated inside the table block
};

bool GetArchiveDirEntry(const OpenArchive* archive, uint32_t dirOffset, ArchiveDirEntry* out);
bool GetArchiveDirChild(const OpenArchive* archive, const ArchiveDirEntry& dir, uint32_t index,
                        ArchiveFileEntry* out);
bool GetArchiveName(const OpenArchive* archive, uint32_t nameOffset, ArchiveName* out);
// Archive position and length of a file's stored bytes (the packed block, or the plain bytes).
bool GetArchiveStoredRange(const OpenArchive* archive, const ArchiveFileEntry& entry, uint32_t* position,
                           uint32_t* length);
// Key position of stored byte k of a file: the file's size + k (version 5), else its archive position.
uint64_t ArchiveStoredKeyPosition(const OpenArchive* archive, const ArchiveFileEntry& entry,
                                  uint32_t storedPosition, uint32_t k);
// Unpacks a packed block of a file into its buffer of entry.size bytes. 0, or -1 when corrupt.
int UnpackArchiveFile(const ArchiveFileEntry& entry, const uint8_t* block, uint32_t blockSize, uint8_t* out);
