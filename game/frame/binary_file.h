// Reading the game's own files (settings, records, replays) in the working directory: plain C file
// calls, little-endian fields read one after the other. Saves go through safe_save.h.
#pragma once

#include <cstdint>
#include <cstdio>

class BinaryFile {
  public:
    enum class Mode { kRead };

    BinaryFile(const char* path, Mode mode);
    ~BinaryFile();
    BinaryFile(const BinaryFile&) = delete;
    BinaryFile& operator=(const BinaryFile&) = delete;

    bool IsOpen() const { return file_ != nullptr; }
    // Each read takes a whole field or nothing: false at the end of the file.
    bool ReadBytes(void* out, size_t size);
    bool ReadU8(uint8_t* value);
    bool ReadI32(int32_t* value);
    bool ReadU32(uint32_t* value);

  private:
    FILE* file_ = nullptr;
};
