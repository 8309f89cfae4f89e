#include "engine/graphics/scene3d/camera.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "engine/graphics/draw/transforms.h"
#include "tests/graphics/draw/draw_test_support.h"

namespace {

using graphics_test::ResetDrawModules;

std::map<std::string, std::vector<double>> LoadOracles() {
    std::map<std::string, std::vector<double>> oracles;
    std::ifstream in(std::string(KORVALUND_TEST_DIR) + "/scene3d/oracles/camera_matrices.txt");
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream words(line);
        std::string name;
        words >> name;
        double v;
        while (words >> v) oracles[name].push_back(v);
    }
    return oracles;
}

// Relative to the entry; the translation row relative to translationScale (the size of the eye
// position whose products it sums).
void ExpectMatrix(const Matrix4& actual, const std::vector<double>& expected, const std::string& name,
                  double translationScale = 1.0) {
    ASSERT_EQ(expected.size(), 16u) << name;
    for (int i = 0; i < 16; ++i) {
        const double scale = std::max({1.0, std::fabs(expected[i]), i >= 12 ? translationScale : 0.0});
        EXPECT_NEAR(actual.m[i / 4][i % 4], expected[i], 1e-6 * scale) << name << " entry " << i;
    }
}

class CameraTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetDrawModules();
        ResetProjectionDefaults();
        ResetCameraForDrawTarget(400, 300);
    }
    void TearDown() override { ResetDrawModules(); }
    std::map<std::string, std::vector<double>> oracles = LoadOracles();
};

TEST_F(CameraTest, LookAtEqualsTheLeftHandedFormulaAndStoresAnOrthogonalUnitUp) {
    struct Case {
        const char* name;
        float eye[3], target[3], up[3];
    };
    const Case cases[] = {{"look_at_a", {1, 2, -5}, {0.5f, 1, 3}, {0, 1, 0}},
                          {"look_at_b", {100, 50, -300}, {0, 0, 0}, {0.2f, 1, 0.1f}}};
    for (const Case& c : cases) {
        ASSERT_EQ(SetCameraPositionAndTarget(c.eye[0], c.eye[1], c.eye[2], c.target[0], c.target[1],
                                             c.target[2], c.up[0], c.up[1], c.up[2]),
                  0);
        const double eyeSize = std::hypot(c.eye[0], c.eye[1], c.eye[2]);
        ExpectMatrix(cameraSettings.view, oracles[c.name], c.name, eyeSize);
        ExpectMatrix(transformState.view, oracles[c.name], c.name, eyeSize);
        const Vector3 up = cameraSettings.up;
        const std::vector<double>& expectedUp = oracles[std::string(c.name) + "_up"];
        EXPECT_NEAR(up.x, expectedUp[0], 1e-6);
        EXPECT_NEAR(up.y, expectedUp[1], 1e-6);
        EXPECT_NEAR(up.z, expectedUp[2], 1e-6);
        const Vector3 d{c.target[0] - c.eye[0], c.target[1] - c.eye[1], c.target[2] - c.eye[2]};
        EXPECT_NEAR(up.x * d.x + up.y * d.y + up.z * d.z, 0.0, 1e-4);
    }
}

TEST_F(CameraTest, AnglesRebuildTheForwardAxisAndAVerticalViewTakesTheSpecialAngles) {
    ASSERT_EQ(SetCameraPositionAndTarget(1, 2, -5, 4, -1, 3, 0, 1, 0), 0);
    const CameraSettings& c = cameraSettings;
    const float forward[3] = {std::sin(c.angleY) * std::cos(c.angleX), -std::sin(c.angleX),
                              std::cos(c.angleY) * std::cos(c.angleX)};
    for (int i = 0; i < 3; ++i) EXPECT_NEAR(forward[i], c.view.m[i][2], 1e-6);
    EXPECT_NEAR(c.angleZ, 0.0f, 1e-6);

    struct Case {
        float targetY;
        float angleX;
    };
    for (const Case& v : {Case{10.0f, -1.5707964f}, Case{-10.0f, 1.5707964f}}) {
        ASSERT_EQ(SetCameraPositionAndTarget(0, 0, 0, 0, v.targetY, 0, 0, 0, 1), 0);
        EXPECT_EQ(cameraSettings.angleY, 0.0f);
        EXPECT_FLOAT_EQ(cameraSettings.angleX, v.angleX);
        EXPECT_TRUE(std::isfinite(cameraSettings.angleZ));
    }
}

TEST_F(CameraTest, DegenerateCameraIsRefusedAndTheOldOneKept) {
    ASSERT_EQ(SetCameraPositionAndTarget(1, 2, -5, 0.5f, 1, 3, 0, 1, 0), 0);
    const Matrix4 before = cameraSettings.view;
    EXPECT_EQ(SetCameraPositionAndTarget(1, 1, 1, 1, 1, 1, 0, 1, 0), -1);  // eye on the target
    EXPECT_EQ(SetCameraPositionAndTarget(0, 0, 0, 0, 5, 0, 0, 1, 0), -1);  // up along the view
    EXPECT_EQ(std::memcmp(&before, &cameraSettings.view, sizeof before), 0);
    EXPECT_EQ(cameraSettings.eye.z, -5.0f);
}

