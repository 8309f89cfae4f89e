// A data file of the game read through the library's file handles (so it may come from the data
// pack): little-endian fields read one after the other. A read that fails (end of file, or a value
// beyond its limit) raises the error flag and leaves its output unchanged.
#pragma once

#include <cstddef>
#include <cstdint>

class DataFile {
  public:
    explicit DataFile(const char* path);
    ~DataFile();
    DataFile(const DataFile&) = delete;
    DataFile& operator=(const DataFile&) = delete;

    bool IsOpen() const { return handle_ > 0; }
    bool Failed() const { return failed_; }

    // Bytes read (fewer at the end of the file); no error flag.
    size_t ReadSome(void* out, size_t size);
    bool ReadBytes(void* out, size_t size);
    bool ReadU8(uint8_t* value);
    bool ReadI8(int8_t* value);
    bool ReadI32(int32_t* value);
    // A zero-terminated name of at most capacity - 1 characters; a longer one fails.
    bool ReadName(char* out, size_t capacity);

  private:
    bool Fail();

    int handle_ = 0;
    bool failed_ = false;
};
