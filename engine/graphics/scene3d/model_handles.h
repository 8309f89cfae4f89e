// The two model handle types (13 base, 14 instance): their registration at library init, their delete
// callbacks, their end at library end, and the sine table and default texture handles that come with
// them. Only Direct3D mode registers them.
#pragma once

#include "engine/graphics/scene3d/model_records.h"

inline constexpr int kModelSineTableSize = 65536;

enum ModelDefaultTexture : int {
    kModelTextureWhite = 0,
    kModelTextureFourStepRamp = 1,
    kModelTextureSmoothRamp = 2,
    kModelDefaultTextureCount = 3,
};

struct ModelTypeState {
    int registered;
    int defaultTextures[kModelDefaultTextureCount];  // graphic handles, -1 until made
};

extern ModelTypeState modelTypeState;
extern float modelSineTable[kModelSineTableSize];

// Library init and end (declared with the graphics services). Both 0.
int RegisterModelHandleTypes();
int EndModelHandleTypes();

// Delete callbacks: a base goes when its reference count reaches 0 (1, refused, before that).
int ReleaseModelBase(HandleHeader* data);
int ReleaseModelInstance(HandleHeader* data);
