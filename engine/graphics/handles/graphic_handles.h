// Graphic handles (type 1): creation, the lookup every graphic function validates with, deletion with
// the release of the shared image block and reload source, and the registration of the graphics types.
#pragma once

#include <cstdint>

#include "engine/graphics/handles/graphic_records.h"

// A new graphic handle with a zero-filled entry (movie handle -1), or -1.
int NewGraphicHandle();
// The type's init and delete callbacks.
int GraphicEntryInit(HandleHeader* data);
int DeleteGraphicCallback(HandleHeader* data);

// Null for an invalid handle; with allowLoading 0 also while a load job still fills the graphic.
GraphicEntry* LookupGraphic(int handle, int allowLoading);
// 1 when the strict lookup finds the graphic.
int IsGraphicAlive(int handle);
int FreeGraphic(int handle, int unused);
int FreeAllGraphics(int unused);
// Stores the pointer (null: none) and writes 0 through it; the deletion writes 1. 0 or -1.
int SetGraphicDeletedFlag(int handle, int* flag);

// Registers the graphic, shader, vertex-buffer and index-buffer types; ends them again.
int RegisterGraphicsHandleTypes();
int EndGraphicsHandleTypes();

// Size of the graphic (allowLoading 1: also one still loading) and of its first texture. 0 or -1.
int GetGraphicEntrySize(int handle, int allowLoading, int* width, int* height);
int GetGraphicFirstTextureSize(int handle, int* width, int* height);
// The Direct3D texture of the entry's first tile, 0 when it has none.
uintptr_t GraphicFirstTexture(const GraphicEntry* entry);
// 1 when the handle is a valid graphic drawn into as a render target.
int IsRenderTargetGraphic(int handle);

// Releases the block's reference; at the last one its textures or software image and the block go.
void ReleaseGraphicImageBlock(GraphicImageBlock* block);
