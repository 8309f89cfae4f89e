#include <cstring>

#include "engine/core/helpers/string_helpers.h"
#include "engine/image/image_loader.h"

int MakeAlphaImageName(const char* name, char* out) {
    // The extension is searched for only in the last path component.
    int length = StrLen(name);
    int dot = -1;
    for (int i = 0; i < length;) {
        unsigned char c = static_cast<unsigned char>(name[i]);
        if (IsLeadByte(c) && i + 1 < length) {
            i += 2;
            continue;
        }
        if (c == '\\' || c == '/') {
            dot = -1;
        } else if (c == '.') {
            dot = i;
        }
        ++i;
    }
    int insertAt = dot >= 0 ? dot : length;
    std::memcpy(out, name, static_cast<size_t>(insertAt));
    out[insertAt] = '_';
    out[insertAt + 1] = 'a';
    std::memcpy(out + insertAt + 2, name + insertAt, static_cast<size_t>(length - insertAt) + 1);
    return 0;
}
