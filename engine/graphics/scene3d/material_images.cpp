#include "engine/graphics/scene3d/material_images.h"

#include <cmath>
#include <cstring>

#include "engine/image/image_loader.h"

namespace {

bool Named(const char* file) {
    return file != nullptr && file[0] != '\0';
}

int StretchImageTo(SoftImage* image, int width, int height) {
    if (image->width == width && image->height == height) return 0;
    SoftImage out{};
    if (CreateSoftImage(width, height, &image->format, &out) != 0) return -1;
    if (StretchImageRect(0, 0, image->width, image->height, image, 0, 0, width, height, &out, 0) != 0) {
        ReleaseSoftImage(&out);
        return -1;
    }
    ReleaseSoftImage(image);
    *image = out;
    return 0;
}

int Red(const SoftImage* image, int x, int y) {
    return int((GetImagePixelArgb(image, x, y) >> 16) & 0xFF);
}

int LoadMaterialFiles(const MaterialImageRequest& r, SoftImage* colour, SoftImage* alpha, int* hasAlpha) {
    *hasAlpha = 0;
    if (Named(r.alphaFile)) {
        if (LoadSoftImagePlain(r.alphaFile, nullptr, 0, 0, alpha, 0) != 0) return -1;
        *hasAlpha = 1;
    }
    if (Named(r.colourFile)) {
        if (LoadSoftImagePlain(r.colourFile, nullptr, 0, 0, colour, 0) == 0) return 0;
    } else if (*hasAlpha && CreateSoftImageXrgb8(alpha->width, alpha->height, colour) == 0) {
        std::memset(colour->pixels, 0xFF, size_t(colour->pitch) * size_t(colour->height));
        return 0;
    }
    if (*hasAlpha) ReleaseSoftImage(alpha);
    *hasAlpha = 0;
    return -1;
}

int ShapeMaterialImages(const MaterialImageRequest& r, SoftImage* colour, SoftImage* alpha, int hasAlpha) {
    if (r.normalMap) {
        SoftImage normals{};
        if (MakeNormalMapImage(colour, r.normalScale, &normals) != 0) return -1;
        ReleaseSoftImage(colour);
        *colour = normals;
    }
    if (FitMaterialImage(colour, r.maxTextureWidth, r.maxTextureHeight, r.flip) != 0) return -1;
    if (!hasAlpha) return 0;
    if (FitMaterialImage(alpha, r.maxTextureWidth, r.maxTextureHeight, r.flip) != 0) return -1;
    return MatchMaterialImageSizes(colour, alpha);
}

}  // namespace

int MaterialTextureSide(int side, int limit) {
    if (side <= 0 || (side & (side - 1)) == 0) return side;
    int raised = 1;
    while (raised < side && raised < (1 << 30)) raised <<= 1;
    const int cap = limit / 2;
    return cap > 0 && raised > cap ? cap : raised;
}

int MakeNormalMapImage(const SoftImage* heights, float scale, SoftImage* out) {
    const int w = heights->width, h = heights->height;
    if (CreateSoftImageXrgb8(w, h, out) != 0) return -1;
    const float s = scale < 0.000001f ? 0.000001f : scale;
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const int here = Red(heights, x, y);
            const float du = float(Red(heights, (x + 1) % w, y) - here) / 255.0f;
            const float dv = float(Red(heights, x, (y + 1) % h) - here) / 255.0f;
            const float n[3] = {-du * s, -dv * s, s * s};
            const float length = std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
            int rgb[3];
            for (int i = 0; i < 3; ++i) rgb[i] = int((n[i] / length + 1.0f) * 127.5f);
            SetImagePixelRgba(out, x, y, rgb[0], rgb[1], rgb[2], 255);
        }
    }
    return 0;
}

int FitMaterialImage(SoftImage* image, int maxWidth, int maxHeight, int flip) {
    const int width = MaterialTextureSide(image->width, maxWidth);
    const int height = MaterialTextureSide(image->height, maxHeight);
    if (StretchImageTo(image, width, height) != 0) return -1;
    if (flip) FlipImageVertically(image);
    return 0;
}

int MatchMaterialImageSizes(SoftImage* colour, SoftImage* alpha) {
    if (colour->width <= alpha->width && colour->height <= alpha->height)
        return StretchImageTo(colour, alpha->width, alpha->height);
    return StretchImageTo(alpha, colour->width, colour->height);
}

int BuildMaterialImage(const MaterialImageRequest& request, SoftImage* colour, SoftImage* alpha,
                       int* hasAlpha) {
    *colour = SoftImage{};
    *alpha = SoftImage{};
    if (LoadMaterialFiles(request, colour, alpha, hasAlpha) != 0) return -1;
    if (ShapeMaterialImages(request, colour, alpha, *hasAlpha) == 0) return 0;
    ReleaseSoftImage(colour);
    if (*hasAlpha) ReleaseSoftImage(alpha);
    *hasAlpha = 0;
    return -1;
}
