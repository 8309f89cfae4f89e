// The archive paths the file set looked for and did not find, so that opening a file does not probe
// every ancestor folder for an archive again. Forgotten whenever the file layer creates or deletes a
// name, and per path when an archive opens there. Safe to use from any thread.
#pragma once

#include <cstdint>

// True when `path` was looked for and not found since the last creation or deletion of a name. Gives
// the state it answered for in *seen, for a NoteArchiveMissing after a look that follows.
bool IsArchiveKnownMissing(const char* path, uint64_t* seen);
// Remembers `path` as missing, unless a name was created or deleted since `seen` was given (the look
// may have come too early).
void NoteArchiveMissing(const char* path, uint64_t seen);
void NoteArchiveFound(const char* path);
