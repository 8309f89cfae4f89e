#include "engine/graphics/filters/filter_work_surfaces.h"

#include <algorithm>
#include <cstring>
#include <iterator>

#include "engine/graphics/device/device_wrappers.h"
#include "engine/graphics/device/memory_textures.h"
#include "engine/graphics/device/texture_transfer.h"
#include "engine/graphics/draw/draw_settings.h"
#include "engine/graphics/draw/render_state_cache.h"
#include "engine/graphics/draw/shader_constant_cache.h"
#include "engine/graphics/filters/filter_passes.h"
#include "engine/graphics/filters/filter_routines.h"
#include "engine/graphics/filters/filter_work_targets.h"
#include "engine/graphics/filters/graphic_filter_context.h"
#include "engine/graphics/graphics.h"
#include "engine/graphics/graphics_services.h"
#include "engine/graphics/handles/graphic_handles.h"
#include "engine/graphics/handles/graphic_loading.h"
#include "engine/graphics/handles/graphic_read_back.h"
#include "engine/graphics/target/draw_target_state.h"
#include "engine/graphics/target/render_target_slots.h"
#include "engine/image/soft_image.h"

namespace {

struct SavedFilterDrawState {
    int blendMode, blendParam;
    int secondBlendMode, secondBlendParam;
    int textureFilterMode;
    int fogEnable;
    int noLighting;
    int deviceSaved;
    IDirect3DSurface9* surfaces[kRenderTargetSlotLimit];
    IDirect3DSurface9* depthSurface;
    uint32_t constantSets;
    IDirect3DVertexShader9* vertexShader;  // bound before the run (the library's or a user's)
    IDirect3DPixelShader9* pixelShader;
};
SavedFilterDrawState savedState;

const GraphicImageBlock* BlockOf(int graphic) {
    const GraphicEntry* entry = LookupGraphic(graphic, 0);
    return entry != nullptr ? entry->block : nullptr;
}

// The texture of the graphic's rectangle r when one texture holds all of it.
bool InPlaceInput(int graphic, const RECT& r, FilterPassInput* input) {
    const GraphicEntry* entry = LookupGraphic(graphic, 0);
    if (entry == nullptr) return false;
    for (int i = 0; i < entry->drawTileCount; ++i) {
        const GraphicDrawTile& tile = entry->drawTiles[i];
        if (r.left < tile.x || r.top < tile.y || r.right > tile.x + tile.width ||
            r.bottom > tile.y + tile.height)
            continue;
        *input = {uintptr_t(tile.tile->texture),
                  graphic,
                  int(r.left) - tile.x + tile.textureX,
                  int(r.top) - tile.y + tile.textureY,
                  tile.tile->textureWidth,
                  tile.tile->textureHeight};
        return true;
    }
    return false;
}

// A work target's texture read from its corner.
FilterPassInput WorkTargetInput(int target) {
    const GraphicEntry* entry = LookupGraphic(target, 0);
    const GraphicTextureTile& tile = entry->block->tiles[0];
    return {uintptr_t(tile.texture), target, 0, 0, tile.textureWidth, tile.textureHeight};
}

// The rectangle copied to the corner of a work target; with edges, its last column and last row are
// repeated up to the target's edges, so that clamped sampling beyond the rectangle meets them.
int CopiedInput(GraphicFilterContext* c, int graphic, const RECT& r, bool edges, FilterPassInput* input) {
    const int w = int(r.right - r.left), h = int(r.bottom - r.top);
    const int edge = WorkTargetEdge(std::max(w, h));
    const int target = AcquireWorkTarget(c, edge);
    if (target < 0 || BindFilterTarget(target) < 0) return -1;
    if (DrawGraphicRect(graphic, r, RECT{0, 0, w, h}) < 0) return -1;
    if (edges && edge > w)
        DrawGraphicRect(graphic, RECT{r.right - 1, r.top, r.right, r.bottom}, RECT{w, 0, edge, h});
    if (edges && edge > h)
        DrawGraphicRect(graphic, RECT{r.left, r.bottom - 1, r.right, r.bottom}, RECT{0, h, w, edge});
    if (edges && edge > w && edge > h)
        DrawGraphicRect(graphic, RECT{r.right - 1, r.bottom - 1, r.right, r.bottom}, RECT{w, h, edge, edge});
    *input = WorkTargetInput(target);
    return 0;
}

// Textures of 8 bits a channel: the device samples the same 8-bit values the processor path reads back.
bool SamplesAsReadBack(int graphic) {
    const GraphicImageBlock* block = BlockOf(graphic);
    if (block == nullptr) return false;
    const D3DFORMAT format = TextureFormatOfIndex(block->format);
    return format == D3DFMT_A8R8G8B8 || format == D3DFMT_X8R8G8B8;
}

// A picture of the rectangle read back as the processor path reads it, with its last column and row
// repeated over the Gaussian's reach when edges is set.
int ReadInput(int graphic, const RECT& r, bool edges, int edge, SoftImage* image) {
    SoftImage read{};
    if (ReadGraphicToImage(graphic, &read, &r) != 0) return -1;
    if (!edges) {
        *image = read;
        return 0;
    }
    constexpr int kReach = 32;
    const int width = std::min(read.width + kReach, edge), height = std::min(read.height + kReach, edge);
    const int result = CreateSoftImageArgb8(width, height, image);
    for (int y = 0; result == 0 && y < height; ++y)
        for (int x = 0; x < width; ++x)
            std::memcpy(static_cast<uint8_t*>(image->pixels) + y * image->pitch + x * 4,
                        static_cast<const uint8_t*>(read.pixels) + std::min(y, read.height - 1) * read.pitch +
                            std::min(x, read.width - 1) * 4,
                        4);
    ReleaseSoftImage(&read);
    return result == 0 ? 0 : -1;
}

// Other formats are sampled as the device widens their channels, which need not be how the processor
// path widens them: their rectangle goes through the processor's read into a work target.
int UploadedInput(GraphicFilterContext* c, int graphic, const RECT& r, bool edges, FilterPassInput* input) {
    const int edge = WorkTargetEdge(std::max(r.right - r.left, r.bottom - r.top));
    const int target = AcquireWorkTarget(c, edge);
    SoftImage image{};
    if (target < 0 || ReadInput(graphic, r, edges, edge, &image) != 0) return -1;
    const RECT whole{0, 0, image.width, image.height};
    const int result = TransferImageToTextures(target, &image, nullptr, whole, 0, 0, 0, 0, 0);
    ReleaseSoftImage(&image);
    if (result != 0) return -1;
    *input = WorkTargetInput(target);
    return 0;
}

int PassInput(GraphicFilterContext* c, int graphic, const RECT& r, bool copy, bool edges,
              FilterPassInput* input) {
    if (!SamplesAsReadBack(graphic)) return UploadedInput(c, graphic, r, edges, input);
    if (!copy && InPlaceInput(graphic, r, input)) return 0;
    return CopiedInput(c, graphic, r, edges, input);
}

// The last pass draws into the destination itself when that can be drawn on and the pass reads nothing
// of its block.
bool DrawsIntoDestination(const GraphicFilterContext& c) {
    const GraphicImageBlock* block = BlockOf(c.destinationHandle);
    if (block == nullptr || !block->description.renderTarget || block->textureCount != 1) return false;
    for (int reads : {c.plan.source.graphic, c.plan.second.graphic, c.runSource.graphic, c.sourceHandle,
                      c.blendFlag ? c.blendHandle : -1, c.lookupGraphic})
        if (BlockOf(reads) == block) return false;
    return true;
}

int PlanOutput(GraphicFilterContext* c, int edge) {
    FilterPassPlan& plan = c->plan;
    const bool last = c->pass == c->passCount - 1;
    if (last && DrawsIntoDestination(*c)) {
        const GraphicEntry* entry = LookupGraphic(c->destinationHandle, 0);
        plan.outputGraphic = c->destinationHandle;
        plan.outputX = entry->x + c->destinationX;
        plan.outputY = entry->y + c->destinationY;
        plan.outputIsWorkTarget = 0;
        return 0;
    }
    if (last) edge = WorkTargetEdge(std::max(c->resultWidth, c->resultHeight));
    plan.outputGraphic = AcquireWorkTarget(c, edge);
    plan.outputX = plan.outputY = 0;
    plan.outputIsWorkTarget = 1;
    return plan.outputGraphic < 0 ? -1 : 0;
}

int PlanFilterPass(GraphicFilterContext* c) {
    FilterPassPlan& plan = c->plan;
    const bool gauss = !c->blendFlag && c->kind == kFilterGaussBlur;
    const bool last = c->pass == c->passCount - 1;
    const int w = c->x2 - c->x1, h = c->y2 - c->y1;
    const int edge = WorkTargetEdge(std::max(w, h));
    if (c->pass == 0) {
        plan.second = FilterPassInput{0, -1, 0, 0, 0, 0};
        const RECT r{c->x1, c->y1, c->x2, c->y2};
        if (PassInput(c, c->sourceHandle, r, gauss, gauss, &plan.source) < 0) return -1;
        c->runSource = plan.source;
        const RECT b{c->blendX, c->blendY, c->blendX + w, c->blendY + h};
        if (c->blendFlag && PassInput(c, c->blendHandle, b, false, false, &plan.second) < 0) return -1;
    } else {
        plan.source = WorkTargetInput(plan.outputGraphic);
        plan.second = c->runSource;
    }
    plan.width = w;
    // The Gaussian's first pass also blurs the repeated rows below the rectangle: the second pass reads
    // them there.
    plan.height = gauss && !last ? edge : h;
    return PlanOutput(c, edge);
}

}  // namespace

