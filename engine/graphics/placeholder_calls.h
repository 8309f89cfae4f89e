// Graphics calls that the built modules make into parts of the graphics layer that are still answered by
// graphics_placeholder.cpp. Each entry goes when its real definition arrives.
#pragma once

#include <cstdint>

#include "platform/d3d9/d3d9.h"
#include "platform/kernel/win_types.h"

struct ColorFormat;
struct GraphicEntry;
struct GraphicFilterContext;
struct IntRect;
struct MEMIMG;
struct SoftImage;

// Back-buffer lock: a rectangle of the current draw screen (graphic -1) as an image record. 0 or -1.
int LockBackBuffer(const RECT* rect, SoftImage* image, int graphic, int readOnly, int textureIndex);
int UnlockBackBuffer();
// Draw target: makes handle the current draw screen without touching the draw area; the previous one.
int SwapDrawScreen(int handle);

// Draw state: the transparent colour 0x00RRGGBB.
uint32_t GetTransparentColor();

// The built-in shader archives: a file of the built-in shader archive (null when the archive is not open
// or holds no such file); opening the archives (1, or 0 when they cannot be opened).
const void* FindBuiltinShaderFile(const char* fileName, int* size);
int OpenBuiltinShaderArchives();

// The draw area of the current draw target (right and bottom exclusive). 0.
int GetDrawArea(IntRect* area);
// Writes the light table into the device by light type. 0.
int RefreshLightTable();

// Image filters.
extern int ShaderFilterVerified;
int UnpackColor(uint32_t color, int* red, int* green, int* blue);
// A 32-bit image of rect (null: the whole graphic) of the graphic.
int ReadGraphicToImage(int graphic, SoftImage* image, const RECT* rect);
// The processor path's images of a filter pass: source rectangle, blend rectangle with the blend flag, and
// the destination's rectangle or, with blankDestination, a blank image of width x height.
int ReadFilterImages(GraphicFilterContext* context, int blankDestination, int width, int height);
// Writes the destination image into the destination graphic at the destination position and releases
// the images.
int FinishFilterResult(GraphicFilterContext* context);
int SaveFilterDrawState(GraphicFilterContext* context);
int RestoreFilterDrawState(GraphicFilterContext* context);
int GetWorkRenderTexture(GraphicFilterContext* context, int width, int height, int mode, int* slot,
                         int* source);

// Releases the device objects of every 3D model. 0.
int ReleaseModelDeviceObjects();
// Draw target: render-target slots 1 and up emptied. 0.
int ClearRenderTargetSlots();

// Draw target: the graphic bound to a render-target slot (-1 none; slot 0: the draw screen), and binding
// a graphic to a slot (-4 for slot 0: the back screen; -1: none). 0 or -1.
int GetRenderTargetSlotGraphic(int slot);
int SetRenderTargetSlot(int graphic, int slot);
// Draw-state API: the graphic whose depth surface the draw screen uses (-2: none).
int GetDepthDrawTarget();
int SetDepthDrawTarget(int graphic);
