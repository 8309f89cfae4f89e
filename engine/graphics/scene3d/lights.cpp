#include "engine/graphics/scene3d/lights.h"

#include <cmath>

#include "engine/core/memory/fatal_exit.h"
#include "engine/core/memory/handle_manager.h"
#include "engine/core/memory/tracked_allocator.h"
#include "engine/graphics/device/direct3d_system.h"
#include "engine/graphics/draw/draw_settings.h"
#include "engine/graphics/draw/render_state_cache.h"

LightTable lightTable = {{}, 0, 0, 0, -1};

namespace {

constexpr int kMaxCheck = 1023;

void MarkLightsChanged() {
    drawSettings.lightTableRefresh = 1;
    MarkStatesChanged();
}

int FreeSlot() {
    if (lightTable.end < kLightSlotCount) return lightTable.end;
    for (int slot = 0; slot < kLightSlotCount; ++slot)
        if (lightTable.slots[slot] == nullptr) return slot;
    return -1;
}

void SetLightDefaults(D3DLIGHT9& l) {
    l.Diffuse = {1.0f, 1.0f, 1.0f, 1.0f};
    l.Specular = {1.0f, 1.0f, 1.0f, 1.0f};
    l.Ambient = {0.33f, 0.33f, 0.33f, 0.33f};
    l.Range = 2000.0f;
    l.Falloff = 1.0f;
    l.Attenuation0 = 0.1f;
    l.Theta = 2.0f;
    l.Phi = 2.0f;
}

bool IsDeviceLightType(D3DLIGHTTYPE type) {
    return type == D3DLIGHT_POINT || type == D3DLIGHT_SPOT || type == D3DLIGHT_DIRECTIONAL;
}

}  // namespace

int SetUseLighting(int flag) {
    drawSettings.noLighting = flag ? 0 : 1;
    if (HasD3DDevice()) SetLightingEnable(flag ? 1 : 0);
    MarkLightsChanged();
    return 0;
}

int CreateLight() {
    LightTable& t = lightTable;
    const int slot = FreeSlot();
    if (slot < 0) return -1;
    auto* record = static_cast<LightRecord*>(TrackedAllocZeroed(sizeof(LightRecord), __FILE__, __LINE__));
    if (record == nullptr) FatalLibraryExit("ライト用のメモリの確保に失敗しました");
    SetLightDefaults(record->light);
    record->reserved = -1;
    record->check = t.nextCheck;
    t.nextCheck = t.nextCheck >= kMaxCheck - 1 ? 0 : t.nextCheck + 1;
    record->handle = ((record->check | (kHandleTypeLight << 10)) << 16) | slot;
    t.slots[slot] = record;
    ++t.count;
    if (slot == t.end) ++t.end;
    record->enabled = 1;
    record->changed = 1;
    MarkLightsChanged();
    return record->handle;
}

int CreateDirectionalLight(float x, float y, float z) {
    const float length = std::sqrt(x * x + y * y + z * z);
    if (!(length > 0.0f) || !std::isfinite(length)) return -1;
    const int handle = CreateLight();
    if (handle < 0) return -1;
    D3DLIGHT9& l = FindLight(handle)->light;
    l.Type = D3DLIGHT_DIRECTIONAL;
    l.Direction = {x / length, y / length, z / length};
    return handle;
}

LightRecord* FindLight(int handle) {
    if (handle < 0 || HandleTypeOf(handle) != kHandleTypeLight) return nullptr;
    const int slot = HandleIndexOf(handle);
    if (slot >= kLightSlotCount) return nullptr;
    LightRecord* record = lightTable.slots[slot];
    const int check = int((uint32_t(handle) & kHandleCheckBits) >> kHandleCheckShift);
    return record != nullptr && record->check == check ? record : nullptr;
}

int DeleteLight(int handle) {
    LightRecord* record = FindLight(handle);
    if (record == nullptr) return -1;
    LightTable& t = lightTable;
    const int slot = HandleIndexOf(handle);
    --t.count;
    t.slots[slot] = nullptr;
    if (slot == t.end - 1)
        while (t.end > 0 && t.slots[t.end - 1] == nullptr) --t.end;
    TrackedFree(record);
    MarkLightsChanged();
    return 0;
}

int DeleteAllLights() {
    for (int slot = 0; slot < kLightSlotCount; ++slot) {
        const LightRecord* record = lightTable.slots[slot];
        if (record != nullptr && record->handle != lightTable.defaultLight) DeleteLight(record->handle);
    }
    return 0;
}

int RefreshLightTable() {
    if (!HasD3DDevice()) return -1;
    int index = 0;
    for (int slot = 0; slot < lightTable.end; ++slot) {
        LightRecord* record = lightTable.slots[slot];
        if (record == nullptr || !record->enabled || !IsDeviceLightType(record->light.Type)) continue;
        SetCachedLight(index, &record->light);
        SetCachedLightEnable(index, 1);
        record->changed = 0;
        ++index;
    }
    for (int i = renderStateCache.highestEnabledLight; i >= index; --i) SetCachedLightEnable(i, 0);
    SetLightingEnable(drawSettings.noLighting ? 0 : 1);
    drawSettings.lightTableRefresh = 0;
    return 0;
}

int EndLights() {
    lightTable.defaultLight = -1;
    return DeleteAllLights();
}
