#include "engine/graphics/handles/graphic_handles.h"

#include "engine/core/memory/tracked_allocator.h"
#include "engine/graphics/device/device_capabilities.h"
#include "engine/graphics/device/graphic_textures.h"
#include "engine/graphics/draw/device_buffers.h"
#include "engine/graphics/draw/draw_settings.h"
#include "engine/graphics/draw/user_shaders.h"
#include "engine/graphics/graphics.h"
#include "engine/graphics/graphics_services.h"
#include "engine/graphics/handles/graphic_reload_source.h"
#include "engine/graphics/target/render_target_slots.h"

namespace {

constexpr int kNoDepthDrawTarget = -2;

GraphicEntry* EntryOf(HandleHeader* data) {
    return reinterpret_cast<GraphicEntry*>(data);
}

// Slot 0 goes back to the screen that init selects; the other slots are emptied.
void UnbindRenderTargetSlots(int handle) {
    const int slots =
        deviceCapabilityFlags.renderTargetSlots > 1 ? deviceCapabilityFlags.renderTargetSlots : 1;
    for (int slot = 0; slot < slots; ++slot) {
        if (GetRenderTargetSlotGraphic(slot) != handle) continue;
        SetRenderTargetSlot(slot, slot == 0 ? kDrawTargetFrontScreen : -1);
        // Without graphics started the selection is refused; the deleted graphic must still go.
        if (slot == 0 && GetDrawTargetHandle() == handle) SwapDrawScreen(kDrawTargetFrontScreen);
    }
}

void FreeWorkBuffer(void*& buffer) {
    TrackedFree(buffer);
    buffer = nullptr;
}

}  // namespace

int NewGraphicHandle() {
    return AddHandle(kGraphicHandleType, -1);
}

int GraphicEntryInit(HandleHeader* data) {
    EntryOf(data)->movieHandle = -1;
    return 0;
}

int DeleteGraphicCallback(HandleHeader* data) {
    GraphicEntry* entry = EntryOf(data);
    const int handle = int(entry->header.handle);
    if (entry->movieHandle != -1) DeleteHandle(entry->movieHandle);
    entry->movieHandle = -1;
    UnbindRenderTargetSlots(handle);
    if (GetDepthDrawTarget() == handle) SetDepthDrawTarget(kNoDepthDrawTarget);
    if (entry->block) {
        if (!entry->block->description.hasTextures) ReleaseMemImg(&entry->softView);
        ReleaseGraphicImageBlock(entry->block);
        entry->block = nullptr;
    }
    FreeWorkBuffer(entry->workBuffer1);
    FreeWorkBuffer(entry->workBuffer2);
    DropGraphicReloadSource(entry);
    if (entry->deletedFlag) *entry->deletedFlag = 1;
    return 0;
}

void ReleaseGraphicImageBlock(GraphicImageBlock* block) {
    if (--block->referenceCount > 0) return;
    if (block->description.hasTextures)
        ReleaseGraphicDeviceObjects(block);
    else
        ReleaseMemImg(&block->image);
    TrackedFree(block);
}

GraphicEntry* LookupGraphic(int handle, int allowLoading) {
    auto* entry = static_cast<GraphicEntry*>(GetTypedHandleData(handle, kGraphicHandleType));
    if (!entry || allowLoading) return entry;
    // A failed job's graphic is deleted by this check, on the owner's thread.
    if (IsHandleLoading(handle) != 0) return nullptr;
    return entry;
}

int IsGraphicAlive(int handle) {
    return LookupGraphic(handle, 0) != nullptr;
}

int FreeGraphic(int handle, int) {
    return DeleteHandle(handle);
}

int FreeAllGraphics(int) {
    DeleteAllHandles(kGraphicHandleType, nullptr);
    return 0;
}

int SetGraphicDeletedFlag(int handle, int* flag) {
    GraphicEntry* entry = LookupGraphic(handle, 0);
    if (!entry) return -1;
    entry->deletedFlag = flag;
    if (flag) *flag = 0;
    return 0;
}

int RegisterGraphicsHandleTypes() {
    if (RegisterHandleType(kGraphicHandleType, GraphicEntrySize(kInlineDrawTiles), kGraphicHandleLimit,
                           GraphicEntryInit, DeleteGraphicCallback, "グラフィック") != 0)
        return -1;
    RegisterHandleType(kHandleTypeShader, int(sizeof(UserShaderRecord)), kUserShaderLimit, nullptr,
                       UserShaderDeleteCallback, "シェーダー");
    RegisterHandleType(kHandleTypeVertexBuffer, int(sizeof(DeviceBufferRecord)), kDeviceBufferLimit, nullptr,
                       DeviceBufferDeleteCallback, "頂点バッファ");
    RegisterHandleType(kHandleTypeIndexBuffer, int(sizeof(DeviceBufferRecord)), kDeviceBufferLimit, nullptr,
                       DeviceBufferDeleteCallback, "インデックスバッファ");
    return 0;
}

int EndGraphicsHandleTypes() {
    EndHandleType(kHandleTypeVertexBuffer);
    EndHandleType(kHandleTypeIndexBuffer);
    EndHandleType(kHandleTypeShader);
    EndHandleType(kGraphicHandleType);
    return 0;
}

int GetGraphicEntrySize(int handle, int allowLoading, int* width, int* height) {
    const GraphicEntry* entry = LookupGraphic(handle, allowLoading);
    if (!entry) return -1;
    *width = entry->width;
    *height = entry->height;
    return 0;
}

int GetGraphicFirstTextureSize(int handle, int* width, int* height) {
    const GraphicEntry* entry = LookupGraphic(handle, 0);
    if (!entry || !entry->block || entry->block->textureCount < 1) return -1;
    *width = entry->block->tiles[0].textureWidth;
    *height = entry->block->tiles[0].textureHeight;
    return 0;
}

uintptr_t GraphicFirstTexture(const GraphicEntry* entry) {
    if (!entry || !entry->block || !entry->block->description.hasTextures || entry->block->textureCount < 1)
        return 0;
    return reinterpret_cast<uintptr_t>(entry->block->tiles[0].texture);
}

int IsRenderTargetGraphic(int handle) {
    const GraphicEntry* entry = LookupGraphic(handle, 0);
    return entry && entry->block && entry->block->description.hasTextures &&
           entry->block->description.renderTarget;
}
