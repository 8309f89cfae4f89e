#include "engine/graphics/device/builtin_shaders.h"

#include "engine/core/memory/log.h"
#include "engine/graphics/device/device_capabilities.h"
#include "engine/graphics/device/device_wrappers.h"
#include "engine/graphics/draw/render_state_cache.h"
#include "engine/graphics/draw/shader_constant_cache.h"
#include "engine/graphics/placeholder_calls.h"

BuiltinShaders builtinShaders;

namespace {

void SetLibraryPixelConstants() {
    const float unitY[4] = {0.0f, 1.0f, 0.0f, 0.0f};
    const float steps[4] = {0.0f, 0.5f, 1.0f, 2.0f};
    SetShaderConstants(&shaderConstantCache, kBankPixelFloat, 0, 0, unitY, 1, 0);
    SetShaderConstants(&shaderConstantCache, kBankPixelFloat, 0, 3, steps, 1, 0);
}

}  // namespace

int StartShaderSystem() {
    ReleasePixelShaders();
    builtinShaders.programmable = 0;
    if (deviceCapabilityFlags.vertexShader2 && deviceCapabilityFlags.pixelShader2) {
        builtinShaders.programmable = 1;
        if (!OpenBuiltinShaderArchives()) {
            LogText("シェーダーコードを展開するメモリ領域の確保に失敗しました\n");
            builtinShaders.programmable = 0;
        }
    }
    LogText(builtinShaders.programmable ? "プログラマブルシェーダーを使用します\n"
                                        : "プログラマブルシェーダーを使用しません\n");
    SetLibraryPixelConstants();
    return 0;
}

int ReleasePixelShaders() {
    if (!HasD3DDevice()) return 0;
    DeviceSetVertexShader(nullptr);
    DeviceSetPixelShader(nullptr);
    renderStateCache.vertexShader = nullptr;
    renderStateCache.pixelShader = nullptr;
    ReleaseAndClear(builtinShaders.vertexShader);
    ReleaseAndClear(builtinShaders.pixelShader);
    for (IDirect3DPixelShader9*& shader : builtinShaders.noTexture) ReleaseAndClear(shader);
    for (IDirect3DPixelShader9*& shader : builtinShaders.blend) ReleaseAndClear(shader);
    ReleaseAndClear(builtinShaders.maskBlend);
    return 0;
}

int GetProgrammableShaderFlag() {
    return builtinShaders.programmable;
}
IDirect3DPixelShader9* GetNoTexturePixelShader(int type) {
    return type >= 0 && type < kNoTexturePixelShaderCount ? builtinShaders.noTexture[type] : nullptr;
}
IDirect3DPixelShader9* GetBlendPixelShader(int entry) {
    return entry >= 0 && entry < kBlendPixelShaderCount ? builtinShaders.blend[entry] : nullptr;
}
