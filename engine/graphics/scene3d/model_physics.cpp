#include "engine/graphics/scene3d/model_physics.h"

#include <btBulletDynamicsCommon.h>

namespace {

constexpr int kRigidBodyType = btCollisionObject::CO_RIGID_BODY;

template <class T>
void DeleteAndClear(T*& object) {
    delete object;
    object = nullptr;
}

void EmptyWorld(btDiscreteDynamicsWorld* world) {
    for (int i = world->getNumConstraints() - 1; i >= 0; --i) {
        btTypedConstraint* constraint = world->getConstraint(i);
        world->removeConstraint(constraint);
        delete constraint;
    }
    btCollisionObjectArray& objects = world->getCollisionObjectArray();
    for (int i = world->getNumCollisionObjects() - 1; i >= 0; --i) {
        btCollisionObject* object = objects[i];
        btRigidBody* body = btRigidBody::upcast(object);
        if (object->getInternalType() == kRigidBodyType && body != nullptr && body->getMotionState())
            delete body->getMotionState();
        world->removeCollisionObject(object);
        delete object;
    }
}

// Without a world nothing else owns the entries' constraints and bodies.
void DeleteLooseObjects(ModelPhysics* physics) {
    for (int i = 0; i < physics->jointCount; ++i) delete physics->joints[i].constraint;
    for (int i = 0; i < physics->bodyCount; ++i) {
        btRigidBody* body = physics->bodies[i].body;
        if (body == nullptr) continue;
        delete body->getMotionState();
        delete body;
    }
}

void DeleteHolder(ModelPhysicsHolder& holder) {
    DeleteAndClear(holder.groundShape);
    DeleteAndClear(holder.world);
    DeleteAndClear(holder.solver);
    DeleteAndClear(holder.broadphase);
    DeleteAndClear(holder.dispatcher);
    DeleteAndClear(holder.configuration);
}

}  // namespace

int ReleaseModelPhysics(ModelPhysics* physics) {
    ModelPhysicsHolder& holder = physics->holder;
    const int result = holder.world != nullptr ? 0 : -1;
    if (holder.world != nullptr)
        EmptyWorld(holder.world);
    else
        DeleteLooseObjects(physics);
    for (int i = 0; i < physics->bodyCount; ++i) {
        physics->bodies[i].body = nullptr;
        DeleteAndClear(physics->bodies[i].companion);
    }
    for (int i = 0; i < physics->jointCount; ++i) physics->joints[i].constraint = nullptr;
    DeleteHolder(holder);
    return result;
}
