#include "engine/core/files/file_reading.h"

#include "engine/core/files/file_access.h"
#include "engine/core/helpers/string_helpers.h"
#include "platform/kernel/kernel32.h"

namespace {

void WaitIdle(uintptr_t file) {
    while (CallFileIdle(file) == 0) Sleep(0);
}

// True when the byte after the n read is LF (the file is left after it); else the file is put back.
bool NextByteIsLineFeed(uintptr_t file, int64_t after) {
    char next = 0;
    size_t got = CallFileRead(&next, 1, 1, file);
    WaitIdle(file);
    if (got == 1 && next == '\n') return true;
    CallFileSeek(file, after, SEEK_ORIGIN_START);
    return false;
}

}  // namespace

int ReadLineFromFile(char* buffer, int size, uintptr_t file) {
    if (size < 2 || CallFileEof(file) != 0) return -1;
    int64_t position = CallFileTell(file);
    int n = int(CallFileRead(buffer, 1, size_t(size - 1), file));
    WaitIdle(file);
    if (n <= 0) return -1;
    int i = 0;
    while (i < n) {
        unsigned char c = static_cast<unsigned char>(buffer[i]);
        if (c == 0) break;
        if (IsLeadByte(c)) {
            if (i + 2 > n) {
                CallFileSeek(file, position + i, SEEK_ORIGIN_START);
                break;
            }
            i += 2;
            continue;
        }
        if (c == '\r') {
            if (i + 1 < n && buffer[i + 1] == '\n') {
                CallFileSeek(file, position + i + 2, SEEK_ORIGIN_START);
                break;
            }
            // The CR is the last byte read: the byte after it decides, read from the file.
            if (i + 1 == n && NextByteIsLineFeed(file, position + n)) break;
        }
        ++i;
    }
    buffer[i] = 0;
    return i;
}

int ReadCharFromFile(uintptr_t file) {
    signed char c = 0;
    size_t got = CallFileRead(&c, 1, 1, file);
    WaitIdle(file);
    if (CallFileEof(file) != 0 || got == 0) return -1;
    return c;
}

int IsFileAtEndPosition(uintptr_t file) {
    int64_t position = CallFileTell(file);
    CallFileSeek(file, 0, SEEK_ORIGIN_END);
    int64_t end = CallFileTell(file);
    CallFileSeek(file, position, SEEK_ORIGIN_START);
    return position == end ? 1 : 0;
}

int64_t GetFileSizeByPath(const char* path) {
    uintptr_t file = CallFileOpen(path, 0, 1, 0);
    if (file == 0) return -1;
    CallFileSeek(file, 0, SEEK_ORIGIN_END);
    int64_t size = CallFileTell(file);
    CallFileClose(file);
    return size;
}
