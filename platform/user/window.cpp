// Windows: creation and destruction with the messages they send, showing, placing and sizing, and the
// window's fields.
#include <unistd.h>

#include <algorithm>
#include <cstring>

#include "platform/host/host.h"
#include "platform/user/activation.h"
#include "platform/user/display_state.h"
#include "platform/user/find_window.h"
#include "platform/user/message_queue.h"
#include "platform/user/user_thread.h"
#include "platform/user/window_store.h"
#include "platform/user/window_sync.h"

namespace {

constexpr int kDefaultX = 100;
constexpr int kDefaultY = 100;
constexpr int kDefaultWidth = 640;
constexpr int kDefaultHeight = 480;

bool IsTopLevel(DWORD style) {
    return (style & WS_CHILD) == 0;
}

HostShow HostShowOf(const WindowRecord& record) {
    if (!(record.style & WS_VISIBLE)) return HostShow::kHidden;
    return record.minimized ? HostShow::kMinimized : HostShow::kShown;
}

HostWindowDesc HostDescOf(const WindowRecord& record) {
    RECT client = ClientRectInScreen(record);
    HostWindowDesc desc;
    desc.window = record.handle;
    desc.title = record.text;
    desc.x = client.left;
    desc.y = client.top;
    desc.width = client.right - client.left;
    desc.height = client.bottom - client.top;
    desc.decorated = (record.style & WS_CAPTION) == WS_CAPTION;
    desc.resizable = (record.style & WS_THICKFRAME) != 0;
    desc.show = HostShowOf(record);
    return desc;
}

LPARAM ClientSizeParam(const WindowRecord& record) {
    return MAKELONG(ClientWidth(record), ClientHeight(record));
}

LPARAM ClientOriginParam(const WindowRecord& record) {
    RECT client = ClientRectInScreen(record);
    return MAKELONG(client.left, client.top);
}

// Whether the window should cover the display: a pop-up without caption that covers the whole screen.
void UpdateFullScreen(HWND window) {
    bool full_screen = false;
    {
        UserLock lock(UserMutex());
        WindowRecord* record = FindWindowRecord(window);
        if (!record || !record->host_window) return;
        DisplayModeInfo mode = CurrentDisplayMode();
        full_screen = (record->style & WS_POPUP) && (record->style & WS_CAPTION) != WS_CAPTION &&
                      record->rect.left <= 0 && record->rect.top <= 0 && record->rect.right >= mode.width &&
                      record->rect.bottom >= mode.height;
        if (full_screen == record->full_screen) return;
        record->full_screen = full_screen;
    }
    HostSetWindowFullScreen(window, full_screen);
}

void SyncHostGeometry(HWND window) {
    HostWindowDesc desc;
    {
        UserLock lock(UserMutex());
        WindowRecord* record = FindWindowRecord(window);
        if (!record || !record->host_window) return;
        desc = HostDescOf(*record);
    }
    HostSetWindowGeometry(window, desc.x, desc.y, desc.width, desc.height);
    UpdateFullScreen(window);
}

void SyncHostShow(HWND window) {
    HostShow show;
    {
        UserLock lock(UserMutex());
        WindowRecord* record = FindWindowRecord(window);
        if (!record || !record->host_window) return;
        show = HostShowOf(*record);
    }
    HostSetWindowShow(window, show);
}

void InvalidateWhole(WindowRecord* record) {
    record->invalid = true;
    record->erase = true;
    record->invalid_rect = RECT{0, 0, ClientWidth(*record), ClientHeight(*record)};
}

// Changes the window rectangle and sends WM_SIZE / WM_MOVE for what changed.
void ApplyRect(HWND window, const RECT& rect) {
    bool resized, moved;
    LPARAM size, origin;
    WPARAM size_kind;
    {
        UserLock lock(UserMutex());
        WindowRecord* record = FindWindowRecord(window);
        if (!record) return;
        RECT old_client = ClientRectInScreen(*record);
        record->rect = rect;
        RECT client = ClientRectInScreen(*record);
        resized = (client.right - client.left) != (old_client.right - old_client.left) ||
                  (client.bottom - client.top) != (old_client.bottom - old_client.top);
        moved = client.left != old_client.left || client.top != old_client.top;
        if (resized) InvalidateWhole(record);
        size = ClientSizeParam(*record);
        origin = ClientOriginParam(*record);
        size_kind = record->minimized ? SIZE_MINIMIZED : SIZE_RESTORED;
    }
    if (resized || moved) SyncHostGeometry(window);
    if (resized) SendMessageA(window, WM_SIZE, size_kind, size);
    if (moved) SendMessageA(window, WM_MOVE, 0, origin);
}

void SetMinimized(HWND window, bool minimized) {
    LPARAM size;
    {
        UserLock lock(UserMutex());
        WindowRecord* record = FindWindowRecord(window);
        if (!record || record->minimized == minimized) return;
        record->minimized = minimized;
        size = minimized ? 0 : ClientSizeParam(*record);
        if (!minimized) InvalidateWhole(record);
    }
    SyncHostShow(window);
    SendMessageA(window, WM_SIZE, minimized ? SIZE_MINIMIZED : SIZE_RESTORED, size);
}

// Makes the window visible or hidden; true when that changed.
bool SetVisible(HWND window, bool visible) {
    {
        UserLock lock(UserMutex());
        WindowRecord* record = FindWindowRecord(window);
        if (!record || ((record->style & WS_VISIBLE) != 0) == visible) return false;
        if (visible) {
            record->style |= WS_VISIBLE;
            InvalidateWhole(record);
        } else {
            record->style &= ~WS_VISIBLE;
        }
    }
    SendMessageA(window, WM_SHOWWINDOW, visible ? TRUE : FALSE, 0);
    SyncHostShow(window);
    return true;
}

bool IsVisibleRecord(HWND window) {
    UserLock lock(UserMutex());
    WindowRecord* record = FindWindowRecord(window);
    return record && (record->style & WS_VISIBLE);
}

// Removes a window's record, host window, queued messages and timers.
void ForgetWindow(HWND window) {
    ForgetWindowMessages(window);
    bool host_window = false;
    {
        UserLock lock(UserMutex());
        if (WindowRecord* record = FindWindowRecord(window)) host_window = record->host_window;
        RemoveWindowRecord(window);
    }
    if (host_window) HostDestroyWindow(window);
    ReleaseWindowClassClaim(window);
}

RECT InitialRect(DWORD style, int x, int y, int width, int height) {
    if (x == CW_USEDEFAULT) {
        x = kDefaultX;
        y = kDefaultY;
    }
    if (width == CW_USEDEFAULT) {
        width = kDefaultWidth;
        height = kDefaultHeight;
    }
    (void)style;
    return RECT{x, y, x + std::max(width, 0), y + std::max(height, 0)};
}

}  // namespace

