#include <gtest/gtest.h>

#include <cstring>

#include "engine/graphics/target/frame_flip.h"
#include "tests/graphics/target/target_test_support.h"

namespace graphics_test {
namespace {

using FogSettingsTest = TargetFixture;

uint32_t Bits(float value) {
    uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

TEST_F(FogSettingsTest, SettingsAreStoredAndReachTheDeviceInDirect3DMode) {
    SetDrawFogMode(3);
    SetDrawFogColour(0x110, 0x20, 0x30);
    SetDrawFogRange(0.0f, 1500.0f);
    EXPECT_EQ(drawSettings.fogMode, 3);
    EXPECT_EQ(drawSettings.fogColour, 0xFF102030u);
    EXPECT_EQ(drawSettings.fogEnd, 1500.0f);
    EXPECT_EQ(renderStateCache.renderKnown[D3DRS_FOGVERTEXMODE], 0);  // software mode: no device state
    MakeDevice(400, 300);
    // The same values again still reach a device that does not have them yet.
    SetDrawFogMode(3);
    SetDrawFogColour(0x10, 0x20, 0x30);
    SetDrawFogRange(0.0f, 1500.0f);
    EXPECT_EQ(renderStateCache.render[D3DRS_FOGVERTEXMODE], 3u);
    EXPECT_EQ(renderStateCache.render[D3DRS_FOGCOLOR] & 0xFFFFFF, 0x102030u);
    EXPECT_EQ(renderStateCache.render[D3DRS_FOGEND], Bits(1500.0f));
    SetDrawFogRange(10.0f, 20.0f);
    EXPECT_EQ(drawSettings.fogStart, 10.0f);
    EXPECT_EQ(renderStateCache.render[D3DRS_FOGSTART], Bits(10.0f));
}

}  // namespace
}  // namespace graphics_test
