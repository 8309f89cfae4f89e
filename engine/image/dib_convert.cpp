#include "engine/image/dib_convert.h"

#include <cstring>

#include "engine/image/image_memory.h"
#include "engine/image/pixel_convert.h"
#include "engine/image/soft_image.h"

namespace {

void FillHeader(DibInfo* info, const SoftImage* image, int bitCount) {
    std::memset(&info->header, 0, sizeof(info->header));
    info->header.biSize = sizeof(BITMAPINFOHEADER);
    info->header.biWidth = image->width;
    info->header.biHeight = -image->height;
    info->header.biPlanes = 1;
    info->header.biBitCount = static_cast<WORD>(bitCount);
}

// Copies `rowBytes` of every row into a new block of `dibPitch` bytes per row; 1, or -1.
int CopyRows(const SoftImage* image, int rowBytes, int dibPitch, void** pixelsOut) {
    auto* block = static_cast<uint8_t*>(ImageAllocZeroed(static_cast<size_t>(dibPitch) * image->height));
    *pixelsOut = block;
    if (!block) return -1;
    for (int y = 0; y < image->height; ++y) {
        std::memcpy(block + static_cast<size_t>(y) * dibPitch,
                    static_cast<const uint8_t*>(image->pixels) + static_cast<size_t>(y) * image->pitch,
                    rowBytes);
    }
    return 1;
}

}  // namespace

int ConvertSoftImageToDib(SoftImage* image, DibInfo* info, void** pixelsOut, int alwaysCopy, int force24Bit) {
    *pixelsOut = nullptr;
    const ColorFormat& f = image->format;
    if (f.bitDepth == 8 && !force24Bit) {
        FillHeader(info, image, 8);
        static_assert(sizeof(info->colors) == sizeof(f.palette), "palette entries are B, G, R, A bytes");
        std::memcpy(info->colors, f.palette, sizeof(info->colors));
        int dibPitch = (image->width + 3) / 4 * 4;
        if (alwaysCopy != 1 && dibPitch == image->pitch) {
            *pixelsOut = image->pixels;
            return alwaysCopy;
        }
        return CopyRows(image, image->width, dibPitch, pixelsOut);
    }
    FillHeader(info, image, 24);
    int dibPitch = (image->width + 1) * 3 / 4 * 4;
    bool plainRgb24 = f.formatCode == 0 && f.bitDepth == 24 && f.redMask == 0xFF0000 &&
                      f.greenMask == 0xFF00 && f.blueMask == 0xFF;
    if (plainRgb24 && alwaysCopy != 1) {
        if (dibPitch == image->pitch) {
            *pixelsOut = image->pixels;
            return alwaysCopy;
        }
        return CopyRows(image, image->width * 3, dibPitch, pixelsOut);
    }
    auto* block = static_cast<uint8_t*>(ImageAllocZeroed(static_cast<size_t>(dibPitch) * image->height));
    *pixelsOut = block;
    if (!block) return -1;
    ColorFormat rgb24{};
    SetColorFormatRgb24(&rgb24);
    RECT rect{0, 0, image->width, image->height};
    ConvertPixelFormatBlit(block, dibPitch, &rgb24, image->pixels, image->pitch, &f, nullptr, 0, nullptr, 0,
                           0, &rect, 0, 0, 0, 0, 0, 0, 0, 0);
    return 1;
}
