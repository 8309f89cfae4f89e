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

// Releases the device objects of every 3D model. 0.
int ReleaseModelDeviceObjects();
// Draw target: render-target slots 1 and up emptied. 0.
int ClearRenderTargetSlots();

// Calls of the draw entries into the draw settings, draw area, mask screen, derived graphics and the
// Direct3D kernels, until their modules arrive.
struct GraphicEntry;
// Draw settings: the drawing-suspended switch, the blend graphic (0 or negative: none), the bright set
// directly (store, software bright, states changed, packed draw colour), the background colour and the
// depth value of 2D vertices.
int IsDrawingSuspended();
int GetBlendGraphicHandle();
void SetBrightPacked(uint32_t bright);
int GetBackgroundColour(int* red, int* green, int* blue);
float GetDrawDepthValue();
// Draw area: 1 while the area has no pixels; the area as floats; the area stored as given (ints and
// floats, nothing else touched).
int IsDrawAreaEmpty();
int GetDrawAreaF(float* area);
int StoreDrawArea(const IntRect* area, const float* areaF);
// Mask screen.
int BeginMaskDraw(int x1, int y1, int x2, int y2);
int ApplyMaskToDrawnArea(int x1, int y1, int x2, int y2);
int IsMaskPending();
void ClearMaskPending();
IDirect3DSurface9* GetMaskScreenSurface();
// Derived graphics: a new graphic showing a rectangle of another; -1 on failure.
int DeriveGraphic(int x, int y, int width, int height, int source);
// Direct3D kernels.
int D3DDrawImageAt(GraphicEntry* blendGraphic, int x, int y, float xf, float yf, GraphicEntry* graphic,
                   int transparent, int oneToOne);
int D3DDrawImageStretched(int x1, int y1, int x2, int y2, float x1f, float y1f, float x2f, float y2f,
                          GraphicEntry* graphic, GraphicEntry* blendGraphic, int transparent,
                          int oneToOneRequest);
int D3DDrawImageRotated(int transparent, GraphicEntry* graphic, int x, int y, float xf, float yf,
                        double scale, double angle, GraphicEntry* blendGraphic, int turn, int oneToOne);
int D3DDrawImageQuadDispatch(float x1, float y1, float x2, float y2, float x3, float y3, float x4, float y4,
                             GraphicEntry* graphic, GraphicEntry* blendGraphic, int transparent,
                             int blendQuad);
int G_D3D_DrawCircle(int cx, int cy, int r, uint32_t colour, int fill);
int D3DFillBox(int x1, int y1, int x2, int y2, uint32_t colour);
int D3DOutlineBox(int x1, int y1, int x2, int y2, uint32_t colour);
int D3DDrawLine(int x1, int y1, int x2, int y2, uint32_t colour);
int D3DDrawVertices(int tileIndex, int use3D, GraphicEntry* graphic, const void* vertices, int count,
                    int primitiveType, int extraFlags);
