// Fuzz target: the shader token-stream validator over any bytes; every stream it accepts is decoded and
// run once by the interpreter, over a small 2D texture with mip levels and a small volume texture.
#include <cstring>
#include <vector>

#include "platform/d3d9/pixel_format.h"
#include "platform/d3d9/shader_machine.h"
#include "platform/d3d9/shader_program.h"
#include "platform/d3d9/shader_validation.h"

namespace {

d3d9::ShaderSampler* Samplers() {
    static uint8_t texels[4 * 4 * 4 + 2 * 2 * 4 + 1 * 4], volume[2 * 2 * 2 * 2];
    static d3d9::ShaderSampler samplers[16];
    static bool made = false;
    if (!made) {
        for (size_t i = 0; i < sizeof texels; ++i) texels[i] = uint8_t(i * 37);
        for (size_t i = 0; i < sizeof volume; ++i) volume[i] = uint8_t(i * 91);
        d3d9::ShaderSampler& flat = samplers[0];
        flat.format = D3DFMT_A8R8G8B8, flat.bytes_per_texel = 4, flat.level_count = 3;
        flat.levels[0] = {texels, 4, 4, 1, 16, 0};
        flat.levels[1] = {texels + 64, 2, 2, 1, 8, 0};
        flat.levels[2] = {texels + 80, 1, 1, 1, 4, 0};
        flat.linear_min = true, flat.mip_filter = D3DTEXF_LINEAR;
        d3d9::ShaderSampler& deep = samplers[1];
        deep.volume = true, deep.format = D3DFMT_R5G6B5, deep.bytes_per_texel = 2, deep.level_count = 1;
        deep.levels[0] = {volume, 2, 2, 2, 4, 8};
        deep.linear_mag = true, deep.address[2] = D3DTADDRESS_MIRROR;
        made = true;
    }
    return samplers;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<uint32_t> tokens(size / 4);
    if (!tokens.empty()) std::memcpy(tokens.data(), data, tokens.size() * 4);
    d3d9::ShaderStreamLength(tokens.data(), tokens.size());
    d3d9::ParsedShader parsed;
    if (!d3d9::ParseShaderTokens(tokens.data(), tokens.size(), {0x300, 0x300}, &parsed, nullptr)) return 0;
    const d3d9::ShaderProgram program = d3d9::DecodeShader(parsed);
    const std::vector<std::array<float, 4>> floats(256, {0.5f, -1.0f, 2.0f, 0.25f});
    const std::array<int, 4> ints[16] = {{3, 1, 2, 0}, {255, -4, 1, 0}};
    const BOOL bools[16] = {TRUE, FALSE, TRUE};
    d3d9::ShaderMachine machine;
    machine.Load(program, {floats.data(), 256, ints, bools}, Samplers());
    machine.Run(d3d9::kAllLanes);
    return 0;
}
