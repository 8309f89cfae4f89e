// Folders on disk as archive trees and back. Names are UTF-8 on disk and Shift-JIS (code page 932)
// inside archives.
#pragma once

#include <string>

#include "tools/archive/archive_writer.h"

// Reads a folder (children sorted by name). zeroTimes leaves every file time 0, so that the same
// folder always gives the same archive. False with a message in error.
bool ReadFolderTree(const std::string& folder, bool zeroTimes, ArchiveWriterEntry* root, std::string* error);
// Converts between UTF-8 and Shift-JIS; false when a name has no form in the other.
bool Utf8ToShiftJis(const std::string& in, std::string* out);
bool ShiftJisToUtf8(const std::string& in, std::string* out);
