#include <algorithm>

#include "platform/gdi/dc_target.h"
#include "platform/user/user32.h"

// Fills left..right-1 by top..bottom-1 with a solid brush; a hollow brush draws nothing.
int WINAPI FillRect(HDC dc, const RECT* rect, HBRUSH brush) {
    if (!rect) return 0;
    GdiLock lock(GdiMutex());
    auto* found = FindGdiObjectAs<BrushObject>(brush, GdiObjectKind::kBrush);
    if (!found || !FindDc(dc)) return 0;
    if (found->hollow) return 1;
    DcTarget target;
    if (!AcquireDcTarget(dc, &target)) return 1;
    uint32_t pixel = PixelOfColor(found->color);
    int x0 = std::max<LONG>(rect->left, 0), x1 = std::min<LONG>(rect->right, target.width);
    int y0 = std::max<LONG>(rect->top, 0), y1 = std::min<LONG>(rect->bottom, target.height);
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x) WriteDcPixel(&target, x, y, pixel);
    ReleaseDcTarget(&target);
    return 1;
}
