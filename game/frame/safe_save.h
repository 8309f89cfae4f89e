// Saves that never leave a file half written: the whole image goes to a temporary file beside the
// target, every write and the close are checked, the data is flushed to disk, and only then is the
// temporary file renamed onto the target. On any error the old file stays as it was.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// A file's bytes built in memory, little-endian fields one after the other.
class FileImage {
  public:
    void WriteBytes(const void* data, size_t size);
    void WriteU8(uint8_t value);
    void WriteI32(int32_t value);
    void WriteU32(uint32_t value);
    const std::vector<uint8_t>& bytes() const { return bytes_; }

  private:
    std::vector<uint8_t> bytes_;
};

// Writes the image to a new file `temporary` (whatever had the name before is removed, never followed)
// and flushes it to disk. 0, or an errno value (the file removed).
// A write beyond the file-size limit fails with an error instead of killing the process.
int WriteTemporaryFile(const std::string& temporary, const FileImage& image);
// Renames `temporary` onto `path`: over an existing file when `replace` is set; otherwise an existing
// `path` gives EEXIST and both stay. 0 or an errno value.
int MoveTemporaryFile(const std::string& temporary, const std::string& path, bool replace);
// The temporary file's name beside `path`.
std::string TemporaryNameFor(const std::string& path);
// Writes the image over `path` safely. On failure says so in one line on standard error and in the
// log, and returns false.
bool ReplaceFileSafely(const std::string& path, const FileImage& image);
