#include <cstring>

#include "platform/gdi/dib_source.h"
#include "platform/gdi/gdi_objects.h"

namespace {

constexpr int64_t kMaxSectionBytes = int64_t{1} << 30;

bool DefaultMasks(int bit_count, uint32_t* masks) {
    if (bit_count == 16) {
        masks[0] = 0x7C00, masks[1] = 0x03E0, masks[2] = 0x001F;
    } else if (bit_count == 32) {
        masks[0] = 0xFF0000, masks[1] = 0x00FF00, masks[2] = 0x0000FF;
    }
    return true;
}

}  // namespace

HBITMAP WINAPI CreateDIBSection(HDC, const BITMAPINFO* info, UINT usage, void** bits, HANDLE section, DWORD) {
    if (bits) *bits = nullptr;
    if (!info || usage != DIB_RGB_COLORS || section || info->bmiHeader.biSize < sizeof(BITMAPINFOHEADER))
        return nullptr;
    const BITMAPINFOHEADER& header = info->bmiHeader;
    int bit_count = header.biBitCount;
    bool palette_bits = bit_count == 1 || bit_count == 4 || bit_count == 8;
    bool direct_bits = bit_count == 16 || bit_count == 24 || bit_count == 32;
    if (!palette_bits && !direct_bits) return nullptr;
    bool bitfields = header.biCompression == BI_BITFIELDS;
    if (header.biCompression != BI_RGB && !(bitfields && (bit_count == 16 || bit_count == 32)))
        return nullptr;
    int64_t width = header.biWidth;
    int64_t height = header.biHeight < 0 ? -static_cast<int64_t>(header.biHeight) : header.biHeight;
    if (width <= 0 || height <= 0) return nullptr;
    int64_t pitch = ((width * bit_count + 31) / 32) * 4;
    if (pitch * height > kMaxSectionBytes) return nullptr;

    auto bitmap = std::make_unique<BitmapObject>();
    bitmap->section = true;
    bitmap->header = header;
    bitmap->header.biSize = sizeof(BITMAPINFOHEADER);
    bitmap->width = static_cast<int>(width);
    bitmap->height = static_cast<int>(height);
    bitmap->pitch = static_cast<int>(pitch);
    bitmap->top_down = header.biHeight < 0;
    if (bitfields) {
        std::memcpy(bitmap->masks, reinterpret_cast<const uint8_t*>(info) + sizeof(BITMAPINFOHEADER), 12);
    } else {
        DefaultMasks(bit_count, bitmap->masks);
    }
    if (palette_bits) {
        int entries = 1 << bit_count;
        if (header.biClrUsed > 0 && header.biClrUsed < static_cast<DWORD>(entries))
            entries = header.biClrUsed;
        bitmap->palette.assign(info->bmiColors, info->bmiColors + entries);
    }
    bitmap->pixels.assign(static_cast<size_t>(pitch * height), 0);
    void* pixels = bitmap->pixels.data();
    GdiLock lock(GdiMutex());
    HBITMAP handle = AddGdiObject(std::move(bitmap));
    if (bits) *bits = pixels;
    return handle;
}
