// The records behind the two model handle types: a base (type 13: meshes, materials, device buffers,
// shared by its instances) and an instance (type 14: one placed copy with its own work blocks, vertex
// buffers, optional own material textures and physics world). No loader fills them in this library;
// the release, rebuild and restore steps work on whatever a loader put there.
#pragma once

#include <cstdint>

#include "engine/core/memory/handle_manager.h"
#include "platform/d3d9/d3d9.h"

class btCollisionConfiguration;
class btDispatcher;
class btBroadphaseInterface;
class btConstraintSolver;
class btDiscreteDynamicsWorld;
class btCollisionShape;
class btRigidBody;
class btTypedConstraint;

inline constexpr int kModelHandleLimit = 32768;
inline constexpr int kModelListKinds = 3;
inline constexpr int kModelListSets = 2;
inline constexpr int kModelListSlots = 9;

struct ModelMaterial {
    char colourFile[260];  // empty: none
    char alphaFile[260];
    int32_t normalMap;
    float normalScale;
    int32_t flip;
    int32_t ownTexture;  // instance materials: 1 when the instance has a texture of its own
    int32_t graphic;     // -1: none
    void* imageBlock;    // the material's image data (tracked block), freed with the material
};

// One mesh of a base: its model data and the device buffers made from it.
struct ModelMesh {
    int32_t vertexCount;
    int32_t vertexStride;
    uint32_t vertexFormat;  // FVF code
    int32_t indexCount;
    int32_t listKind, listSet, listSlot;  // the buffer list it is drawn from
    const uint8_t* vertexData;            // vertexCount x vertexStride bytes
    const uint16_t* indexData;            // indexCount indices
    IDirect3DVertexBuffer9* vertexBuffer;
    IDirect3DIndexBuffer9* indexBuffer;
};

struct ModelBufferEntry {
    IDirect3DVertexBuffer9* vertexBuffer;
    IDirect3DIndexBuffer9* indexBuffer;
    ModelBufferEntry* next;
};

struct ModelInstance;

struct ModelBase {
    HandleHeader header;
    int32_t referenceCount;
    int32_t instanceCount;
    ModelInstance* firstInstance;
    ModelInstance* lastInstance;
    int32_t materialCount;
    ModelMaterial* materials;
    int32_t meshCount;
    ModelMesh* meshes;
    int32_t frameCount;
    void* frames;
    void* lists;
    ModelBufferEntry* bufferLists[kModelListKinds][kModelListSets][kModelListSlots];
    int32_t hasRigidBodies;
};

struct ModelWorkEntry {
    ModelWorkEntry* next;
};

struct ModelRigidBodyEntry {
    btRigidBody* body;
    btCollisionShape* companion;  // the body's shape
};

struct ModelJointEntry {
    btTypedConstraint* constraint;
};

// The world and the objects it runs on, deleted last to first.
struct ModelPhysicsHolder {
    btCollisionConfiguration* configuration;
    btDispatcher* dispatcher;
    btBroadphaseInterface* broadphase;
    btConstraintSolver* solver;
    btDiscreteDynamicsWorld* world;
    btCollisionShape* groundShape;
};

struct ModelPhysics {
    int32_t bodyCount;
    ModelRigidBodyEntry* bodies;
    int32_t jointCount;
    ModelJointEntry* joints;
    ModelPhysicsHolder holder;
};

struct ModelInstance {
    HandleHeader header;
    ModelBase* base;
    ModelInstance* previous;
    ModelInstance* next;
    void* workBlock;
    ModelWorkEntry* workEntries;
    IDirect3DVertexBuffer9** meshBuffers;  // one per mesh of the base
    void* wideBlocks[2];
    void** frameBlocks;  // two per frame of the base
    void* wideList;
    void** frameLists;         // one per frame
    ModelMaterial* materials;  // one per material of the base
    ModelPhysics* physics;
    int32_t attachedHandle;  // -1: none
};
