// Windows paths of the library onto the Linux file system: one drive (any "X:" names the root),
// "\" and "/" both separate, CP932 names become UTF-8, and a component that does not exist exactly
// is looked up in its folder ignoring ASCII case (folder listings are remembered until the folder changes).
#pragma once

#include <cstdint>
#include <string>

// The Linux path for a Windows path (relative paths stay relative to the current folder).
std::string MapWindowsPath(const std::string& windowsPath);
// The same path with no look-up ignoring case: UTF-8, the drive dropped, "/" separators ("." for none).
// What MapWindowsPath gives whenever this path exists.
std::string WindowsPathAsWritten(const std::string& windowsPath);
// The Windows form ("C:\..." in CP932) of an absolute Linux path.
std::string ToWindowsPath(const std::string& linuxPath);
// The file layer created or deleted a name: remembered folder listings are read again.
void ForgetFolderListings();
// How many times the file layer created or deleted a name: what a caller remembers of folders' contents
// (such as names it found missing) holds while the count stays the same.
uint64_t FolderChangeCount();
