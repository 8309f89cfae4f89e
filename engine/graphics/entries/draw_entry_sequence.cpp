#include "engine/graphics/entries/draw_entry_sequence.h"

#include <algorithm>
#include <climits>
#include <cmath>

#include "engine/core/frame/window_utils.h"
#include "engine/graphics/device/device_capabilities.h"
#include "engine/graphics/device/direct3d_system.h"
#include "engine/graphics/draw/draw_settings.h"
#include "engine/graphics/graphics_services.h"
#include "engine/graphics/handles/graphic_handles.h"
#include "engine/graphics/kernels/shape_kernels.h"
#include "engine/graphics/target/draw_target_state.h"
#include "engine/text_movie/movie_record.h"

bool IsDrawingHeld() {
    return IsDrawingSuspended() != 0 || IsDrawAreaEmpty() != 0;
}

void WaitIfWindowInactive() {
    if (ShouldWaitWhileInactive()) WaitWhileInactive();
}

bool Direct3DDrawing() {
    return Direct3DMode == 1;
}

GraphicEntry* LookupDrawableGraphic(int handle, int allowLoading) {
    GraphicEntry* entry = LookupGraphic(handle, allowLoading);
    return entry != nullptr && entry->block != nullptr ? entry : nullptr;
}

namespace {

// -1 when a blend graphic is set and is not a live graphic at least the drawn graphic's size.
int LookupBlendGraphic(const GraphicEntry* graphic, GraphicEntry** blend) {
    *blend = nullptr;
    int handle = GetBlendGraphicHandle();
    if (handle <= 0) return 0;
    GraphicEntry* entry = LookupDrawableGraphic(handle, 0);
    if (entry == nullptr || entry->width < graphic->width || entry->height < graphic->height) return -1;
    *blend = entry;
    return 0;
}

}  // namespace

int BeginGraphicDraw(int handle, DrawGraphics* out) {
    if (IsDrawingHeld()) return 0;
    out->graphic = LookupDrawableGraphic(handle, 0);
    if (out->graphic == nullptr) return -1;
    if (LookupBlendGraphic(out->graphic, &out->blend) != 0) return -1;
    WaitIfWindowInactive();
    if (out->graphic->movieHandle != -1) UpdateMovieFrame(out->graphic->movieHandle, 0);
    return kDrawProceed;
}

int BeginShapeDraw() {
    if (IsDrawingHeld()) return 0;
    WaitIfWindowInactive();
    return kDrawProceed;
}

bool NeedsSubtractEmulation(bool direct3D) {
    return direct3D && drawSettings.blendMode == 3 && !deviceCapabilityFlags.nativeSubtractive;
}

namespace {

// The white mode-3 box over the rectangle, under a white bright; the caller's bright is put back.
void CoverWithWhite(const IntRect& rect) {
    uint32_t white = PackColor(255, 255, 255);
    uint32_t bright = drawSettings.bright & 0xFFFFFF;
    if (bright != 0xFFFFFF) SetBrightPacked(0xFFFFFF);
    SetBlend(3, 255);
    D3DFillBox(rect.left, rect.top, rect.right, rect.bottom, white);
    if (bright != 0xFFFFFF) SetBrightPacked(bright);
}

}  // namespace

void BeginSubtractBlendEmulation(const IntRect& rect) {
    int param = drawSettings.blendParam;
    CoverWithWhite(rect);
    SetBlend(5, param);
}

void EndSubtractBlendEmulation(const IntRect& rect) {
    int param = drawSettings.blendParam;
    CoverWithWhite(rect);
    SetBlend(3, param);
}

IntRect SortedRect(int x1, int y1, int x2, int y2) {
    return IntRect{std::min(x1, x2), std::min(y1, y2), std::max(x1, x2), std::max(y1, y2)};
}

int ClampToInt(double value) {
    if (!(value == value)) return 0;
    return int(std::clamp(value, double(INT_MIN), double(INT_MAX)));
}

IntRect ClampedRect(double left, double top, double right, double bottom) {
    return IntRect{ClampToInt(left), ClampToInt(top), ClampToInt(right), ClampToInt(bottom)};
}

bool DrawableFloats(std::initializer_list<double> values) {
    for (double value : values)
        if (!(std::fabs(value) <= kMaxFloatCoordinate)) return false;
    return true;
}
