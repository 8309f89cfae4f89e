#include "engine/softrender/image_call.h"

#include "engine/core/frame/cpu_simd_flag.h"
#include "engine/softrender/kernel_clip.h"
#include "engine/softrender/pixel_rules.h"
#include "engine/softrender/soft_render_state.h"

namespace softrender {

bool PrepareImageCall(const MEMIMG* dest, const MEMIMG* source, int transparentFlag, const MEMIMG* blendImage,
                      ImageCall* call) {
    if (!DrawableDestination(dest) || source == nullptr || source->base == nullptr) return false;
    const MemImgBase* sb = source->base;
    if (sb->kind != dest->base->kind || (sb->kind != 0 && sb->kind != 1)) return false;
    // A blend image must cover the source: its weights are read at the source's positions.
    if (blendImage != nullptr && (blendImage->base == nullptr || blendImage->width < source->width ||
                                  blendImage->height < source->height)) {
        return false;
    }
    const SoftRenderState& state = g_softRenderState;
    const uint32_t mode = static_cast<uint32_t>(state.blendMode);
    if (mode >= kModeCount) return false;
    const SourceKind kind = sb->hasPalette == 1 ? SourceKind::Palette
                            : sb->hasAlpha == 1 ? SourceKind::DirectAlpha
                                                : SourceKind::Direct;
    const uint8_t variants =
        (blendImage ? kVariantBlendImage : 0) | (SoftTintOn(state.drawBright) ? kVariantTint : 0) |
        (transparentFlag != 0 ? kVariantTransparent : 0) | (GetCpuSimdFlag() ? kVariantSimd : 0);
    const uint8_t p = static_cast<uint8_t>(state.blendParam);
    call->key = ImageKeyIndex(static_cast<Depth>(sb->kind), kind, mode, ClassifyParam(p), variants);

    ImageArgs& args = call->args;
    args.palette = sb->palette;
    args.transparent = sb->transparentColor;
    for (int c = 0; c < 3; ++c)
        args.tint[c] = g_softBlendTables.ScaleTable[(state.drawBright >> (16 - 8 * c)) & 255];
    args.param = p;
    args.rows.scaleRow = g_softBlendTables.ScaleTable[p];
    args.rows.diffCentre = &g_softBlendTables.DiffScaleTable[p][255];
    args.rows.lerpPlane = &g_softBlendTables.Lerp6Table[p >> 2][0][0];
    args.weights = BlendImageWeightTable;
    return true;
}

}  // namespace softrender
