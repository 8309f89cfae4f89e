#include "engine/graphics/scene3d/model_device_objects.h"

#include <cstring>

#include "engine/core/memory/tracked_allocator.h"
#include "engine/graphics/device/device_capabilities.h"
#include "engine/graphics/device/device_forwarding.h"
#include "engine/graphics/device/device_wrappers.h"
#include "engine/graphics/device/direct3d_system.h"
#include "engine/graphics/scene3d/model_handles.h"

namespace {

constexpr int kOnMainThread = 0;  // a restart runs on the main thread: nothing to forward

bool HoldsDeviceObjects(const ModelBase* base) {
    for (const auto& kind : base->bufferLists)
        for (const auto& set : kind)
            for (const ModelBufferEntry* entry : set)
                if (entry != nullptr) return true;
    return false;
}

bool ProcessesModelVertices() {
    return deviceCreationSettings.hardwareVertexProcessing || deviceCapabilityFlags.vertexShader2;
}

template <class Buffer>
int FillBuffer(Buffer* buffer, const void* data, UINT size) {
    void* target = nullptr;
    if (FAILED(ForwardLockBuffer(buffer, 0, size, &target, 0, kOnMainThread))) return -1;
    std::memcpy(target, data, size);
    ForwardUnlockBuffer(buffer, kOnMainThread);
    return 0;
}

int BuildMeshBuffers(ModelMesh& mesh, ModelBufferEntry* entry) {
    const UINT vertexBytes = UINT(mesh.vertexCount) * UINT(mesh.vertexStride);
    const UINT indexBytes = UINT(mesh.indexCount) * 2;
    if (FAILED(ForwardCreateVertexBuffer(vertexBytes, D3DUSAGE_WRITEONLY, mesh.vertexFormat, D3DPOOL_DEFAULT,
                                         &entry->vertexBuffer, nullptr, kOnMainThread)) ||
        FillBuffer(entry->vertexBuffer, mesh.vertexData, vertexBytes) != 0)
        return -1;
    if (mesh.indexCount == 0) return 0;
    if (FAILED(ForwardCreateIndexBuffer(indexBytes, D3DUSAGE_WRITEONLY, D3DFMT_INDEX16, D3DPOOL_DEFAULT,
                                        &entry->indexBuffer, nullptr, kOnMainThread)))
        return -1;
    return FillBuffer(entry->indexBuffer, mesh.indexData, indexBytes);
}

int AddMeshBuffers(ModelBase* base, ModelMesh& mesh) {
    auto* entry =
        static_cast<ModelBufferEntry*>(TrackedAllocZeroed(sizeof(ModelBufferEntry), __FILE__, __LINE__));
    if (entry == nullptr) return -1;
    if (mesh.listKind < 0 || mesh.listKind >= kModelListKinds || mesh.listSet < 0 ||
        mesh.listSet >= kModelListSets || mesh.listSlot < 0 || mesh.listSlot >= kModelListSlots) {
        TrackedFree(entry);
        return -1;
    }
    ModelBufferEntry*& slot = base->bufferLists[mesh.listKind][mesh.listSet][mesh.listSlot];
    entry->next = slot;
    slot = entry;
    if (BuildMeshBuffers(mesh, entry) != 0) return -1;
    mesh.vertexBuffer = entry->vertexBuffer;
    mesh.indexBuffer = entry->indexBuffer;
    return 0;
}

int BuildInstanceBuffers(ModelInstance* instance) {
    const ModelBase* base = instance->base;
    if (base == nullptr || instance->meshBuffers == nullptr) return 0;
    for (int i = 0; i < base->meshCount; ++i) {
        const ModelMesh& mesh = base->meshes[i];
        if (instance->meshBuffers[i] != nullptr) continue;
        if (FAILED(ForwardCreateVertexBuffer(
                UINT(mesh.vertexCount) * UINT(mesh.vertexStride), D3DUSAGE_DYNAMIC | D3DUSAGE_WRITEONLY,
                mesh.vertexFormat, D3DPOOL_DEFAULT, &instance->meshBuffers[i], nullptr, kOnMainThread)))
            return -1;
    }
    return 0;
}

}  // namespace

int ReleaseInstanceVertexBuffers(ModelInstance* instance) {
    if (instance->base == nullptr || instance->meshBuffers == nullptr) return 0;
    for (int i = 0; i < instance->base->meshCount; ++i) ReleaseAndClear(instance->meshBuffers[i]);
    return 0;
}

int ReleaseBaseDeviceObjects(ModelBase* base) {
    if (!HoldsDeviceObjects(base)) return 0;
    for (auto& kind : base->bufferLists)
        for (auto& set : kind)
            for (ModelBufferEntry*& slot : set) {
                while (slot != nullptr) {
                    ModelBufferEntry* next = slot->next;
                    ReleaseAndClear(slot->vertexBuffer);
                    ReleaseAndClear(slot->indexBuffer);
                    TrackedFree(slot);
                    slot = next;
                }
            }
    for (int i = 0; i < base->meshCount; ++i) {
        base->meshes[i].vertexBuffer = nullptr;
        base->meshes[i].indexBuffer = nullptr;
    }
    for (ModelInstance* instance = base->firstInstance; instance != nullptr; instance = instance->next)
        ReleaseInstanceVertexBuffers(instance);
    return 0;
}

int ReleaseModelDeviceObjects() {
    ForEachHandle<ModelBase>(kHandleTypeModelBase, [](ModelBase* base) { ReleaseBaseDeviceObjects(base); });
    ForEachHandle<ModelInstance>(kHandleTypeModel,
                                 [](ModelInstance* instance) { ReleaseInstanceVertexBuffers(instance); });
    return 0;
}

int RebuildBaseDeviceObjects(ModelBase* base) {
    ReleaseBaseDeviceObjects(base);
    for (int i = 0; i < base->meshCount; ++i) {
        if (AddMeshBuffers(base, base->meshes[i]) != 0) {
            ReleaseBaseDeviceObjects(base);
            return -1;
        }
    }
    return 0;
}

int RebuildModelDeviceObjects() {
    if (!modelTypeState.registered || Direct3DMode != 1) return 0;
    int result = 0;
    if (ProcessesModelVertices())
        ForEachHandle<ModelBase>(kHandleTypeModelBase, [&](ModelBase* base) {
            if (RebuildBaseDeviceObjects(base) != 0) result = -1;
        });
    ForEachHandle<ModelInstance>(kHandleTypeModel, [&](ModelInstance* instance) {
        if (BuildInstanceBuffers(instance) != 0) result = -1;
    });
    return result;
}
