// The steps every draw entry shares: the drawing-held test, the inactive-window wait, the graphic and
// blend-graphic checks, and the wrap of a kernel in the mask screen and in the subtractive-blend
// emulation of devices that cannot subtract.
#pragma once

#include <cstdint>
#include <initializer_list>

#include "engine/core/helpers/vector_math.h"
#include "engine/graphics/graphics.h"
#include "engine/graphics/graphics_services.h"
#include "engine/graphics/handles/graphic_records.h"
#include "engine/graphics/loss/mask_screen.h"

// BeginGraphicDraw and BeginShapeDraw: go on and draw.
constexpr int kDrawProceed = 1;

// The graphic of a draw and the blend graphic (null when none is set).
struct DrawGraphics {
    GraphicEntry* graphic;
    GraphicEntry* blend;
};

// Drawing goes through the device (0: the software renderer draws everything).
bool Direct3DDrawing();
// The rectangle of two corners in either order.
IntRect SortedRect(int x1, int y1, int x2, int y2);

// A wide value held inside the int range; NaN gives 0. Rectangles and corners computed from a caller's
// extreme coordinates go through it rather than overflow.
int ClampToInt(double value);
IntRect ClampedRect(double left, double top, double right, double bottom);

// The largest float coordinate a draw takes: beyond +-2^24 a float has no fraction left, and the
// kernels' fixed-point arithmetic has no room. A draw with a coordinate beyond it, NaN or an infinity
// is refused with -1, as one with an invalid graphic is.
constexpr double kMaxFloatCoordinate = 16777216.0;
bool DrawableFloats(std::initializer_list<double> values);

// Drawing is suspended or the draw area has no pixels.
bool IsDrawingHeld();
void WaitIfWindowInactive();

// A live graphic with an image block, null otherwise.
GraphicEntry* LookupDrawableGraphic(int handle, int allowLoading);
inline bool GraphicHasTextures(const GraphicEntry* entry) {
    return entry->block->textureCount > 0;
}

// The checks before a graphic draw: held -> 0; a graphic that is invalid, loading or without an image
// block, or a blend graphic smaller than it -> -1; then the inactive wait and the movie frame.
// kDrawProceed with `out` filled otherwise.
int BeginGraphicDraw(int handle, DrawGraphics* out);
// The checks before a shape draw: held -> 0; else the inactive wait and kDrawProceed.
int BeginShapeDraw();

// Blend mode 3 on a device without the subtract blend operation, drawn by the device.
bool NeedsSubtractEmulation(bool direct3D);
// Covers the rectangle with white under subtraction and switches to the inverse-subtract stand-in
// (begin), or back to subtraction (end), at the caller's blend parameter.
void BeginSubtractBlendEmulation(const IntRect& rect);
void EndSubtractBlendEmulation(const IntRect& rect);

// Runs kernel() directly when neither the emulation nor the mask is on; otherwise builds the
// destination rectangle with makeRect() and wraps the kernel in the mask draw and the emulation.
template <class MakeRect, class Kernel>
int RunWrappedDraw(bool emulate, MakeRect makeRect, Kernel kernel) {
    int maskOn = GetMaskDrawingEnabled();
    if (!emulate && !maskOn) return kernel();
    IntRect rect = makeRect();
    if (maskOn) BeginMaskDraw(rect.left, rect.top, rect.right, rect.bottom);
    if (emulate) BeginSubtractBlendEmulation(rect);
    int result = kernel();
    if (emulate) EndSubtractBlendEmulation(rect);
    if (maskOn) ApplyMaskToDrawnArea(rect.left, rect.top, rect.right, rect.bottom);
    return result;
}

// A graphic draw after BeginGraphicDraw: kernel(true) draws with the device, kernel(false) in software.
template <class MakeRect, class Kernel>
int RunGraphicDraw(const DrawGraphics& draw, MakeRect makeRect, Kernel kernel) {
    bool textured = GraphicHasTextures(draw.graphic);
    return RunWrappedDraw(NeedsSubtractEmulation(textured), makeRect, [&] { return kernel(textured); });
}
// A shape draw after BeginShapeDraw: the path is the Direct3D mode alone.
template <class MakeRect, class Kernel>
int RunShapeDraw(MakeRect makeRect, Kernel kernel) {
    bool direct3D = Direct3DDrawing();
    return RunWrappedDraw(NeedsSubtractEmulation(direct3D), makeRect, [&] { return kernel(direct3D); });
}
