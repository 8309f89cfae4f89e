#include "game/frame/data_file.h"

#include <climits>
#include <cstring>

#include "engine/core/files/file_access.h"

DataFile::DataFile(const char* path) {
    handle_ = OpenFileHandle(path, 0);
    if (handle_ < 0) handle_ = 0;
}

DataFile::~DataFile() {
    if (handle_ > 0) CloseFileHandle(handle_);
}

bool DataFile::Fail() {
    failed_ = true;
    return false;
}

size_t DataFile::ReadSome(void* out, size_t size) {
    if (handle_ <= 0 || size == 0 || size > INT_MAX) return 0;
    const int got = ReadFileHandle(out, static_cast<int>(size), handle_);
    return got > 0 ? static_cast<size_t>(got) : 0;
}

bool DataFile::ReadBytes(void* out, size_t size) {
    uint8_t scratch[64];
    if (size > sizeof(scratch)) return ReadSome(out, size) == size ? true : Fail();
    if (ReadSome(scratch, size) != size) return Fail();
    std::memcpy(out, scratch, size);
    return true;
}

bool DataFile::ReadU8(uint8_t* value) {
    return ReadBytes(value, 1);
}

bool DataFile::ReadI8(int8_t* value) {
    return ReadBytes(value, 1);
}

bool DataFile::ReadI32(int32_t* value) {
    uint8_t b[4];
    if (!ReadBytes(b, 4)) return false;
    const uint32_t bits = static_cast<uint32_t>(b[0]) | static_cast<uint32_t>(b[1]) << 8 |
                          static_cast<uint32_t>(b[2]) << 16 | static_cast<uint32_t>(b[3]) << 24;
    *value = static_cast<int32_t>(bits);
    return true;
}

bool DataFile::ReadName(char* out, size_t capacity) {
    char name[256];
    if (capacity == 0 || capacity > sizeof(name)) return Fail();
    for (size_t i = 0; i < capacity; ++i) {
        uint8_t c;
        if (!ReadU8(&c)) return false;
        name[i] = static_cast<char>(c);
        if (c == 0) {
            std::memcpy(out, name, i + 1);
            return true;
        }
    }
    return Fail();
}
