#include "engine/graphics/kernels/circle_kernel.h"

#include <algorithm>

#include "engine/core/helpers/vector_math.h"
#include "engine/core/memory/fatal_exit.h"
#include "engine/core/memory/tracked_allocator.h"
#include "engine/graphics/device/device_wrappers.h"
#include "engine/graphics/device/direct3d_system.h"
#include "engine/graphics/draw/draw_settings.h"
#include "engine/graphics/draw/draw_state_preparation.h"
#include "engine/graphics/draw/scene_latch.h"
#include "engine/graphics/draw/vertex_batch.h"
#include "engine/graphics/kernels/kernel_support.h"
#include "engine/graphics/target/draw_target_state.h"
#include "engine/softrender/colour_walkers.h"

namespace {

// Vertices gathered for one call: 10 lines or 40 points.
class CircleVertices {
  public:
    CircleVertices(D3DPRIMITIVETYPE type, int perCall, D3DCOLOR colour, float z)
        : type_(type), perCall_(perCall) {
        for (Vertex2D& v : vertices_) v = {0.0f, 0.0f, z, 1.0f, colour};
    }
    void Add(int64_t x, int64_t y) {
        vertices_[count_].x = float(x), vertices_[count_].y = float(y);
        if (++count_ == perCall_) Draw();
    }
    void Draw() {
        const int primitives = type_ == D3DPT_LINELIST ? count_ / 2 : count_;
        if (primitives > 0) DeviceDrawPrimitiveUP(type_, UINT(primitives), vertices_, sizeof(Vertex2D));
        count_ = 0;
    }

  private:
    D3DPRIMITIVETYPE type_;
    int perCall_;
    int count_ = 0;
    Vertex2D vertices_[40];
};

softrender::PixelClip Clip(const IntRect& a) {
    return {a.left, a.top, a.right, a.bottom};
}

void FillCircle(int64_t cx, int64_t cy, int64_t r, const IntRect& a, CircleVertices& out) {
    if (a.bottom <= 0) return;
    auto* rowFlags = static_cast<uint8_t*>(TrackedAllocZeroed(size_t(a.bottom), __FILE__, __LINE__));
    if (rowFlags == nullptr) FatalLibraryExit("メモリの確保に失敗しました in G_D3D_DrawCircle");
    auto span = [&](int64_t row, int64_t xa, int64_t xb) {
        if (xb < a.left || xa >= a.right || row < a.top || row >= a.bottom || rowFlags[row]) return;
        rowFlags[row] = 1;
        out.Add(std::max<int64_t>(xa, a.left), row);
        out.Add(std::min<int64_t>(xb, a.right - 1) + 1, row);
    };
    // The disc covers its outline: rows cy +/- y take the span of the last step with that y.
    softrender::WalkFillSteps(cx, cy, r, Clip(a), [&](int64_t x, int64_t y, int64_t d) {
        span(cy + x, cx - y, cx + y);
        span(cy - x, cx - y, cx + y);
        if (d >= 0) {
            span(cy + y, cx - x, cx + x);
            span(cy - y, cx - x, cx + x);
        }
    });
    TrackedFree(rowFlags);
}

void OutlineCircle(int64_t cx, int64_t cy, int64_t r, const IntRect& a, CircleVertices& out) {
    softrender::WalkOutlinePoints(cx, cy, r, Clip(a), [&](int64_t px, int64_t py) { out.Add(px, py); });
}

}  // namespace

int G_D3D_DrawCircle(int cx, int cy, int r, uint32_t colour, int fill) {
    FlushVertexBatch(0);
    if (!HasD3DDevice()) return -1;
    BeginSceneIfNeeded();
    PrepareIfChanged(0, kDrawColourModulation);
    IntRect area;
    GetDrawArea(&area);
    const D3DCOLOR c = ShapeColour(colour);
    ApplyVertexFormat(0x44);
    if (r < 0) return 0;
    CircleVertices out(fill ? D3DPT_LINELIST : D3DPT_POINTLIST, fill ? 20 : 40, c, GetDrawDepth2D());
    if (fill)
        FillCircle(cx, cy, r, area, out);
    else
        OutlineCircle(cx, cy, r, area, out);
    out.Draw();
    return 0;
}
