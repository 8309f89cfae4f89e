#include "platform/d3d9/shader_object.h"

namespace d3d9 {

HRESULT MakeShaderProgram(const DWORD* function, bool pixel, const ShaderModels& models, ShaderProgram* out) {
    if (!function) return D3DERR_INVALIDCALL;
    const auto* tokens = reinterpret_cast<const uint32_t*>(function);
    const size_t count = ShaderStreamLength(tokens, kMaxShaderTokens);
    ParsedShader parsed;
    if (count == 0 || !ParseShaderTokens(tokens, count, models, &parsed, nullptr) || parsed.pixel != pixel)
        return D3DERR_INVALIDCALL;
    *out = DecodeShader(parsed);
    return D3D_OK;
}

}  // namespace d3d9
