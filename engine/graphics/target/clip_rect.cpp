// SetClipRect: the draw area of the current draw target, for the software renderer and the device.
#include <algorithm>
#include <utility>

#include "engine/graphics/device/direct3d_system.h"
#include "engine/graphics/draw/draw_settings.h"
#include "engine/graphics/draw/render_state_cache.h"
#include "engine/graphics/draw/transforms.h"
#include "engine/graphics/graphics.h"
#include "engine/graphics/loss/mask_screen.h"
#include "engine/graphics/target/draw_target_state.h"
#include "engine/softrender/soft_render_state.h"

namespace {

// Corners sorted and clamped into width x height.
IntRect BoundArea(int x1, int y1, int x2, int y2, int width, int height) {
    if (x1 > x2) std::swap(x1, x2);
    if (y1 > y2) std::swap(y1, y2);
    return IntRect{std::clamp(x1, 0, width), std::clamp(y1, 0, height), std::clamp(x2, 0, width),
                   std::clamp(y2, 0, height)};
}

void StoreArea(const IntRect& area) {
    DrawTargetState& s = drawTargetState;
    s.area = area;
    s.areaF[0] = float(area.left);
    s.areaF[1] = float(area.top);
    s.areaF[2] = float(area.right);
    s.areaF[3] = float(area.bottom);
    const int32_t rect[4] = {area.left, area.top, area.right, area.bottom};
    SetSoftClipRect(rect);
}

// Viewport and scissor on the area; the camera's screen transform is mapped onto the area by the inverse
// of the area's viewport matrix.
int ApplyAreaToDevice(const IntRect& a) {
    if (!HasD3DDevice()) return -1;
    const int width = a.right - a.left, height = a.bottom - a.top;
    D3DVIEWPORT9 viewport{DWORD(a.left), DWORD(a.top), DWORD(width), DWORD(height), 0.0f, 1.0f};
    SetCachedViewport(&viewport);
    const RECT scissor{a.left, a.top, a.right, a.bottom};
    SetCachedScissorRect(&scissor);
    Matrix4 areaViewport, inverse;
    MakeViewportMatrix(&areaViewport, float(width) / 2 + float(a.left), float(a.top) + float(height) / 2,
                       float(width), float(height));
    InvertMatrix(&inverse, &areaViewport);
    SetDrawAreaMatrix(&inverse.m[0][0]);
    return 0;
}

}  // namespace

int ApplyDrawAreaToDevice() {
    if (drawTargetState.emptyArea) return 0;
    return ApplyAreaToDevice(drawTargetState.area);
}

int SetClipRect(int x1, int y1, int x2, int y2) {
    if (drawSettings.drawingSuspended) return 0;
    ApplyPendingMask();  // over the area it was drawn in
    int width, height;
    // A refused call leaves the requested area too, so that a device restart re-applies the last good one.
    if (GetDrawTargetSize(GetDrawTargetHandle(), &width, &height) != 0) return -1;
    DrawTargetState& s = drawTargetState;
    s.requested = IntRect{x1, y1, x2, y2};
    const IntRect area = BoundArea(x1, y1, x2, y2, width, height);
    StoreArea(area);
    s.emptyArea = area.left == area.right || area.top == area.bottom;
    if (s.emptyArea) return 0;
    return Direct3DMode ? ApplyAreaToDevice(area) : 0;
}
