// Names inside an archive: search names, splitting a path, wildcard matching.
#include <cstring>

#include "engine/core/files/archive_reader.h"
#include "engine/core/helpers/string_helpers.h"

namespace {
bool IsSeparator(char c) {
    return c == '\\' || c == '/';
}
}  // namespace

int PrepareArchiveSearchName(const char* component, int charset, ArchiveSearchName* out) {
    int i = 0;
    int n = 0;
    uint32_t check = 0;
    while (component[i] != 0 && !IsSeparator(component[i])) {
        uint8_t b = uint8_t(component[i]);
        int width = (IsLeadByte(b, charset) && component[i + 1] != 0) ? 2 : 1;
        if (n + width + 4 > kArchiveSearchNameSize) return -1;
        for (int k = 0; k < width; ++k) {
            uint8_t c = uint8_t(component[i + k]);
            if (width == 1 && c >= 'a' && c <= 'z') c = uint8_t(c - 'a' + 'A');
            out->name[n++] = c;
            check += c;
        }
        i += width;
    }
    int padded = (n + 4) & ~3;
    std::memset(out->name + n, 0, size_t(padded - n));
    out->check = uint16_t(check);
    out->length = uint16_t((n + 4) / 4);
    return i;
}

int SplitDirAndFileName(int charset, char* outName, char* outFolder, const char* path) {
    int last = -1;
    int i = 0;
    while (path[i] != 0) {
        if (IsLeadByte(uint8_t(path[i]), charset) && path[i + 1] != 0) {
            i += 2;
            continue;
        }
        if (IsSeparator(path[i]) || path[i] == ':') last = i;
        ++i;
    }
    int folderLength = last < 0 ? 0 : last;
    int nameLength = i - (last + 1);
    if (folderLength >= kFilePathLimit || nameLength >= kFilePathLimit) return -1;
    if (outFolder != nullptr) {
        std::memcpy(outFolder, path, size_t(folderLength));
        outFolder[folderLength] = 0;
    }
    if (outName != nullptr) {
        std::memcpy(outName, path + last + 1, size_t(nameLength));
        outName[nameLength] = 0;
    }
    return 0;
}

int MatchWildcard(const char* name, const char* pattern, int charset) {
    int n = 0;
    int p = 0;
    while (pattern[p] != 0) {
        char c = pattern[p];
        if (IsLeadByte(uint8_t(c), charset) && pattern[p + 1] != 0) {
            if (name[n] != c || name[n + 1] != pattern[p + 1]) return -1;
            n += 2;
            p += 2;
        } else if (c == '?') {
            if (name[n] == 0) return -1;
            ++n;
            ++p;
        } else if (c == '*') {
            while (pattern[p] == '*') ++p;
            if (pattern[p] == 0) return 0;
            while (name[n] != 0 && name[n] != pattern[p]) ++n;
            if (name[n] == 0) return -1;
            ++n;
            ++p;
        } else {
            if (name[n] != c) return -1;
            ++n;
            ++p;
        }
    }
    return name[n] == 0 ? 0 : -1;
}
