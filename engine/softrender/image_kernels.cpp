#include "engine/softrender/image_kernels.h"

#include <algorithm>
#include <array>
#include <utility>

#include "engine/softrender/image_ops.h"
#include "engine/softrender/image_walkers.h"
#include "engine/softrender/kernel_clip.h"
#include "engine/softrender/pixel_rules.h"
#include "engine/softrender/soft_render_state.h"

namespace softrender {
namespace {

using ImageWalkFn = void (*)(const ImageArgs&, const BlitGeometry&);

template <Walker W, PixelRule R, PixelRule O, Depth D, SourceKind S>
void RunImageWalk(const ImageArgs& args, const BlitGeometry& g) {
    const ImageOp<R, O, D, S> op(args);
    if constexpr (W == Walker::RunBlit) {
        WalkRuns(op, g);
    } else {
        WalkRows(op, g);
    }
}

template <Walker W, size_t I>
constexpr ImageWalkFn ImageEntry() {
    constexpr RuleKey key = ImageKeyAt(W, I);
    constexpr PixelRule rule = PickPixelRule(key);
    constexpr RuleKey opaqueKey{key.walker, key.depth, SourceKind::DirectOpaque,
                                key.mode,   key.param, key.variants};
    constexpr PixelRule opaque = key.source == SourceKind::DirectAlpha ? PickPixelRule(opaqueKey) : rule;
    if constexpr (rule.combine == Combine::Nothing) {
        return nullptr;
    } else {
        return &RunImageWalk<W, rule, opaque, key.depth, key.source>;
    }
}

template <Walker W, size_t... I>
constexpr std::array<ImageWalkFn, sizeof...(I)> MakeImageTable(std::index_sequence<I...>) {
    return {ImageEntry<W, I>()...};
}

template <Walker W>
constexpr auto kImageTable = MakeImageTable<W>(std::make_index_sequence<kImageKeyCount>{});

}  // namespace
}  // namespace softrender

using namespace softrender;

void SoftDrawImage(MEMIMG* dest, const MEMIMG* source, int x, int y, int transparentFlag,
                   const MEMIMG* blendImage) {
    if (!DrawableDestination(dest) || source == nullptr || source->base == nullptr) return;
    const MemImgBase* sb = source->base;
    if (sb->kind != dest->base->kind || (sb->kind != 0 && sb->kind != 1)) return;
    // A blend image must cover the source: its weights are read at the source's positions.
    if (blendImage != nullptr && (blendImage->base == nullptr || blendImage->width < source->width ||
                                  blendImage->height < source->height)) {
        return;
    }
    PixelClip clip;
    if (!KernelClip(dest, &clip)) return;
    const int64_t left = std::max<int64_t>(x, clip.left), top = std::max<int64_t>(y, clip.top);
    const int64_t right = std::min<int64_t>(int64_t(x) + source->width, clip.right);
    const int64_t bottom = std::min<int64_t>(int64_t(y) + source->height, clip.bottom);
    if (left >= right || top >= bottom) return;
    const int32_t w = int32_t(right - left), h = int32_t(bottom - top);
    const int64_t sx = left - x, sy = top - y;

    const SoftRenderState& state = g_softRenderState;
    const uint32_t mode = static_cast<uint32_t>(state.blendMode);
    if (mode >= kModeCount) return;
    const bool fast = transparentFlag == 1 && MemImgRunTableUsable(sb) && w == source->width &&
                      h == source->height && source->width == sb->width && source->height == sb->height;
    const Depth depth = static_cast<Depth>(sb->kind);
    const SourceKind kind = sb->hasPalette == 1 ? SourceKind::Palette
                            : sb->hasAlpha == 1 ? SourceKind::DirectAlpha
                                                : SourceKind::Direct;
    const uint8_t variants = (blendImage ? kVariantBlendImage : 0) |
                             (SoftTintOn(state.drawBright) ? kVariantTint : 0) |
                             (transparentFlag != 0 ? kVariantTransparent : 0);
    const uint8_t p = static_cast<uint8_t>(state.blendParam);
    const size_t index = ImageKeyIndex(depth, kind, mode, ClassifyParam(p), variants);
    const ImageWalkFn fn = fast ? kImageTable<Walker::RunBlit>[index] : kImageTable<Walker::RowBlit>[index];
    if (fn == nullptr) return;

    ImageArgs args;
    args.palette = sb->palette;
    args.transparent = sb->transparentColor;
    for (int c = 0; c < 3; ++c)
        args.tint[c] = g_softBlendTables.ScaleTable[(state.drawBright >> (16 - 8 * c)) & 255];
    args.param = p;
    args.rows.scaleRow = g_softBlendTables.ScaleTable[p];
    args.rows.diffCentre = &g_softBlendTables.DiffScaleTable[p][255];
    args.rows.lerpPlane = &g_softBlendTables.Lerp6Table[p >> 2][0][0];
    args.weights = BlendImageWeightTable;

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
    fn(args, g);
    MarkMemImgDrawn(dest->base);
}
