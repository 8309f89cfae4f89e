// Every state a device keeps: render, texture-stage and sampler states, transforms, viewport, scissor,
// material, lights, vertex format and shader constant registers, with Direct3D 9's initial values.
#pragma once

#include <array>
#include <map>

#include "platform/d3d9/d3d9.h"

namespace d3d9 {

constexpr int kStageCount = 8;
constexpr int kSamplerCount = 16;
constexpr int kVertexSamplerCount = 4;  // D3DVERTEXTEXTURESAMPLER0..3
constexpr DWORD kVertexSamplerFirst = 257;
constexpr int kVertexFloatRegisters = 256;
constexpr int kPixelFloatRegisters = 224;
constexpr int kIntRegisters = 16;
constexpr int kBoolRegisters = 16;

struct DeviceState {
    std::array<DWORD, D3D_RENDER_STATE_COUNT> render{};
    std::array<std::array<DWORD, D3D_TEXTURE_STAGE_STATE_COUNT>, kStageCount> stage{};
    std::array<std::array<DWORD, D3D_SAMPLER_STATE_COUNT>, kSamplerCount> sampler{};
    std::array<std::array<DWORD, D3D_SAMPLER_STATE_COUNT>, kVertexSamplerCount> vertex_sampler{};
    D3DMATRIX world{}, view{}, projection{};
    std::array<D3DMATRIX, kStageCount> texture_transform{};
    D3DVIEWPORT9 viewport{};
    RECT scissor{};
    D3DMATERIAL9 material{};
    std::map<DWORD, D3DLIGHT9> lights;
    std::map<DWORD, bool> light_enabled;
    DWORD fvf = 0;
    std::array<std::array<float, 4>, kVertexFloatRegisters> vs_float{};
    std::array<std::array<int, 4>, kIntRegisters> vs_int{};
    std::array<BOOL, kBoolRegisters> vs_bool{};
    std::array<std::array<float, 4>, kPixelFloatRegisters> ps_float{};
    std::array<std::array<int, 4>, kIntRegisters> ps_int{};
    std::array<BOOL, kBoolRegisters> ps_bool{};
};

D3DMATRIX IdentityMatrix();
void SetInitialStates(DeviceState& state, bool auto_depth);

}  // namespace d3d9
