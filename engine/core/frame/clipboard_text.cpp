// Clipboard text for the main window. The reader is told the buffer's size, so text that changed (or grew)
// since its size was asked for is refused instead of overrunning the buffer; every failure returns -1.
#include <climits>
#include <cstring>

#include "engine/core/frame/window_mode.h"
#include "engine/core/frame/window_utils.h"
#include "platform/kernel/kernel32.h"
#include "platform/user/user32.h"

namespace {

// The clipboard's text into the buffer (null: only measured). Clipboard open; returns as
// GetClipboardTextCopy does.
int CopyOpenClipboardText(char* buffer, int bufferSize) {
    if (!IsClipboardFormatAvailable(CF_TEXT)) return -1;
    HANDLE block = GetClipboardData(CF_TEXT);
    const char* text = block ? static_cast<const char*>(GlobalLock(block)) : nullptr;
    if (!text) return -1;
    size_t length = strnlen(text, GlobalSize(block));
    int result = -1;
    if (length < static_cast<size_t>(INT_MAX)) {
        const int needed = static_cast<int>(length) + 1;
        if (!buffer) {
            result = needed;
        } else if (bufferSize >= needed) {
            std::memcpy(buffer, text, length);
            buffer[length] = '\0';
            result = 0;
        }
    }
    GlobalUnlock(block);
    return result;
}

// A block holding the text and its zero byte; null when none can be made.
HGLOBAL MakeTextBlock(const char* text) {
    const size_t size = std::strlen(text) + 1;
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_DDESHARE, size);
    void* bytes = block ? GlobalLock(block) : nullptr;
    if (!bytes) {
        if (block) GlobalFree(block);
        return nullptr;
    }
    std::memcpy(bytes, text, size);
    GlobalUnlock(block);
    return block;
}

}  // namespace

int GetClipboardTextCopy(char* buffer, int bufferSize) {
    if (buffer && bufferSize <= 0) return -1;
    if (!OpenClipboard(GetMainWindowHandle())) return -1;
    const int result = CopyOpenClipboardText(buffer, bufferSize);
    CloseClipboard();
    return result;
}

int SetClipboardTextCopy(const char* text) {
    if (!text) return -1;
    HGLOBAL block = MakeTextBlock(text);
    if (!block) return -1;
    if (!OpenClipboard(GetMainWindowHandle())) {
        GlobalFree(block);
        return -1;
    }
    // The clipboard owns the block once it is taken; until then it is ours to free.
    const bool taken = EmptyClipboard() && SetClipboardData(CF_TEXT, block);
    if (!taken) GlobalFree(block);
    CloseClipboard();
    return taken ? 0 : -1;
}
