#include "platform/user/host_input.h"

#include "platform/user/activation.h"
#include "platform/user/drop_files.h"
#include "platform/user/key_codes.h"
#include "platform/user/keyboard_state.h"
#include "platform/user/message_queue.h"
#include "platform/user/user32.h"
#include "platform/user/window_store.h"
#include "platform/user/window_sync.h"

namespace {

// The window an event goes to: its own, else the one with the keyboard focus, else the active one,
// else the first visible top-level window.
HWND TargetOf(const HostEvent& event) {
    if (event.window && IsWindow(event.window)) return event.window;
    if (HWND focus = GetFocus()) return focus;
    if (HWND active = GetActiveWindow()) return active;
    UserLock lock(UserMutex());
    for (HWND window : AllWindows()) {
        WindowRecord* record = FindWindowRecord(window);
        if (!(record->style & WS_CHILD) && (record->style & WS_VISIBLE)) return window;
    }
    return nullptr;
}

LPARAM KeyParam(uint8_t dik, bool down, bool was_down, bool alt) {
    DWORD param = 1 | (static_cast<DWORD>(dik & 0x7F) << 16);
    if (IsExtendedDik(dik)) param |= 1u << 24;
    if (alt) param |= 1u << 29;
    if (was_down) param |= 1u << 30;
    if (!down) param |= 1u << 31;
    return static_cast<LPARAM>(param);
}

void DeliverKey(HWND window, const HostEvent& event) {
    uint8_t virtual_key = VirtualKeyOfDik(event.dik);
    if (virtual_key == 0) return;
    bool was_down = SetVirtualKeyDown(virtual_key, event.down);
    if (!window) return;
    uint8_t message_key = MessageVirtualKey(virtual_key);
    bool alt = IsVirtualKeyDown(VK_MENU);
    bool system = message_key == VK_F10 || message_key == VK_MENU || (alt && !IsVirtualKeyDown(VK_CONTROL));
    UINT message = event.down ? (system ? WM_SYSKEYDOWN : WM_KEYDOWN) : (system ? WM_SYSKEYUP : WM_KEYUP);
    PostMessageA(window, message, message_key, KeyParam(event.dik, event.down, was_down, alt));
}

WPARAM MouseKeyFlags() {
    WPARAM flags = 0;
    if (IsVirtualKeyDown(VK_LBUTTON)) flags |= MK_LBUTTON;
    if (IsVirtualKeyDown(VK_RBUTTON)) flags |= MK_RBUTTON;
    if (IsVirtualKeyDown(VK_MBUTTON)) flags |= MK_MBUTTON;
    if (IsVirtualKeyDown(VK_SHIFT)) flags |= MK_SHIFT;
    if (IsVirtualKeyDown(VK_CONTROL)) flags |= MK_CONTROL;
    return flags;
}

// Windows asks the window where the mouse is and lets it set the cursor before each mouse message.
void SendCursorQuery(HWND window, int x, int y, UINT mouse_message) {
    POINT screen{x, y};
    ClientToScreen(window, &screen);
    LRESULT hit = SendMessageA(window, WM_NCHITTEST, 0, MAKELONG(screen.x, screen.y));
    SendMessageA(window, WM_SETCURSOR, reinterpret_cast<WPARAM>(window), MAKELONG(hit, mouse_message));
}

void DeliverMouseButton(HWND window, const HostEvent& event) {
    static constexpr UINT kDown[] = {0, WM_LBUTTONDOWN, WM_RBUTTONDOWN, WM_MBUTTONDOWN};
    static constexpr UINT kUp[] = {0, WM_LBUTTONUP, WM_RBUTTONUP, WM_MBUTTONUP};
    static constexpr uint8_t kKey[] = {0, VK_LBUTTON, VK_RBUTTON, VK_MBUTTON};
    if (event.button < 1 || event.button > 3) return;
    SetVirtualKeyDown(kKey[event.button], event.down);
    if (!window) return;
    UINT message = event.down ? kDown[event.button] : kUp[event.button];
    SendCursorQuery(window, event.x, event.y, message);
    PostMessageA(window, message, MouseKeyFlags(), MAKELONG(event.x, event.y));
}

void DeliverWheel(HWND window, const HostEvent& event) {
    int x = 0, y = 0;
    HostGetCursorPos(&x, &y);
    WPARAM param = MAKELONG(MouseKeyFlags(), static_cast<WORD>(static_cast<SHORT>(event.delta)));
    PostMessageA(window, event.horizontal ? WM_MOUSEHWHEEL : WM_MOUSEWHEEL, param, MAKELONG(x, y));
}

void DeliverText(HWND window, const std::string& text) {
    for (unsigned char byte : text) PostMessageA(window, WM_CHAR, byte, 1);
}

}  // namespace

void HandleHostEvent(const HostEvent& event) {
    HWND window = TargetOf(event);
    switch (event.kind) {
        case HostEventKind::kKey:
            DeliverKey(window, event);
            break;
        case HostEventKind::kText:
            if (window) DeliverText(window, event.text);
            break;
        case HostEventKind::kFocus:
            if (event.down && window)
                ActivateWindow(window);
            else if (!event.down)
                DeactivateApplication();
            break;
        case HostEventKind::kClose:
            if (window) PostMessageA(window, WM_CLOSE, 0, 0);
            break;
        case HostEventKind::kMouseMove:
            if (!window) break;
            SendCursorQuery(window, event.x, event.y, WM_MOUSEMOVE);
            PostMessageA(window, WM_MOUSEMOVE, MouseKeyFlags(), MAKELONG(event.x, event.y));
            break;
        case HostEventKind::kMouseButton:
            DeliverMouseButton(window, event);
            break;
        case HostEventKind::kMouseWheel:
            if (window) DeliverWheel(window, event);
            break;
        case HostEventKind::kResize:
            if (window) OnHostResize(window, event.x, event.y);
            break;
        case HostEventKind::kMove:
            if (window) OnHostMove(window, event.x, event.y);
            break;
        case HostEventKind::kMinimize:
        case HostEventKind::kRestore:
            if (window) OnHostMinimize(window, event.kind == HostEventKind::kMinimize);
            break;
        case HostEventKind::kDropFiles:
            if (window)
                PostMessageA(window, WM_DROPFILES,
                             reinterpret_cast<WPARAM>(MakeDropHandle(event.files, event.x, event.y)), 0);
            break;
    }
}

void DeliverHostEvents() {
    HostPollEvents();
    HostEvent event;
    while (HostNextEvent(&event)) HandleHostEvent(event);
}
