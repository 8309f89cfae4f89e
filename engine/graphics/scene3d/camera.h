// The 3D view of the drawing layer: the camera (eye, target, up) with its view matrix and angles, the
// projection (perspective, orthographic or the caller's matrix), and the screen centre. The setters hand
// their matrices to the transform setters.
#pragma once

#include <cstdint>

#include "engine/core/helpers/vector_math.h"

enum ProjectionKind : int32_t {
    kProjectionPerspective = 0,
    kProjectionOrthographic = 1,
    kProjectionMatrix = 2,
};

struct CameraSettings {
    Vector3 eye;
    Vector3 target;
    Vector3 up;  // unit and orthogonal to the view direction
    Matrix4 view;
    float angleX, angleY, angleZ;  // rotations about x, y and z, radians
    int32_t projectionKind;
    float nearZ, farZ;
    float aspectScale;
    float fieldOfView;
    float orthoSize;
    Matrix4 projection;
    float centerX, centerY;
    float screenScale;
    float targetWidth, targetHeight;  // size of the current draw target
    Matrix4 targetViewport;           // viewport of the whole draw target, and its inverse
    Matrix4 targetViewportInverse;
};

extern CameraSettings cameraSettings;

// -1 (camera kept) when eye and target meet or up is parallel to the view direction. Else 0.
int SetCameraPositionAndTarget(float eyeX, float eyeY, float eyeZ, float targetX, float targetY,
                               float targetZ, float upX, float upY, float upZ);
int SetCameraScreenCenter(float x, float y);
int SetCameraNearFar(float nearZ, float farZ);
int SetupCameraPerspective(float fieldOfView);
int SetCameraProjectionMatrix(const float* matrix);
int SetCameraDotAspect(float aspectScale);

// The 2D camera of a draw target of width x height: the screen centre in the middle and a 60-degree
// perspective whose eye is as far away as shows the target's height one to one. 0.
int ResetCameraForDrawTarget(int width, int height);
// The projection defaults of the draw-settings reset (matrices are not sent).
void ResetProjectionDefaults();

// A copy of the camera kept across a device restart, and its matrices set again afterwards.
void KeepCameraForRestart();
int RestoreKeptCamera();
