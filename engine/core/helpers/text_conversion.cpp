// The library's wide and multibyte text conversions.
#include "engine/core/frame/library_init.h"
#include "platform/kernel/kernel32.h"

int WideToMultiByte(UINT codePage, const WCHAR* wide, char* out, int outSize) {
    return WideCharToMultiByte(codePage, 0, wide, -1, out, outSize, nullptr, nullptr);
}

int MultiByteToWide(UINT codePage, const char* text, WCHAR* out, int outCount) {
    return MultiByteToWideChar(codePage, 0, text, -1, out, outCount);
}
