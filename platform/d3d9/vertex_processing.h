// From the application's vertices to screen vertices: the vertex layouts of flexible vertex formats and
// declarations, the fixed-function transform and lighting, clipping against the near and far planes and
// the viewport mapping.
#pragma once

#include <vector>

#include "platform/d3d9/device_state.h"
#include "platform/d3d9/rasterizer.h"

namespace d3d9 {

struct VertexLayout {
    bool valid = false;
    bool pretransformed = false;
    int position = 0;
    int normal = -1, diffuse = -1, specular = -1;
    int tex_count = 0;
    int tex[kStageCount] = {};
    int size = 0;  // bytes the layout reads from each vertex
};

VertexLayout LayoutFromFvf(DWORD fvf);
VertexLayout LayoutFromDeclaration(const std::vector<D3DVERTEXELEMENT9>& elements);

// A vertex after the vertex stage: clip-space position (or screen position when pre-transformed).
struct ProcessedVertex {
    double x = 0, y = 0, z = 0, w = 1;
    Color diffuse, specular;
    float u[kStageCount] = {}, v[kStageCount] = {};
    float r[kStageCount] = {}, q[kStageCount] = {1, 1, 1, 1, 1, 1, 1, 1};  // what a vertex shader writes
};

struct VertexShaderDraw;

class VertexProcessor {
  public:
    // With a vertex shader, the shader processes the vertices.
    VertexProcessor(const DeviceState& state, const VertexLayout& layout, VertexShaderDraw* shader = nullptr);
    ProcessedVertex Process(const uint8_t* vertex) const;
    // A pre-transformed vertex as Process and PretransformedToScreen together give it, written over `out`
    // (a default screen vertex, whose coordinate sets past the layout's stay 0).
    void ProcessToScreen(const uint8_t* vertex, ScreenVertex* out) const;
    // Clip-space polygon to screen vertices (near and far planes, then the viewport mapping).
    std::vector<ScreenVertex> ToScreen(std::vector<ProcessedVertex> polygon) const;
    // A pre-transformed vertex as it reaches the screen.
    static ScreenVertex PretransformedToScreen(const ProcessedVertex& vertex);
    bool pretransformed() const { return layout_.pretransformed; }

  private:
    Color Light(const double position[3], const double normal[3], Color diffuse, Color specular,
                Color* out_specular) const;
    // The vertex's colours and texture coordinates (after the texture transforms); u and v by set.
    void ReadAttributes(const uint8_t* vertex, Color* diffuse, Color* specular, float* u, float* v) const;

    const DeviceState& state_;
    VertexLayout layout_;
    VertexShaderDraw* shader_;
    double world_view_[4][4];
    double world_view_projection_[4][4];
    bool lighting_;
    int transformed_count_ = 0;  // stages with a texture transform, and their coordinate sets
    int transformed_stage_[kStageCount], transformed_set_[kStageCount];
};

}  // namespace d3d9
