// The cached draw states reach a device made again after a loss, and the draw area is re-sent in force
// mode although the cache already holds it.
#include <bit>
#include <utility>
#include <vector>

#include "engine/graphics/device/direct3d_system.h"
#include "engine/graphics/draw/draw_settings_reapply.h"
#include "engine/graphics/draw/render_state_cache.h"
#include "engine/graphics/graphics_services.h"
#include "platform/d3d9/d3d9_control.h"
#include "tests/graphics/loss/loss_fixture.h"

namespace {

class DrawSettingsReapplyTest : public LossTest {
  protected:
    static DWORD DeviceRenderState(D3DRENDERSTATETYPE state) {
        DWORD value = 0xDEADBEEF;
        direct3DSystem.device->GetRenderState(state, &value);
        return value;
    }
};

TEST_F(DrawSettingsReapplyTest, CachedStatesReachTheNewDevice) {
    StartDevice(32, 0);
    SetFogEnable(1);
    SetFogColour(0x00336699);
    SetAmbientColour(0x00102030);
    SetLightingEnable(0);
    SetZEnable(1);
    SetTextureAddressU(2, D3DTADDRESS_MIRROR);
    D3D9SetDeviceLost(true);
    D3D9SetDeviceLost(false);
    ASSERT_EQ(RestartGraphicsKeepMode(), 0);
    ASSERT_NE(direct3DSystem.device, nullptr);
    const std::vector<std::pair<D3DRENDERSTATETYPE, DWORD>> expected{
        {D3DRS_FOGENABLE, 1}, {D3DRS_FOGCOLOR, 0x00336699}, {D3DRS_AMBIENT, 0x00102030},
        {D3DRS_LIGHTING, 0},  {D3DRS_ZENABLE, 1},           {D3DRS_DITHERENABLE, 0}};
    for (const auto& [state, value] : expected) EXPECT_EQ(DeviceRenderState(state), value) << int(state);
    DWORD address = 0;
    direct3DSystem.device->GetSamplerState(2, D3DSAMP_ADDRESSU, &address);
    EXPECT_EQ(address, DWORD(D3DTADDRESS_MIRROR));
    EXPECT_EQ(renderStateCache.force, 0);
}

// States the device lost behind the cache's back are written although the cache holds them.
TEST_F(DrawSettingsReapplyTest, UnchangedCachedStatesAreWrittenAgain) {
    StartDevice(32, 0);
    SetTextureCoordIndex(1, 1);
    SetFogDensity(0.25f);
    direct3DSystem.device->SetTextureStageState(1, D3DTSS_TEXCOORDINDEX, 0);
    direct3DSystem.device->SetRenderState(D3DRS_FOGDENSITY, 0);
    ASSERT_EQ(ReapplyDrawSettings(), 0);
    DWORD coordIndex = 0;
    direct3DSystem.device->GetTextureStageState(1, D3DTSS_TEXCOORDINDEX, &coordIndex);
    EXPECT_EQ(coordIndex, 1u);
    const float density = 0.25f;
    EXPECT_EQ(DeviceRenderState(D3DRS_FOGDENSITY), std::bit_cast<DWORD>(density));
    EXPECT_EQ(renderStateCache.force, 0);
}

TEST_F(DrawSettingsReapplyTest, DrawAreaIsResentInForceMode) {
    StartDevice(32, 0);
    ASSERT_EQ(SetClipRect(10, 20, 110, 220), 0);
    // The device forgets the scissor behind the cache's back; an ordinary re-apply would skip it.
    const RECT other{0, 0, 5, 5};
    direct3DSystem.device->SetScissorRect(&other);
    ASSERT_EQ(ResetDrawAreaForced(), 0);
    RECT scissor{};
    direct3DSystem.device->GetScissorRect(&scissor);
    EXPECT_EQ(scissor.left, 10);
    EXPECT_EQ(scissor.top, 20);
    EXPECT_EQ(scissor.right, 110);
    EXPECT_EQ(scissor.bottom, 220);
    EXPECT_EQ(renderStateCache.force, 0);
}

TEST_F(DrawSettingsReapplyTest, NoDeviceIsRefused) {
    EXPECT_EQ(ReapplyDrawSettings(), -1);
    EXPECT_EQ(ResetDrawAreaForced(), -1);
}

}  // namespace
