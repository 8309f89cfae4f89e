// The GDI memory-font calls the text font is added and removed with.
#pragma once

#include "platform/gdi/gdi32.h"

#if !__has_include("platform/gdi/gdi32_font.h")
HANDLE WINAPI AddFontMemResourceEx(PVOID data, DWORD size, PVOID reserved, DWORD* count);
BOOL WINAPI RemoveFontMemResourceEx(HANDLE handle);
#endif
