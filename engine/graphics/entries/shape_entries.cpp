// The shape draws: filled and outlined boxes, circles and thin lines.
#include <algorithm>

#include "engine/graphics/entries/draw_entry_sequence.h"
#include "engine/graphics/entries/soft_shapes.h"
#include "engine/graphics/kernels/circle_kernel.h"
#include "engine/graphics/kernels/shape_kernels.h"
#include "engine/softrender/soft_draw_entries.h"

int FillBox(int x1, int y1, int x2, int y2, uint32_t colour) {
    int state = BeginShapeDraw();
    if (state != kDrawProceed) return state;
    return RunShapeDraw(
        [&] {
            return IntRect{x1, y1, x2, y2};
        },
        [&](bool direct3D) {
            return direct3D ? D3DFillBox(x1, y1, x2, y2, colour) : SoftTargetFillRect(x1, y1, x2, y2, colour);
        });
}

int OutlineBox(int x1, int y1, int x2, int y2, uint32_t colour) {
    int state = BeginShapeDraw();
    if (state != kDrawProceed) return state;
    return RunShapeDraw(
        [&] {
            return IntRect{x1, y1, x2, y2};
        },
        [&](bool direct3D) {
            return direct3D ? D3DOutlineBox(x1, y1, x2, y2, colour) : SoftOutlineBox(x1, y1, x2, y2, colour);
        });
}

int DrawBoxShape(int x1, int y1, int x2, int y2, uint32_t colour, int fill) {
    return fill ? FillBox(x1, y1, x2, y2, colour) : OutlineBox(x1, y1, x2, y2, colour);
}

int DrawCircleShape(int x, int y, int radius, uint32_t colour, int fill) {
    int state = BeginShapeDraw();
    if (state != kDrawProceed) return state;
    if (radius < 0) return 0;
    return RunShapeDraw(
        [&] {
            const int64_t reach = int64_t{radius} + 1;
            return ClampedRect(double(x - reach), double(y - reach), double(x + reach), double(y + reach));
        },
        [&](bool direct3D) {
            return direct3D ? G_D3D_DrawCircle(x, y, radius, colour, fill)
                            : SoftTargetDrawCircle(x, y, radius, colour, fill);
        });
}

int DrawLineShape(int x1, int y1, int x2, int y2, uint32_t colour, int thickness) {
    if (thickness > 1) return DrawThickLine(x1, y1, x2, y2, thickness, colour);
    int state = BeginShapeDraw();
    if (state != kDrawProceed) return state;
    auto bounds = [&] {
        return ClampedRect(std::min(x1, x2), std::min(y1, y2), std::max(x1, x2) + 1.0,
                           std::max(y1, y2) + 1.0);
    };
    return RunShapeDraw(bounds, [&](bool direct3D) {
        return direct3D ? D3DDrawLine(x1, y1, x2, y2, colour) : SoftTargetDrawLine(x1, y1, x2, y2, colour);
    });
}