int GetWorkRenderTexture(GraphicFilterContext* context, int width, int height, int mode, int* slot,
                         int* source) {
    // The pass's own rectangle is the context's; the output never shares a block with what the pass
    // reads, which is what the separate copy asks for.
    (void)width;
    (void)height;
    (void)mode;
    if (LookupGraphic(context->sourceHandle, 0) == nullptr ||
        LookupGraphic(context->destinationHandle, 0) == nullptr)
        return -1;
    *slot = 0;
    *source = context->sourceHandle;
    if (!FilterUsesShaders(context)) return 0;
    return PlanFilterPass(context);
}

int PrepareLookupInput(GraphicFilterContext* context, int graphic, int width) {
    FilterPassPlan& plan = context->plan;
    const int output = plan.outputGraphic;
    const RECT row{0, 0, width, 1};
    if (PassInput(context, graphic, row, false, false, &plan.second) < 0) return -1;
    return BindFilterTarget(output);
}

int SaveFilterDrawState(GraphicFilterContext*) {
    SavedFilterDrawState& s = savedState;
    s = SavedFilterDrawState{drawSettings.blendMode,
                             drawSettings.blendParam,
                             drawSettings.secondBlendMode,
                             drawSettings.secondBlendParam,
                             GetTextureFilterMode(),
                             drawSettings.fogEnable,
                             drawSettings.noLighting,
                             0,
                             {},
                             nullptr,
                             shaderConstantCache.activeMask,
                             renderStateCache.vertexShader,
                             renderStateCache.pixelShader};
    drawSettings.noLighting = 1;
    if (Direct3DMode && HasD3DDevice()) {
        s.deviceSaved = 1;
        std::copy(std::begin(drawTargetState.boundSurfaces), std::end(drawTargetState.boundSurfaces),
                  s.surfaces);
        for (int slot = 1; slot < kRenderTargetSlotLimit; ++slot)
            if (s.surfaces[slot] != nullptr) SetRenderTargetSurface(nullptr, slot);
        if (FAILED(DeviceGetDepthStencilSurface(&s.depthSurface))) s.depthSurface = nullptr;
        if (s.depthSurface != nullptr) DeviceSetDepthStencilSurface(nullptr);
    }
    if (IsDrawingSuspended()) return 0;
    SetBlend(14, 0);
    SetTextureFilterMode(1);
    drawSettings.secondBlendMode = 8;
    drawSettings.secondBlendParam = 0;
    return 0;
}

