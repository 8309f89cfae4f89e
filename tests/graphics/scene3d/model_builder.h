// Builds model bases, instances and physics worlds for the tests, as a loader would: every block from
// the tracked allocator, Bullet objects that count their deletions.
#pragma once

// Bullet's inline btBoxShape::getPlane, emitted here for the counted shape below, trips gcc's
// maybe-uninitialized check from inside the system headers, which -isystem does not silence.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#include <btBulletDynamicsCommon.h>
#pragma GCC diagnostic pop

#include <cstring>
#include <string>
#include <vector>

#include "engine/core/memory/tracked_allocator.h"

#include "engine/graphics/scene3d/model_records.h"

namespace model_test {

struct PhysicsCounts {
    int bodies = 0;
    int motionStates = 0;
    int shapes = 0;
    int constraints = 0;
    int holderObjects = 0;  // configuration, dispatcher, broadphase, solver, world
    int worldNotEmpty = 0;  // the world held objects when it was deleted
    std::vector<std::string> order;
};

inline PhysicsCounts physicsCounts;

namespace detail {

inline void* Block(size_t size) {
    return TrackedAllocZeroed(size, "model_builder", __LINE__);
}

struct CountedBody : btRigidBody {
    using btRigidBody::btRigidBody;
    ~CountedBody() override {
        ++physicsCounts.bodies;
        physicsCounts.order.push_back("body");
    }
};
struct CountedMotionState : btDefaultMotionState {
    ~CountedMotionState() override { ++physicsCounts.motionStates; }
};
struct CountedShape : btBoxShape {
    CountedShape() : btBoxShape(btVector3(1, 1, 1)) {}
    ~CountedShape() override {
        ++physicsCounts.shapes;
        physicsCounts.order.push_back("shape");
    }
};
struct CountedConstraint : btPoint2PointConstraint {
    using btPoint2PointConstraint::btPoint2PointConstraint;
    ~CountedConstraint() override {
        ++physicsCounts.constraints;
        physicsCounts.order.push_back("constraint");
    }
};
template <class Base, const char* Name>
struct CountedHolderObject : Base {
    using Base::Base;
    ~CountedHolderObject() override {
        ++physicsCounts.holderObjects;
        physicsCounts.order.push_back(Name);
    }
};
constexpr char kConfiguration[] = "configuration", kDispatcher[] = "dispatcher", kBroadphase[] = "broadphase",
               kSolver[] = "solver";
struct CountedWorld : btDiscreteDynamicsWorld {
    using btDiscreteDynamicsWorld::btDiscreteDynamicsWorld;
    ~CountedWorld() override {
        ++physicsCounts.holderObjects;
        if (getNumCollisionObjects() != 0 || getNumConstraints() != 0) ++physicsCounts.worldNotEmpty;
        physicsCounts.order.push_back("world");
    }
};

inline void FillMeshes(ModelBase* base, int meshCount) {
    size_t dataBytes = 0;
    for (int i = 0; i < meshCount; ++i) dataBytes += size_t(i + 3) * 16 + 3 * sizeof(uint16_t);
    auto* block = static_cast<uint8_t*>(Block(sizeof(ModelMesh) * size_t(meshCount) + dataBytes));
    base->meshes = reinterpret_cast<ModelMesh*>(block);
    uint8_t* data = block + sizeof(ModelMesh) * size_t(meshCount);
    for (int i = 0; i < meshCount; ++i) {
        ModelMesh& mesh = base->meshes[i];
        mesh.vertexCount = i + 3;
        mesh.vertexStride = 16;
        mesh.vertexFormat = D3DFVF_XYZ | D3DFVF_DIFFUSE;
        mesh.indexCount = 3;
        mesh.listKind = i % kModelListKinds;
        mesh.listSet = i % kModelListSets;
        mesh.listSlot = i % kModelListSlots;
        for (int b = 0; b < mesh.vertexCount * 16; ++b) data[b] = uint8_t(i + b);
        mesh.vertexData = data;
        data += mesh.vertexCount * 16;
        const uint16_t indices[3] = {0, 1, 2};
        std::memcpy(data, indices, sizeof indices);
        mesh.indexData = reinterpret_cast<const uint16_t*>(data);
        data += sizeof indices;
    }
}

inline void FreeAndClear(void*& block) {
    TrackedFree(block);
    block = nullptr;
}

inline ModelMaterial* Materials(int count) {
    auto* materials = static_cast<ModelMaterial*>(Block(sizeof(ModelMaterial) * size_t(count)));
    for (int i = 0; i < count; ++i) {
        materials[i].graphic = -1;
        materials[i].imageBlock = Block(64);
    }
    return materials;
}

}  // namespace detail

using namespace detail;

// A base with meshCount meshes (mesh i: i + 3 vertices of 16 bytes with bytes i, i+1, ..., and 3
// indices), materialCount materials and frameCount frames; -1 on failure. An instance of a base is
// linked at the end of its list, with two work entries and every work block. The physics: a world
// holding bodyCount bodies (the first motionStates with a motion state) joined by constraintCount
// constraints, plus the ground shape; withWorld 0 leaves the world out, the bodies and constraints
// then in no world.

inline ModelBase* BaseOf(int handle) {
    return static_cast<ModelBase*>(GetTypedHandleData(handle, kHandleTypeModelBase));
}
inline ModelInstance* InstanceOf(int handle) {
    return static_cast<ModelInstance*>(GetTypedHandleData(handle, kHandleTypeModel));
}

inline int AddTestBase(int meshCount, int materialCount, int frameCount, int referenceCount,
                       int rigidBodies) {
    const int handle = AddHandle(kHandleTypeModelBase, -1);
    ModelBase* base = BaseOf(handle);
    if (base == nullptr) return -1;
    base->referenceCount = referenceCount;
    base->meshCount = meshCount;
    FillMeshes(base, meshCount);
    base->materialCount = materialCount;
    base->materials = Materials(materialCount);
    base->frameCount = frameCount;
    base->frames = Block(32);
    base->lists = Block(32);
    base->hasRigidBodies = rigidBodies;
    return handle;
}

inline int AddTestInstance(int baseHandle) {
    ModelBase* base = BaseOf(baseHandle);
    const int handle = AddHandle(kHandleTypeModel, -1);
    ModelInstance* instance = InstanceOf(handle);
    if (base == nullptr || instance == nullptr) return -1;
    instance->base = base;
    instance->previous = base->lastInstance;
    (base->lastInstance ? base->lastInstance->next : base->firstInstance) = instance;
    base->lastInstance = instance;
    ++base->instanceCount;
    instance->attachedHandle = -1;
    instance->workBlock = Block(32);
    for (int i = 0; i < 2; ++i) {
        auto* entry = static_cast<ModelWorkEntry*>(Block(sizeof(ModelWorkEntry)));
        entry->next = instance->workEntries;
        instance->workEntries = entry;
        instance->wideBlocks[i] = Block(16);
    }
    instance->meshBuffers =
        static_cast<IDirect3DVertexBuffer9**>(Block(sizeof(void*) * size_t(base->meshCount + 1)));
    instance->frameBlocks = static_cast<void**>(Block(sizeof(void*) * size_t(2 * base->frameCount + 1)));
    instance->frameLists = static_cast<void**>(Block(sizeof(void*) * size_t(base->frameCount + 1)));
    for (int i = 0; i < base->frameCount; ++i) {
        instance->frameBlocks[2 * i] = Block(16);
        instance->frameBlocks[2 * i + 1] = Block(16);
        instance->frameLists[i] = Block(16);
    }
    instance->wideList = Block(16);
    instance->materials = Materials(base->materialCount);
    for (int i = 0; i < base->materialCount; ++i) {
        instance->materials[i].ownTexture = i % 2;  // a material without its own texture has no images
        if (!instance->materials[i].ownTexture) FreeAndClear(instance->materials[i].imageBlock);
    }
    return handle;
}

inline void AttachTestPhysics(int handle, int bodyCount, int motionStates, int constraintCount,
                              int withWorld) {
    ModelInstance* instance = InstanceOf(handle);
    auto* physics = static_cast<ModelPhysics*>(Block(sizeof(ModelPhysics)));
    instance->physics = physics;
    ModelPhysicsHolder& h = physics->holder;
    auto* configuration = new CountedHolderObject<btDefaultCollisionConfiguration, kConfiguration>();
    h.configuration = configuration;
    h.dispatcher = new CountedHolderObject<btCollisionDispatcher, kDispatcher>(configuration);
    h.broadphase = new CountedHolderObject<btDbvtBroadphase, kBroadphase>();
    h.solver = new CountedHolderObject<btSequentialImpulseConstraintSolver, kSolver>();
    if (withWorld) h.world = new CountedWorld(h.dispatcher, h.broadphase, h.solver, h.configuration);
    h.groundShape = new CountedShape();

    physics->bodyCount = bodyCount;
    physics->bodies =
        static_cast<ModelRigidBodyEntry*>(Block(sizeof(ModelRigidBodyEntry) * size_t(bodyCount)));
    for (int i = 0; i < bodyCount; ++i) {
        auto* shape = new CountedShape();
        btMotionState* state = i < motionStates ? new CountedMotionState() : nullptr;
        auto* body = new CountedBody(1.0f, state, shape, btVector3(0, 0, 0));
        physics->bodies[i] = {body, shape};
        if (withWorld) h.world->addRigidBody(body);
    }
    physics->jointCount = constraintCount;
    physics->joints = static_cast<ModelJointEntry*>(Block(sizeof(ModelJointEntry) * size_t(constraintCount)));
    for (int i = 0; i < constraintCount; ++i) {
        auto* constraint = new CountedConstraint(*physics->bodies[i].body, *physics->bodies[i + 1].body,
                                                 btVector3(0, 1, 0), btVector3(0, -1, 0));
        physics->joints[i].constraint = constraint;
        if (withWorld) h.world->addConstraint(constraint);
    }
}

}  // namespace model_test
