#include "engine/softrender/mem_img.h"

#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstring>

#include "engine/core/helpers/vector_math.h"
#include "engine/softrender/soft_memory.h"
#include "engine/softrender/soft_render_state.h"

namespace {

constexpr int kPaletteBlockBytes = 2048;

void FreeBaseBlocks(MemImgBase* base) {
    if (!base->pixelsOwnedByCaller) SoftFree(base->pixels);
    base->pixels = nullptr;
    SoftFree(base->premultipliedPixels);
    base->premultipliedPixels = nullptr;
    SoftFree(base->runTable);
    base->runTable = nullptr;
    SoftFree(base->palette);
    base->palette = nullptr;
    base->paletteCopy = nullptr;
}

// pitchLog2: log2 of the smallest power of two not below v, when the pitch equals it.
int PitchLog2(int64_t pitch, int64_t v) {
    const uint64_t p = std::bit_ceil(static_cast<uint64_t>(std::max<int64_t>(v, 1)));
    return static_cast<uint64_t>(pitch) == p ? std::countr_zero(p) : -1;
}

}  // namespace

int MemImgPixelBytes(MemImgKind kind, int hasPalette, int hasAlpha) {
    if (hasPalette) return 1;
    switch (kind) {
        case 0:
            return hasAlpha ? 4 : 2;
        case 1:
            return 4;
        case 2:
            return 1;
        default:
            return 2;
    }
}

int InitMemImg(MEMIMG* img, int width, int height, int pitch, uint32_t transparentColor, MemImgKind kind,
               int hasPalette, int hasAlpha, int withAuxBuffers, void* callerPixels) {
    if (img->magic == kMemImgMagic) return -1;
    if (kind < 0 || kind > 3 || width < 0 || height < 0 || pitch < -1) return -1;
    if (hasPalette) hasAlpha = 0;
    if (kind >= 2) hasPalette = hasAlpha = 0;
    hasPalette = hasPalette ? 1 : 0;
    hasAlpha = hasAlpha ? 1 : 0;
    const int bytes = MemImgPixelBytes(kind, hasPalette, hasAlpha);
    const int64_t rowBytes = static_cast<int64_t>(bytes) * width;
    const int64_t fullPitch = pitch == -1 ? (rowBytes + 15) / 16 * 16 : pitch;
    // A given pitch must hold a row; every size is checked before anything is allocated.
    if (fullPitch < rowBytes || fullPitch > INT32_MAX || fullPitch * height > INT32_MAX ||
        (static_cast<int64_t>(width) + 5) * height > INT32_MAX) {
        return -1;
    }
    if (img->base == nullptr) {
        img->base = static_cast<MemImgBase*>(SoftAllocZeroed(sizeof(MemImgBase)));
        if (img->base == nullptr) return -1;
    }
    MemImgBase* base = img->base;
    // A base left by a failed initialisation is reused; its blocks may have other sizes.
    FreeBaseBlocks(base);
    base->refCount = 1;
    base->width = width;
    base->height = height;
    base->transparentColor = transparentColor;
    base->kind = kind;
    base->hasPalette = hasPalette;
    base->hasAlpha = hasAlpha;
    base->premultipliedValid = 0;
    base->runTableValid = 0;
    if (hasPalette) {
        base->palette = static_cast<uint8_t*>(SoftAllocZeroed(kPaletteBlockBytes));
        if (base->palette == nullptr) return -1;
        base->paletteCopy = base->palette + kPaletteBlockBytes / 2;
    }
    base->pitch = static_cast<int32_t>(fullPitch);
    base->pitchLog2 = PitchLog2(fullPitch, pitch == -1 ? rowBytes : pitch);
    base->pixelBytes = bytes;
    base->colorFormat = GetMemImgColorFormat(kind, hasAlpha, hasPalette);
    if (callerPixels != nullptr) {
        base->pixels = static_cast<uint8_t*>(callerPixels);
        base->pixelsOwnedByCaller = 1;
    } else {
        base->pixelsOwnedByCaller = 0;
        base->pixels = static_cast<uint8_t*>(SoftAlloc(fullPitch * height));
        if (base->pixels == nullptr) return -1;
    }
    if (withAuxBuffers) {
        if (hasAlpha) {
            base->premultipliedPixels = static_cast<uint8_t*>(SoftAlloc(fullPitch * height));
            if (base->premultipliedPixels == nullptr) return -1;
        }
        if (kind != 2) {
            base->runTable = static_cast<uint8_t*>(SoftAlloc((static_cast<int64_t>(width) + 5) * height));
            if (base->runTable == nullptr) return -1;
        }
    }
    img->magic = kMemImgMagic;
    img->width = width;
    img->height = height;
    img->pixels = base->pixels;
    img->premultipliedPixels = base->premultipliedPixels;
    return 0;
}

