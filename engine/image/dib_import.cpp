#include "engine/image/dib_import.h"

#include <cstring>

#include "engine/core/memory/log.h"
#include "engine/image/image_memory.h"
#include "engine/image/image_readers.h"
#include "engine/image/image_size_limit.h"
#include "engine/image/little_endian.h"
#include "engine/image/soft_image.h"

namespace {

// The GDI objects of one conversion, released in reverse order of creation.
struct GdiConversion {
    HDC dc = nullptr;
    HBITMAP section = nullptr;
    HGDIOBJ previous = nullptr;
    ~GdiConversion() {
        if (dc && previous) SelectObject(dc, previous);
        if (section) DeleteObject(section);
        if (dc) DeleteDC(dc);
    }
};

bool IsDirectDib(const BITMAPINFOHEADER& header) {
    int bits = header.biBitCount;
    if (header.biHeight >= 0 || (bits != 16 && bits != 24 && bits != 32)) return false;
    return (header.biCompression == BI_RGB && bits != 32) || header.biCompression == BI_BITFIELDS;
}

}  // namespace

int ConvertDibThroughGdi(const BITMAPINFO* info, const void* bits, SoftImage* image) {
    *image = SoftImage{};
    const BITMAPINFOHEADER& source = info->bmiHeader;
    int64_t width = source.biWidth;
    int64_t height = source.biHeight < 0 ? -int64_t{source.biHeight} : int64_t{source.biHeight};
    GdiConversion gdi;
    gdi.dc = CreateCompatibleDC(nullptr);
    BITMAPINFO target{};
    target.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    target.bmiHeader.biWidth = static_cast<LONG>(width);
    target.bmiHeader.biHeight = static_cast<LONG>(-height);
    target.bmiHeader.biPlanes = 1;
    target.bmiHeader.biBitCount = 24;
    target.bmiHeader.biCompression = BI_RGB;
    void* sectionBits = nullptr;
    bool sizeOk = width > 0 && height > 0 && width <= kMaxImageSide && height <= kMaxImageSide &&
                  ImageSizeAllowed(width, height, 3);
    if (gdi.dc && sizeOk)
        gdi.section = CreateDIBSection(gdi.dc, &target, DIB_RGB_COLORS, &sectionBits, nullptr, 0);
    if (!gdi.section || !sectionBits) {
        LogText("ＤＩＢの作成に失敗しました3\n");
        return -1;
    }
    gdi.previous = SelectObject(gdi.dc, gdi.section);
    int lines = SetDIBitsToDevice(gdi.dc, 0, 0, static_cast<DWORD>(width), static_cast<DWORD>(height), 0, 0,
                                  0, static_cast<UINT>(height), bits, info, DIB_RGB_COLORS);
    BITMAP description{};
    if (lines <= 0 || GetObjectA(gdi.section, sizeof(description), &description) == 0) return -1;
    int64_t rowBytes = description.bmWidthBytes;
    auto* pixels = static_cast<uint8_t*>(ImageAlloc(static_cast<uint64_t>(rowBytes * height)));
    if (!pixels) {
        LogText("２４ビットカラー化したグラフィックを格納するメモリ領域の確保に失敗しました\n");
        return -1;
    }
    std::memcpy(pixels, sectionBits, static_cast<size_t>(rowBytes * height));
    SetColorFormatRgb24(&image->format);
    image->width = static_cast<int32_t>(width);
    image->height = static_cast<int32_t>(height);
    image->pitch = static_cast<int32_t>(rowBytes);
    image->pixels = pixels;
    return 0;
}

int ConvertDibToSoftImage(const BITMAPINFO* info, const void* bits, SoftImage* image, int copy) {
    *image = SoftImage{};
    const BITMAPINFOHEADER& header = info->bmiHeader;
    if (!IsDirectDib(header)) return ConvertDibThroughGdi(info, bits, image) == 0 ? 1 : -1;
    int64_t width = header.biWidth;
    int64_t height = -int64_t{header.biHeight};
    if (width <= 0 || width > kMaxImageSide || height > kMaxImageSide ||
        !ImageSizeAllowed(width, height < 0 ? -height : height, header.biBitCount / 8))
        return -1;
    uint32_t red = 0xFF0000, green = 0xFF00, blue = 0xFF;
    if (header.biCompression == BI_BITFIELDS) {
        // The three masks follow the 40-byte header (inside the longer header versions at the same place).
        const auto* masks = reinterpret_cast<const uint8_t*>(info) + sizeof(BITMAPINFOHEADER);
        red = LoadLe32(masks), green = LoadLe32(masks + 4), blue = LoadLe32(masks + 8);
    } else if (header.biBitCount == 16) {
        red = 0x7C00, green = 0x03E0, blue = 0x001F;
    }
    BuildColorFormat(&image->format, header.biBitCount, red, green, blue, 0, 0, 0, 0);
    FixColorFormatFillMask(&image->format);
    int64_t pitch = (image->format.pixelBytes * width + 3) / 4 * 4;
    image->width = static_cast<int32_t>(width);
    image->height = static_cast<int32_t>(height);
    image->pitch = static_cast<int32_t>(pitch);
    if (copy != 1) {
        image->pixels = const_cast<void*>(bits);
        return copy;
    }
    image->pixels = ImageAlloc(static_cast<uint64_t>(pitch * height));
    if (!image->pixels) {
        *image = SoftImage{};
        return -1;
    }
    std::memcpy(image->pixels, bits, static_cast<size_t>(pitch * height));
    return 1;
}
