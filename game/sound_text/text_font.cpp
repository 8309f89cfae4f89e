// The dialogue font: "data/k8x12S.ttf" added as a private memory font and a library font created on it.
#include <cstdint>
#include <new>

#include "engine/core/files/file_access.h"
#include "engine/text_movie/fonts.h"
#include "game/sound_text/text_drawing.h"
#include "platform/gdi/gdi32.h"
#include "platform/user/user32.h"

namespace {

constexpr const char* kFontPath = "data/k8x12S.ttf";
// Far beyond any bitmap-style TrueType font; keeps a broken size from asking for the whole memory.
constexpr int64_t kFontFileLimit = 64 * 1024 * 1024;

// The whole file in a new buffer; null when it is missing, empty, too large or reads short.
uint8_t* ReadFontFile(int64_t* size) {
    *size = GetFileSizeByPath(kFontPath);
    if (*size <= 0 || *size > kFontFileLimit) return nullptr;
    auto* buffer = new (std::nothrow) uint8_t[static_cast<size_t>(*size)];
    if (buffer == nullptr) return nullptr;
    const int file = OpenFileHandle(kFontPath, 0);
    const int read = file > 0 ? ReadFileHandle(buffer, static_cast<int>(*size), file) : -1;
    if (file > 0) CloseFileHandle(file);
    if (read == *size) return buffer;
    delete[] buffer;
    return nullptr;
}

}  // namespace

HANDLE memoryFont = nullptr;

void LoadTextFont() {
    int64_t size = 0;
    uint8_t* buffer = ReadFontFile(&size);
    DWORD fonts = 0;
    memoryFont =
        buffer != nullptr ? AddFontMemResourceEx(buffer, static_cast<DWORD>(size), nullptr, &fonts) : nullptr;
    if (memoryFont == nullptr) {
        delete[] buffer;
        MessageBoxA(nullptr, "フォント読込失敗", "", MB_OK);
        return;
    }
    textFont = CreateFontPublic("k8x12S", 12, 1, 0, -1, -1, 0, -1);
    delete[] buffer;
}

void RemoveTextFont() {
    if (memoryFont != nullptr) RemoveFontMemResourceEx(memoryFont);
    memoryFont = nullptr;
}