int CreateMemImg(MEMIMG* img, int width, int height, MemImgKind kind) {
    std::memset(img, 0, sizeof *img);
    if (kind == -1) kind = g_softRenderState.defaultKind;
    return InitMemImg(img, width, height, -1, 0, kind, 0, 0, 0, nullptr);
}

void CreateMemImgView(MEMIMG* view, const MEMIMG* source, int x, int y, int w, int h) {
    if (!IsMemImgValid(source)) return;
    if (x < 0 || y < 0 || w < 0 || h < 0 || static_cast<int64_t>(x) + w > source->width ||
        static_cast<int64_t>(y) + h > source->height) {
        return;
    }
    MemImgBase* base = source->base;
    const ptrdiff_t offset =
        static_cast<ptrdiff_t>(y) * base->pitch + static_cast<ptrdiff_t>(x) * base->pixelBytes;
    view->magic = kMemImgMagic;
    view->width = w;
    view->height = h;
    view->pixels = source->pixels + offset;
    view->premultipliedPixels =
        base->premultipliedPixels != nullptr ? source->premultipliedPixels + offset : nullptr;
    view->base = base;
    ++base->refCount;
}

int IsMemImgValid(const MEMIMG* img) {
    return img->magic == kMemImgMagic && img->base != nullptr ? 1 : 0;
}

void ReleaseMemImg(MEMIMG* img) {
    if (img->magic != kMemImgMagic) return;
    MemImgBase* base = img->base;
    if (base != nullptr && --base->refCount == 0) {
        FreeBaseBlocks(base);
        SoftFree(base);
    }
    img->base = nullptr;
    img->magic = 0;
}

void FillMemImgRect(MEMIMG* img, const int32_t* rect, uint32_t value) {
    if (!IsMemImgValid(img)) return;
    IntRect r{0, 0, img->width, img->height};
    if (rect != nullptr) {
        r = {rect[0], rect[1], rect[2], rect[3]};
        const IntRect whole{0, 0, img->width, img->height};
        ClipRect(&r, &whole);
    }
    const MemImgBase* base = img->base;
    const int bytes = base->pixelBytes;
    if (bytes != 1 && bytes != 2 && bytes != 4) return;
    if (r.right == r.left || r.bottom == r.top) return;
    for (int y = r.top; y < r.bottom; ++y) {
        uint8_t* p =
            img->pixels + static_cast<ptrdiff_t>(y) * base->pitch + static_cast<ptrdiff_t>(r.left) * bytes;
        for (int x = r.left; x < r.right; ++x, p += bytes) std::memcpy(p, &value, bytes);
    }
    MarkMemImgDrawn(img->base);
}

void MarkMemImgDrawn(MemImgBase* base) {
    base->premultipliedValid = 0;
    base->runTableValid = 0;
}

bool MemImgRunTableUsable(const MemImgBase* base) {
    return base->runTableValid == 1 && base->runTable != nullptr &&
           base->transparentColor == base->runTableTransparentColor;
}
