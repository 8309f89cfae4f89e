#include "game/frame/binary_file.h"

BinaryFile::BinaryFile(const char* path, Mode) {
    if (path != nullptr) file_ = std::fopen(path, "rb");
}

BinaryFile::~BinaryFile() {
    if (file_ != nullptr) std::fclose(file_);
}

bool BinaryFile::ReadBytes(void* out, size_t size) {
    if (file_ == nullptr) return false;
    const long start = std::ftell(file_);
    if (std::fread(out, 1, size, file_) == size) return true;
    std::fseek(file_, start, SEEK_SET);
    return false;
}

bool BinaryFile::ReadU8(uint8_t* value) {
    return ReadBytes(value, 1);
}

bool BinaryFile::ReadU32(uint32_t* value) {
    uint8_t b[4];
    if (!ReadBytes(b, 4)) return false;
    *value = static_cast<uint32_t>(b[0]) | static_cast<uint32_t>(b[1]) << 8 |
             static_cast<uint32_t>(b[2]) << 16 | static_cast<uint32_t>(b[3]) << 24;
    return true;
}

bool BinaryFile::ReadI32(int32_t* value) {
    uint32_t bits;
    if (!ReadU32(&bits)) return false;
    *value = static_cast<int32_t>(bits);
    return true;
}
