// The library pixel shaders draw what the fixed-function stage configurations draw: each case sets the
// stage inputs, draws a 4 x 4 quad of a graphic (and a blend graphic, mirrored, so the two coordinate
// sets cannot be mixed up) over a random background once with the texture stages and once with the
// built-in shader the setup chooses, and the two pictures agree within the case's tolerance per channel.
// The stages truncate every product on 8-bit channels where the shaders round once at the end: one
// product costs at most 1, a tinted texel blended toward white (two products) at most 2, a product
// scaled four times afterwards at most 4.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <random>
#include <sstream>

#include "engine/graphics/device/builtin_shaders.h"
#include "tests/graphics/draw/draw_test_support.h"

namespace graphics_test {
namespace {

constexpr int kTarget = 8, kSide = 4, kAt = 2;

struct ShaderCase {
    const char* name;
    int mode;
    int blendKind;      // -1: no blend graphic
    int border, range;  // the blend parameters (the cross-fade weight is `border`)
    int alphaTest, alphaBlend;
    uint32_t bright;
    int param;
    bool textured = true;
    int tolerance = 1;
    bool showsNothing = false;  // the configuration lets no pixel through
};

class LibraryPixelShaderTest : public DrawFixture, public ::testing::WithParamInterface<ShaderCase> {
  protected:
    void SetUp() override {
        DrawFixture::SetUp();
        D3D9CapabilityProfile profile = D3D9GetCapabilityProfile();
        D3D9ApplyShaderProfile(&profile, D3D9ShaderProfile::kSm2);
        D3D9SetCapabilityProfile(profile);
        MakeDevice(kTarget, kTarget);
        std::mt19937 rng(23);
        for (uint32_t& p : background_) p = rng() & 0xFFFFFF;
        const uint32_t alphas[5] = {0x00, 0x50, 0x9E, 0xC3, 0xFF};
        for (int i = 0; i < kSide * kSide; ++i) {
            graphic_[i] = (alphas[i % 5] << 24) | (rng() & 0xFFFFFF);
            blend_[i] = (uint32_t(i * 17) << 24) | (rng() & 0xFFFFFF);
        }
    }
    void TearDown() override {
        ReleasePixelShaders();
        builtinShaders.programmable = 0;
        DrawFixture::TearDown();
    }

    IDirect3DTexture9* MakeTexture(const uint32_t* texels) {
        IDirect3DTexture9* t = nullptr;
        EXPECT_EQ(Device()->CreateTexture(kSide, kSide, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &t, nullptr),
                  D3D_OK);
        D3DLOCKED_RECT lr;
        t->LockRect(0, &lr, nullptr, 0);
        for (int y = 0; y < kSide; ++y)
            std::memcpy(static_cast<uint8_t*>(lr.pBits) + y * lr.Pitch, texels + y * kSide, kSide * 4);
        t->UnlockRect(0);
        return t;
    }

    // The render target's pixels; with `fill` the background is written first.
    std::vector<uint32_t> Target(bool fill) {
        IDirect3DSurface9 *rt = nullptr, *sys = nullptr;
        Device()->GetRenderTarget(0, &rt);
        Device()->CreateOffscreenPlainSurface(kTarget, kTarget, D3DFMT_X8R8G8B8, D3DPOOL_SYSTEMMEM, &sys,
                                              nullptr);
        D3DLOCKED_RECT lr;
        std::vector<uint32_t> out(kTarget * kTarget);
        if (fill) {
            sys->LockRect(&lr, nullptr, 0);
            for (int y = 0; y < kTarget; ++y)
                std::memcpy(static_cast<uint8_t*>(lr.pBits) + y * lr.Pitch, &background_[y * kTarget],
                            kTarget * 4);
            sys->UnlockRect();
            Device()->UpdateSurface(sys, nullptr, rt, nullptr);
        } else {
            Device()->GetRenderTargetData(rt, sys);
            sys->LockRect(&lr, nullptr, D3DLOCK_READONLY);
            for (int y = 0; y < kTarget; ++y)
                std::memcpy(&out[y * kTarget], static_cast<uint8_t*>(lr.pBits) + y * lr.Pitch, kTarget * 4);
            sys->UnlockRect();
        }
        sys->Release();
        rt->Release();
        return out;
    }

    // The case's stage inputs as the draw-state preparation derives them from the settings.
    void SetInputs(const ShaderCase& c, IDirect3DTexture9* graphic, IDirect3DTexture9* blend) {
        SetStageSwitches(c.bright != 0xFFFFFF, c.mode != 0 || c.blendKind >= 0);
        SetStageTexture(c.textured ? reinterpret_cast<uintptr_t>(graphic) : 0);
        if (c.blendKind >= 0) {
            const int params[2] = {c.border, c.range};
            SetBlendTexture(reinterpret_cast<uintptr_t>(blend), kSide, kSide);
            SetBlendTextureState(c.blendKind, params);
        }
        SetStageBlendInputs(c.mode, c.alphaTest, c.alphaBlend);
    }

