// The built-in shader data unpacked into memory: the by-name archive of pixel shaders, the second
// archive and the two code tables. Opened on first use, closed at graphics shutdown.
#pragma once

#include <cstddef>
#include <cstdint>

// 1 when open (already, or now); 0 when a buffer cannot be had or a block or archive is corrupt, with
// nothing left open.
int OpenBuiltinShaderArchives();
// Closes both archives and frees the four buffers. 1.
int CloseBuiltinShaderArchives();
// A file of the by-name archive: its bytes in the unpacked archive and its size; null when the archives
// are not open or the archive holds no such file.
const void* FindBuiltinShaderFile(const char* fileName, int* size);
// Entry of code table 2 or 3; null when the tables are not open, the entry is empty or out of range.
const void* GetShaderCodeTableEntry(int table, int entry, int* size);

// An entry of a code table of entryCount 16-bit sizes whose code starts at codeStart: the non-empty
// entries' code lies there in order. Null when the entry is empty or any size or offset up to it runs
// past tableSize.
const uint8_t* FindCodeTableEntry(const uint8_t* table, size_t tableSize, int entryCount, size_t codeStart,
                                  int entry, size_t* size);
