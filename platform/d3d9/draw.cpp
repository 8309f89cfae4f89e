#include "platform/d3d9/draw.h"

#include <cstring>
#include <optional>
#include <unordered_map>

#include "platform/d3d9/fast_paths.h"
#include "platform/d3d9/shader_pixels.h"
#include "platform/d3d9/texel_position.h"

namespace d3d9 {

namespace {

bool fast_paths_enabled = true;
uint64_t fast_path_quads = 0;

UINT VerticesFor(D3DPRIMITIVETYPE type, UINT count) {
    switch (type) {
        case D3DPT_POINTLIST:
            return count;
        case D3DPT_LINELIST:
            return count * 2;
        case D3DPT_LINESTRIP:
            return count + 1;
        case D3DPT_TRIANGLELIST:
            return count * 3;
        case D3DPT_TRIANGLESTRIP:
        case D3DPT_TRIANGLEFAN:
            return count + 2;
        default:
            return 0;
    }
}

class Assembler {
  public:
    Assembler(const DrawCall& call, const uint8_t* vertices, UINT stride, UINT vertex_count,
              const void* indices, bool index32)
        : call_(call),
          processor_(*call.state, call.layout, call.vertex_shader),
          vertices_(vertices),
          stride_(stride),
          vertex_count_(vertex_count),
          indices_(indices),
          index32_(index32) {}

    // The index of the vertex at position i of the primitive stream; false when it is out of range.
    bool IndexAt(UINT i, UINT* index) const {
        *index = i;
        if (indices_) {
            if (index32_) {
                uint32_t v;
                std::memcpy(&v, static_cast<const uint8_t*>(indices_) + size_t(i) * 4, 4);
                *index = v;
            } else {
                uint16_t v;
                std::memcpy(&v, static_cast<const uint8_t*>(indices_) + size_t(i) * 2, 2);
                *index = v;
            }
        }
        return *index < vertex_count_;
    }

    // The vertex at position i of the primitive stream; false when its index is out of range.
    bool Fetch(UINT i, ProcessedVertex* out) {
        UINT index;
        if (!IndexAt(i, &index)) return false;
        // Without indices no vertex is fetched twice, except by a quad the fast path refuses.
        if (!indices_) {
            *out = processor_.Process(vertices_ + size_t(index) * stride_);
            return true;
        }
        auto found = cache_.find(index);
        if (found == cache_.end())
            found = cache_.emplace(index, processor_.Process(vertices_ + size_t(index) * stride_)).first;
        *out = found->second;
        return true;
    }

    void Triangle(UINT i0, UINT i1, UINT i2) {
        ProcessedVertex v[3];
        if (!Fetch(i0, &v[0]) || !Fetch(i1, &v[1]) || !Fetch(i2, &v[2])) return;
        auto screen = processor_.ToScreen({v[0], v[1], v[2]});
        if (call_.raster.flat && !screen.empty())
            for (auto& s : screen) s.diffuse = v[0].diffuse, s.specular = v[0].specular;
        if (screen.size() == 3) PlaceTexelsAtSnappedVertices(screen[0], screen[1], screen[2]);
        for (size_t k = 1; k + 1 < screen.size(); ++k)
            RasterizeTriangle(call_.raster, screen[0], screen[k], screen[k + 1]);
    }

    void Line(UINT i0, UINT i1) {
        ProcessedVertex v[2];
        if (!Fetch(i0, &v[0]) || !Fetch(i1, &v[1])) return;
        if (processor_.pretransformed()) {
            auto s = processor_.ToScreen({v[0], v[1]});
            RasterizeLine(call_.raster, s[0], s[1]);
            return;
        }
        // A line is clipped as a degenerate polygon a-b-b; its first and last vertices are the clipped ends.
        auto s = processor_.ToScreen({v[0], v[1], v[1]});
        if (s.size() >= 2) {
            if (call_.raster.flat)
                s.back().diffuse = s.front().diffuse, s.back().specular = s.front().specular;
            RasterizeLine(call_.raster, s.front(), s.size() == 2 ? s[1] : s[1]);
        }
    }

