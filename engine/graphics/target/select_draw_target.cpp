// SelectDrawTarget and the render-target slots.
#include "engine/core/frame/window_utils.h"
#include "engine/graphics/device/device_capabilities.h"
#include "engine/graphics/device/device_objects.h"
#include "engine/graphics/device/device_wrappers.h"
#include "engine/graphics/device/direct3d_system.h"
#include "engine/graphics/device/draw_target_depth.h"
#include "engine/graphics/device/front_screen_timer.h"
#include "engine/graphics/device/graphic_textures.h"
#include "engine/graphics/device/graphics_init.h"
#include "engine/graphics/device/screen_mem_image.h"
#include "engine/graphics/draw/draw_settings.h"
#include "engine/graphics/draw/render_state_cache.h"
#include "engine/graphics/draw/scene_latch.h"
#include "engine/graphics/draw/user_shaders.h"
#include "engine/graphics/draw/vertex_batch.h"
#include "engine/graphics/graphics.h"
#include "engine/graphics/graphics_services.h"
#include "engine/graphics/handles/graphic_handles.h"
#include "engine/graphics/handles/graphic_records.h"
#include "engine/graphics/loss/mask_screen.h"
#include "engine/graphics/scene3d/camera.h"
#include "engine/graphics/target/draw_target_state.h"
#include "engine/graphics/target/render_target_slots.h"
#include "engine/softrender/soft_draw_entries.h"

namespace {

bool IsDrawable(const GraphicEntry& entry) {
    return entry.block != nullptr && entry.block->description.renderTarget != 0;
}

// A multisampled draw target draws into its multisample surface.
IDirect3DSurface9* GraphicSurface(const GraphicEntry* entry) {
    if (entry == nullptr || entry->block == nullptr || entry->block->textureCount < 1) return nullptr;
    const GraphicTextureTile& tile = entry->block->tiles[0];
    return tile.multisampleSurface != nullptr ? tile.multisampleSurface : tile.surface;
}

// The software surface of the new draw target; null when the graphic cannot be drawn on in software.
MEMIMG* SoftwareTarget(GraphicEntry* entry, int maskOn) {
    if (maskOn && maskScreen.memImgCreated) return &maskScreen.memImg;
    if (entry == nullptr) return GetScreenMemImage();
    return entry->block->description.alphaChannel ? nullptr : &entry->softView;
}

IDirect3DSurface9* DeviceTarget(const GraphicEntry* entry, int maskOn) {
    if (maskOn && maskScreen.screenSurface != nullptr) return maskScreen.screenSurface;
    if (entry != nullptr) return GraphicSurface(entry);
    IDirect3DSurface9* sub = GetSubBackBuffer();
    return sub != nullptr ? sub : BackBufferSurface;
}

// A user pixel shader bound for the old target is dropped: the next draw selects its shaders again.
void DropUserPixelShader() {
    if (userShaderBinding.pixelShader == 0) return;
    SetCachedPixelShader(nullptr);
    userShaderBinding.pixelShader = 0;
    renderStateCache.pixelShaderChoiceChanged = 1;
    renderStateCache.stageSetup.dirty = 1;
    MarkStatesChanged();
}

void BindDeviceTarget(int oldHandle, const GraphicEntry* entry, int maskOn) {
    FlushVertexBatch(0);
    EndSceneIfBegun();
    DropUserPixelShader();
    // What the old target drew into its multisample surface goes into its texture.
    if (!IsScreenTarget(oldHandle)) UpdateRenderTargetTexture(oldHandle);
    SetRenderTargetSurface(DeviceTarget(entry, maskOn), 0);
    ApplyDrawTargetDepthSurface();
}

// Steps after the target is known to be acceptable; the mask state is already switched off.
void SwitchTarget(int handle, GraphicEntry* entry, MEMIMG* softTarget, int maskOn) {
    DrawTargetState& s = drawTargetState;
    const int oldWidth = s.width, oldHeight = s.height, oldHandle = s.slots[0];
    s.slots[0] = handle;
    GetDrawTargetSize(handle, &s.width, &s.height);
    if (!Direct3DMode) g_softDrawSurfaces.target = softTarget;
    if (Direct3DMode && HasD3DDevice()) BindDeviceTarget(oldHandle, entry, maskOn);
    if (handle == kDrawTargetFrontScreen) StartFrontScreenTimer(1);
    if (s.width == oldWidth && s.height == oldHeight) {
        SetClipRect(s.area.left, s.area.top, s.area.right, s.area.bottom);
    } else {
        SetClipRect(0, 0, s.width, s.height);
    }
    ResetCameraForDrawTarget(s.width, s.height);
}

int SlotCount() {
    const int count = deviceCapabilityFlags.renderTargetSlots;
    return count < 1 ? 1 : (count > kRenderTargetSlotLimit ? kRenderTargetSlotLimit : count);
}

}  // namespace

