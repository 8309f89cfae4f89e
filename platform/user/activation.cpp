#include "platform/user/activation.h"

#include "platform/host/host.h"
#include "platform/user/window_store.h"

namespace {

struct ActivationState {
    HWND active = nullptr;
    HWND focus = nullptr;
    bool application_active = false;
    UINT foreground_lock_timeout = 200000;
};

ActivationState& State() {
    static ActivationState state;
    return state;
}

bool IsTopLevelOfProcess(HWND window) {
    UserLock lock(UserMutex());
    WindowRecord* record = FindWindowRecord(window);
    return record && !(record->style & WS_CHILD) && !record->destroying;
}

void SendToTopLevelWindows(UINT message, WPARAM wParam) {
    std::vector<HWND> windows;
    {
        UserLock lock(UserMutex());
        windows = AllWindows();
    }
    for (HWND window : windows) {
        bool top_level;
        {
            UserLock lock(UserMutex());
            WindowRecord* record = FindWindowRecord(window);
            top_level = record && !(record->style & WS_CHILD);
        }
        if (top_level) SendMessageA(window, message, wParam, 0);
    }
}

bool IsMinimized(HWND window) {
    UserLock lock(UserMutex());
    WindowRecord* record = FindWindowRecord(window);
    return record && record->minimized;
}

void MoveFocus(HWND window) {
    ActivationState& state = State();
    HWND old = state.focus;
    if (old == window) return;
    state.focus = window;
    if (old && IsWindow(old)) SendMessageA(old, WM_KILLFOCUS, reinterpret_cast<WPARAM>(window), 0);
    if (window) SendMessageA(window, WM_SETFOCUS, reinterpret_cast<WPARAM>(old), 0);
}

}  // namespace

void ActivateWindow(HWND window) {
    ActivationState& state = State();
    if (!IsTopLevelOfProcess(window) || state.active == window) return;
    HWND old = state.active;
    state.active = window;
    if (!state.application_active) {
        state.application_active = true;
        SendToTopLevelWindows(WM_ACTIVATEAPP, TRUE);
    }
    if (old && IsWindow(old)) SendMessageA(old, WM_ACTIVATE, WA_INACTIVE, reinterpret_cast<LPARAM>(window));
    WPARAM how = MAKELONG(WA_ACTIVE, IsMinimized(window) ? 1 : 0);
    if (state.active == window) SendMessageA(window, WM_ACTIVATE, how, reinterpret_cast<LPARAM>(old));
    if (state.active == window) MoveFocus(window);
}

void DeactivateApplication() {
    ActivationState& state = State();
    HWND old = state.active;
    state.active = nullptr;
    if (old && IsWindow(old)) SendMessageA(old, WM_ACTIVATE, WA_INACTIVE, 0);
    if (state.application_active) {
        state.application_active = false;
        SendToTopLevelWindows(WM_ACTIVATEAPP, FALSE);
    }
    MoveFocus(nullptr);
}

void ForgetActivation(HWND window) {
    ActivationState& state = State();
    if (state.active == window) DeactivateApplication();
    if (state.focus == window) state.focus = nullptr;
}

void ResetActivationForTests() {
    State() = ActivationState{};
}

HWND WINAPI GetForegroundWindow() {
    return State().active;
}

BOOL WINAPI SetForegroundWindow(HWND window) {
    if (!IsTopLevelOfProcess(window)) return FALSE;
    HostRaiseWindow(window);
    ActivateWindow(window);
    return TRUE;
}

HWND WINAPI GetActiveWindow() {
    return State().active;
}

HWND WINAPI SetActiveWindow(HWND window) {
    HWND old = State().active;
    if (!IsTopLevelOfProcess(window)) return nullptr;
    ActivateWindow(window);
    return old;
}

HWND WINAPI GetFocus() {
    return State().focus;
}

HWND WINAPI SetFocus(HWND window) {
    HWND old = State().focus;
    if (window && !IsWindow(window)) return nullptr;
    MoveFocus(window);
    return old;
}

BOOL WINAPI BringWindowToTop(HWND window) {
    if (!IsWindow(window)) return FALSE;
    HostRaiseWindow(window);
    ActivateWindow(window);
    return TRUE;
}

BOOL WINAPI AttachThreadInput(DWORD, DWORD, BOOL) {
    return TRUE;
}

UINT& ForegroundLockTimeout() {
    return State().foreground_lock_timeout;
}