int RestoreFilterDrawState(GraphicFilterContext* context) {
    SavedFilterDrawState& s = savedState;
    ReleaseWorkTargets(context);
    if (s.deviceSaved && HasD3DDevice()) {
        SetCachedVertexShader(s.vertexShader);
        SetCachedPixelShader(s.pixelShader);
        if (s.depthSurface != nullptr) DeviceSetDepthStencilSurface(s.depthSurface);
        for (int slot = 0; slot < kRenderTargetSlotLimit; ++slot)
            if (s.surfaces[slot] != nullptr) SetRenderTargetSurface(s.surfaces[slot], slot);
        SelectShaderConstantSets(&shaderConstantCache, s.constantSets);
        const int force = renderStateCache.force;
        renderStateCache.force = 1;
        ApplyDrawAreaToDevice();
        renderStateCache.force = force;
        RefreshStageSetup();
        MarkStatesChanged();
    }
    if (s.depthSurface != nullptr) s.depthSurface->Release();
    s.depthSurface = nullptr;
    s.deviceSaved = 0;
    drawSettings.noLighting = s.noLighting;
    drawSettings.fogEnable = s.fogEnable;
    SetBlend(s.blendMode, s.blendParam);
    SetTextureFilterMode(s.textureFilterMode);
    drawSettings.secondBlendMode = s.secondBlendMode;
    drawSettings.secondBlendParam = s.secondBlendParam;
    return 0;
}

int CopyFilterResultToTarget(int mode, int target, GraphicFilterContext* context) {
    (void)mode;
    (void)target;
    if (!context->plan.outputIsWorkTarget) return 0;
    const RECT result{0, 0, context->resultWidth, context->resultHeight};
    context->sourceImage = context->blendImage = SoftImage{};
    if (ReadGraphicToImage(context->plan.outputGraphic, &context->destinationImage, &result) != 0) return -1;
    return FinishFilterResult(context);
}

int FinishFilterResult(GraphicFilterContext* context) {
    ReleaseSoftImage(&context->sourceImage);
    ReleaseSoftImage(&context->blendImage);
    // Straight into the textures: the graphic's place in its reload source stays as it was.
    const SoftImage& image = context->destinationImage;
    const RECT whole{0, 0, image.width, image.height};
    const int result =
        TransferImageToTextures(context->destinationHandle, &image, nullptr, whole, context->destinationX,
                                context->destinationY, kTransferColourKey, 0, 0);
    ReleaseSoftImage(&context->destinationImage);
    return result;
}
