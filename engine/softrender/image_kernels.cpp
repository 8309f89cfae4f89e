#include "engine/softrender/image_kernels.h"

#include <algorithm>
#include <array>
#include <utility>

#include "engine/softrender/image_call.h"
#include "engine/softrender/image_dispatch.h"
#include "engine/softrender/kernel_clip.h"

using namespace softrender;

namespace {

template <size_t... I>
constexpr std::array<bool, sizeof...(I)> RowsBeatRunsFlags(std::index_sequence<I...>) {
    constexpr const ImageLeafTable& t = kImageLeaves<Walker::RowBlit>;
    return {ImageOp<t.leaves[I].rule, t.leaves[I].opaque, t.leaves[I].depth,
                    t.leaves[I].source>::RowsBeatRuns()...};
}

constexpr auto kRowsBeatRuns =
    RowsBeatRunsFlags(std::make_index_sequence<kImageLeaves<Walker::RowBlit>.count>{});

// Whether the row loop of a key draws the run table's pixels faster than the run table's walk.
bool RowsBeatRuns(size_t key) {
    const uint16_t leaf = kImageLeaves<Walker::RowBlit>.index[key];
    return leaf != kNoImageLeaf && kRowsBeatRuns[leaf];
}

}  // namespace

void SoftDrawImage(MEMIMG* dest, const MEMIMG* source, int x, int y, int transparentFlag,
                   const MEMIMG* blendImage) {
    ImageCall call;
    if (!PrepareImageCall(dest, source, transparentFlag, blendImage, &call)) return;
    PixelClip clip;
    if (!KernelClip(dest, &clip)) return;
    const int64_t left = std::max<int64_t>(x, clip.left), top = std::max<int64_t>(y, clip.top);
    const int64_t right = std::min<int64_t>(int64_t(x) + source->width, clip.right);
    const int64_t bottom = std::min<int64_t>(int64_t(y) + source->height, clip.bottom);
    if (left >= right || top >= bottom) return;
    const int32_t w = int32_t(right - left), h = int32_t(bottom - top);
    const int64_t sx = left - x, sy = top - y;

    const MemImgBase* sb = source->base;
    const bool fast = transparentFlag == 1 && MemImgRunTableUsable(sb) && w == source->width &&
                      h == source->height && source->width == sb->width && source->height == sb->height &&
                      !RowsBeatRuns(call.key);
    const ImageWalkFn<Walker::RowBlit> fn =
        fast ? FindImageWalk<Walker::RunBlit>(call.key) : FindImageWalk<Walker::RowBlit>(call.key);
    if (fn == nullptr) return;

    const int32_t dstBytes = dest->base->pixelBytes;
    BlitGeometry g;
    g.dst = dest->pixels + top * dest->base->pitch + left * dstBytes;
    g.dstPitch = dest->base->pitch;
    g.dstBytes = dstBytes;
    g.src = source->pixels + sy * sb->pitch + sx * sb->pixelBytes;
    g.srcPitch = sb->pitch;
    g.srcBytes = sb->pixelBytes;
    g.blend = blendImage ? blendImage->pixels + sy * blendImage->base->pitch + sx : nullptr;
    g.blendPitch = blendImage ? blendImage->base->pitch : 0;
    g.width = w;
    g.height = h;
    g.runs = sb->runTable;
    fn(call.args, g);
    MarkMemImgDrawn(dest->base);
}
