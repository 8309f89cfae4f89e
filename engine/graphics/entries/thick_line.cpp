// Lines thicker than one pixel: a box for odd-thickness axis lines, else a quad around the line.
#include <cmath>

#include "engine/graphics/draw/draw_settings.h"
#include "engine/graphics/entries/draw_entry_sequence.h"
#include "engine/graphics/entries/soft_shapes.h"

namespace {

// A caller vertex of DrawVertexArray2D.
struct ShapeVertex {
    float x, y, u, v;
    uint8_t b, g, r, a;
};

int DrawQuadThroughDevice(const SoftQuadCorner* corners, uint32_t colour) {
    int red, green, blue;
    UnpackColor(colour, &red, &green, &blue);
    ShapeVertex strip[4];
    for (int i = 0; i < 4; ++i)
        strip[i] = ShapeVertex{float(corners[i].x), float(corners[i].y), 0,  0, uint8_t(blue),
                               uint8_t(green),      uint8_t(red),        255};
    return DrawVertexArray2D(strip, 4, D3DPT_TRIANGLESTRIP, -5, 0, 0);
}

}  // namespace

int DrawThickLine(int x1, int y1, int x2, int y2, int thickness, uint32_t colour) {
    if (thickness <= 1) return DrawLineShape(x1, y1, x2, y2, colour, 1);
    const int64_t half = thickness / 2;
    if (thickness % 2 == 1 && x1 == x2)
        return FillBox(ClampToInt(double(x1 - half)), y1, ClampToInt(double(x1 - half + thickness)), y2,
                       colour),
               0;
    if (thickness % 2 == 1 && y1 == y2)
        return FillBox(x1, ClampToInt(double(y1 - half)), x2, ClampToInt(double(y1 - half + thickness)),
                       colour),
               0;
    // A line without length has no direction to widen along.
    if (x1 == x2 && y1 == y2) return 0;
    // The quad's corners are floats: ends or a thickness beyond what a float draw takes are refused.
    if (!DrawableFloats({double(x1), double(y1), double(x2), double(y2), double(thickness)})) return -1;
    float dx = float(int64_t{x2} - x1), dy = float(int64_t{y2} - y1);
    float scale = float(thickness) * 0.5f / std::sqrt(dx * dx + dy * dy);
    float ox = dy * scale, oy = -dx * scale;
    bool direct3D = Direct3DDrawing();
    auto corner = [&](int x, int y, float sign) {
        float cx = float(x) + sign * ox, cy = float(y) + sign * oy;
        return direct3D ? SoftQuadCorner{ClampToInt(std::trunc(cx)), ClampToInt(std::trunc(cy))}
                        : SoftQuadCorner{ClampToInt(std::round(cx)), ClampToInt(std::round(cy))};
    };
    const SoftQuadCorner corners[4] = {corner(x1, y1, 1), corner(x2, y2, 1), corner(x1, y1, -1),
                                       corner(x2, y2, -1)};
    if (direct3D)
        DrawQuadThroughDevice(corners, colour);
    else
        SoftFillOrOutlineQuad(corners, colour, 1);
    return 0;
}
