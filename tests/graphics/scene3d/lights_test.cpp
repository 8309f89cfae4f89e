#include "engine/graphics/scene3d/lights.h"

#include <gtest/gtest.h>

#include <cmath>

#include "engine/core/memory/tracked_allocator.h"
#include "tests/graphics/draw/draw_test_support.h"

namespace {

void DeleteEveryLight() {
    lightTable.defaultLight = -1;
    DeleteAllLights();
    lightTable.nextCheck = 0;
}

class LightsTest : public graphics_test::DrawFixture {
  protected:
    void SetUp() override {
        DrawFixture::SetUp();
        DeleteEveryLight();
    }
    void TearDown() override {
        DeleteEveryLight();
        DrawFixture::TearDown();
    }
};

int CheckOf(int handle) {
    return (handle >> 16) & 0x3FF;
}

TEST_F(LightsTest, HandlesNameTypeElevenSlotsAndTheTableShrinksFromTheTop) {
    const int lights[3] = {CreateLight(), CreateLight(), CreateLight()};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(lights[i] & 0xFFFF, i);
        EXPECT_EQ((lights[i] >> 26) & 31, 11);
        EXPECT_EQ(CheckOf(lights[i]), i);
    }
    EXPECT_EQ(lightTable.end, 3);
    EXPECT_EQ(DeleteLight(lights[2]), 0);
    EXPECT_EQ(lightTable.end, 2);
    EXPECT_EQ(DeleteLight(lights[2]), -1);  // already gone
    EXPECT_EQ(DeleteLight(lights[0]), 0);
    EXPECT_EQ(lightTable.end, 2);  // slot 1 still used
    EXPECT_EQ(DeleteLight(lights[1]), 0);
    EXPECT_EQ(lightTable.end, 0);
    EXPECT_EQ(lightTable.count, 0);
}

TEST_F(LightsTest, InvalidHandlesAreRefused) {
    const int light = CreateLight();
    const int cases[] = {-1, (1 << 26) | (light & 0x03FFFFFF), light ^ (1 << 16), light | 0xFFFF, 0};
    for (int handle : cases) EXPECT_EQ(DeleteLight(handle), -1) << std::hex << handle;
    EXPECT_EQ(lightTable.count, 1);
}

TEST_F(LightsTest, CheckValuesWrapAfter1023LightsAndAFullTableRefuses) {
    for (int i = 0; i < 1023; ++i) {
        const int light = CreateLight();
        ASSERT_EQ(CheckOf(light), i);
        ASSERT_EQ(DeleteLight(light), 0);
    }
    EXPECT_EQ(CheckOf(CreateLight()), 0);

    while (lightTable.count < kLightSlotCount) ASSERT_GE(CreateLight(), 0);
    const uint32_t blocks = GetTrackedAllocCount();
    EXPECT_EQ(CreateLight(), -1);
    EXPECT_EQ(CreateDirectionalLight(1, 0, 0), -1);
    EXPECT_EQ(GetTrackedAllocCount(), blocks);
    // A freed slot below the top is found again.
    const int middle = lightTable.slots[100]->handle;
    ASSERT_EQ(DeleteLight(middle), 0);
    EXPECT_EQ(CreateLight() & 0xFFFF, 100);
}

TEST_F(LightsTest, DirectionalLightIsNormalisedAndAZeroDirectionRefused) {
    const int light = CreateDirectionalLight(3, 0, 4);
    const D3DLIGHT9& l = lightTable.slots[light & 0xFFFF]->light;
    EXPECT_EQ(l.Type, D3DLIGHT_DIRECTIONAL);
    EXPECT_FLOAT_EQ(l.Direction.x, 0.6f);
    EXPECT_FLOAT_EQ(l.Direction.y, 0.0f);
    EXPECT_FLOAT_EQ(l.Direction.z, 0.8f);
    EXPECT_FLOAT_EQ(l.Range, 2000.0f);
    EXPECT_FLOAT_EQ(l.Ambient.r, 0.33f);
    EXPECT_FLOAT_EQ(l.Attenuation0, 0.1f);
    EXPECT_EQ(lightTable.slots[light & 0xFFFF]->reserved, -1);
    EXPECT_EQ(CreateDirectionalLight(0, 0, 0), -1);
    EXPECT_EQ(lightTable.count, 1);
}

TEST_F(LightsTest, DeleteAllSparesTheDefaultLight) {
    lightTable.defaultLight = CreateDirectionalLight(1, -1, 1);
    CreateLight();
    CreateLight();
    EXPECT_EQ(DeleteAllLights(), 0);
    EXPECT_EQ(lightTable.count, 1);
    EXPECT_NE(FindLight(lightTable.defaultLight), nullptr);
}

TEST_F(LightsTest, LitDrawWritesTheLightTableIntoTheDevice) {
    MakeDevice(64, 64);
    const int light = CreateDirectionalLight(1, -1, 1);
    CreateLight();  // type 0 is no device light: skipped
    SetUseLighting(1);
    EXPECT_EQ(drawSettings.lightTableRefresh, 1);
    PrepareDrawStates(0, kDrawLit);
    EXPECT_EQ(drawSettings.lightTableRefresh, 0);
    D3DLIGHT9 device{};
    ASSERT_EQ(Device()->GetLight(0, &device), D3D_OK);
    EXPECT_EQ(device.Type, D3DLIGHT_DIRECTIONAL);
    EXPECT_FLOAT_EQ(device.Direction.x, float(1 / std::sqrt(3.0)));
    EXPECT_EQ(renderStateCache.highestEnabledLight, 0);
    EXPECT_EQ(renderStateCache.render[D3DRS_LIGHTING], 1u);

    ASSERT_EQ(DeleteLight(light), 0);
    PrepareDrawStates(0, kDrawLit);
    EXPECT_EQ(renderStateCache.highestEnabledLight, -1);

    SetUseLighting(0);
    EXPECT_EQ(drawSettings.noLighting, 1);
    EXPECT_EQ(renderStateCache.render[D3DRS_LIGHTING], 0u);
}

}  // namespace
