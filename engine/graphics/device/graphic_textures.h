// The device objects of graphics: the textures (and a render target's surfaces) of a graphic's image
// block, made through the forwarding entries so that a load job can make them, and their release, alone
// or for every device resource before the device is reset.
#pragma once

#include <cstdint>

struct GraphicImageBlock;

// Makes the missing objects of every tile of the block. 0 (also for a block without textures) or -1.
int CreateGraphicTextures(GraphicImageBlock* block, int onWorker);
// Releases every surface and texture of the block's tiles, clearing each. 0.
int ReleaseGraphicDeviceObjects(GraphicImageBlock* block);
// Releases the memory textures, every graphic's device objects (a movie drawing into a graphic drops its
// image), and the objects of the buffer and shader handles. The handles stay for the re-creation. 0.
int ReleaseAllDeviceResources();
// After a device restart: the textures of every graphic's image block made again (a shared block is
// passed once per graphic; tiles that have their textures are kept), also of blocks that a restart in
// software mode had made software images. 0.
int RecreateAllGraphicTextures();
// Forgets every cached or latched reference to the texture so that a later texture at the same address
// is not taken for it.
void DropTextureReferences(uintptr_t texture);
// A render target's drawn pixels reach its texture: a multisampled one's surface is resolved into it. 0 for
// a render-target graphic, -1 otherwise.
int UpdateRenderTargetTexture(int graphic);
