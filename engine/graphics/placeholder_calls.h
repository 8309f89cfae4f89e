// Graphics calls that the built modules make into parts of the graphics layer that are still answered by
// graphics_placeholder.cpp. Each entry goes when its real definition arrives.
#pragma once

// ---- Calls of the image filters ----
#include <cstdint>

#include "platform/kernel/win_types.h"

struct GraphicEntry;
struct GraphicFilterContext;
struct SoftImage;

// Null for a handle that is not a live graphic (with allowLoading 0 also while a load job fills it).
GraphicEntry* LookupGraphic(int handle, int allowLoading);
int IsRenderTargetGraphic(int handle);
// Copies a render-target graphic's drawn surface into its texture so that reading the texture sees it.
int UpdateRenderTargetTexture(int graphic);
int BeginSceneIfNeeded();
// 1 while the built-in programmable shaders are in use.
int GetProgrammableShaderFlag();
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
int CreatePixelShaderFromArchive(const char* fileName);
