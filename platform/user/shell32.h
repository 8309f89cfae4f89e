// The shell's dropped-file calls: a WM_DROPFILES message carries an HDROP listing the dropped paths
// (CP932), which the window reads and then frees with DragFinish.
#pragma once

#include "platform/kernel/win_types.h"

struct HDROP__;
typedef HDROP__* HDROP;

// index 0xFFFFFFFF: the number of files. Otherwise the length of file index (without the NUL) with a
// null buffer, else the characters copied (truncated to size - 1, NUL-terminated). 0 for a bad handle or
// index.
UINT WINAPI DragQueryFileA(HDROP drop, UINT index, LPSTR file, UINT size);
BOOL WINAPI DragQueryPoint(HDROP drop, POINT* point);
void WINAPI DragFinish(HDROP drop);
void WINAPI DragAcceptFiles(HWND window, BOOL accept);
