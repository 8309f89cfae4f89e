#include <algorithm>
#include <utility>

#include "engine/softrender/image_call.h"
#include "engine/softrender/image_dispatch.h"
#include "engine/softrender/image_kernels.h"
#include "engine/softrender/kernel_clip.h"

using namespace softrender;

namespace {

// The 16.16 walk has room for sides below 65536 and sources up to 65536 pixels.
constexpr int64_t kMaxStretchSide = 0xFFFF;
constexpr int64_t kMaxStretchSource = 0x10000;

// One axis of the walk: `lo` and `hi` the ordered corners, `clipLo` and `clipHi` the clip span, `size`
// the source's size. False when nothing is drawn.
struct StretchAxis {
    int64_t drawnLo, drawnCount;
    int64_t step, acc0;
    int32_t first, dir;
};

bool SetUpAxis(int64_t lo, int64_t hi, int32_t dir, int32_t clipLo, int32_t clipHi, int32_t size,
               StretchAxis* axis) {
    const int64_t side = hi - lo;
    const int64_t step = (side << 16) / size;
    if (step == 0) return false;
    const int64_t cLo = std::clamp<int64_t>(lo, clipLo, clipHi),
                  cHi = std::clamp<int64_t>(hi, clipLo, clipHi);
    if (cHi <= cLo) return false;
    // The clipped-off margin puts the walk where the unclipped walk would be at the first drawn pixel's
    // centre: each pixel takes the source pixel under its centre, as the device samples. A centre on a
    // source edge takes the pixel after it in the source's own direction, so a mirrored walk stops a
    // hair short of the centre.
    const int64_t offset = ((cLo - lo) << 16) + (dir > 0 ? 0x8000 : 0x7FFF);
    const int64_t skipped = offset / step;
    axis->drawnLo = cLo;
    axis->drawnCount = cHi - cLo;
    axis->step = step;
    axis->acc0 = step - offset % step;
    axis->first = static_cast<int32_t>(dir > 0 ? skipped : size - 1 - skipped);
    axis->dir = dir;
    return true;
}

}  // namespace

void SoftDrawImageStretched(MEMIMG* dest, const MEMIMG* source, const int32_t* rect, int transparentFlag,
                            const MEMIMG* blendImage) {
    if (rect == nullptr || !DrawableDestination(dest) || source == nullptr || source->base == nullptr) return;
    int64_t x1 = rect[0], y1 = rect[1], x2 = rect[2], y2 = rect[3];
    int32_t dirX = 1, dirY = 1;
    if (x1 > x2) std::swap(x1, x2), dirX = -1;
    if (y1 > y2) std::swap(y1, y2), dirY = -1;
    const int64_t w = x2 - x1, h = y2 - y1;
    if (w == 0 || h == 0 || source->base->kind != dest->base->kind) return;
    if (w == source->width && h == source->height && dirX == 1 && dirY == 1) {
        SoftDrawImage(dest, source, static_cast<int>(x1), static_cast<int>(y1), transparentFlag, blendImage);
        return;
    }
    if (w > kMaxStretchSide || h > kMaxStretchSide || source->width <= 0 || source->height <= 0 ||
        source->width > kMaxStretchSource || source->height > kMaxStretchSource) {
        return;
    }
    ImageCall call;
    if (!PrepareImageCall(dest, source, transparentFlag, blendImage, &call)) return;
    const ImageWalkFn<Walker::Stretch> fn = FindImageWalk<Walker::Stretch>(call.key);
    PixelClip clip;
    if (fn == nullptr || !KernelClip(dest, &clip)) return;
    StretchAxis ax, ay;
    if (!SetUpAxis(x1, x2, dirX, clip.left, clip.right, source->width, &ax) ||
        !SetUpAxis(y1, y2, dirY, clip.top, clip.bottom, source->height, &ay)) {
        return;
    }

    const MemImgBase* sb = source->base;
    const int32_t dstBytes = dest->base->pixelBytes;
    StretchGeometry g;
    g.dst = dest->pixels + ay.drawnLo * dest->base->pitch + ax.drawnLo * dstBytes;
    g.dstPitch = dest->base->pitch;
    g.dstBytes = dstBytes;
    g.src = source->pixels;
    g.srcPitch = sb->pitch;
    g.srcBytes = sb->pixelBytes;
    g.blend = blendImage ? blendImage->pixels : nullptr;
    g.blendPitch = blendImage ? blendImage->base->pitch : 0;
    g.width = static_cast<int32_t>(ax.drawnCount);
    g.height = static_cast<int32_t>(ay.drawnCount);
    g.column0 = ax.first;
    g.row0 = ay.first;
    g.columnStep = ax.dir;
    g.rowStep = ay.dir;
    g.stepX = ax.step;
    g.stepY = ay.step;
    g.accX0 = ax.acc0;
    g.accY0 = ay.acc0;
    fn(call.args, g);
    MarkMemImgDrawn(dest->base);
}
