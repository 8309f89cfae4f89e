#include "engine/image/image_loader.h"
#include "engine/image/pixel_convert.h"

int BlitWholeImage(int destX, int destY, SoftImage* source, SoftImage* destination) {
    return BlitImageRect(0, 0, source->width, source->height, destX, destY, source, destination);
}

namespace {

bool ValidRect(int x1, int y1, int x2, int y2, const SoftImage* image) {
    return x2 > x1 && y2 > y1 && x1 >= 0 && x1 < image->width && y1 >= 0 && y1 < image->height && x2 >= 1 &&
           x2 <= image->width && y2 >= 1 && y2 <= image->height;
}

struct Rgba {
    int c[4];
};

// Reads pixel (x, y) clamped into the image.
Rgba ClampedPixel(SoftImage* image, int x, int y) {
    Rgba p{};
    x = x < image->width ? x : image->width - 1;
    y = y < image->height ? y : image->height - 1;
    GetImagePixelRgba(image, x, y, &p.c[0], &p.c[1], &p.c[2], &p.c[3]);
    return p;
}

}  // namespace

int StretchImageRect(int sx1, int sy1, int sx2, int sy2, SoftImage* source, int tx1, int ty1, int tx2,
                     int ty2, SoftImage* destination, int bilinear) {
    if (!ValidRect(sx1, sy1, sx2, sy2, source) || !ValidRect(tx1, ty1, tx2, ty2, destination)) return -1;
    int sw = sx2 - sx1, sh = sy2 - sy1, dw = tx2 - tx1, dh = ty2 - ty1;
    if (sw == dw && sh == dh) return BlitImageRect(sx1, sy1, sw, sh, tx1, ty1, source, destination);
    uint32_t stepX = (static_cast<uint32_t>(sw) << 16) / static_cast<uint32_t>(dw);
    uint32_t stepY = (static_cast<uint32_t>(sh) << 16) / static_cast<uint32_t>(dh);
    uint32_t sy = static_cast<uint32_t>(sy1) << 16;
    for (int j = 0; j < dh; ++j, sy += stepY) {
        uint32_t sx = static_cast<uint32_t>(sx1) << 16;
        for (int i = 0; i < dw; ++i, sx += stepX) {
            int x0 = static_cast<int>(sx >> 16), y0 = static_cast<int>(sy >> 16);
            Rgba out = ClampedPixel(source, x0, y0);
            if (bilinear == 1) {
                uint32_t fx = sx & 0xFFFF, fy = sy & 0xFFFF;
                Rgba c10 = ClampedPixel(source, x0 + 1, y0);
                Rgba c01 = ClampedPixel(source, x0, y0 + 1);
                Rgba c11 = ClampedPixel(source, x0 + 1, y0 + 1);
                uint32_t w00 = ((65535 - fy) * (65535 - fx)) >> 16, w10 = ((65535 - fy) * fx) >> 16;
                uint32_t w01 = (fy * (65535 - fx)) >> 16, w11 = (fy * fx) >> 16;
                for (int k = 0; k < 4; ++k) {
                    uint64_t sum = uint64_t{w00} * out.c[k] + uint64_t{w10} * c10.c[k] +
                                   uint64_t{w01} * c01.c[k] + uint64_t{w11} * c11.c[k];
                    out.c[k] = static_cast<int>(sum >> 16);
                }
            }
            SetImagePixelRgba(destination, tx1 + i, ty1 + j, out.c[0], out.c[1], out.c[2], out.c[3]);
        }
    }
    return 0;
}
