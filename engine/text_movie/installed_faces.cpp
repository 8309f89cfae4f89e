#include <cstring>
#include <vector>

#include "engine/text_movie/font_create.h"
#include "platform/gdi/gdi32.h"
#include "platform/user/user32.h"

namespace {

constexpr int kNameSize = 64;
constexpr int kTemporaryNames = 4096;

struct Collector {
    char* names;
    int capacity;  // names that fit
    int maximum;
    int count;
};

int CALLBACK CollectFace(const LOGFONTA* font, const TEXTMETRICA*, DWORD, LPARAM param) {
    auto* collector = reinterpret_cast<Collector*>(param);
    const char* name =
        reinterpret_cast<const char*>(reinterpret_cast<const ENUMLOGFONTEXA*>(font)->elfFullName);
    if (name[0] == '@') return 1;
    for (int i = 0; i < collector->count; ++i)
        if (std::strncmp(collector->names + i * kNameSize, name, kNameSize) == 0) return 1;
    if (collector->count >= collector->capacity) return 0;
    char* slot = collector->names + collector->count * kNameSize;
    size_t length = strnlen(name, kNameSize - 1);
    std::memcpy(slot, name, length);
    slot[length] = 0;
    ++collector->count;
    return collector->maximum != 0 && collector->count >= collector->maximum ? 0 : 1;
}

}  // namespace

int EnumInstalledFaces(char* buffer, int maximum, const char* face, int charsetCode) {
    std::vector<char> temporary;
    int capacity = maximum;
    if (!buffer) {
        temporary.assign(size_t(kTemporaryNames) * kNameSize, 0);
        buffer = temporary.data();
        capacity = kTemporaryNames;
    } else if (capacity <= 0) {
        return 0;
    }
    LOGFONTA query{};
    query.lfCharSet = static_cast<BYTE>(charsetCode < 0 ? DEFAULT_CHARSET : GdiCharSetOfCode(charsetCode));
    if (face) std::memcpy(query.lfFaceName, face, strnlen(face, LF_FACESIZE - 1));
    Collector collector{buffer, capacity, maximum, 0};
    HDC dc = GetDC(nullptr);
    EnumFontFamiliesExA(dc, &query, CollectFace, reinterpret_cast<LPARAM>(&collector), 0);
    if (dc) ReleaseDC(nullptr, dc);
    return collector.count;
}
