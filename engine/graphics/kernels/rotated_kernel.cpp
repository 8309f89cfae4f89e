#include "engine/graphics/kernels/rotated_kernel.h"

#include <cmath>

#include "engine/graphics/device/direct3d_system.h"
#include "engine/graphics/draw/draw_settings.h"
#include "engine/graphics/draw/render_state_cache.h"
#include "engine/graphics/draw/scene_latch.h"
#include "engine/graphics/kernels/kernel_support.h"
#include "engine/graphics/target/draw_target_state.h"

namespace {

constexpr double kFourDegrees = 0.0698131700797732;
constexpr double kRightAngle = 1.5707963267948966;

// Keeps edges that lie along a pixel column or row off the pixel centres: each edge whose ends share a
// whole-number coordinate moves by 0.01 toward +x (or +y). Every edge on that line moves alike, so
// neighbouring tiles stay joined.
void NudgeAxisEdges(QuadCorner c[4]) {
    static constexpr int kEdges[4][2] = {{0, 1}, {2, 3}, {0, 2}, {1, 3}};
    const auto onCentre = [](float v) { return std::fabs(v - std::nearbyint(v)) < 0.0001f; };
    bool moveX[4] = {}, moveY[4] = {};
    for (const auto& e : kEdges) {
        const QuadCorner &a = c[e[0]], &b = c[e[1]];
        if (std::fabs(a.x - b.x) < 0.0001f && onCentre(a.x)) moveX[e[0]] = moveX[e[1]] = true;
        if (std::fabs(a.y - b.y) < 0.0001f && onCentre(a.y)) moveY[e[0]] = moveY[e[1]] = true;
    }
    for (int k = 0; k < 4; ++k) {
        if (moveX[k]) c[k].x += 0.01f;
        if (moveY[k]) c[k].y += 0.01f;
    }
}

}  // namespace

int NearRightAngle(double angle) {
    if (angle < -kFourDegrees || angle > 4 * kRightAngle + kFourDegrees) return 1;
    for (int k = 0; k <= 4; ++k)
        if (angle >= k * kRightAngle - kFourDegrees && angle <= k * kRightAngle + kFourDegrees) return 1;
    return 0;
}

RotationCentre ChooseRotationCentre(int width, int height, int x, int y, float xf, float yf, double scale,
                                    int oneToOne, int drawMode) {
    const float halfW = float(width) * 0.5f, halfH = float(height) * 0.5f;
    const bool fractional = std::fabs(xf - float(x)) >= 0.00001f || std::fabs(yf - float(y)) >= 0.00001f;
    if ((oneToOne == 0 && drawMode != 0) || (!fractional && scale != 1.0))
        return {halfW, halfH, float(xf - 0.5), float(yf - 0.5)};
    if (fractional) return {halfW, halfH, xf, yf};
    const bool oddW = width % 2 != 0, oddH = height % 2 != 0;
    if (!oddW && !oddH) return {float(width / 2), float(height / 2), float(xf - 0.5), float(yf - 0.5)};
    // At least one odd side: the centre on a pixel centre, an even side's centre moved to a texel centre.
    return {oddW ? halfW : halfW - 0.5f, oddH ? halfH : halfH - 0.5f, xf, yf};
}

int D3DDrawImageRotated(int transparent, const GraphicEntry* graphic, int x, int y, float xf, float yf,
                        double scale, double angle, const GraphicEntry* blendGraphic, int turn,
                        int oneToOne) {
    if (!HasD3DDevice() || scale == 0.0) return -1;
    BeginSceneIfNeeded();
    PrepareIfChanged(FirstTileTexture(graphic), GraphicDrawFlags(graphic, transparent, oneToOne));
    float sinA = 0.0f, cosA = 1.0f;
    if (angle != 0.0) sinA = std::sin(float(angle)), cosA = std::cos(float(angle));
    const RotationCentre rc = ChooseRotationCentre(graphic->width, graphic->height, x, y, xf, yf, scale,
                                                   oneToOne, drawSettings.drawMode);
    const float sy = float(scale), sx = turn == 1 ? -sy : sy;
    const bool fractional = std::fabs(xf - float(x)) >= 0.00001f || std::fabs(yf - float(y)) >= 0.00001f;
    const bool nudge = oneToOne == 1 && !fractional && angle != 0.0 &&
                       (graphic->width % 2 != 0 || graphic->height % 2 != 0) && NearRightAngle(angle);
    const D3DCOLOR colour = GetPackedDrawColor();
    const float z = GetDrawDepth2D();
    for (int i = 0; i < graphic->drawTileCount; ++i) {
        const GraphicDrawTile& t = graphic->drawTiles[i];
        const GraphicDrawTile* bt = BindDrawTile(graphic, blendGraphic, i);
        QuadCorner c[4];
        for (int k = 0; k < 4; ++k) {
            const GraphicCorner& g = t.corners[k];
            const float a = (g.x - rc.cx) * sx, b = (g.y - rc.cy) * sy;
            c[k].x = rc.px + (a * cosA - b * sinA);
            c[k].y = rc.py + (a * sinA + b * cosA);
            c[k].u = g.u, c[k].v = g.v;
            BlendCoordinates(bt, g.x, g.y, &c[k].blendU, &c[k].blendV);
        }
        if (nudge) NudgeAxisEdges(c);
        AppendQuad(c, colour, z);
    }
    return 0;
}
