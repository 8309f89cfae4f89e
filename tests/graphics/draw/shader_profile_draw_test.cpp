// Drawing on a device with shaders, started as the game starts it: a user pixel shader through the
// library's calls (made from code, its constant, bound, dropped by a change of draw target, deleted,
// made again after a device restart) and the brightness volume texture the start makes.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>

#include "engine/graphics/device/brightness_volume_texture.h"
#include "engine/graphics/device/builtin_shaders.h"
#include "engine/graphics/device/device_wrappers.h"
#include "engine/graphics/draw/render_state_cache.h"
#include "engine/graphics/draw/shader_constant_cache.h"
#include "engine/graphics/draw/user_shaders.h"
#include "engine/graphics/draw/vertex_batch.h"
#include "engine/graphics/loss/device_restart.h"
#include "platform/d3d9/d3d9_control.h"
#include "tests/graphics/entries/started_graphics.h"
#include "tools/shaders/shader_tokens.h"
// The graphics tests are not linked with the shader tool's library: its token builder is built here.
#include "tools/shaders/shader_tokens.cpp"

namespace entries_test {
namespace {

constexpr int kSide = 32;
constexpr uint32_t kUserConstant = 20;
constexpr int kUserConstantSet = 1;

// The graphic's texel times the user constant.
std::vector<uint8_t> TintShader() {
    ShaderProgram p = ShaderProgram::Pixel();
    p.DeclarePixelInput(kRegTexture, 0).DeclareSampler2D(0);
    p.Op(kOpTexld, {Destination(kRegTemp, 0), Source(kRegTexture, 0), Source(kRegSampler, 0)});
    p.Op(kOpMul, {Destination(kRegTemp, 0), Source(kRegTemp, 0), Source(kRegConst, kUserConstant)});
    p.Op(kOpMov, {Destination(kRegColourOut, 0), Source(kRegTemp, 0)});
    return p.End();
}

// The volume texel at the coordinates held in c1.
std::vector<uint8_t> VolumeLookupShader() {
    ShaderProgram p = ShaderProgram::Pixel();
    p.DeclareSamplerVolume(0);
    p.Op(kOpMov, {Destination(kRegTemp, 1), Source(kRegConst, 1)});
    p.Op(kOpTexld, {Destination(kRegTemp, 0), Source(kRegTemp, 1), Source(kRegSampler, 0)});
    p.Op(kOpMov, {Destination(kRegColourOut, 0), Source(kRegTemp, 0)});
    return p.End();
}

class ShaderProfileDraw : public StartedGraphics {
  protected:
    void SetUp() override {
        StartedGraphics::SetUp();
        D3D9CapabilityProfile profile = D3D9GetCapabilityProfile();
        D3D9ApplyShaderProfile(&profile, D3D9ShaderProfile::kSm2);
        D3D9SetCapabilityProfile(profile);
        Start(true, 32);
        ASSERT_EQ(GetProgrammableShaderFlag(), 1);
        SelectShaderConstantSets(&shaderConstantCache,
                                 shaderConstantCache.activeMask | (1u << kUserConstantSet));
        const float tint[4] = {0.5f, 1.0f, 0.25f, 1.0f};
        SetShaderConstants(&shaderConstantCache, kBankPixelFloat, kUserConstantSet, kUserConstant, tint, 1,
                           1);
        graphic_ = MakeDrawTarget(kSide, kSide, 0);
        ASSERT_GE(graphic_, 0);
        ASSERT_EQ(FillGraphicRect(graphic_, 200, 100, 40, 255, 0), 0);
        target_ = MakeSelectedTarget(kSide, kSide, 24, 56, 104);
        other_ = MakeDrawTarget(kSide, kSide, 0);
        ASSERT_GE(other_, 0);
    }
    void TearDown() override {
        ResetGraphicsRestartForTests();
        StartedGraphics::TearDown();
    }

    int MakeTintShader() {
        const std::vector<uint8_t> code = TintShader();
        return CreateUserShader(0, code.data(), int(code.size()), 0, 0);
    }

    // The graphic drawn on the cleared draw target (target_ unless said): a pixel inside it.
    std::array<int, 3> DrawnColour(int target = -1) {
        ClearDrawTarget(nullptr);
        EXPECT_EQ(DrawImageAt(0, 0, graphic_, 0), 0);
        const Picture p = Read(target < 0 ? target_ : target, kSide, kSide);
        return {p.At(5, 7, 0), p.At(5, 7, 1), p.At(5, 7, 2)};
    }

    // The texel a pixel shader reads from the brightness volume texture at (x, y, z).
    static std::array<int, 3> BrightnessTexel(int target, int x, int y, int z) {
        IDirect3DDevice9* device = direct3DSystem.device;
        const float at[4] = {(x + 0.5f) / kBrightnessVolumeSize, (y + 0.5f) / kBrightnessVolumeSize,
                             (z + 0.5f) / kBrightnessVolumeSize, 0.0f};
        device->SetPixelShaderConstantF(1, at, 1);
        device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000u, 1.0f, 0);
        device->BeginScene();
        const Vertex2D quad[4] = {
            {-0.5f, -0.5f, 0, 1, 0}, {3.5f, -0.5f, 0, 1, 0}, {-0.5f, 3.5f, 0, 1, 0}, {3.5f, 3.5f, 0, 1, 0}};
        device->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, quad, sizeof(Vertex2D));
        device->EndScene();
        const Picture p = StartedGraphics::Read(target, 4, 4);
        return {p.At(1, 1, 0), p.At(1, 1, 1), p.At(1, 1, 2)};
    }

    int graphic_ = -1, target_ = -1, other_ = -1;
};