HWND WINAPI CreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, int x, int y,
                            int width, int height, HWND parent, HMENU menu, HINSTANCE instance,
                            LPVOID param) {
    HWND window;
    CREATESTRUCTA create{};
    std::string class_name;
    {
        UserLock lock(UserMutex());
        WindowClassRecord* window_class = FindClassRecord(className);
        if (!window_class) return nullptr;
        if (parent && !FindWindowRecord(parent)) return nullptr;
        WindowRecord* record = AddWindowRecord();
        record->class_name = window_class->name;
        record->procedure = window_class->procedure;
        record->background = window_class->background;
        record->style = style & ~WS_VISIBLE;
        record->ex_style = exStyle;
        record->text = windowName ? windowName : "";
        record->parent = parent;
        record->instance = instance;
        if (style & WS_CHILD)
            record->id = static_cast<LONG>(reinterpret_cast<uintptr_t>(menu));
        else
            record->menu = menu;
        record->rect = InitialRect(style, x, y, width, height);
        record->thread_id = UserThreadId();
        record->host_window = IsTopLevel(style);
        window = record->handle;
        class_name = record->class_name;
        create = CREATESTRUCTA{param,
                               instance,
                               menu,
                               parent,
                               record->rect.bottom - record->rect.top,
                               record->rect.right - record->rect.left,
                               record->rect.top,
                               record->rect.left,
                               static_cast<LONG>(style),
                               windowName,
                               className,
                               exStyle};
        if (record->host_window) {
            if (!HostCreateWindow(HostDescOf(*record))) {
                RemoveWindowRecord(window);
                return nullptr;
            }
            SetHostThread(record->thread_id);
        }
    }
    if (IsTopLevel(style)) ClaimWindowClass(window, class_name);
    if (!SendMessageA(window, WM_NCCREATE, 0, reinterpret_cast<LPARAM>(&create))) {
        SendMessageA(window, WM_NCDESTROY, 0, 0);
        ForgetWindow(window);
        return nullptr;
    }
    if (SendMessageA(window, WM_CREATE, 0, reinterpret_cast<LPARAM>(&create)) == -1) {
        DestroyWindow(window);
        return nullptr;
    }
    if (!IsWindow(window)) return nullptr;
    LPARAM size, origin;
    {
        UserLock lock(UserMutex());
        WindowRecord* record = FindWindowRecord(window);
        size = ClientSizeParam(*record);
        origin = ClientOriginParam(*record);
    }
    SendMessageA(window, WM_SIZE, SIZE_RESTORED, size);
    SendMessageA(window, WM_MOVE, 0, origin);
    UpdateFullScreen(window);
    if ((style & WS_VISIBLE) && IsWindow(window)) ShowWindow(window, SW_SHOW);
    return IsWindow(window) ? window : nullptr;
}

