// Movie files read from memory streams in the tests.
#pragma once

#include "engine/core/files/file_access.h"

// A file table whose files are memory streams; open is not used by the decoder.
inline const FileAccessTable* MemoryFileTable() {
    static FileAccessTable table = [] {
        FileAccessTable t{};
        t.close = CloseMemoryStream;
        t.tell = TellMemoryStream;
        t.seek = SeekMemoryStream;
        t.read = ReadMemoryStream;
        t.eof = EofMemoryStream;
        t.idle = IsMemoryStreamIdle;
        return t;
    }();
    return &table;
}
