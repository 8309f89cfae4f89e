// Primitive assembly of a draw call: vertices through the vertex stage, lists, strips and fans into
// points, lines and triangles, and the fast path for the axis-aligned quads of 2D drawing.
#pragma once

#include "platform/d3d9/vertex_processing.h"

namespace d3d9 {

struct DrawCall {
    const DeviceState* state = nullptr;
    VertexLayout layout;
    VertexShaderDraw* vertex_shader = nullptr;  // a bound vertex shader, which processes the vertices
    const PixelPipeline* pipeline = nullptr;
    RasterSetup raster;
};

// indices: null for a non-indexed draw; index values must lie below vertex_count.
void DrawPrimitives(const DrawCall& call, D3DPRIMITIVETYPE type, UINT primitive_count,
                    const uint8_t* vertices, UINT stride, UINT vertex_count, const void* indices,
                    bool index32);

// How the fast path shades and writes a quad's pixels: blends, and the one-stage results of the texel
// and the diffuse colour, it has special kernels for.
enum class BlendKind { kNone, kAlpha, kAdditive, kGeneric };
enum class ColorKind { kTexture, kModulate, kGeneric };
enum class AlphaKind { kTexture, kDiffuse, kModulate };

// The fast path for the axis-aligned quads of one draw call: what the call's states make of a quad is
// decided once, when the path is made.
class AxisAlignedQuads {
  public:
    explicit AxisAlignedQuads(const RasterSetup& raster);
    // Draws a pre-transformed axis-aligned quad given by its corners (top left, top right, bottom left,
    // bottom right) when the fast path gives the generic path's pixels; false otherwise.
    bool Draw(const ScreenVertex* corners) const;

  private:
    const RasterSetup& raster_;
    bool usable_ = false;      // no depth test and no linear filtering
    bool untextured_ = false;  // no stage samples a texture
    bool special_ = false;     // one colour, or one texture through a stage of a special kind
    BlendKind blend_ = BlendKind::kGeneric;
    ColorKind color_ = ColorKind::kGeneric;
    AlphaKind alpha_ = AlphaKind::kTexture;
};

void SetFastPathsEnabled(bool enabled);
bool FastPathsEnabled();
// Quads drawn by the fast path since the start (tests check that it is reached).
uint64_t FastPathQuadCount();

}  // namespace d3d9