using Colour = std::array<int, 3>;
const Colour kPlain{200, 100, 40};
const Colour kTinted{100, 100, 10};

::testing::AssertionResult Near(const Colour& got, const Colour& expected) {
    for (int c = 0; c < 3; ++c)
        if (std::abs(got[c] - expected[c]) > 1)
            return ::testing::AssertionFailure()
                   << got[0] << "/" << got[1] << "/" << got[2] << " where " << expected[0] << "/"
                   << expected[1] << "/" << expected[2] << " was expected";
    return ::testing::AssertionSuccess();
}

TEST_F(ShaderProfileDraw, ABoundUserShaderDrawsWithItsConstantUntilItIsDeleted) {
    EXPECT_EQ(GetShaderModel(), 200);
    const int shader = MakeTintShader();
    ASSERT_GE(shader, 0);
    EXPECT_TRUE(Near(DrawnColour(), kPlain));
    ASSERT_EQ(BindUserPixelShader(shader), 0);
    EXPECT_TRUE(Near(DrawnColour(), kTinted));
    ASSERT_EQ(BindUserPixelShader(shader), 0);
    EXPECT_EQ(DeleteHandle(shader), 0);
    EXPECT_EQ(userShaderBinding.pixelShader, 0);
    EXPECT_TRUE(Near(DrawnColour(), kPlain));
    EXPECT_EQ(BindUserPixelShader(shader), -1);
}

// A change of draw target drops the bound user shader: the next draw takes the library's own shaders.
TEST_F(ShaderProfileDraw, SelectingADrawTargetDropsTheBoundUserShader) {
    const int shader = MakeTintShader();
    ASSERT_GE(shader, 0);
    ASSERT_EQ(BindUserPixelShader(shader), 0);
    ASSERT_EQ(SelectDrawTarget(other_), 0);
    EXPECT_EQ(userShaderBinding.pixelShader, 0);
    EXPECT_EQ(renderStateCache.pixelShader, nullptr);
    EXPECT_TRUE(Near(DrawnColour(other_), kPlain));
    ASSERT_EQ(BindUserPixelShader(shader), 0);
    EXPECT_TRUE(Near(DrawnColour(other_), kTinted));
}

TEST_F(ShaderProfileDraw, AUserShaderDrawsAgainAfterADeviceRestart) {
    const int shader = MakeTintShader();
    ASSERT_GE(shader, 0);
    ASSERT_EQ(BindUserPixelShader(shader), 0);
    EXPECT_TRUE(Near(DrawnColour(), kTinted));
    D3D9SetDeviceLost(true);
    D3D9SetDeviceLost(false);
    ASSERT_EQ(RestartGraphicsKeepMode(), 0);
    ASSERT_EQ(GetProgrammableShaderFlag(), 1);
    ASSERT_EQ(FillGraphicRect(graphic_, 200, 100, 40, 255, 0), 0);
    ASSERT_EQ(BindUserPixelShader(shader), 0);
    EXPECT_TRUE(Near(DrawnColour(), kTinted));
}

// The full-brightness colour of (red, green, blue): the same hue and saturation with the largest
// channel at 255, from the hue-saturation-value form.
Colour FullBrightness(double red, double green, double blue) {
    const double top = std::max({red, green, blue}), bottom = std::min({red, green, blue});
    const double saturation = top > 0 ? (top - bottom) / top : 0.0;
    Colour out;
    const double channels[3] = {red, green, blue};
    for (int c = 0; c < 3; ++c) {
        // value 1 keeps each channel's place between the smallest and the largest
        const double share = top > bottom ? (channels[c] - bottom) / (top - bottom) : 1.0;
        out[c] = int(std::lround(255.0 * (1.0 - saturation * (1.0 - share))));
    }
    return out;
}

TEST_F(ShaderProfileDraw, TheBrightnessTextureMapsAColourToItsFullBrightness) {
    ASSERT_NE(brightnessVolumeTexture, nullptr);
    const std::vector<uint8_t> code = VolumeLookupShader();
    IDirect3DPixelShader9* lookup = nullptr;
    ASSERT_EQ(direct3DSystem.device->CreatePixelShader(reinterpret_cast<const DWORD*>(code.data()), &lookup),
              D3D_OK);
    ASSERT_EQ(SelectDrawTarget(target_), 0);
    IDirect3DDevice9* device = direct3DSystem.device;
    device->SetPixelShader(lookup);
    device->SetVertexShader(nullptr);
    device->SetFVF(D3DFVF_XYZRHW | D3DFVF_DIFFUSE);
    device->SetTexture(0, brightnessVolumeTexture);
    for (DWORD state :
         {D3DRS_ALPHABLENDENABLE, D3DRS_ALPHATESTENABLE, D3DRS_ZENABLE, D3DRS_SCISSORTESTENABLE})
        device->SetRenderState(D3DRENDERSTATETYPE(state), FALSE);
    struct Case {
        int x, y, z;
        Colour expected;
    };
    const Case cases[] = {
        {0, 0, 0, {255, 255, 255}},
        {7, 3, 5, {255, 255, 255}},
        {64, 32, 0, FullBrightness(128, 64, 0)},
        {10, 40, 20, FullBrightness(20, 80, 40)},
        {127, 127, 127, {255, 255, 255}},
        {0, 0, 90, FullBrightness(0, 0, 180)},
    };
    for (const Case& c : cases)
        EXPECT_TRUE(Near(BrightnessTexel(target_, c.x, c.y, c.z), c.expected))
            << c.x << "," << c.y << "," << c.z;
    device->SetTexture(0, nullptr);
    device->SetPixelShader(nullptr);
    lookup->Release();
    ForgetCachedVertexFormatAndShaders();
}

}  // namespace
}  // namespace entries_test