BOOL WINAPI DestroyWindow(HWND window) {
    {
        UserLock lock(UserMutex());
        WindowRecord* record = FindWindowRecord(window);
        if (!record || record->destroying || record->thread_id != UserThreadId()) return FALSE;
        record->destroying = true;
        record->style &= ~WS_VISIBLE;
    }
    SyncHostShow(window);
    ForgetActivation(window);
    SendMessageA(window, WM_DESTROY, 0, 0);
    std::vector<HWND> children;
    {
        UserLock lock(UserMutex());
        for (HWND other : AllWindows())
            if (FindWindowRecord(other)->parent == window) children.push_back(other);
    }
    for (HWND child : children) DestroyWindow(child);
    SendMessageA(window, WM_NCDESTROY, 0, 0);
    ForgetWindow(window);
    return TRUE;
}

BOOL WINAPI IsWindow(HWND window) {
    UserLock lock(UserMutex());
    return FindWindowRecord(window) != nullptr;
}

BOOL WINAPI IsWindowVisible(HWND window) {
    return IsVisibleRecord(window) ? TRUE : FALSE;
}

BOOL WINAPI IsIconic(HWND window) {
    UserLock lock(UserMutex());
    WindowRecord* record = FindWindowRecord(window);
    return record && record->minimized;
}

HWND WINAPI GetDesktopWindow() {
    return reinterpret_cast<HWND>(static_cast<uintptr_t>(0x10000));
}

DWORD WINAPI GetWindowThreadProcessId(HWND window, LPDWORD processId) {
    UserLock lock(UserMutex());
    WindowRecord* record = FindWindowRecord(window);
    if (!record) return 0;
    if (processId) *processId = static_cast<DWORD>(getpid());
    return record->thread_id;
}

BOOL WINAPI ShowWindow(HWND window, int command) {
    if (!IsWindow(window)) return FALSE;
    BOOL was_visible = IsVisibleRecord(window) ? TRUE : FALSE;
    switch (command) {
        case SW_HIDE:
            if (SetVisible(window, false) && GetActiveWindow() == window) DeactivateApplication();
            break;
        case SW_MINIMIZE:
        case SW_SHOWMINNOACTIVE:
        case SW_SHOWMINIMIZED:
            SetVisible(window, true);
            SetMinimized(window, true);
            if (command == SW_SHOWMINIMIZED)
                ActivateWindow(window);
            else if (command == SW_MINIMIZE && GetActiveWindow() == window)
                DeactivateApplication();
            break;
        case SW_SHOWNA:
        case SW_SHOWNOACTIVATE:
            SetVisible(window, true);
            break;
        case SW_SHOW: {
            SetVisible(window, true);
            ActivateWindow(window);
            break;
        }
        default:  // SW_SHOWNORMAL, SW_RESTORE, SW_SHOWMAXIMIZED, SW_SHOWDEFAULT
            SetVisible(window, true);
            SetMinimized(window, false);
            ActivateWindow(window);
            break;
    }
    return was_visible;
}

BOOL WINAPI UpdateWindow(HWND window) {
    {
        UserLock lock(UserMutex());
        WindowRecord* record = FindWindowRecord(window);
        if (!record) return FALSE;
        if (!record->invalid || !(record->style & WS_VISIBLE)) return TRUE;
    }
    SendMessageA(window, WM_PAINT, 0, 0);
    return TRUE;
}

