#include "engine/image/writer_file.h"

#include <string>

#include "platform/kernel/path_mapping.h"

namespace {

// A wide path's characters (code points) as UTF-8; the platform layer maps the path from there.
std::string WideToUtf8(const wchar_t* wide) {
    std::string out;
    for (; *wide; ++wide) {
        auto c = static_cast<uint32_t>(*wide);
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | c >> 6);
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += static_cast<char>(0xE0 | c >> 12);
            out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | c >> 18);
            out += static_cast<char>(0x80 | (c >> 12 & 0x3F));
            out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

}  // namespace

FILE* OpenImageFileForWriting(const wchar_t* widePath, const char* path) {
    if (widePath) return std::fopen(WideToUtf8(widePath).c_str(), "wb");
    if (!path) return nullptr;
    return std::fopen(MapWindowsPath(path).c_str(), "wb");
}
