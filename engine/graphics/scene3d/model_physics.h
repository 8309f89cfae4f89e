// Release of a model instance's physics objects.
#pragma once

#include "engine/graphics/scene3d/model_records.h"

// Constraints and bodies leave the world and are deleted (with their motion states), then the body
// shapes, then the holder's objects last to first; every pointer is cleared. 0, or -1 when the holder
// had no world (the constraints, bodies and shapes named by the entries and the holder's other objects are
// still deleted).
int ReleaseModelPhysics(ModelPhysics* physics);
