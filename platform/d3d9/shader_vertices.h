// A bound vertex shader in a draw: it takes the place of the fixed-function transform and lighting. Its
// inputs are read from the vertex by the elements of the declaration (or of the flexible vertex format)
// whose usage and index match the program's declarations; its position goes to clipping, its colours
// (saturated, on 8 bits) and texture coordinates on to the pixels.
#pragma once

#include <vector>

#include "platform/d3d9/shader_machine.h"
#include "platform/d3d9/vertex_processing.h"

namespace d3d9 {

// The elements a flexible vertex format stands for.
std::vector<D3DVERTEXELEMENT9> ElementsFromFvf(DWORD fvf);
// Whether the elements give screen positions (POSITIONT), which no vertex shader processes.
bool HasScreenPositions(const std::vector<D3DVERTEXELEMENT9>& elements);

struct VertexShaderDraw {
    struct Read {
        uint16_t slot;
        uint8_t mask;
        int offset;  // -1: no element gives it, it reads (0, 0, 0, 1)
        BYTE type;
    };
    ShaderMachine machine;
    ShaderSampler samplers[4];
    Read reads[16];
    int read_count = 0;
    int size = 0;  // bytes read from a vertex
    uint16_t position_slot = kNoSlot;
    uint16_t color_slots[2] = {kNoSlot, kNoSlot};
    uint16_t texcoord_slots[kStageCount] = {};
};

// Readies the draw's shader (`samplers` set before); false when an element of a type the stand-in cannot
// read, or not from stream 0, feeds it.
bool PrepareVertexShader(const ShaderProgram& program, const ShaderConstants& constants,
                         const std::vector<D3DVERTEXELEMENT9>& elements, VertexShaderDraw* draw);

// The processed vertex of the vertex at `vertex`.
ProcessedVertex ShadeVertex(VertexShaderDraw& draw, const uint8_t* vertex);

}  // namespace d3d9
