// The starting states graphics start gives the device.
#include "engine/graphics/draw/device_state_defaults.h"

#include "engine/graphics/device/device_wrappers.h"
#include "engine/graphics/device/graphics_init.h"
#include "engine/graphics/draw/draw_settings.h"
#include "engine/graphics/draw/render_state_cache.h"
#include "engine/graphics/draw/scene_latch.h"
#include "tests/graphics/device/device_fixture.h"

namespace {

class DeviceStateDefaultsTest : public DeviceTest {
  protected:
    void TearDown() override {
        ShutdownGraphics();
        DeviceTest::TearDown();
    }
    static DWORD RenderState(D3DRENDERSTATETYPE state) {
        DWORD value = 0xDEADBEEF;
        EXPECT_EQ(direct3DSystem.device->GetRenderState(state, &value), D3D_OK);
        return value;
    }
    static DWORD SamplerState(int sampler, D3DSAMPLERSTATETYPE type) {
        DWORD value = 0xDEADBEEF;
        EXPECT_EQ(direct3DSystem.device->GetSamplerState(DWORD(sampler), type, &value), D3D_OK);
        return value;
    }
};

}  // namespace

// The fog mode and specular switch are set again by the draw-settings reset and preparation that follow.
TEST_F(DeviceStateDefaultsTest, GraphicsStartGivesTheDeviceItsStartingStates) {
    drawSettings.addressU[5] = D3DTADDRESS_WRAP;  // a sampler the user set stays as set
    ASSERT_EQ(InitGraphicsSystem(), 0);
    ASSERT_EQ(Direct3DMode, 1);
    struct Case {
        D3DRENDERSTATETYPE state;
        DWORD value;
    };
    for (Case c : {Case{D3DRS_SHADEMODE, D3DSHADE_FLAT}, Case{D3DRS_DITHERENABLE, 0},
                   Case{D3DRS_CULLMODE, D3DCULL_NONE}, Case{D3DRS_NORMALIZENORMALS, 1},
                   Case{D3DRS_FOGENABLE, 0}, Case{D3DRS_AMBIENTMATERIALSOURCE, D3DMCS_MATERIAL}})
        EXPECT_EQ(RenderState(c.state), c.value) << c.state;
    for (int s = 0; s < 8; ++s) {
        EXPECT_EQ(SamplerState(s, D3DSAMP_ADDRESSU), DWORD(s == 5 ? D3DTADDRESS_WRAP : D3DTADDRESS_CLAMP))
            << s;
        EXPECT_EQ(SamplerState(s, D3DSAMP_ADDRESSV), DWORD(D3DTADDRESS_CLAMP)) << s;
        EXPECT_EQ(SamplerState(s, D3DSAMP_ADDRESSW), DWORD(D3DTADDRESS_CLAMP)) << s;
    }
    EXPECT_EQ(SamplerState(0, D3DSAMP_MAGFILTER), DWORD(D3DTEXF_POINT));
    D3DVIEWPORT9 viewport{};
    ASSERT_EQ(DeviceGetViewport(&viewport), D3D_OK);
    EXPECT_EQ(renderStateCache.viewport.Width, viewport.Width);
    EXPECT_EQ(renderStateCache.viewport.Height, viewport.Height);
}

TEST_F(DeviceStateDefaultsTest, WithoutADeviceNothingHappens) {
    ResetDrawSettingsBlock();
    drawSettings.addressU[0] = 0;
    EXPECT_EQ(ReapplyDeviceStates(), 0);
    EXPECT_EQ(drawSettings.addressU[0], 0);
}
