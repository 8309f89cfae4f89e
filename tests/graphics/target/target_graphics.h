// Graphics made by hand for the draw-target tests: a software graphic over its own MEMIMG, or a graphic
// with one texture made on the test device; both freed through the graphic handles.
#pragma once

#include <gtest/gtest.h>

#include "engine/core/memory/tracked_allocator.h"
#include "engine/graphics/handles/graphic_handles.h"
#include "engine/softrender/mem_img.h"

namespace graphics_test {

struct GraphicShape {
    int width, height;
    int renderTarget;
    int alpha;
};

inline GraphicEntry* AttachBlock(int handle, const GraphicShape& shape, int textureCount) {
    GraphicEntry* entry = LookupGraphic(handle, 1);
    auto* block = static_cast<GraphicImageBlock*>(
        TrackedAllocZeroed(size_t(GraphicImageBlockSize(textureCount)), __FILE__, __LINE__));
    block->referenceCount = 1;
    block->description.renderTarget = uint8_t(shape.renderTarget);
    block->description.alphaChannel = uint8_t(shape.alpha);
    block->description.hasTextures = uint8_t(textureCount > 0);
    block->width = shape.width;
    block->height = shape.height;
    block->textureCount = textureCount;
    entry->block = block;
    entry->width = shape.width;
    entry->height = shape.height;
    return entry;
}

// A software graphic of 16-bit pixels (32-bit with alpha).
inline int MakeSoftwareGraphic(const GraphicShape& shape) {
    const int handle = NewGraphicHandle();
    if (handle < 0) return -1;
    GraphicEntry* entry = AttachBlock(handle, shape, 0);
    if (InitMemImg(&entry->block->image, shape.width, shape.height, -1, 0, shape.alpha ? 1 : 0, 0,
                   shape.alpha, 0, nullptr) < 0)
        return -1;
    CreateMemImgView(&entry->softView, &entry->block->image, 0, 0, shape.width, shape.height);
    return handle;
}

// A graphic with one X8R8G8B8 texture (a render target when the shape says so) on the device.
inline int MakeTextureGraphic(IDirect3DDevice9* device, const GraphicShape& shape) {
    const int handle = NewGraphicHandle();
    if (handle < 0) return -1;
    GraphicEntry* entry = AttachBlock(handle, shape, 1);
    GraphicTextureTile& tile = entry->block->tiles[0];
    const DWORD usage = shape.renderTarget ? D3DUSAGE_RENDERTARGET : 0;
    const D3DPOOL pool = shape.renderTarget ? D3DPOOL_DEFAULT : D3DPOOL_MANAGED;
    if (device->CreateTexture(UINT(shape.width), UINT(shape.height), 1, usage, D3DFMT_X8R8G8B8, pool,
                              &tile.texture, nullptr) != D3D_OK)
        return -1;
    if (shape.renderTarget) tile.texture->GetSurfaceLevel(0, &tile.surface);
    tile.usedWidth = tile.textureWidth = shape.width;
    tile.usedHeight = tile.textureHeight = shape.height;
    return handle;
}

}  // namespace graphics_test