    void DrawQuad(D3DCOLOR colour) {
        const float l = kAt - 0.5f, r = kAt + kSide - 0.5f;
        const float corners[6][4] = {{l, l, 0, 0}, {r, l, 1, 0}, {l, r, 0, 1},
                                     {r, r, 1, 1}, {l, r, 0, 1}, {r, l, 1, 0}};
        const int kind = vertexBatch.kind;
        void* room = ReserveBatchVertices(0, kind, D3DPT_TRIANGLELIST, 6);
        ASSERT_NE(room, nullptr);
        for (int i = 0; i < 6; ++i) {
            const float x = corners[i][0], y = corners[i][1], u = corners[i][2], v = corners[i][3];
            if (kind == 0) static_cast<Vertex2D*>(room)[i] = {x, y, 0, 1, colour};
            if (kind == 1) static_cast<Vertex2DTex*>(room)[i] = {x, y, 0, 1, colour, u, v};
            if (kind == 2)
                static_cast<Vertex2DTex2*>(room)[i] = {x, y, 0, 1, colour, 0xFFFFFFFF, 1 - u, v, u, v};
        }
        FlushVertexBatch(0);
        EndSceneIfBegun();
    }

    // One draw of the case, with the built-in shaders or with the texture stages.
    std::vector<uint32_t> Draw(const ShaderCase& c, bool shaders) {
        ResetDrawModules();
        Device()->SetPixelShader(nullptr);
        if (shaders) {
            StartShaderSystem();
            EXPECT_EQ(GetProgrammableShaderFlag(), 1);
        } else {
            ReleasePixelShaders();
            builtinShaders.programmable = 0;
        }
        IDirect3DTexture9* graphic = MakeTexture(graphic_);
        IDirect3DTexture9* blend = MakeTexture(blend_);
        Target(true);
        SetInputs(c, graphic, blend);
        EXPECT_EQ(D3DDrawSetup(nullptr, 1, 0), 0);
        DrawQuad((uint32_t(c.mode ? c.param : 255) << 24) | c.bright);
        for (int s = 0; s < 8; ++s) SetCachedTexture(s, 0);
        graphic->Release();
        blend->Release();
        return Target(false);
    }