    void Point(UINT i0) {
        ProcessedVertex v;
        if (!Fetch(i0, &v)) return;
        auto s = processor_.ToScreen({v});
        if (processor_.pretransformed() || (v.w > 0 && v.z >= 0 && v.z <= v.w))
            if (!s.empty()) RasterizePoint(call_.raster, s[0]);
    }

    // Six vertices of a quad (top left, top right, bottom left, bottom right, bottom left, top right)
    // through the fast path, when they qualify. The last two must repeat the third and the second byte
    // for byte, so the four corners are all it processes.
    bool Quad(UINT first) {
        // A multisampled target's triangles are covered sample by sample.
        if (!processor_.pretransformed() || !FastPathsEnabled() || call_.raster.multisampled) return false;
        const uint8_t* v[6];
        for (UINT k = 0; k < 6; ++k) {
            UINT index;
            if (!IndexAt(first + k, &index)) return false;
            v[k] = vertices_ + size_t(index) * stride_;
        }
        if (!copies_) copies_.emplace(call_);
        if (copies_->Draw(v)) return ++fast_path_quads, true;
        const size_t size = size_t(call_.layout.size);
        if (std::memcmp(v[4], v[2], size) != 0 || std::memcmp(v[5], v[1], size) != 0) return false;
        ScreenVertex corners[4];
        for (int k = 0; k < 4; ++k) processor_.ProcessToScreen(v[k], &corners[k]);
        PlaceTexelsAtSnappedCorners(corners);
        if (call_.pipeline->shader) return ShadeRectangle(*call_.pipeline->shader, call_.raster, corners);
        if (!call_.pipeline->packed) return false;  // the fast paths know the packed formats only
        if (!quads_) quads_.emplace(call_.raster);
        bool drawn = quads_->Draw(corners);
        fast_path_quads += drawn;
        return drawn;
    }

  private:
    const DrawCall& call_;
    VertexProcessor processor_;
    const uint8_t* vertices_;
    UINT stride_;
    UINT vertex_count_;
    const void* indices_;
    bool index32_;
    std::unordered_map<UINT, ProcessedVertex> cache_;
    std::optional<RectangleCopies> copies_;  // made at the first quad
    std::optional<AxisAlignedQuads> quads_;
};

}  // namespace

void SetFastPathsEnabled(bool enabled) {
    fast_paths_enabled = enabled;
}
bool FastPathsEnabled() {
    return fast_paths_enabled;
}
uint64_t FastPathQuadCount() {
    return fast_path_quads;
}

void DrawPrimitives(const DrawCall& call, D3DPRIMITIVETYPE type, UINT count, const uint8_t* vertices,
                    UINT stride, UINT vertex_count, const void* indices, bool index32) {
    Assembler a(call, vertices, stride, vertex_count, indices, index32);
    UINT n = VerticesFor(type, count);
    switch (type) {
        case D3DPT_POINTLIST:
            for (UINT i = 0; i < n; ++i) a.Point(i);
            break;
        case D3DPT_LINELIST:
            for (UINT i = 0; i + 1 < n; i += 2) a.Line(i, i + 1);
            break;
        case D3DPT_LINESTRIP:
            for (UINT i = 0; i + 1 < n; ++i) a.Line(i, i + 1);
            break;
        case D3DPT_TRIANGLELIST:
            for (UINT i = 0; i + 2 < n;) {
                if (i + 5 < n && a.Quad(i)) {
                    i += 6;
                    continue;
                }
                a.Triangle(i, i + 1, i + 2);
                i += 3;
            }
            break;
        case D3DPT_TRIANGLESTRIP:
            // Odd triangles swap their first two vertices to keep the strip's winding; flat shading then
            // takes the colour of the strip's vertex i.
            for (UINT i = 0; i + 2 < n; ++i) {
                if (i & 1)
                    a.Triangle(i, i + 2, i + 1);
                else
                    a.Triangle(i, i + 1, i + 2);
            }
            break;
        case D3DPT_TRIANGLEFAN:
            for (UINT i = 1; i + 1 < n; ++i) a.Triangle(0, i, i + 1);
            break;
        default:
            break;
    }
}

}  // namespace d3d9
