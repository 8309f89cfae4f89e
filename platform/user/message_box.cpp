// Message boxes never wait for anyone: the caption and text go to standard error and the box answers
// with its default button.
#include <cstdio>

#include "platform/host/cp932_text.h"
#include "platform/user/user32.h"

namespace {

int DefaultButton(UINT type) {
    static constexpr int kButtons[][3] = {
        {IDOK, IDOK, IDOK},      {IDOK, IDCANCEL, IDCANCEL}, {IDABORT, IDRETRY, IDIGNORE},
        {IDYES, IDNO, IDCANCEL}, {IDYES, IDNO, IDNO},        {IDRETRY, IDCANCEL, IDCANCEL},
    };
    UINT kind = type & 0x0F;
    UINT default_index = (type >> 8) & 0x0F;
    if (kind > 5) kind = 0;
    if (default_index > 2) default_index = 0;
    return kButtons[kind][default_index];
}

}  // namespace

int WINAPI MessageBoxA(HWND, LPCSTR text, LPCSTR caption, UINT type) {
    std::string shown_caption = Cp932ToUtf8(caption ? caption : "Error");
    std::string shown_text = Cp932ToUtf8(text ? text : "");
    std::fprintf(stderr, "[%s] %s\n", shown_caption.c_str(), shown_text.c_str());
    std::fflush(stderr);
    return DefaultButton(type);
}
