#include "engine/graphics/draw/user_shaders.h"

#include <cstring>

#include "engine/core/memory/log.h"
#include "engine/core/memory/tracked_allocator.h"
#include "engine/graphics/device/builtin_shader_archives.h"
#include "engine/graphics/device/builtin_shaders.h"
#include "engine/graphics/device/device_capabilities.h"
#include "engine/graphics/device/device_wrappers.h"
#include "engine/graphics/draw/render_state_cache.h"
#include "engine/graphics/draw/shader_constant_cache.h"
#include "engine/graphics/draw/vertex_batch.h"
#include "engine/graphics/handles/graphic_handles.h"

UserShaderBinding userShaderBinding;

namespace {

UserShaderRecord* LookupShader(int handle, int kind) {
    auto* record = static_cast<UserShaderRecord*>(GetTypedHandleData(handle, kHandleTypeShader));
    if (!record || record->header.asyncLoadCount != 0 || record->kind != kind) return nullptr;
    return record;
}

// A constant table is a comment token (opcode 0xFFFE) whose first payload word is "CTAB".
void FindConstantTable(UserShaderRecord* record) {
    record->constantTablePosition = -1;
    record->constantTableSize = 0;
    const auto* words = static_cast<const uint32_t*>(record->code);
    const int count = record->codeSize / 4;
    for (int i = 1; i + 1 < count; ++i) {
        if ((words[i] & 0xFFFF) != 0xFFFE) continue;
        const int length = int(words[i] >> 16);
        if (words[i + 1] == 0x42415443 && i + 1 + length <= count) {
            record->constantTablePosition = (i + 2) * 4;
            record->constantTableSize = (length - 1) * 4;
            return;
        }
        i += length;
    }
}

int Bind(int handle, int kind, int32_t& bound) {
    UserShaderRecord* record = LookupShader(handle, kind);
    if (!record) return -1;
    if (bound == handle && !renderStateCache.force) return 0;
    if (kind == 1)
        SetCachedVertexShader(static_cast<IDirect3DVertexShader9*>(record->shader));
    else
        SetCachedPixelShader(static_cast<IDirect3DPixelShader9*>(record->shader));
    bound = handle;
    MarkStatesChanged();
    return 0;
}

int SetNext(int handle, int kind, int32_t& next) {
    if (handle <= 0) {
        next = 0;
        return 0;
    }
    if (!LookupShader(handle, kind)) return -1;
    next = handle;
    return 0;
}

HRESULT MakeShaderObject(UserShaderRecord* record, const void* code) {
    if (record->kind == 1) {
        IDirect3DVertexShader9* shader = nullptr;
        const HRESULT hr = DeviceCreateVertexShader(static_cast<const DWORD*>(code), &shader);
        record->shader = shader;
        return hr;
    }
    IDirect3DPixelShader9* shader = nullptr;
    const HRESULT hr = DeviceCreatePixelShader(static_cast<const DWORD*>(code), &shader);
    record->shader = shader;
    return hr;
}

}  // namespace

void ResetUserShaderBinding() {
    userShaderBinding = {};
}

int UserShaderDeleteCallback(HandleHeader* data) {
    auto* record = reinterpret_cast<UserShaderRecord*>(data);
    const int handle = int(data->handle);
    if (userShaderBinding.vertexShader == handle) {
        if (HasD3DDevice()) SetCachedVertexShader(nullptr);
        userShaderBinding.vertexShader = 0;
    }
    if (userShaderBinding.pixelShader == handle) {
        if (HasD3DDevice()) SetCachedPixelShader(nullptr);
        userShaderBinding.pixelShader = 0;
        // The next draw sets its stages up again, for the library's own shader.
        renderStateCache.stageSetup.dirty = 1;
    }
    if (userShaderBinding.nextVertexShader == handle) userShaderBinding.nextVertexShader = 0;
    if (userShaderBinding.nextPixelShader == handle) userShaderBinding.nextPixelShader = 0;
    TrackedFree(record->code);
    record->code = nullptr;
    if (record->shader) ReleaseComObject(record->shader);
    record->shader = nullptr;
    return 0;
}