BOOL WINAPI SetWindowPos(HWND window, HWND insertAfter, int x, int y, int width, int height, UINT flags) {
    RECT rect;
    {
        UserLock lock(UserMutex());
        WindowRecord* record = FindWindowRecord(window);
        if (!record) return FALSE;
        rect = record->rect;
        if (!(flags & SWP_NOMOVE)) {
            rect.right += x - rect.left;
            rect.bottom += y - rect.top;
            rect.left = x;
            rect.top = y;
        }
        if (!(flags & SWP_NOSIZE)) {
            rect.right = rect.left + std::max(width, 0);
            rect.bottom = rect.top + std::max(height, 0);
        }
        if (!(flags & SWP_NOZORDER)) {
            if (insertAfter == HWND_TOPMOST) record->ex_style |= WS_EX_TOPMOST;
            if (insertAfter == HWND_NOTOPMOST) record->ex_style &= ~WS_EX_TOPMOST;
        }
    }
    ApplyRect(window, rect);
    if (flags & SWP_FRAMECHANGED) SyncHostGeometry(window);
    UpdateFullScreen(window);
    if (flags & SWP_SHOWWINDOW) {
        SetVisible(window, true);
        if (!(flags & SWP_NOACTIVATE)) ActivateWindow(window);
    }
    if (flags & SWP_HIDEWINDOW) ShowWindow(window, SW_HIDE);
    return TRUE;
}

BOOL WINAPI MoveWindow(HWND window, int x, int y, int width, int height, BOOL repaint) {
    if (!SetWindowPos(window, nullptr, x, y, width, height, SWP_NOZORDER | SWP_NOACTIVATE)) return FALSE;
    if (repaint) InvalidateRect(window, nullptr, TRUE);
    return TRUE;
}

BOOL WINAPI GetClientRect(HWND window, LPRECT rect) {
    UserLock lock(UserMutex());
    WindowRecord* record = FindWindowRecord(window);
    if (!record || !rect) return FALSE;
    *rect = RECT{0, 0, ClientWidth(*record), ClientHeight(*record)};
    return TRUE;
}

BOOL WINAPI GetWindowRect(HWND window, LPRECT rect) {
    UserLock lock(UserMutex());
    WindowRecord* record = FindWindowRecord(window);
    if (!record || !rect) return FALSE;
    *rect = record->rect;
    return TRUE;
}

BOOL WINAPI ClientToScreen(HWND window, LPPOINT point) {
    UserLock lock(UserMutex());
    WindowRecord* record = FindWindowRecord(window);
    if (!record || !point) return FALSE;
    RECT client = ClientRectInScreen(*record);
    point->x += client.left;
    point->y += client.top;
    return TRUE;
}

BOOL WINAPI ScreenToClient(HWND window, LPPOINT point) {
    UserLock lock(UserMutex());
    WindowRecord* record = FindWindowRecord(window);
    if (!record || !point) return FALSE;
    RECT client = ClientRectInScreen(*record);
    point->x -= client.left;
    point->y -= client.top;
    return TRUE;
}

BOOL WINAPI AdjustWindowRectEx(LPRECT rect, DWORD style, BOOL menu, DWORD exStyle) {
    if (!rect) return FALSE;
    RECT insets = FrameInsets(style, exStyle, menu != FALSE);
    rect->left -= insets.left;
    rect->top -= insets.top;
    rect->right += insets.right;
    rect->bottom += insets.bottom;
    return TRUE;
}

int WINAPI SetWindowRgn(HWND window, HRGN region, BOOL redraw) {
    {
        UserLock lock(UserMutex());
        WindowRecord* record = FindWindowRecord(window);
        if (!record) return 0;
        record->region = region;
    }
    if (redraw) InvalidateRect(window, nullptr, TRUE);
    return 1;
}

BOOL WINAPI SetWindowTextA(HWND window, LPCSTR text) {
    std::string title;
    bool host_window;
    {
        UserLock lock(UserMutex());
        WindowRecord* record = FindWindowRecord(window);
        if (!record) return FALSE;
        record->text = text ? text : "";
        title = record->text;
        host_window = record->host_window;
    }
    if (host_window) HostSetWindowTitle(window, title);
    return TRUE;
}

int WINAPI GetWindowTextA(HWND window, LPSTR text, int maxCount) {
    UserLock lock(UserMutex());
    WindowRecord* record = FindWindowRecord(window);
    if (!record || !text || maxCount <= 0) return 0;
    int length = std::min<int>(record->text.size(), maxCount - 1);
    std::memcpy(text, record->text.data(), length);
    text[length] = '\0';
    return length;
}