TEST_F(CameraTest, ProjectionKindsFollowTheirSetters) {
    ASSERT_EQ(SetCameraNearFar(10.0f, 10000.0f), 0);
    ASSERT_EQ(SetupCameraPerspective(1.0471976f), 0);
    ExpectMatrix(transformState.projection, oracles["perspective_a"], "perspective_a");

    ASSERT_EQ(SetCameraNearFar(1.0f, 500.0f), 0);
    ASSERT_EQ(SetCameraDotAspect(2.0f), 0);
    ASSERT_EQ(SetupCameraPerspective(1.2f), 0);
    ExpectMatrix(transformState.projection, oracles["perspective_b"], "perspective_b");

    float caller[16] = {};
    for (int i = 0; i < 16; ++i) caller[i] = float(i + 1);
    ASSERT_EQ(SetCameraProjectionMatrix(caller), 0);
    ASSERT_EQ(SetCameraNearFar(3.0f, 30.0f), 0);  // the kind stays the caller's matrix
    EXPECT_EQ(cameraSettings.projectionKind, kProjectionMatrix);
    EXPECT_EQ(std::memcmp(caller, &transformState.projection, sizeof caller), 0);

    cameraSettings.projectionKind = kProjectionOrthographic;
    cameraSettings.orthoSize = 200.0f;
    ASSERT_EQ(SetCameraDotAspect(1.0f), 0);
    ASSERT_EQ(SetCameraNearFar(1.0f, 1000.0f), 0);
    ExpectMatrix(transformState.projection, oracles["ortho_a"], "ortho_a");
}

// The 2D camera shows the plane z = 0 one to one, world y up: (x, y, 0) lands on pixel (x, h - y).
// (An odd height is shown at h / (h - 1): the eye distance comes from the halved height rounded down.)
TEST_F(CameraTest, TwoDimensionalCameraMapsThePlaneOntoItsPixels) {
    struct Case {
        int width, height;
    };
    for (const Case& t : {Case{400, 300}, Case{640, 480}, Case{34, 18}}) {
        ResetCameraForDrawTarget(t.width, t.height);
        for (const Vector3 p :
             {Vector3{0, 0, 0}, Vector3{float(t.width), float(t.height), 0}, Vector3{12.5f, 7.25f, 0}}) {
            Matrix4 chain, pixels;
            MultiplyMatrix(&chain, &transformState.view, &transformState.projection);
            MultiplyMatrix(&chain, &chain, &transformState.second);
            MultiplyMatrix(&pixels, &chain, &cameraSettings.targetViewport);
            Vector3 out;
            float w = 0;
            const float one = 1.0f;
            TransformVector4(&out, &w, &p, &one, &pixels);
            EXPECT_NEAR(out.x / w, p.x, 1e-3) << t.width;
            EXPECT_NEAR(out.y / w, float(t.height) - p.y, 1e-3) << t.height;
        }
        EXPECT_FLOAT_EQ(cameraSettings.fieldOfView, 1.0471976f);
        EXPECT_FLOAT_EQ(cameraSettings.farZ - cameraSettings.nearZ * 10.0f, 20000.0f);
    }
}

TEST_F(CameraTest, ScreenCentreMovesTheImage) {
    SetCameraScreenCenter(210.0f, 140.0f);  // 10 right and 10 up of the middle of 400 x 300
    Matrix4 pixels;
    MultiplyMatrix(&pixels, &transformState.second, &cameraSettings.targetViewport);
    Vector3 centre{0, 0, 0}, out;
    TransformPoint(&out, &centre, &pixels);
    EXPECT_NEAR(out.x, 210.0f, 1e-3);
    EXPECT_NEAR(out.y, 140.0f, 1e-3);
}

TEST(CameraWithoutTarget, ScreenCentreWaitsForADrawTarget) {
    ResetDrawModules();
    cameraSettings = CameraSettings{};
    EXPECT_EQ(SetCameraScreenCenter(5.0f, 5.0f), 0);
    Matrix4 identity;
    SetIdentityMatrix(&identity);
    EXPECT_EQ(std::memcmp(&identity, &transformState.second, sizeof identity), 0);
    EXPECT_EQ(cameraSettings.centerX, 5.0f);
}

TEST_F(CameraTest, KeptCameraComesBackAfterARestart) {
    ASSERT_EQ(SetCameraPositionAndTarget(1, 2, -5, 0.5f, 1, 3, 0, 1, 0), 0);
    const TransformState before = transformState;
    KeepCameraForRestart();
    ResetTransforms();
    ResetCameraForDrawTarget(64, 64);
    ASSERT_EQ(RestoreKeptCamera(), 0);
    EXPECT_EQ(std::memcmp(&before.view, &transformState.view, sizeof(Matrix4)), 0);
    EXPECT_EQ(std::memcmp(&before.projection, &transformState.projection, sizeof(Matrix4)), 0);
    EXPECT_EQ(std::memcmp(&before.second, &transformState.second, sizeof(Matrix4)), 0);
    EXPECT_EQ(cameraSettings.targetWidth, 400.0f);
}

}  // namespace
