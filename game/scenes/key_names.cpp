#include "game/scenes/key_names.h"

#include <cstring>

#include "engine/core/files/file_access.h"

namespace {

// A line longer than a name is read whole and cut, so that it never spills into the next key's line.
constexpr int kLineBufferSize = 256;

}  // namespace

void KeyNames::Load(const char* path) {
    const int file = OpenFileHandle(path, 0);
    if (file <= 0) return;
    char line[kLineBufferSize];
    for (auto& name : names) {
        if (ReadFileHandleLine(line, kLineBufferSize, file) < 0) break;
        const size_t length = strnlen(line, kKeyNameSize - 1);
        std::memcpy(name, line, length);
        name[length] = '\0';
    }
    CloseFileHandle(file);
}

const char* KeyNames::Name(int keyCode) const {
    return keyCode >= 0 && keyCode < kKeyCodeCount ? names[keyCode] : "";
}

int FindSinglePressedKey(const char states[kKeyCodeCount]) {
    int count = 0, last = 0;
    for (int i = 0; i < kKeyCodeCount; ++i) {
        if (states[i] == 1) {
            ++count;
            last = i;
        }
    }
    if (count == 0) return 0;
    return count == 1 ? last : -1;
}
