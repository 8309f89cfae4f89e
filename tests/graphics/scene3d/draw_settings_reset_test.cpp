#include "engine/graphics/scene3d/draw_settings_reset.h"

#include <gtest/gtest.h>

#include "engine/graphics/device/graphics_init.h"
#include "engine/graphics/graphics.h"
#include "engine/graphics/graphics_services.h"
#include "engine/graphics/scene3d/camera.h"
#include "engine/graphics/scene3d/lights.h"
#include "tests/graphics/draw/draw_test_support.h"

namespace {

void RestoreNothing() {}

class DrawSettingsResetTest : public ::testing::Test {
  protected:
    // The reset runs inside graphics init, once the started flag is set.
    void SetUp() override {
        graphics_test::ResetDrawModules();
        graphicsStarted = 1;
    }
    void TearDown() override {
        graphicsStarted = 0;
        lightTable.defaultLight = -1;
        DeleteAllLights();
        SetRestoreCallback(nullptr);
        SetWaitVerticalSync(1);
        graphics_test::ResetDrawModules();
    }
};

TEST_F(DrawSettingsResetTest, SetsTheDefaultsAndKeepsTheLightingBlock) {
    drawSettings.blendMode = 3;
    drawSettings.secondBlendMode = 5;
    drawSettings.bright = 0x102030;
    drawSettings.noLighting = 1;
    cameraSettings.fieldOfView = 0.5f;
    SetRestoreCallback(RestoreNothing);
    SetWaitVerticalSync(0);

    ASSERT_EQ(ResetDrawSettings(), 0);
    EXPECT_EQ(drawSettings.blendMode, 0);
    EXPECT_EQ(drawSettings.secondBlendMode, -1);
    EXPECT_EQ(drawSettings.bright, 0xFFFFFFu);
    EXPECT_EQ(drawSettings.noLighting, 1);
    EXPECT_EQ(GetDrawTargetHandle(), kDrawTargetFrontScreen);
    EXPECT_EQ(GetTextureFilterMode(), 0);
    EXPECT_FLOAT_EQ(drawSettings.material.Diffuse.r, 0.8f);
    EXPECT_FLOAT_EQ(drawSettings.material.Diffuse.a, 1.0f);
    EXPECT_FLOAT_EQ(drawSettings.material.Specular.a, 0.0f);
    EXPECT_FLOAT_EQ(drawSettings.material.Power, 20.0f);
    EXPECT_EQ(drawSettings.materialChanged, 1);
    EXPECT_EQ(cameraSettings.projectionKind, kProjectionPerspective);
    EXPECT_FLOAT_EQ(cameraSettings.fieldOfView, 1.0471976f);
    EXPECT_FLOAT_EQ(cameraSettings.nearZ, 10.0f);
    EXPECT_FLOAT_EQ(cameraSettings.farZ, 10000.0f);
    EXPECT_EQ(HasRestoreCallback(), 1);
    EXPECT_EQ(IsWaitVerticalSync(), 0);
}

TEST_F(DrawSettingsResetTest, TwoResetsLeaveOneDefaultLight) {
    ASSERT_EQ(ResetDrawSettings(), 0);
    ASSERT_EQ(ResetDrawSettings(), 0);
    EXPECT_EQ(lightTable.count, 1);
    const LightRecord* light = FindLight(lightTable.defaultLight);
    ASSERT_NE(light, nullptr);
    EXPECT_EQ(light->light.Type, D3DLIGHT_DIRECTIONAL);
    EXPECT_FLOAT_EQ(light->light.Direction.y, -0.57735026f);
}

class DrawSettingsResetDeviceTest : public graphics_test::DrawFixture {
  protected:
    void TearDown() override {
        lightTable.defaultLight = -1;
        DeleteAllLights();
        DrawFixture::TearDown();
    }
};

TEST_F(DrawSettingsResetDeviceTest, LitDrawAfterTheResetSendsTheDefaultLightAndMaterial) {
    MakeDevice(64, 64);
    ASSERT_EQ(ResetDrawSettings(), 0);
    PrepareDrawStates(0, kDrawLit);
    D3DLIGHT9 light{};
    ASSERT_EQ(Device()->GetLight(0, &light), D3D_OK);
    EXPECT_EQ(light.Type, D3DLIGHT_DIRECTIONAL);
    EXPECT_FLOAT_EQ(light.Direction.x, 0.57735026f);
    EXPECT_FLOAT_EQ(light.Direction.y, -0.57735026f);
    EXPECT_FLOAT_EQ(light.Direction.z, 0.57735026f);
    D3DMATERIAL9 material{};
    ASSERT_EQ(Device()->GetMaterial(&material), D3D_OK);
    EXPECT_FLOAT_EQ(material.Power, 20.0f);
    EXPECT_EQ(drawSettings.materialChanged, 0);
}

}  // namespace
