#include "engine/softrender/triangle_kernels.h"

#include <algorithm>

#include "engine/softrender/colour_dispatch.h"
#include "engine/softrender/image_call.h"
#include "engine/softrender/image_dispatch.h"
#include "engine/softrender/kernel_clip.h"
#include "engine/softrender/soft_render_state.h"
#include "engine/softrender/span_walkers.h"
#include "engine/softrender/triangle_setup.h"

using namespace softrender;

namespace {

// The flat spans: the colour tinted through ScaleTable once, then the colour operation of the mode.
void FillTriangle(MEMIMG* dest, const TriangleGeometry& g, uint32_t colour) {
    const MemImgKind kind = dest->base->kind;
    if (kind != 0 && kind != 1) return;
    const SoftRenderState& state = g_softRenderState;
    const uint32_t mode = static_cast<uint32_t>(state.blendMode);
    if (mode >= kModeCount) return;
    const uint8_t p = static_cast<uint8_t>(state.blendParam);
    const Depth depth = static_cast<Depth>(kind);
    const ColourWalkFn<TriangleGeometry> fn =
        kColourTable<Walker::FlatSpan, TriangleGeometry>[ColourKeyIndex(depth, mode, ClassifyParam(p))];
    if (fn == nullptr) return;
    const int32_t* tint[3];
    for (int c = 0; c < 3; ++c)
        tint[c] = g_softBlendTables.ScaleTable[(state.drawBright >> (16 - 8 * c)) & 255];
    ColourArgs args;
    args.colour = depth == Depth::Xrgb8888 ? TintColourRows<Depth::Xrgb8888>(colour, tint)
                                           : TintColourRows<Depth::Rgb565>(colour & 0xFFFF, tint);
    args.param = p;
    args.rows.scaleRow = g_softBlendTables.ScaleTable[p];
    args.rows.diffCentre = &g_softBlendTables.DiffScaleTable[p][255];
    fn(args, g);
    MarkMemImgDrawn(dest->base);
}

void MapTriangle(MEMIMG* dest, const MEMIMG* source, TriangleGeometry& g, int transparentFlag,
                 const MEMIMG* blendImage) {
    ImageCall call;
    if (!PrepareImageCall(dest, source, transparentFlag, blendImage, &call)) return;
    const ImageWalkFn<Walker::TexSpan, TriangleGeometry> fn =
        FindImageWalk<Walker::TexSpan, TriangleGeometry>(call.key);
    if (fn == nullptr) return;
    const MemImgBase* sb = source->base;
    g.texels = {source->pixels,
                sb->pitch,
                sb->pixelBytes,
                blendImage ? blendImage->pixels : nullptr,
                blendImage ? blendImage->base->pitch : 0,
                int64_t(source->width) << kFixedShift,
                int64_t(source->height) << kFixedShift};
    fn(call.args, g);
    MarkMemImgDrawn(dest->base);
}

}  // namespace

void SoftDrawTriangle(MEMIMG* dest, const MEMIMG* source, const TriangleVertex* vertices, int transparentFlag,
                      const MEMIMG* blendImage, uint32_t colour) {
    if (vertices == nullptr || !DrawableDestination(dest)) return;
    if (source != nullptr && (source->base == nullptr || source->base->kind != dest->base->kind)) return;
    TriangleGeometry g{};
    if (!KernelClip(dest, &g.clip) || !SetUpTriangle(vertices, &g)) return;
    g.pixels = dest->pixels;
    g.pitch = dest->base->pitch;
    g.bytes = dest->base->pixelBytes;
    if (source == nullptr) {
        FillTriangle(dest, g, colour);
    } else {
        MapTriangle(dest, source, g, transparentFlag, blendImage);
    }
}

void SoftDrawImageQuad(MEMIMG* dest, const MEMIMG* source, const QuadCorner* corners, int transparentFlag,
                       const MEMIMG* blendImage) {
    if (source == nullptr || corners == nullptr || !DrawableDestination(dest)) return;
    // The widened bounding box must meet the clip rectangle.
    int64_t minX = corners[0].x, maxX = minX, minY = corners[0].y, maxY = minY;
    for (int i = 1; i < 4; ++i) {
        minX = std::min<int64_t>(minX, corners[i].x), maxX = std::max<int64_t>(maxX, corners[i].x);
        minY = std::min<int64_t>(minY, corners[i].y), maxY = std::max<int64_t>(maxY, corners[i].y);
    }
    PixelClip clip;
    if (!KernelClip(dest, &clip)) return;
    const int64_t left = std::clamp<int64_t>(minX - 2, clip.left, clip.right);
    const int64_t right = std::clamp<int64_t>(std::max(maxX + 4, minX - 2), clip.left, clip.right);
    const int64_t top = std::clamp<int64_t>(minY - 2, clip.top, clip.bottom);
    const int64_t bottom = std::clamp<int64_t>(std::max(maxY + 4, minY - 2), clip.top, clip.bottom);
    if (left == right || top == bottom) return;
    const int32_t w = source->width, h = source->height;
    const TriangleVertex v[4] = {{corners[0].x, corners[0].y, 0, 0},
                                 {corners[1].x, corners[1].y, w, 0},
                                 {corners[2].x, corners[2].y, 0, h},
                                 {corners[3].x, corners[3].y, w, h}};
    SoftDrawTriangle(dest, source, v, transparentFlag, blendImage, 0);
    SoftDrawTriangle(dest, source, v + 1, transparentFlag, blendImage, 0);
}
