// Vertex and pixel shader objects: a program validated and decoded once at creation.
#pragma once

#include "platform/d3d9/com_object.h"
#include "platform/d3d9/d3d9.h"
#include "platform/d3d9/shader_program.h"

namespace d3d9 {

template <typename Interface>
class ShaderObject final : public ComObject<Interface> {
  public:
    explicit ShaderObject(ShaderProgram decoded) : program(std::move(decoded)) {}
    const ShaderProgram program;
};
using PixelShader = ShaderObject<IDirect3DPixelShader9>;
using VertexShader = ShaderObject<IDirect3DVertexShader9>;

// The program of a token stream handed over without its size, for a pixel or vertex shader of the given
// models: D3DERR_INVALIDCALL when the stream has no end within the longest a model allows, is not valid,
// or is of the other kind.
HRESULT MakeShaderProgram(const DWORD* function, bool pixel, const ShaderModels& models, ShaderProgram* out);

}  // namespace d3d9
