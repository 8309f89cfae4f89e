// A bound pixel shader in a draw: it takes the place of the texture-stage cascade. Triangles are shaded a
// 2x2 quad at a time (the quad's pixels outside the triangle run along to give the gradients), the
// inputs interpolated as the fixed-function path interpolates them (colours rounded to 8 bits and
// saturated, texture coordinates perspective-correct); the colour the program writes goes through the
// alpha test, depth test, blending and the target write as the stages' colour does.
#pragma once

#include "platform/d3d9/rasterizer.h"
#include "platform/d3d9/shader_machine.h"

namespace d3d9 {

// Where a pixel-shader input register gets its value from.
struct PixelInput {
    enum Source : uint8_t { kZero, kDiffuse, kSpecular, kCoordinates };
    uint16_t slot;
    uint8_t mask;
    Source source;
    uint8_t set;  // kCoordinates: the vertex's coordinate set
};

struct PixelShaderDraw {
    ShaderMachine machine;
    ShaderSampler samplers[16];
    PixelInput inputs[16];
    int input_count = 0;
    uint16_t color_slot = kNoSlot;  // oC0
    uint16_t depth_slot = kNoSlot;  // oDepth
};

// Readies the draw's shader: `samplers` set before; `coordinate_set[n]` is the vertex coordinate set
// behind TEXCOORD n.
void PreparePixelShader(const ShaderProgram& program, const ShaderConstants& constants,
                        const int coordinate_set[8], PixelShaderDraw* draw);

void ShadeTriangle(PixelShaderDraw& draw, const RasterSetup& r, const TriangleEdges& t);
// A quad given by its corners (top left, top right, bottom left, bottom right) shaded as one rectangle,
// when it is axis-aligned and its far corner lies on the planes of the other three; false otherwise (it
// is then drawn as its two triangles).
bool ShadeRectangle(PixelShaderDraw& draw, const RasterSetup& r, const ScreenVertex* corners);
// A pixel of a line or point: the attributes of a and b by the weights wa and wb.
void ShadePixel(PixelShaderDraw& draw, const RasterSetup& r, int px, int py, const ScreenVertex& a,
                const ScreenVertex& b, int64_t wa, int64_t wb);

}  // namespace d3d9
