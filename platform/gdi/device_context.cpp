#include "platform/gdi/gdi_objects.h"
#include "platform/user/display_state.h"
#include "platform/user/user32.h"

namespace {

HDC NewDc(DcKind kind, HWND window) {
    GdiLock lock(GdiMutex());
    DcRecord record;
    record.kind = kind;
    record.window = window;
    return AddDc(record);
}

}  // namespace

HDC WINAPI GetDC(HWND window) {
    if (window && !IsWindow(window)) return nullptr;
    return NewDc(window ? DcKind::kWindow : DcKind::kScreen, window);
}

int WINAPI ReleaseDC(HWND, HDC dc) {
    GdiLock lock(GdiMutex());
    DcRecord* record = FindDc(dc);
    if (!record || record->kind == DcKind::kMemory) return 0;
    RemoveDc(dc);
    return 1;
}

HDC WINAPI CreateCompatibleDC(HDC dc) {
    {
        GdiLock lock(GdiMutex());
        if (dc && !FindDc(dc)) return nullptr;
    }
    return NewDc(DcKind::kMemory, nullptr);
}

BOOL WINAPI DeleteDC(HDC dc) {
    GdiLock lock(GdiMutex());
    if (!FindDc(dc)) return FALSE;
    RemoveDc(dc);
    return TRUE;
}

int WINAPI GetDeviceCaps(HDC dc, int index) {
    {
        GdiLock lock(GdiMutex());
        if (!FindDc(dc)) return 0;
    }
    DisplayModeInfo mode = CurrentDisplayMode();
    switch (index) {
        case TECHNOLOGY:
            return DT_RASDISPLAY;
        case HORZRES:
            return mode.width;
        case VERTRES:
            return mode.height;
        case HORZSIZE:
            return mode.width * 254 / 960;
        case VERTSIZE:
            return mode.height * 254 / 960;
        case BITSPIXEL:
            return mode.bits;
        case PLANES:
            return 1;
        case NUMCOLORS:
            return -1;
        case RASTERCAPS:
            return RC_BITBLT | RC_DI_BITMAP | RC_DIBTODEV | RC_STRETCHDIB;
        case LOGPIXELSX:
        case LOGPIXELSY:
            return 96;
        case SIZEPALETTE:
            return 0;
        case VREFRESH:
            return mode.frequency;
        default:
            return 0;
    }
}
