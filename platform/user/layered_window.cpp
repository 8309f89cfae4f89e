// UpdateLayeredWindow: the 32-bit DIB section selected into the source device context is the window's
// whole visual, its top rows lying over the caption: the rows below the window's top frame become the
// client picture (from x 0), which keeps its size; with per-pixel alpha (ULW_ALPHA with AC_SRC_ALPHA), a
// colour key (ULW_COLORKEY: key pixels transparent, others opaque) or opaque. Only layered windows take it.
#include <algorithm>
#include <vector>

#include "platform/gdi/gdi_objects.h"
#include "platform/host/host.h"
#include "platform/user/user32.h"
#include "platform/user/window_store.h"

namespace {

uint32_t KeyPixel(COLORREF key) {
    return PixelOfColor(key) & 0x00FFFFFFu;
}

}  // namespace

BOOL WINAPI UpdateLayeredWindow(HWND window, HDC, POINT* destination, SIZE* size, HDC sourceDc, POINT* source,
                                COLORREF colorKey, BLENDFUNCTION* blend, DWORD flags) {
    if (!(GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_LAYERED)) return FALSE;
    if (destination)
        SetWindowPos(window, nullptr, destination->x, destination->y, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    if (!sourceDc) return TRUE;
    RECT client;
    GetClientRect(window, &client);
    RECT insets =
        FrameInsets(static_cast<DWORD>(GetWindowLongA(window, GWL_STYLE)),
                    static_cast<DWORD>(GetWindowLongA(window, GWL_EXSTYLE)), GetMenu(window) != nullptr);
    std::vector<uint32_t> pixels;
    int width = client.right, height = client.bottom;
    {
        GdiLock lock(GdiMutex());
        DcRecord* dc = FindDc(sourceDc);
        if (!dc || dc->kind != DcKind::kMemory) return FALSE;
        auto* bitmap =
            FindGdiObjectAs<BitmapObject>(dc->selected[GdiObjectKind::kBitmap], GdiObjectKind::kBitmap);
        if (!bitmap || !bitmap->section || bitmap->header.biBitCount != 32) return FALSE;
        int source_x = source ? source->x : 0, source_y = (source ? source->y : 0) + insets.top;
        if (source_x < 0 || source_y < 0) return FALSE;
        int source_width = size ? std::min<int>(size->cx, bitmap->width) : bitmap->width;
        int source_height = size ? std::min<int>(size->cy, bitmap->height) : bitmap->height;
        width = std::min(width, source_width - source_x);
        height = std::min(height, source_height - source_y);
        if (width <= 0 || height <= 0) return TRUE;
        bool alpha = (flags & ULW_ALPHA) && blend && (blend->AlphaFormat & AC_SRC_ALPHA);
        bool keyed = (flags & ULW_COLORKEY) != 0;
        pixels.resize(static_cast<size_t>(width) * height);
        for (int y = 0; y < height; ++y) {
            const auto* row = reinterpret_cast<const uint32_t*>(bitmap->Row(source_y + y)) + source_x;
            for (int x = 0; x < width; ++x) {
                uint32_t pixel = row[x];
                if (keyed)
                    pixel = (pixel & 0x00FFFFFFu) == KeyPixel(colorKey) ? 0 : pixel | 0xFF000000u;
                else if (!alpha)
                    pixel |= 0xFF000000u;
                pixels[static_cast<size_t>(y) * width + x] = pixel;
            }
        }
    }
    RECT dest{0, 0, width, height};
    return HostPresent(window, pixels.data(), width, height, width * 4, &dest, true) ? TRUE : FALSE;
}
