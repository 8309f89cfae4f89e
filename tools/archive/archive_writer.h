// Writes archives in the library's format, of any version 0 to 5, files packed or stored as they are,
// scrambled with the built key (optionally from a key string) or the fallback key. Every directory's
// children are consecutive in the file table, directories in breadth-first order, the root's
// directory entry first.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct ArchiveWriterEntry {
    std::string name;  // as written, in the archive's character set
    bool isDirectory = false;
    std::vector<uint8_t> data;
    uint64_t creationTime = 0;  // Windows file times
    uint64_t lastAccessTime = 0;
    uint64_t lastWriteTime = 0;
    std::vector<ArchiveWriterEntry> children;
};

enum ArchiveWriterKey { ARCHIVE_WRITER_BUILT_KEY = 0, ARCHIVE_WRITER_FALLBACK_KEY = 1 };

struct ArchiveWriteOptions {
    int version = 5;
    bool pack = true;  // version 2 and later; below, files are stored as they are
    ArchiveWriterKey key = ARCHIVE_WRITER_BUILT_KEY;
    const char* keyString = nullptr;  // for the built key
    uint32_t codePage = 932;          // version 4 and later
};

// The archive's bytes; false (with a message in error) when the tree cannot be written.
bool BuildArchive(const ArchiveWriterEntry& root, const ArchiveWriteOptions& options,
                  std::vector<uint8_t>* out, std::string* error);
