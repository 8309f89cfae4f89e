// Filling a surface from a loaded image, and the converting copy between two surfaces.
#include <algorithm>
#include <cstring>

#include "engine/image/pixel_convert.h"
#include "engine/image/soft_image.h"
#include "engine/softrender/mem_img.h"

namespace {

// The rectangle (x, y, w, h) lies inside a w x h area; checked in 64 bits.
bool Inside(int64_t x, int64_t y, int64_t w, int64_t h, int64_t areaW, int64_t areaH) {
    return x >= 0 && y >= 0 && w >= 0 && h >= 0 && x + w <= areaW && y + h <= areaH;
}

void ConvertPalette(MemImgBase* base, const ColorFormat& source) {
    const int entryBytes = base->kind == 0 ? 2 : 4;
    for (int i = 0; i < 256; ++i) {
        const PaletteEntry& e = source.palette[i];
        const uint32_t v = base->kind == 0
                               ? (uint32_t(e.red >> 3) << 11) | (uint32_t(e.green >> 2) << 5) | (e.blue >> 3)
                               : (uint32_t(e.red) << 16) | (uint32_t(e.green) << 8) | e.blue;
        std::memcpy(base->palette + i * entryBytes, &v, entryBytes);
    }
    std::memcpy(base->paletteCopy, base->palette, 256 * entryBytes);
}

}  // namespace

// Rectangles outside the image, the alpha image or the target are refused with -1: the conversion
// itself does not clip.
int TransferBaseImageToMemImg(const SoftImage* image, const SoftImage* alphaImage, MEMIMG* target, int srcX,
                              int srcY, int width, int height, int destX, int destY, int colourKeyFlag) {
    if (!IsMemImgValid(target) || !Inside(srcX, srcY, width, height, image->width, image->height) ||
        !Inside(destX, destY, width, height, target->width, target->height) ||
        (alphaImage != nullptr &&
         !Inside(srcX, srcY, width, height, alphaImage->width, alphaImage->height))) {
        return -1;
    }
    MemImgBase* base = target->base;
    const RECT rect{srcX, srcY, srcX + width, srcY + height};
    if (base->kind >= 2) {
        ConvertPixelFormatBlit(target->pixels, base->pitch, base->colorFormat, image->pixels, image->pitch,
                               &image->format, nullptr, 0, nullptr, destX, destY, &rect, 0, 0, 0, 0, 1, 1, 0,
                               0);
    } else {
        const int result = ConvertPixelFormatBlit(
            target->pixels, base->pitch, base->colorFormat, image->pixels, image->pitch, &image->format,
            alphaImage ? alphaImage->pixels : nullptr, alphaImage ? alphaImage->pitch : 0,
            alphaImage ? &alphaImage->format : nullptr, destX, destY, &rect, 0, colourKeyFlag,
            base->transparentColor, 0, 0, 0, 0, 0);
        if (result < 0) return result;
        if (alphaImage == nullptr && base->hasPalette) base->paletteCount = std::min(result + 1, 256);
    }
    if (base->hasPalette) ConvertPalette(base, image->format);
    MarkMemImgDrawn(base);
    if (width != target->width || height != target->height || base->kind >= 2 || base->runTable == nullptr) {
        return 0;
    }
    base->runTableValid = 1;
    if (base->hasAlpha && base->premultipliedPixels != nullptr) {
        base->premultipliedValid = 1;
        BuildMemImgPremultiplied(base);
    }
    BuildMemImgRunTable(base);
    return 0;
}

// Rectangles outside either surface are refused with -1.
int CopyMemImgConverted(MEMIMG* target, const MEMIMG* source, const int32_t* sourceRect, int destX,
                        int destY) {
    if (!IsMemImgValid(target) || !IsMemImgValid(source)) return -1;
    const RECT rect = sourceRect ? RECT{sourceRect[0], sourceRect[1], sourceRect[2], sourceRect[3]}
                                 : RECT{0, 0, source->width, source->height};
    const int64_t w = int64_t(rect.right) - rect.left, h = int64_t(rect.bottom) - rect.top;
    if (!Inside(rect.left, rect.top, w, h, source->width, source->height) ||
        !Inside(destX, destY, w, h, target->width, target->height)) {
        return -1;
    }
    const MemImgBase* tb = target->base;
    const MemImgBase* sb = source->base;
    const int result = ConvertPixelFormatBlit(target->pixels, tb->pitch, tb->colorFormat, source->pixels,
                                              sb->pitch, sb->colorFormat, nullptr, 0, nullptr, destX, destY,
                                              &rect, 0, 0, 0, 0, 0, 0, 0, 0);
    if (result >= 0) MarkMemImgDrawn(target->base);
    return result;
}
