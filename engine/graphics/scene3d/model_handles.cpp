#include "engine/graphics/scene3d/model_handles.h"

#include <cmath>

#include "engine/core/memory/tracked_allocator.h"
#include "engine/graphics/device/device_wrappers.h"
#include "engine/graphics/device/direct3d_system.h"
#include "engine/graphics/graphics.h"
#include "engine/graphics/scene3d/model_device_objects.h"
#include "engine/graphics/scene3d/model_physics.h"

ModelTypeState modelTypeState = {0, {-1, -1, -1}};
float modelSineTable[kModelSineTableSize];

namespace {

constexpr char kModelTypeName[] = "３Ｄモデル";

template <class T>
void FreeAndClear(T*& block) {
    TrackedFree(block);
    block = nullptr;
}

void FillSineTable() {
    const float pi = 3.1415927f;
    for (int i = 0; i < kModelSineTableSize; ++i) {
        const float angle = 2.0f * pi * float(i) / float(kModelSineTableSize);
        modelSineTable[i] = float(std::sin(double(angle)));
    }
}

void ReleaseMaterials(ModelMaterial* materials, int count, bool ownOnly) {
    for (int i = 0; materials != nullptr && i < count; ++i) {
        ModelMaterial& m = materials[i];
        if (ownOnly && !m.ownTexture) continue;
        FreeAndClear(m.imageBlock);
        if (m.graphic != -1) FreeGraphic(m.graphic, 0);
        m.graphic = -1;
    }
}

void FreeInstanceBlocks(ModelInstance* instance, int frameCount) {
    while (instance->workEntries != nullptr) {
        ModelWorkEntry* next = instance->workEntries->next;
        TrackedFree(instance->workEntries);
        instance->workEntries = next;
    }
    ReleaseInstanceVertexBuffers(instance);
    FreeAndClear(instance->wideBlocks[0]);
    FreeAndClear(instance->wideBlocks[1]);
    for (int i = 0; instance->frameBlocks != nullptr && i < 2 * frameCount; ++i)
        FreeAndClear(instance->frameBlocks[i]);
    FreeAndClear(instance->frameBlocks);
    FreeAndClear(instance->wideList);
    for (int i = 0; instance->frameLists != nullptr && i < frameCount; ++i)
        FreeAndClear(instance->frameLists[i]);
    FreeAndClear(instance->frameLists);
    FreeAndClear(instance->meshBuffers);
}

void ReleaseInstancePhysics(ModelInstance* instance) {
    ModelPhysics* physics = instance->physics;
    if (physics == nullptr) return;
    ReleaseModelPhysics(physics);
    TrackedFree(physics->bodies);
    TrackedFree(physics->joints);
    FreeAndClear(instance->physics);
}

void UnlinkInstance(ModelInstance* instance) {
    ModelBase* base = instance->base;
    if (instance->previous != nullptr)
        instance->previous->next = instance->next;
    else
        base->firstInstance = instance->next;
    if (instance->next != nullptr)
        instance->next->previous = instance->previous;
    else
        base->lastInstance = instance->previous;
    instance->previous = instance->next = nullptr;
    --base->instanceCount;
}

// The instances go with their base: none keeps a pointer to a freed base.
void DeleteInstancesOf(ModelBase* base) {
    while (base->firstInstance != nullptr) {
        ModelInstance* instance = base->firstInstance;
        if (DeleteHandle(int(instance->header.handle)) != 0) UnlinkInstance(instance);
    }
}

}  // namespace

int ReleaseModelInstance(HandleHeader* data) {
    auto* instance = reinterpret_cast<ModelInstance*>(data);
    ModelBase* base = instance->base;
    if (base == nullptr) {
        FreeAndClear(instance->workBlock);
        return 0;
    }
    // The physics go first: the blocks freed below hold the entries that name the physics objects.
    if (base->hasRigidBodies) ReleaseInstancePhysics(instance);
    FreeInstanceBlocks(instance, base->frameCount);
    ReleaseMaterials(instance->materials, base->materialCount, true);
    FreeAndClear(instance->materials);
    UnlinkInstance(instance);
    if (instance->attachedHandle != -1 && instance->attachedHandle != 0)
        DeleteHandle(instance->attachedHandle);
    instance->attachedHandle = -1;
    FreeAndClear(instance->workBlock);
    return 0;
}

int ReleaseModelBase(HandleHeader* data) {
    auto* base = reinterpret_cast<ModelBase*>(data);
    if (--base->referenceCount > 0) return 1;
    DeleteInstancesOf(base);
    ReleaseBaseDeviceObjects(base);
    ReleaseMaterials(base->materials, base->materialCount, false);
    FreeAndClear(base->materials);
    FreeAndClear(base->meshes);
    FreeAndClear(base->frames);
    FreeAndClear(base->lists);
    return 0;
}

int RegisterModelHandleTypes() {
    if (modelTypeState.registered || Direct3DMode != 1) return 0;
    RegisterHandleType(kHandleTypeModelBase, int(sizeof(ModelBase)), kModelHandleLimit, NoOpHandleCallback,
                       ReleaseModelBase, kModelTypeName);
    RegisterHandleType(kHandleTypeModel, int(sizeof(ModelInstance)), kModelHandleLimit, NoOpHandleCallback,
                       ReleaseModelInstance, kModelTypeName);
    FillSineTable();
    for (int& texture : modelTypeState.defaultTextures) texture = -1;
    modelTypeState.registered = 1;
    return 0;
}

// A base whose count is still above 1 would refuse its delete and leak with its blocks and graphics
// when the type ends: every base goes here whatever its count.
int EndModelHandleTypes() {
    if (!modelTypeState.registered) return 0;
    DeleteAllHandles(kHandleTypeModel, nullptr);
    ForEachHandle<ModelBase>(kHandleTypeModelBase, [](ModelBase* base) { base->referenceCount = 1; });
    DeleteAllHandles(kHandleTypeModelBase, nullptr);
    EndHandleType(kHandleTypeModel);
    EndHandleType(kHandleTypeModelBase);
    modelTypeState.registered = 0;
    return 0;
}
