// TranslateMessage: a key-down becomes a character message. Hosts that deliver typed text (SDL) give
// the printable characters themselves, so only the control characters come from keys there; the
// headless host types through a US layout.
#include <cctype>

#include "platform/host/host.h"
#include "platform/user/keyboard_state.h"
#include "platform/user/message_queue.h"
#include "platform/user/user32.h"

namespace {

int ControlCharacter(WPARAM key) {
    switch (key) {
        case VK_RETURN:
            return '\r';
        case VK_BACK:
            return 0x08;
        case VK_TAB:
            return '\t';
        case VK_ESCAPE:
            return 0x1B;
        default:
            break;
    }
    if (IsVirtualKeyDown(VK_CONTROL) && !IsVirtualKeyDown(VK_MENU) && key >= 'A' && key <= 'Z')
        return static_cast<int>(key - 'A' + 1);
    return -1;
}

int PrintableCharacter(WPARAM key) {
    bool shift = IsVirtualKeyDown(VK_SHIFT);
    if (key >= 'A' && key <= 'Z') {
        bool caps = (GetKeyState(VK_CAPITAL) & 1) != 0;
        return shift != caps ? static_cast<int>(key) : std::tolower(static_cast<int>(key));
    }
    if (key >= '0' && key <= '9') return shift ? ")!@#$%^&*("[key - '0'] : static_cast<int>(key);
    if (key >= VK_NUMPAD0 && key <= VK_NUMPAD9) return static_cast<int>('0' + key - VK_NUMPAD0);
    switch (key) {
        case VK_SPACE:
            return ' ';
        case VK_OEM_MINUS:
            return shift ? '_' : '-';
        case VK_OEM_PLUS:
            return shift ? '+' : '=';
        case VK_OEM_COMMA:
            return shift ? '<' : ',';
        case VK_OEM_PERIOD:
            return shift ? '>' : '.';
        case VK_OEM_1:
            return shift ? ':' : ';';
        case VK_OEM_2:
            return shift ? '?' : '/';
        case VK_OEM_3:
            return shift ? '~' : '`';
        case VK_OEM_4:
            return shift ? '{' : '[';
        case VK_OEM_5:
            return shift ? '|' : '\\';
        case VK_OEM_6:
            return shift ? '}' : ']';
        case VK_OEM_7:
            return shift ? '"' : '\'';
        case VK_MULTIPLY:
            return '*';
        case VK_ADD:
            return '+';
        case VK_SUBTRACT:
            return '-';
        case VK_DECIMAL:
            return '.';
        case VK_DIVIDE:
            return '/';
        default:
            return -1;
    }
}

}  // namespace

BOOL WINAPI TranslateMessage(const MSG* msg) {
    if (!msg || (msg->message != WM_KEYDOWN && msg->message != WM_SYSKEYDOWN)) return FALSE;
    int character = ControlCharacter(msg->wParam);
    if (character < 0 && !HostProducesTextInput() && !IsVirtualKeyDown(VK_CONTROL))
        character = PrintableCharacter(msg->wParam);
    if (character < 0) return FALSE;
    UINT message = msg->message == WM_SYSKEYDOWN ? WM_SYSCHAR : WM_CHAR;
    PostAheadToCallingThread(msg->hwnd, message, static_cast<WPARAM>(character), msg->lParam);
    return TRUE;
}
