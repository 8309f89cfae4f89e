// SetDIBitsToDevice and StretchDIBits: a source rectangle of a DIB, whose coordinates start at the
// bitmap's lower-left corner, copied (stretched by nearest pixel) into a rectangle of the device context.
#include <algorithm>
#include <cstdlib>

#include "platform/gdi/dc_target.h"
#include "platform/gdi/dib_source.h"

namespace {

struct BlitRows {
    int first_row = 0;  // first row of the bitmap (counted from the bottom) that the data holds
    int row_count = 0;  // rows the data holds
};

// The row of the caller's data that holds the bitmap row `from_bottom`, or -1.
int DataRow(const DibSource& source, const BlitRows& rows, int from_bottom) {
    int index = from_bottom - rows.first_row;
    if (index < 0 || index >= rows.row_count) return -1;
    return source.top_down ? rows.row_count - 1 - index : index;
}

// Copies the source rectangle (x, y from the bottom-left, signed sizes mirror) into the destination
// rectangle. Returns whether the target existed.
bool Blit(HDC dc, int x_dest, int y_dest, int dest_width, int dest_height, int x_src, int y_src,
          int src_width, int src_height, const DibSource& source, const BlitRows& rows) {
    GdiLock lock(GdiMutex());
    DcTarget target;
    if (!AcquireDcTarget(dc, &target)) return false;
    int64_t out_width = std::abs(static_cast<int64_t>(dest_width));
    int64_t out_height = std::abs(static_cast<int64_t>(dest_height));
    int64_t left = dest_width < 0 ? static_cast<int64_t>(x_dest) + dest_width + 1 : x_dest;
    int64_t top = dest_height < 0 ? static_cast<int64_t>(y_dest) + dest_height + 1 : y_dest;
    bool mirror_x = (dest_width < 0) != (src_width < 0);
    bool mirror_y = (dest_height < 0) != (src_height < 0);
    int64_t in_width = std::abs(static_cast<int64_t>(src_width));
    int64_t in_height = std::abs(static_cast<int64_t>(src_height));
    int64_t src_left = src_width < 0 ? static_cast<int64_t>(x_src) + src_width + 1 : x_src;
    int64_t src_bottom = src_height < 0 ? static_cast<int64_t>(y_src) + src_height + 1 : y_src;
    int64_t x0 = std::max<int64_t>(left, 0), x1 = std::min<int64_t>(left + out_width, target.width);
    int64_t y0 = std::max<int64_t>(top, 0), y1 = std::min<int64_t>(top + out_height, target.height);
    for (int64_t y = y0; y < y1; ++y) {
        int64_t j = y - top;
        if (mirror_y) j = out_height - 1 - j;
        // The top of the destination shows the top of the source rectangle.
        int64_t from_bottom = src_bottom + in_height - 1 - (j * in_height / out_height);
        if (from_bottom < 0 || from_bottom >= source.height) continue;
        int data_row = DataRow(source, rows, static_cast<int>(from_bottom));
        if (data_row < 0) continue;
        for (int64_t x = x0; x < x1; ++x) {
            int64_t i = x - left;
            if (mirror_x) i = out_width - 1 - i;
            int64_t source_x = src_left + i * in_width / out_width;
            if (source_x < 0 || source_x >= source.width) continue;
            uint32_t pixel;
            if (DibSourcePixel(source, static_cast<int>(source_x), data_row, &pixel))
                WriteDcPixel(&target, static_cast<int>(x), static_cast<int>(y), pixel);
        }
    }
    ReleaseDcTarget(&target);
    return true;
}

}  // namespace

int WINAPI SetDIBitsToDevice(HDC dc, int xDest, int yDest, DWORD width, DWORD height, int xSrc, int ySrc,
                             UINT startScan, UINT scanLines, const void* bits, const BITMAPINFO* info,
                             UINT usage) {
    DibSource source;
    if (!ReadDibSource(info, bits, usage, &source) || width == 0 || height == 0) return 0;
    if (width > 0x7FFFFFFF || height > 0x7FFFFFFF) return 0;
    BlitRows rows;
    if (source.top_down || source.rle) {
        rows = BlitRows{0, source.height};
    } else {
        if (startScan >= static_cast<UINT>(source.height)) return 0;
        rows.first_row = static_cast<int>(startScan);
        rows.row_count = static_cast<int>(std::min<UINT>(scanLines, source.height - startScan));
    }
    if (rows.row_count <= 0) return 0;
    int w = static_cast<int>(width), h = static_cast<int>(height);
    if (!Blit(dc, xDest, yDest, w, h, xSrc, ySrc, w, h, source, rows)) return 0;
    return rows.row_count;
}

int WINAPI StretchDIBits(HDC dc, int xDest, int yDest, int destWidth, int destHeight, int xSrc, int ySrc,
                         int srcWidth, int srcHeight, const void* bits, const BITMAPINFO* info, UINT usage,
                         DWORD rop) {
    DibSource source;
    if (rop != SRCCOPY || !ReadDibSource(info, bits, usage, &source)) return 0;
    if (destWidth == 0 || destHeight == 0 || srcWidth == 0 || srcHeight == 0) return 0;
    if (!Blit(dc, xDest, yDest, destWidth, destHeight, xSrc, ySrc, srcWidth, srcHeight, source,
              BlitRows{0, source.height}))
        return 0;
    return std::abs(srcHeight);
}
