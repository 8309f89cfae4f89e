#include "engine/graphics/scene3d/camera.h"

#include <cmath>

#include "engine/graphics/draw/transforms.h"

CameraSettings cameraSettings;

namespace {

constexpr float kHalfPi = 1.5707964f;
constexpr float kVerticalLimit = 0.00000001f;
constexpr float kDegenerate = 1e-12f;  // squared length below which a direction has no meaning

struct KeptCamera {
    CameraSettings camera;
    TransformState transforms;
};
KeptCamera keptCamera;

void DeriveAngles(CameraSettings& c) {
    const Matrix4& v = c.view;
    const Vector3 forward{v.m[0][2], v.m[1][2], v.m[2][2]};
    const Vector3 right{v.m[0][0], v.m[1][0], v.m[2][0]};
    const Vector3 up{v.m[0][1], v.m[1][1], v.m[2][1]};
    if (std::fabs(forward.x) < kVerticalLimit && std::fabs(forward.z) < kVerticalLimit) {
        const float pitchSine = forward.y > 0.0f ? -1.0f : 1.0f;
        c.angleY = 0.0f;
        c.angleX = pitchSine * kHalfPi;
        c.angleZ = std::atan2(pitchSine * right.z, right.x);
        return;
    }
    c.angleY = std::atan2(forward.x, forward.z);
    c.angleX = std::atan2(-forward.y, std::sqrt(forward.x * forward.x + forward.z * forward.z));
    c.angleZ = std::atan2(right.y, up.y);
}

// Needs the target's viewport: before the first target selection there is none to map back to.
void ApplyScreenTransform() {
    CameraSettings& c = cameraSettings;
    if (c.targetWidth <= 0.0f || c.targetHeight <= 0.0f) return;
    Matrix4 centre, screen;
    MakeViewportMatrix(&centre, c.centerX, c.centerY, c.targetWidth * c.screenScale,
                       c.targetHeight * c.screenScale);
    MultiplyMatrix(&screen, &centre, &c.targetViewportInverse);  // clip -> pixels -> the target's clip
    SetSecondMatrix(&screen.m[0][0]);
}

int ApplyProjection() {
    CameraSettings& c = cameraSettings;
    const float aspect = c.projectionKind == kProjectionMatrix || c.targetWidth <= 0.0f
                             ? 1.0f
                             : c.targetHeight / c.targetWidth * c.aspectScale;
    if (c.projectionKind == kProjectionPerspective)
        MakePerspectiveMatrix(&c.projection, c.fieldOfView, c.nearZ, c.farZ, aspect);
    else if (c.projectionKind == kProjectionOrthographic)
        MakeOrthoMatrix(&c.projection, c.orthoSize, c.nearZ, c.farZ, aspect);
    SetProjectionMatrix(&c.projection.m[0][0]);
    return 0;
}

}  // namespace

int SetCameraPositionAndTarget(float eyeX, float eyeY, float eyeZ, float targetX, float targetY,
                               float targetZ, float upX, float upY, float upZ) {
    const Vector3 eye{eyeX, eyeY, eyeZ}, target{targetX, targetY, targetZ}, callerUp{upX, upY, upZ};
    Vector3 direction, side, up;
    SubtractVector(&direction, &target, &eye);
    CrossVector(&side, &direction, &callerUp);
    CrossVector(&up, &side, &direction);
    if (DotVector(&direction, &direction) < kDegenerate || DotVector(&up, &up) < kDegenerate) return -1;
    NormalizeVector(&up, &up);
    CameraSettings& c = cameraSettings;
    c.eye = eye;
    c.target = target;
    c.up = up;
    MakeLookAtMatrix(&c.view, &eye, &target, &up);
    SetViewMatrix(&c.view.m[0][0]);
    DeriveAngles(c);
    return 0;
}

int SetCameraScreenCenter(float x, float y) {
    cameraSettings.centerX = x;
    cameraSettings.centerY = y;
    ApplyScreenTransform();
    return 0;
}

int SetCameraNearFar(float nearZ, float farZ) {
    cameraSettings.nearZ = nearZ;
    cameraSettings.farZ = farZ;
    return ApplyProjection();
}

int SetupCameraPerspective(float fieldOfView) {
    cameraSettings.projectionKind = kProjectionPerspective;
    cameraSettings.fieldOfView = fieldOfView;
    return ApplyProjection();
}

int SetCameraProjectionMatrix(const float* matrix) {
    if (matrix == nullptr) return -1;
    cameraSettings.projectionKind = kProjectionMatrix;
    for (int i = 0; i < 16; ++i) cameraSettings.projection.m[i / 4][i % 4] = matrix[i];
    return ApplyProjection();
}

int SetCameraDotAspect(float aspectScale) {
    cameraSettings.aspectScale = aspectScale;
    return ApplyProjection();
}

int ResetCameraForDrawTarget(int width, int height) {
    CameraSettings& c = cameraSettings;
    const float w = float(width), h = float(height);
    c.screenScale = 1.0f;
    c.targetWidth = w;
    c.targetHeight = h;
    Matrix4 identity;
    SetIdentityMatrix(&identity);
    SetWorldMatrix(&identity.m[0][0]);
    MakeViewportMatrix(&c.targetViewport, w / 2, h / 2, w, h);
    InvertMatrix(&c.targetViewportInverse, &c.targetViewport);
    SetCameraScreenCenter(w / 2, h / 2);
    const float distance = float(height / 2) / 0.57735026f;
    SetCameraPositionAndTarget(w / 2, h / 2, -distance, w / 2, h / 2, -distance + 1.0f, 0.0f, 1.0f, 0.0f);
    c.nearZ = distance * 0.1f;
    c.farZ = distance + 20000.0f;
    return SetupCameraPerspective(1.0471976f);
}

void ResetProjectionDefaults() {
    CameraSettings& c = cameraSettings;
    c.projectionKind = kProjectionPerspective;
    c.nearZ = 10.0f;
    c.farZ = 10000.0f;
    c.aspectScale = 1.0f;
    c.fieldOfView = 1.0471976f;
    c.orthoSize = 1.0f;
    SetIdentityMatrix(&c.projection);
    c.screenScale = 1.0f;
}

void KeepCameraForRestart() {
    keptCamera = {cameraSettings, transformState};
}

int RestoreKeptCamera() {
    cameraSettings = keptCamera.camera;
    TransformState& t = keptCamera.transforms;
    SetWorldMatrix(&t.world.m[0][0]);
    SetViewMatrix(&t.view.m[0][0]);
    SetSecondMatrix(&t.second.m[0][0]);
    return SetProjectionMatrix(&t.projection.m[0][0]);
}
