#include "engine/graphics/device/builtin_shaders.h"

#include <cstdio>

#include "engine/core/memory/log.h"
#include "engine/graphics/device/builtin_shader_archives.h"
#include "engine/graphics/device/builtin_shader_layout.h"
#include "engine/graphics/device/device_capabilities.h"
#include "engine/graphics/device/device_wrappers.h"
#include "engine/graphics/draw/render_state_cache.h"
#include "engine/graphics/draw/shader_constant_cache.h"

BuiltinShaders builtinShaders;

namespace {

void SetLibraryPixelConstants() {
    const float unitY[4] = {0.0f, 1.0f, 0.0f, 0.0f};
    const float steps[4] = {0.0f, 0.5f, 1.0f, 2.0f};
    SetShaderConstants(&shaderConstantCache, kBankPixelFloat, 0, 0, unitY, 1, 0);
    SetShaderConstants(&shaderConstantCache, kBankPixelFloat, 0, 3, steps, 1, 0);
}

bool CreateFromCodeTable(IDirect3DVertexShader9** vertex, IDirect3DPixelShader9** pixel) {
    int size = 0;
    auto code = static_cast<const DWORD*>(
        GetShaderCodeTableEntry(3, vertex ? kBuiltinVertexShaderEntry : kBuiltinPixelShaderEntry, &size));
    if (!code) return false;
    return vertex ? DeviceCreateVertexShader(code, vertex) == D3D_OK
                  : DeviceCreatePixelShader(code, pixel) == D3D_OK;
}

bool CreateNamedPixelShader(const char* name, IDirect3DPixelShader9** shader) {
    int size = 0;
    auto code = static_cast<const DWORD*>(FindBuiltinShaderFile(name, &size));
    return code && DeviceCreatePixelShader(code, shader) == D3D_OK;
}

bool CreateLibraryPixelShaders() {
    char name[64];
    for (int n = 0; n < kNoTexturePixelShaderCount; ++n) {
        std::snprintf(name, sizeof name, "ps_nonetex_type%d.pso", n);
        if (!CreateNamedPixelShader(name, &builtinShaders.noTexture[n])) return false;
    }
    for (int entry = 0; entry < kBlendPixelShaderCount; ++entry) {
        std::snprintf(name, sizeof name, "ps_blend%d_type%d_igcolor%d_igtalpha%d.pso", entry / 16,
                      entry / 4 % 4, entry / 2 % 2, entry % 2);
        if (!CreateNamedPixelShader(name, &builtinShaders.blend[entry])) return false;
    }
    return true;
}

// The shader steps of the start; false (with the failure logged) leaves the fixed-function path.
bool CreateBuiltinShaders() {
    if (!OpenBuiltinShaderArchives()) {
        LogText("シェーダーコードを展開するメモリ領域の確保に失敗しました\n");
        return false;
    }
    if (!CreateFromCodeTable(&builtinShaders.vertexShader, nullptr)) {
        LogText("頂点シェーダーオブジェクトの作成に失敗しました\n");
        return false;
    }
    if (!CreateFromCodeTable(nullptr, &builtinShaders.pixelShader)) {
        LogText("ピクセルシェーダーオブジェクトの作成に失敗しました\n");
        return false;
    }
    if (!CreateLibraryPixelShaders()) {
        LogText("基本シェーダーオブジェクトの作成に失敗しました\n");
        return false;
    }
    if (!CreateNamedPixelShader("ps_mask_blend.pso", &builtinShaders.maskBlend)) {
        LogText("マスク処理用シェーダーオブジェクトの作成に失敗しました\n");
        return false;
    }
    return true;
}

// Every shader of the slots (none when the table is not allocated).
void ReleaseSlots(IDirect3DPixelShader9** slots, int count) {
    if (!slots) return;
    for (int i = 0; i < count; ++i) ReleaseAndClear(slots[i]);
}

}  // namespace

int StartShaderSystem() {
    ReleasePixelShaders();
    builtinShaders.programmable = 0;
    if (deviceCapabilityFlags.vertexShader2 && deviceCapabilityFlags.pixelShader2)
        builtinShaders.programmable = CreateBuiltinShaders() ? 1 : 0;
    LogText(builtinShaders.programmable ? "プログラマブルシェーダーを使用します\n"
                                        : "プログラマブルシェーダーを使用しません\n");
    SetLibraryPixelConstants();
    return 0;
}

int ReleasePixelShaders() {
    // Without its shaders the library draws through the stages, also after the end of the graphics.
    builtinShaders.programmable = 0;
    if (!HasD3DDevice()) return 0;
    DeviceSetVertexShader(nullptr);
    DeviceSetPixelShader(nullptr);
    renderStateCache.vertexShader = nullptr;
    renderStateCache.pixelShader = nullptr;
    ReleaseAndClear(builtinShaders.vertexShader);
    ReleaseAndClear(builtinShaders.pixelShader);
    ReleaseSlots(builtinShaders.noTexture, kNoTexturePixelShaderCount);
    ReleaseSlots(builtinShaders.blend, kBlendPixelShaderCount);
    ReleaseAndClear(builtinShaders.maskBlend);
    ReleaseSlots(builtinShaders.permutationsA.get(), kPermutationTableA);
    ReleaseSlots(builtinShaders.permutationsB.get(), kPermutationTableB);
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
