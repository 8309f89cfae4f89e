// The transforms of the fixed pipeline (world, view, projection and a second matrix the projection is
// combined with), their copies in the shader constant cache, and the state derived from the camera.
#pragma once

#include <cstdint>

#include "engine/core/helpers/vector_math.h"

struct TransformState {
    Matrix4 world;
    Matrix4 view;
    Matrix4 projection;
    Matrix4 second;
    Matrix4 drawArea;  // kept by the draw target and draw area; the identity until set
    int32_t worldSet;
    int32_t viewSet;
    int32_t projectionSet;
    int32_t secondSet;
};

// Products and rays that follow the camera; recomputed when a transform changes.
struct CameraDerivedState {
    int32_t valid;
    Matrix4 viewProjection;       // view x projection x second
    Matrix4 worldViewProjection;  // world x the product above
    Vector3 axisX, axisY, axisZ;  // the view's axes
    Vector3 cornerNear[4];        // draw-area corners (top left, top right, bottom left, bottom right)
    Vector3 cornerFar[4];         // on the near and far planes, in world space
};

extern TransformState transformState;
extern CameraDerivedState cameraDerivedState;

// Each takes 16 floats (row-major, as Direct3D matrices), flushes the batch, stores the matrix,
// recomputes the camera-derived state and, in Direct3D mode, applies it. 0.
int SetWorldMatrix(const float* matrix);
int SetViewMatrix(const float* matrix);
int SetProjectionMatrix(const float* matrix);
int SetSecondMatrix(const float* matrix);
int SetDrawAreaMatrix(const float* matrix);

int UpdateCameraMatrices();

// The light positions and directions in view space (sets 0 and 3) and the light colours and ambient
// term, from the render-state cache's lights and material.
void WriteLightPositionConstants();
void WriteLightColourConstants();

// Identity matrices, nothing set, the derived state invalid.
void ResetTransforms();