LONG WINAPI GetWindowLongA(HWND window, int index) {
    UserLock lock(UserMutex());
    WindowRecord* record = FindWindowRecord(window);
    if (!record) return 0;
    switch (index) {
        case GWL_STYLE:
            return static_cast<LONG>(record->style);
        case GWL_EXSTYLE:
            return static_cast<LONG>(record->ex_style);
        case GWL_ID:
            return record->id;
        default:
            return 0;
    }
}

LONG WINAPI SetWindowLongA(HWND window, int index, LONG value) {
    LONG old = 0;
    {
        UserLock lock(UserMutex());
        WindowRecord* record = FindWindowRecord(window);
        if (!record) return 0;
        switch (index) {
            case GWL_STYLE:
                old = static_cast<LONG>(record->style);
                record->style = static_cast<DWORD>(value);
                break;
            case GWL_EXSTYLE:
                old = static_cast<LONG>(record->ex_style);
                record->ex_style = static_cast<DWORD>(value);
                break;
            case GWL_ID:
                old = record->id;
                record->id = value;
                break;
            default:
                return 0;
        }
    }
    if (index == GWL_STYLE) {
        bool was_visible = (old & WS_VISIBLE) != 0, visible = (value & WS_VISIBLE) != 0;
        if (was_visible != visible) SyncHostShow(window);
    }
    SyncHostGeometry(window);
    return old;
}

LONG_PTR WINAPI GetWindowLongPtrA(HWND window, int index) {
    {
        UserLock lock(UserMutex());
        WindowRecord* record = FindWindowRecord(window);
        if (!record) return 0;
        switch (index) {
            case GWLP_WNDPROC:
                return reinterpret_cast<LONG_PTR>(record->procedure);
            case GWLP_USERDATA:
                return record->user_data;
            case GWLP_HINSTANCE:
                return reinterpret_cast<LONG_PTR>(record->instance);
        }
    }
    return GetWindowLongA(window, index);
}

LONG_PTR WINAPI SetWindowLongPtrA(HWND window, int index, LONG_PTR value) {
    {
        UserLock lock(UserMutex());
        WindowRecord* record = FindWindowRecord(window);
        if (!record) return 0;
        LONG_PTR old;
        switch (index) {
            case GWLP_WNDPROC:
                old = reinterpret_cast<LONG_PTR>(record->procedure);
                record->procedure = reinterpret_cast<WNDPROC>(value);
                return old;
            case GWLP_USERDATA:
                old = record->user_data;
                record->user_data = value;
                return old;
            case GWLP_HINSTANCE:
                old = reinterpret_cast<LONG_PTR>(record->instance);
                record->instance = reinterpret_cast<HINSTANCE>(value);
                return old;
        }
    }
    return SetWindowLongA(window, index, static_cast<LONG>(value));
}

LRESULT WINAPI CallWindowProcA(WNDPROC procedure, HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return procedure ? procedure(window, message, wParam, lParam) : 0;
}

// Host reports: the user resized, moved, minimised or restored a window.
void OnHostResize(HWND window, int width, int height) {
    RECT rect;
    {
        UserLock lock(UserMutex());
        WindowRecord* record = FindWindowRecord(window);
        if (!record || (ClientWidth(*record) == width && ClientHeight(*record) == height)) return;
        RECT insets = FrameInsets(record->style, record->ex_style, record->menu != nullptr);
        rect = record->rect;
        rect.right = rect.left + insets.left + width + insets.right;
        rect.bottom = rect.top + insets.top + height + insets.bottom;
    }
    ApplyRect(window, rect);
}

void OnHostMove(HWND window, int client_x, int client_y) {
    RECT rect;
    {
        UserLock lock(UserMutex());
        WindowRecord* record = FindWindowRecord(window);
        if (!record || record->full_screen) return;
        RECT client = ClientRectInScreen(*record);
        int dx = client_x - client.left, dy = client_y - client.top;
        if (dx == 0 && dy == 0) return;
        rect = RECT{record->rect.left + dx, record->rect.top + dy, record->rect.right + dx,
                    record->rect.bottom + dy};
    }
    ApplyRect(window, rect);
}

void OnHostMinimize(HWND window, bool minimized) {
    SetMinimized(window, minimized);
}

void RefreshFullScreenWindows() {
    std::vector<HWND> windows;
    {
        UserLock lock(UserMutex());
        windows = AllWindows();
    }
    for (HWND window : windows) UpdateFullScreen(window);
}
