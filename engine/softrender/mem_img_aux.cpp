// The two auxiliary buffers of a surface: the per-row run table and the premultiplied copy.
#include <cstddef>
#include <cstring>

#include "engine/softrender/mem_img.h"

namespace {

enum RunClass : uint8_t { kRunSkip = 0, kRunOpaque = 1, kRunTranslucent = 2 };

uint32_t ReadRaw(const uint8_t* p, int bytes) {
    uint32_t v = 0;
    std::memcpy(&v, p, bytes);
    return v;
}

RunClass ClassOf(const MemImgBase* base, const uint8_t* p) {
    if (base->hasPalette) return p[0] == base->transparentColor ? kRunSkip : kRunOpaque;
    if (base->hasAlpha) {
        const uint8_t a = p[base->kind == 0 ? 2 : 3];
        return a == 0 ? kRunSkip : (a == 255 ? kRunOpaque : kRunTranslucent);
    }
    return ReadRaw(p, base->pixelBytes) == base->transparentColor ? kRunSkip : kRunOpaque;
}

}  // namespace

void BuildMemImgRunTable(MemImgBase* base) {
    MemImgRunTable* out = base->runTable;
    for (int y = 0; y < base->height; ++y) {
        const uint8_t* row = base->pixels + static_cast<ptrdiff_t>(y) * base->pitch;
        int x = 0;
        while (x < base->width) {
            const RunClass c = ClassOf(base, row + x * base->pixelBytes);
            int n = 1;
            while (n < 64 && x + n < base->width && ClassOf(base, row + (x + n) * base->pixelBytes) == c) ++n;
            *out++ = static_cast<uint8_t>((c << 6) | (n - 1));
            x += n;
        }
        *out++ = kMemImgRunEnd;
    }
    base->runTableTransparentColor = base->transparentColor;
}

void BuildMemImgPremultiplied(MemImgBase* base) {
    for (int y = 0; y < base->height; ++y) {
        const uint8_t* src = base->pixels + static_cast<ptrdiff_t>(y) * base->pitch;
        uint8_t* dst = base->premultipliedPixels + static_cast<ptrdiff_t>(y) * base->pitch;
        for (int x = 0; x < base->width; ++x, src += 4, dst += 4) {
            const uint32_t p = ReadRaw(src, 4);
            uint32_t out;
            if (base->kind == 0) {
                const uint32_t a = (p >> 16) & 255;
                const uint32_t r = (((p >> 11) & 31) * a) >> 8, g = (((p >> 5) & 63) * a) >> 8,
                               b = ((p & 31) * a) >> 8;
                out = (a << 16) | (r << 11) | (g << 5) | b;
            } else {
                const uint32_t a = p >> 24;
                out = (a << 24) | (((((p >> 16) & 255) * a) >> 8) << 16) |
                      (((((p >> 8) & 255) * a) >> 8) << 8) | (((p & 255) * a) >> 8);
            }
            std::memcpy(dst, &out, 4);
        }
    }
}
