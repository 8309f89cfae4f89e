// Copies of a rectangle of a draw target into a graphic.
#include "engine/graphics/device/device_capabilities.h"
#include "engine/graphics/device/device_objects.h"
#include "engine/graphics/device/device_wrappers.h"
#include "engine/graphics/device/direct3d_system.h"
#include "engine/graphics/device/graphic_textures.h"
#include "engine/graphics/device/screen_mem_image.h"
#include "engine/graphics/device/texture_transfer.h"
#include "engine/graphics/draw/scene_latch.h"
#include "engine/graphics/draw/vertex_batch.h"
#include "engine/graphics/graphics.h"
#include "engine/graphics/graphics_services.h"
#include "engine/graphics/handles/graphic_handles.h"
#include "engine/graphics/handles/graphic_loading.h"
#include "engine/graphics/handles/graphic_records.h"
#include "engine/graphics/loss/back_buffer_lock.h"
#include "engine/graphics/target/draw_target_state.h"
#include "engine/graphics/target/frame_flip.h"
#include "engine/image/soft_image.h"
#include "engine/softrender/mem_img.h"

namespace {

IDirect3DSurface9* SourceSurface(const GraphicEntry* source) {
    if (source == nullptr) {
        IDirect3DSurface9* sub = GetSubBackBuffer();
        return sub != nullptr ? sub : BackBufferSurface;
    }
    const GraphicImageBlock* block = source->block;
    if (block == nullptr || block->textureCount < 1) return nullptr;
    const GraphicTextureTile& tile = block->tiles[0];
    return tile.multisampleSurface != nullptr ? tile.multisampleSurface : tile.surface;
}

// A destination without textures takes the pixels of the source's software image.
int CopyIntoSoftware(GraphicEntry* source, const RECT& r, int destX, int destY, GraphicEntry* dest) {
    const MEMIMG* image = source != nullptr ? &source->softView : GetScreenMemImage();
    if (image == nullptr || !IsMemImgValid(image)) return -1;
    const int32_t rect[4] = {r.left, r.top, r.right, r.bottom};
    return CopyMemImgConverted(&dest->softView, image, rect, destX, destY) < 0 ? -1 : 0;
}

int CopyIntoTextures(int source, GraphicEntry* sourceEntry, const RECT& r, int destX, int destY, int graphic,
                     GraphicEntry* dest) {
    IDirect3DSurface9* from = SourceSurface(sourceEntry);
    if (from == nullptr) return -1;
    if (dest->block->description.renderTarget) {
        const RECT to{destX, destY, destX + (r.right - r.left), destY + (r.bottom - r.top)};
        return FAILED(DeviceStretchRect(from, &r, dest->block->tiles[0].surface, &to, D3DTEXF_NONE)) ? -1 : 0;
    }
    SoftImage image{};
    if (sourceEntry != nullptr) UpdateRenderTargetTexture(source);  // a multisampled picture, resolved
    if (LockBackBuffer(&r, &image, sourceEntry != nullptr ? source : -1, 1, 0) != 0) return -1;
    // Written straight into the textures: the graphic keeps its place in its sheet, which the restore
    // after a device loss refills it from.
    const RECT whole{0, 0, image.width, image.height};
    const int result =
        TransferImageToTextures(graphic, &image, nullptr, whole, destX, destY, kTransferColourKey, 0, 0);
    ReleaseBackBufferLock();
    return result;
}

}  // namespace

int CopyDrawScreenRect(int source, int x1, int y1, int x2, int y2, int destX, int destY, int graphic) {
    GraphicEntry* dest = LookupGraphic(graphic, 0);
    if (dest == nullptr || dest->block == nullptr) return -1;
    if (Direct3DMode && HasD3DDevice()) {
        FlushVertexBatch(0);
        EndSceneIfBegun();
    }
    GraphicEntry* sourceEntry = LookupGraphic(source, 0);
    int width, height;
    GetDrawTargetSize(sourceEntry != nullptr ? source : kDrawTargetBackBuffer, &width, &height);
    // The rectangle is checked against the source it is read from, and must land inside the destination.
    const bool fits = 0 <= x1 && x1 < x2 && x2 <= width && 0 <= y1 && y1 < y2 && y2 <= height && destX >= 0 &&
                      destY >= 0 && destX + (x2 - x1) <= dest->width && destY + (y2 - y1) <= dest->height;
    if (!fits) return -1;
    const RECT r{x1, y1, x2, y2};
    if (dest->block->textureCount == 0) return CopyIntoSoftware(sourceEntry, r, destX, destY, dest);
    return CopyIntoTextures(source, sourceEntry, r, destX, destY, graphic, dest);
}

int CopyDrawScreenToGraphic(int x1, int y1, int x2, int y2, int graphic) {
    const GraphicEntry* entry = LookupGraphic(graphic, 0);
    if (entry == nullptr || entry->width != x2 - x1 || entry->height != y2 - y1) return -1;
    return CopyDrawScreenRect(GetDrawTargetHandle(), x1, y1, x2, y2, 0, 0, graphic);
}
