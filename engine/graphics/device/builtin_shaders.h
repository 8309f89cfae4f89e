// The built-in shaders: the programmable-shader flag and the shader objects made at graphics start, and
// their release.
#pragma once

#include <cstdint>
#include <memory>

#include "platform/d3d9/d3d9.h"

inline constexpr int kNoTexturePixelShaderCount = 4;
inline constexpr int kBlendPixelShaderCount =
    64;  // blend kind x 16 + type x 4 + colour-ignore x 2 + alpha-ignore

inline constexpr int kPermutationTableA = 124416;
inline constexpr int kPermutationTableB = 98304;

struct BuiltinShaders {
    int32_t programmable;  // 1 when the built-in shaders were made
    IDirect3DVertexShader9* vertexShader;
    IDirect3DPixelShader9* pixelShader;
    IDirect3DPixelShader9* noTexture[kNoTexturePixelShaderCount];
    IDirect3DPixelShader9* blend[kBlendPixelShaderCount];
    IDirect3DPixelShader9* maskBlend;
    // Shader slots of permutations no draw path selects; released with the rest. A table is allocated only
    // when a shader is to be kept in it (none is today): an empty one is no memory to read at release.
    std::unique_ptr<IDirect3DPixelShader9*[]> permutationsA;  // kPermutationTableA slots
    std::unique_ptr<IDirect3DPixelShader9*[]> permutationsB;  // kPermutationTableB slots
};

extern BuiltinShaders builtinShaders;

// Makes the built-in shaders when the device has vertex and pixel shader 2.0, logs whether programmable
// shaders are used and sets the library's pixel constants. 0.
int StartShaderSystem();
// Unbinds the shaders and releases every built-in shader object, the vertex shader included. 0.
int ReleasePixelShaders();

int GetProgrammableShaderFlag();
IDirect3DPixelShader9* GetNoTexturePixelShader(int type);
IDirect3DPixelShader9* GetBlendPixelShader(int entry);
