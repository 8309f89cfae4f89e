// The clipboard: text only, kept by the host (the desktop's clipboard under SDL, an in-process one when
// headless). The clipboard owns at most one global memory block at a time: the last one handed to
// SetClipboardData or made by GetClipboardData.
#include <cstring>
#include <mutex>
#include <string>

#include "platform/host/host.h"
#include "platform/kernel/kernel32.h"
#include "platform/user/user32.h"
#include "platform/user/user_test_support.h"
#include "platform/user/user_thread.h"

namespace {

struct ClipboardState {
    std::mutex mutex;
    DWORD openThread = 0;  // 0: closed
    HWND owner = nullptr;
    HGLOBAL ownedBlock = nullptr;
};

ClipboardState& Clipboard() {
    static ClipboardState* state = new ClipboardState;
    return *state;
}

// Caller holds the mutex.
bool IsOpenOnThisThread() {
    if (Clipboard().openThread == UserThreadId()) return true;
    SetLastError(ERROR_CLIPBOARD_NOT_OPEN);
    return false;
}

// Caller holds the mutex.
void ReplaceOwnedBlock(HGLOBAL block) {
    if (Clipboard().ownedBlock && Clipboard().ownedBlock != block) GlobalFree(Clipboard().ownedBlock);
    Clipboard().ownedBlock = block;
}

// The block's text up to its first zero byte or its end; false for a block that can't be locked.
bool ReadBlockText(HGLOBAL block, std::string* text) {
    const char* bytes = static_cast<const char*>(GlobalLock(block));
    if (!bytes) return false;
    *text = std::string(bytes, strnlen(bytes, GlobalSize(block)));
    GlobalUnlock(block);
    return true;
}

// A block holding the text and a zero byte; null when none can be made.
HGLOBAL MakeTextBlock(const std::string& text) {
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_DDESHARE, text.size() + 1);
    char* bytes = block ? static_cast<char*>(GlobalLock(block)) : nullptr;
    if (!bytes) {
        if (block) GlobalFree(block);
        return nullptr;
    }
    std::memcpy(bytes, text.c_str(), text.size() + 1);
    GlobalUnlock(block);
    return block;
}

}  // namespace

BOOL WINAPI OpenClipboard(HWND owner) {
    if (owner && !IsWindow(owner)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    std::lock_guard lock(Clipboard().mutex);
    DWORD thread = UserThreadId();
    if (Clipboard().openThread != 0 && Clipboard().openThread != thread) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    Clipboard().openThread = thread;
    Clipboard().owner = owner;
    return TRUE;
}

BOOL WINAPI CloseClipboard() {
    std::lock_guard lock(Clipboard().mutex);
    if (!IsOpenOnThisThread()) return FALSE;
    Clipboard().openThread = 0;
    Clipboard().owner = nullptr;
    return TRUE;
}

BOOL WINAPI EmptyClipboard() {
    std::lock_guard lock(Clipboard().mutex);
    if (!IsOpenOnThisThread()) return FALSE;
    ReplaceOwnedBlock(nullptr);
    HostSetClipboardText("");
    return TRUE;
}

HANDLE WINAPI SetClipboardData(UINT format, HANDLE data) {
    std::lock_guard lock(Clipboard().mutex);
    if (!IsOpenOnThisThread()) return nullptr;
    if (format != CF_TEXT || !data) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    std::string text;
    if (!ReadBlockText(data, &text)) return nullptr;
    HostSetClipboardText(text);
    ReplaceOwnedBlock(data);
    return data;
}

HANDLE WINAPI GetClipboardData(UINT format) {
    std::lock_guard lock(Clipboard().mutex);
    if (!IsOpenOnThisThread()) return nullptr;
    std::string text;
    if (format != CF_TEXT || !HostGetClipboardText(&text)) return nullptr;
    std::string ownedText;
    HGLOBAL owned = Clipboard().ownedBlock;
    if (owned && ReadBlockText(owned, &ownedText) && ownedText == text) return owned;
    HGLOBAL block = MakeTextBlock(text);
    if (block) ReplaceOwnedBlock(block);
    return block;
}

BOOL WINAPI IsClipboardFormatAvailable(UINT format) {
    std::string text;
    return format == CF_TEXT && HostGetClipboardText(&text);
}

void ResetClipboardForTests() {
    std::lock_guard lock(Clipboard().mutex);
    ReplaceOwnedBlock(nullptr);
    Clipboard().openThread = 0;
    Clipboard().owner = nullptr;
}