int SelectDrawTarget(int handle) {
    if (!graphicsStarted) return -1;
    WaitWhileInactive();
    GraphicEntry* entry = nullptr;
    if (!IsScreenTarget(handle)) {
        // A graphic still loading is refused too: its surface may not exist yet.
        entry = LookupGraphic(handle, 0);
        if (entry == nullptr || !IsDrawable(*entry)) return -1;
    }
    const int maskOn = GetMaskDrawingEnabled();
    MEMIMG* softTarget = SoftwareTarget(entry, maskOn);
    // In software mode a graphic with alpha is refused before anything changes.
    if (!Direct3DMode && entry != nullptr && softTarget == nullptr) return -1;
    SetMaskDrawingEnabled(0);
    SwitchTarget(handle, entry, softTarget, maskOn);
    SetMaskDrawingEnabled(maskOn);
    return 0;
}

int SetRenderTargetSlot(int slot, int graphic) {
    if (slot < 0 || slot >= SlotCount()) return -1;
    DrawTargetState& s = drawTargetState;
    if (s.slots[slot] == graphic) return 0;
    if (slot == 0) return SelectDrawTarget(graphic);
    if (!Direct3DMode || !deviceCapabilityFlags.pixelShader2 || !HasD3DDevice()) return -1;
    const GraphicEntry* entry = LookupGraphic(graphic, 0);
    if (entry != nullptr && !IsDrawable(*entry)) return -1;
    FlushVertexBatch(0);
    EndSceneIfBegun();
    SetCachedTexture(0, 0);
    s.slots[slot] = entry != nullptr ? graphic : 0;
    SetRenderTargetSurface(GraphicSurface(entry), slot);
    return 0;
}

int SetRenderTargetSurface(IDirect3DSurface9* surface, int slot) {
    if (!HasD3DDevice()) return -1;
    if (slot < 0 || slot >= kRenderTargetSlotLimit) return 0;
    IDirect3DSurface9*& bound = drawTargetState.boundSurfaces[slot];
    if (bound == surface && !renderStateCache.force) return 0;
    FlushVertexBatch(0);
    DeviceSetRenderTarget(DWORD(slot), surface);
    bound = surface;
    D3DSURFACE_DESC desc{};
    if (slot == 0 && surface != nullptr && SUCCEEDED(surface->GetDesc(&desc))) {
        // The device resets its viewport to the whole new target; the cache follows.
        renderStateCache.viewport = D3DVIEWPORT9{0, 0, desc.Width, desc.Height, 0.0f, 1.0f};
    }
    return 0;
}

int RebindRenderTargetSlots() {
    for (int slot = 1; slot < SlotCount(); ++slot) {
        const GraphicEntry* entry = LookupGraphic(drawTargetState.slots[slot], 0);
        if (entry == nullptr) continue;
        drawTargetState.boundSurfaces[slot] = nullptr;  // the device that held it is gone
        SetRenderTargetSurface(GraphicSurface(entry), slot);
    }
    return 0;
}

int ClearRenderTargetSlots() {
    for (int slot = 1; slot < kRenderTargetSlotLimit; ++slot) {
        drawTargetState.slots[slot] = 0;
        drawTargetState.boundSurfaces[slot] = nullptr;
    }
    return 0;
}

int SwapDrawScreen(int handle) {
    const int previous = drawTargetState.slots[0];
    drawTargetState.slots[0] = handle;
    return previous;
}

int GetRenderTargetSlotGraphic(int slot) {
    if (slot < 0 || slot >= kRenderTargetSlotLimit || drawTargetState.slots[slot] == 0) return -1;
    return drawTargetState.slots[slot];
}
