#include "platform/user/window_store.h"

#include <algorithm>

#include "platform/user/window_metrics.h"

namespace {

struct Store {
    std::recursive_mutex mutex;
    std::map<std::string, WindowClassRecord> classes;  // by upper-cased name
    std::map<HWND, std::unique_ptr<WindowRecord>> windows;
    uintptr_t next_handle = 0x10010;
    ATOM next_atom = 0xC000;
};

Store& TheStore() {
    static Store* store = new Store;
    return *store;
}

}  // namespace

std::recursive_mutex& UserMutex() {
    return TheStore().mutex;
}

std::string UpperAscii(std::string text) {
    for (char& c : text)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return text;
}

std::map<std::string, WindowClassRecord>& ClassRecords() {
    return TheStore().classes;
}

WindowClassRecord* FindClassRecord(LPCSTR name_or_atom) {
    if (!name_or_atom) return nullptr;
    auto& classes = TheStore().classes;
    if (IS_INTRESOURCE(name_or_atom)) {
        ATOM atom = static_cast<ATOM>(reinterpret_cast<uintptr_t>(name_or_atom));
        for (auto& [key, record] : classes)
            if (record.atom == atom) return &record;
        return nullptr;
    }
    auto found = classes.find(UpperAscii(name_or_atom));
    return found == classes.end() ? nullptr : &found->second;
}

WindowRecord* FindWindowRecord(HWND window) {
    auto& windows = TheStore().windows;
    auto found = windows.find(window);
    return found == windows.end() ? nullptr : found->second.get();
}

WindowRecord* AddWindowRecord() {
    Store& store = TheStore();
    auto record = std::make_unique<WindowRecord>();
    record->handle = reinterpret_cast<HWND>(store.next_handle);
    store.next_handle += 0x10;
    WindowRecord* raw = record.get();
    store.windows[raw->handle] = std::move(record);
    return raw;
}

void RemoveWindowRecord(HWND window) {
    TheStore().windows.erase(window);
}

std::vector<HWND> AllWindows() {
    std::vector<HWND> handles;
    for (auto& [handle, record] : TheStore().windows) handles.push_back(handle);
    return handles;
}

RECT FrameInsets(DWORD style, DWORD ex_style, bool menu) {
    int frame = 0;
    if (style & WS_THICKFRAME)
        frame = kSizeFrame;
    else if ((style & WS_DLGFRAME) || (ex_style & WS_EX_DLGMODALFRAME))
        frame = kFixedFrame;
    else if (style & WS_BORDER)
        frame = kBorder;
    if (ex_style & WS_EX_CLIENTEDGE) frame += kClientEdge;
    RECT insets{frame, frame, frame, frame};
    if ((style & WS_CAPTION) == WS_CAPTION) insets.top += kCaptionHeight;
    if (menu) insets.top += kMenuHeight;
    return insets;
}

RECT ClientRectInScreen(const WindowRecord& record) {
    RECT insets = FrameInsets(record.style, record.ex_style, record.menu != nullptr);
    RECT client{record.rect.left + insets.left, record.rect.top + insets.top,
                record.rect.right - insets.right, record.rect.bottom - insets.bottom};
    client.right = std::max(client.right, client.left);
    client.bottom = std::max(client.bottom, client.top);
    return client;
}

int ClientWidth(const WindowRecord& record) {
    RECT client = ClientRectInScreen(record);
    return client.right - client.left;
}

int ClientHeight(const WindowRecord& record) {
    RECT client = ClientRectInScreen(record);
    return client.bottom - client.top;
}