int ShaderModelFromVersions(uint32_t vertexVersion, uint32_t pixelVersion) {
    const uint32_t vs = vertexVersion & 0xFFFF, ps = pixelVersion & 0xFFFF;
    if (vs < 0x200 && ps < 0x200) return 0;
    if (vs < 0x300 || ps < 0x300) return 200;
    return 300;
}

int GetShaderModel() {
    if (!HasD3DDevice() || !GetProgrammableShaderFlag()) return 0;
    return ShaderModelFromVersions(DeviceCaps.VertexShaderVersion, DeviceCaps.PixelShaderVersion);
}

int CreateUserShader(int kind, const void* code, int size, int asyncFlag, int relaxed) {
    (void)asyncFlag;
    (void)relaxed;
    if (!HasD3DDevice() || !GetProgrammableShaderFlag()) return -1;
    if (code == nullptr || size < 8 || size % 4 != 0) return -1;
    const int handle = AddHandle(kHandleTypeShader, -1);
    if (handle < 0) return -1;
    auto* record = static_cast<UserShaderRecord*>(GetHandleData(handle));
    record->kind = kind ? 1 : 0;
    if (MakeShaderObject(record, code) != D3D_OK) {
        if (record->kind == 1) LogText("頂点シェーダーの作成に失敗しました\n");
        DeleteHandle(handle);
        return -1;
    }
    record->code = TrackedAlloc(size_t(size), __FILE__, __LINE__);
    if (!record->code) {
        LogText("メモリの確保に失敗しました");
        DeleteHandle(handle);
        return -1;
    }
    std::memcpy(record->code, code, size_t(size));
    record->codeSize = size;
    FindConstantTable(record);
    return handle;
}

int ReleaseUserShaderObjects() {
    ForEachHandle<UserShaderRecord>(kHandleTypeShader, [](UserShaderRecord* record) {
        if (record->shader) ReleaseComObject(record->shader);
        record->shader = nullptr;
    });
    return 0;
}

int RecreateUserShaderObjects() {
    if (!HasD3DDevice()) return 0;
    ForEachHandle<UserShaderRecord>(kHandleTypeShader, [](UserShaderRecord* record) {
        if (!record->shader && record->code) MakeShaderObject(record, record->code);
    });
    return 0;
}

int CreatePixelShaderFromArchive(const char* fileName) {
    if (!HasD3DDevice() || !GetProgrammableShaderFlag() || fileName == nullptr) return -1;
    int size = 0;
    const void* code = FindBuiltinShaderFile(fileName, &size);
    if (!code) return -1;
    return CreateUserShader(0, code, size, 0, 0);
}

int BindUserVertexShader(int handle) {
    return Bind(handle, 1, userShaderBinding.vertexShader);
}
int BindUserPixelShader(int handle) {
    const int result = Bind(handle, 0, userShaderBinding.pixelShader);
    if (result == 0) renderStateCache.pixelShaderChoiceChanged = 1;
    return result;
}
int SetUserVertexShader(int handle) {
    return SetNext(handle, 1, userShaderBinding.nextVertexShader);
}
int SetUserPixelShader(int handle) {
    return SetNext(handle, 0, userShaderBinding.nextPixelShader);
}

int SetUserShaderTexture(int stage, int graphic) {
    if (stage < 0 || stage >= kUserShaderStageCount) return -1;
    if (graphic == -1) {
        userShaderBinding.stageGraphics[stage] = 0;
        return 0;
    }
    if (!LookupGraphic(graphic, 0)) return -1;
    userShaderBinding.stageGraphics[stage] = graphic;
    return 0;
}

int SaveUserShaderBinding(SavedUserShaderBinding* saved) {
    saved->vertexShader = userShaderBinding.nextVertexShader;
    saved->pixelShader = userShaderBinding.nextPixelShader;
    saved->activeSetMask = shaderConstantCache.activeMask;
    std::memcpy(saved->stageGraphics, userShaderBinding.stageGraphics, sizeof saved->stageGraphics);
    return 0;
}

int RestoreUserShaderBinding(const SavedUserShaderBinding* saved) {
    SetUserVertexShader(saved->vertexShader);
    SetUserPixelShader(saved->pixelShader);
    for (int s = 0; s < kUserShaderStageCount; ++s)
        SetUserShaderTexture(s, saved->stageGraphics[s] ? saved->stageGraphics[s] : -1);
    return 0;
}
