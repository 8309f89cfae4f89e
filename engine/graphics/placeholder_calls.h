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

// Draw target: makes handle the current draw screen without touching the draw area; the previous one.
int SwapDrawScreen(int handle);

// Draw state: the transparent colour 0x00RRGGBB.
uint32_t GetTransparentColor();

// Graphic records: the size of a graphic (allowLoading 1: also one still loading) and of its first
// texture. 0, or -1 for an invalid handle.
int GetGraphicEntrySize(int graphic, int allowLoading, int* width, int* height);
int GetGraphicFirstTextureSize(int graphic, int* width, int* height);

// Graphic creation: one word of the creation parameters.
int SetGraphicCreateParamWord(int word, int32_t value);

// Graphic records: the entry of a handle (null when invalid, or loading unless allowed), the Direct3D
// texture of its first tile (0 when none), a graphic made from an image file held in memory (-1 on
// failure).
GraphicEntry* LookupGraphic(int handle, int allowLoading);
uintptr_t GraphicFirstTexture(const GraphicEntry* entry);
int LoadGraphFromMemory(const void* image, int size);

// The built-in shader archives: a file of the built-in shader archive (null when the archive is not open
// or holds no such file); opening the archives (1, or 0 when they cannot be opened).
const void* FindBuiltinShaderFile(const char* fileName, int* size);
int OpenBuiltinShaderArchives();

// The draw area of the current draw target (right and bottom exclusive). 0.
int GetDrawArea(IntRect* area);
// Writes the light table into the device by light type. 0.
int RefreshLightTable();

// Image filters.
int IsRenderTargetGraphic(int handle);
// Copies a render-target graphic's drawn surface into its texture so that reading the texture sees it.
int UpdateRenderTargetTexture(int graphic);
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

// Device restart and mask screen.
// Graphic records: every graphic's device objects released; every graphic reloaded (the default
// restore). 0.
int ReleaseAllDeviceResources();
int RestoreAllGraphics();
// Draw target and settings: the draw area and camera kept before a restart and set again after it; the
// draw settings written again; render-target slots 1 and up bound again to their graphics; the draw area
// set again with the state cache in force mode. 0.
int KeepDrawSettingsForRestart();
int RestoreKeptDrawSettings();
int ReapplyDrawSettings();
int RebindRenderTargetSlots();
int ResetDrawAreaForced();
// The blend graphic of the given kind with its two parameters; 0 or -1.
int SetBlendGraphicKind(int graphic, int kind, int paramA, int paramB);
// 3D models: their device state and default textures after a restart. 0.
int RestoreModelDeviceState();
int ReloadModelDefaultTextures();