    uint32_t background_[kTarget * kTarget];
    uint32_t graphic_[kSide * kSide];
    uint32_t blend_[kSide * kSide];
};

TEST_P(LibraryPixelShaderTest, TheShaderDrawsWhatTheStagesDraw) {
    const ShaderCase c = GetParam();
    const std::vector<uint32_t> stages = Draw(c, false);
    const std::vector<uint32_t> shader = Draw(c, true);
    int faults = 0, drawn = 0;
    std::ostringstream out;
    for (int i = 0; i < kTarget * kTarget; ++i) {
        drawn += (stages[i] & 0xFFFFFF) != background_[i];
        for (int shift : {0, 8, 16}) {
            const int a = int((stages[i] >> shift) & 0xFF), b = int((shader[i] >> shift) & 0xFF);
            if (std::abs(a - b) <= c.tolerance) continue;
            if (++faults <= 6)
                out << " (" << i % kTarget << "," << i / kTarget << ") stages " << std::hex << stages[i]
                    << " shader " << shader[i] << std::dec << ";";
            break;
        }
    }
    EXPECT_EQ(faults, 0) << c.name << ":" << out.str();
    if (c.showsNothing)
        EXPECT_EQ(drawn, 0) << c.name;
    else
        EXPECT_GT(drawn, 0) << c.name << ": the stages drew nothing to compare";
}

// Modes by stage kind: 0 and 1 and 2 kind 0, 11 kind 1, 10 kind 2, 12 kind 3; with a blend graphic the
// class: modes 1 and 2 class 0, 10 class 2, 12 class 3.
const ShaderCase kCases[] = {
    {"untextured kind 0", 1, -1, 0, 0, 0, 0, 0xC08040, 200, false},
    {"untextured kind 1", 11, -1, 0, 0, 0, 0, 0x80A0FF, 90, false},
    {"untextured kind 2", 10, -1, 0, 0, 0, 0, 0x40C020, 180, false},
    {"untextured kind 3", 12, -1, 0, 0, 0, 0, 0x302010, 255, false, 4},
    {"plain opaque", 0, -1, 0, 0, 0, 0, 0xFFFFFF, 0},
    {"plain opaque tinted", 0, -1, 0, 0, 0, 0, 0x80A0FF, 0},
    {"plain alpha blended", 0, -1, 0, 0, 0, 1, 0xFFFFFF, 0},
    {"plain alpha tested", 0, -1, 0, 0, 1, 0, 0xC08040, 0},
    {"alpha mode blended", 1, -1, 0, 0, 0, 1, 0xC08040, 160},
    {"alpha mode opaque", 1, -1, 0, 0, 0, 0, 0xFFFFFF, 100},
    {"add mode blended", 2, -1, 0, 0, 0, 1, 0xFF2100, 120},
    {"multiply kind blended", 11, -1, 0, 0, 0, 1, 0xFFFFFF, 255},
    {"multiply kind opaque", 11, -1, 0, 0, 0, 0, 0xA0C0E0, 200, true, 2},
    {"invert kind blended", 10, -1, 0, 0, 0, 1, 0xFFFFFF, 140},
    {"invert kind tinted", 10, -1, 0, 0, 1, 0, 0x8090A0, 255},
    {"four times kind", 12, -1, 0, 0, 0, 1, 0x605040, 255, true, 4},
    {"cross-fade", 1, 0, 90, 0, 0, 1, 0xFFFFFF, 255},
    {"cross-fade tinted", 2, 0, 200, 0, 1, 0, 0xC08040, 180},
    {"cross-fade inverted", 10, 0, 30, 0, 0, 0, 0xFFFFFF, 255},
    {"cross-fade four times", 12, 0, 128, 0, 0, 1, 0x403020, 255, true, 4},
    {"border wide, border 0", 1, 1, 0, 255, 0, 1, 0xFFFFFF, 255},
    {"border wide, border 128", 1, 1, 128, 255, 0, 1, 0xFFFFFF, 200},
    {"border wide, border 255", 1, 1, 255, 255, 0, 1, 0xFFFFFF, 255, true, 1, true},
    {"border range 64", 1, 1, 60, 64, 0, 1, 0xC08040, 255},
    {"border range 100", 2, 1, 170, 100, 0, 1, 0xFFFFFF, 150},
    {"border range 1, tested", 1, 1, 128, 1, 1, 0, 0xFFFFFF, 255},
    {"border range 0, border 0", 1, 1, 0, 0, 0, 0, 0xFFFFFF, 255},
    {"border inverted", 10, 1, 90, 200, 0, 1, 0xFFFFFF, 255},
    {"border four times", 12, 1, 40, 255, 0, 1, 0x403020, 255, true, 4},
    {"alpha multiply", 1, 2, 0, 0, 0, 1, 0xFFFFFF, 255},
    {"alpha multiply tinted", 2, 2, 0, 0, 1, 0, 0xC08040, 100},
    {"alpha multiply inverted", 10, 2, 0, 0, 0, 1, 0x80FF80, 255},
    {"alpha multiply four times", 12, 2, 0, 0, 0, 1, 0x403020, 255, true, 4},
};

INSTANTIATE_TEST_SUITE_P(StageConfigurations, LibraryPixelShaderTest, ::testing::ValuesIn(kCases));

// The border blend's own terms reach the shader's factor register: the factor's floats written after
// them must not replace them.
TEST_F(LibraryPixelShaderTest, TheBorderBlendShaderReadsItsOwnTerms) {
    struct Case {
        int border, range;
        float terms[4];
    };
    const Case cases[] = {
        {0, 0, {0.0f, 0.0f, 1.0f, 0.0f}},
        {0, 255, {0.0f, 0.0f, 1.0f, 255.0f / 255.0f}},
        {128, 255, {0.0f, 0.0f, 1.0f, -1.0f / 255.0f}},
        {0, 64, {0.0f, 0.0f, 4.0f, 64.0f / 255.0f}},
    };
    ResetDrawModules();
    StartShaderSystem();
    ASSERT_EQ(GetProgrammableShaderFlag(), 1);
    IDirect3DTexture9* graphic = MakeTexture(graphic_);
    IDirect3DTexture9* blend = MakeTexture(blend_);
    for (const Case& k : cases) {
        const ShaderCase c{"border", 1, 1, k.border, k.range, 0, 1, 0xFFFFFF, 255};
        SetInputs(c, graphic, blend);
        ASSERT_EQ(D3DDrawSetup(nullptr, 1, 0), 0);
        float held[4] = {};
        Device()->GetPixelShaderConstantF(shader_registers::kPixelFactor, held, 1);
        for (int i = 0; i < 4; ++i)
            EXPECT_FLOAT_EQ(held[i], k.terms[i])
                << "border " << k.border << " range " << k.range << " lane " << i;
    }
    for (int s = 0; s < 8; ++s) SetCachedTexture(s, 0);
    graphic->Release();
    blend->Release();
}

}  // namespace
}  // namespace graphics_test
