// Reading helpers over a file of the file-function table, behind the file-handle calls of the game:
// text lines, single bytes, the end test and the size of a file by path.
#pragma once

#include <cstdint>

// One text line into buffer (size bytes, terminated): the line length without CR LF, or -1 at the end
// of the file. Steps over double-byte characters of the current character set.
int ReadLineFromFile(char* buffer, int size, uintptr_t file);
// The next byte as a signed 8-bit value, -1 at the end.
int ReadCharFromFile(uintptr_t file);
// 1 when the position is at the end of the file, else 0.
int IsFileAtEndPosition(uintptr_t file);
