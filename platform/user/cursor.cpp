// The cursor's display count, the current cursor, confinement and position.
#include <mutex>

#include "platform/host/host.h"
#include "platform/user/user32.h"

namespace {

struct CursorState {
    std::mutex mutex;
    int display_count = 0;
    HCURSOR current = nullptr;
    bool clipped = false;
    RECT clip{};
};

// The arrow cursor and the application icon: the only resources the library loads.
HCURSOR ArrowCursor() {
    return reinterpret_cast<HCURSOR>(static_cast<uintptr_t>(0x10003));
}
HICON ApplicationIcon() {
    return reinterpret_cast<HICON>(static_cast<uintptr_t>(0x10005));
}

CursorState& State() {
    static CursorState* state = [] {
        auto* fresh = new CursorState;
        fresh->current = ArrowCursor();
        return fresh;
    }();
    return *state;
}

void ApplyVisibility(const CursorState& state) {
    HostSetCursorVisible(state.display_count >= 0 && state.current != nullptr);
}

}  // namespace

HCURSOR WINAPI LoadCursorA(HINSTANCE instance, LPCSTR name) {
    return !instance && name == IDC_ARROW ? ArrowCursor() : nullptr;
}

HICON WINAPI LoadIconA(HINSTANCE, LPCSTR name) {
    return IS_INTRESOURCE(name) ? ApplicationIcon() : nullptr;
}

int WINAPI ShowCursor(BOOL show) {
    CursorState& state = State();
    std::lock_guard lock(state.mutex);
    state.display_count += show ? 1 : -1;
    ApplyVisibility(state);
    return state.display_count;
}

HCURSOR WINAPI SetCursor(HCURSOR cursor) {
    CursorState& state = State();
    std::lock_guard lock(state.mutex);
    HCURSOR old = state.current;
    state.current = cursor;
    ApplyVisibility(state);
    return old;
}

BOOL WINAPI ClipCursor(const RECT* rect) {
    CursorState& state = State();
    std::lock_guard lock(state.mutex);
    state.clipped = rect != nullptr;
    if (rect) state.clip = *rect;
    HostClipCursor(rect);
    return TRUE;
}

BOOL WINAPI GetClipCursor(LPRECT rect) {
    if (!rect) return FALSE;
    CursorState& state = State();
    std::lock_guard lock(state.mutex);
    if (state.clipped) {
        *rect = state.clip;
    } else {
        *rect = RECT{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    }
    return TRUE;
}

BOOL WINAPI GetCursorPos(LPPOINT point) {
    if (!point) return FALSE;
    int x = 0, y = 0;
    HostGetCursorPos(&x, &y);
    *point = POINT{x, y};
    return TRUE;
}
