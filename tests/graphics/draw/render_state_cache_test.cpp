#include <gtest/gtest.h>

#include <cstring>
#include <functional>

#include "tests/graphics/draw/draw_test_support.h"

namespace graphics_test {
namespace {

class RenderStateCacheTest : public DrawFixture {
  protected:
    void SetUp() override {
        DrawFixture::SetUp();
        MakeDevice(32, 32);
    }
    void Pending() { ASSERT_NE(ReserveBatchVertices(0, 1, D3DPT_TRIANGLELIST, 6), nullptr); }
    DWORD RenderState(D3DRENDERSTATETYPE s) {
        DWORD v = 0xDEAD;
        Device()->GetRenderState(s, &v);
        return v;
    }
    DWORD SamplerState(int sampler, D3DSAMPLERSTATETYPE s) {
        DWORD v = 0xDEAD;
        Device()->GetSamplerState(DWORD(sampler), s, &v);
        return v;
    }
};

constexpr const char* kDraw = "IDirect3DDevice9::DrawPrimitiveUP(4, 2, ptr, 28)";

TEST_F(RenderStateCacheTest, AnUnchangedValueIsNeitherSentNorFlushed) {
    Pending();
    StartTrace();
    EXPECT_EQ(SetZFunction(4), 0);
    EXPECT_EQ(SetZFunction(4), 0);
    const auto trace = TakeTrace();
    EXPECT_EQ(CountLines(trace, "IDirect3DDevice9::SetRenderState(23, 4)"), 1);
    EXPECT_EQ(CountLines(trace, kDraw), 1);
    EXPECT_LT(IndexOf(trace, kDraw), IndexOf(trace, "IDirect3DDevice9::SetRenderState(23, 4)"));
    EXPECT_EQ(drawStateLatch.statesChanged, 1);
}

TEST_F(RenderStateCacheTest, ForceResendsAnUnchangedValueWithoutFlushing) {
    SetZFunction(4);
    Pending();
    renderStateCache.force = 1;
    StartTrace();
    EXPECT_EQ(SetZFunction(4), 0);
    const auto trace = TakeTrace();
    const std::vector<std::string> expected = {"IDirect3DDevice9::SetRenderState(23, 4)"};
    EXPECT_EQ(trace, expected);
    EXPECT_EQ(vertexBatch.vertexCount, 6);
}

TEST_F(RenderStateCacheTest, ForceWithAChangedValueStillDrawsThePendingVerticesFirst) {
    SetZFunction(4);
    Pending();
    renderStateCache.force = 1;
    StartTrace();
    EXPECT_EQ(SetZFunction(7), 0);
    const auto trace = TakeTrace();
    ASSERT_GE(IndexOf(trace, kDraw), 0);
    EXPECT_LT(IndexOf(trace, kDraw), IndexOf(trace, "IDirect3DDevice9::SetRenderState(23, 7)"));
}

TEST_F(RenderStateCacheTest, EverySetterFailsWithoutADevice) {
    DropDevice();
    const std::function<int()> setters[] = {
        [] { return SetZFunction(4); },       [] { return SetTextureFilter(1); },
        [] { return SetCullMode(1); },        [] { return SetFogColour(0x102030); },
        [] { return SetStageTexture(0x40); }, [] { return SetBlendTextureState(0, nullptr); },
        [] { return ResetFixedStates(); },    [] { return SetCachedLightEnable(0, 1); },
    };
    for (const auto& set : setters) EXPECT_EQ(set(), -1);
    EXPECT_EQ(renderStateCache.render[D3DRS_ZFUNC], 0u);
    EXPECT_EQ(renderStateCache.stageSetup.texture, 0u);
}

TEST_F(RenderStateCacheTest, NamedSettersReachTheirDeviceStates) {
    struct Case {
        std::function<int()> set;
        D3DRENDERSTATETYPE state;
        DWORD value;
    };
    const Case cases[] = {
        {[] { return SetZEnable(1); }, D3DRS_ZENABLE, 1},
        {[] { return SetZEnable(2); }, D3DRS_ZENABLE, 0},
        {[] { return SetZWriteEnable(1); }, D3DRS_ZWRITEENABLE, 1},
        {[] { return SetFillMode(D3DFILL_WIREFRAME); }, D3DRS_FILLMODE, D3DFILL_WIREFRAME},
        {[] { return SetCullMode(1); }, D3DRS_CULLMODE, D3DCULL_CCW},
        {[] { return SetCullMode(2); }, D3DRS_CULLMODE, D3DCULL_CW},
        {[] { return SetCullMode(0); }, D3DRS_CULLMODE, D3DCULL_NONE},
        {[] { return SetShadeMode(D3DSHADE_GOURAUD); }, D3DRS_SHADEMODE, D3DSHADE_GOURAUD},
        {[] { return SetSpecularEnable(1); }, D3DRS_SPECULARENABLE, 1},
        {[] { return SetDiffuseMaterialSource(D3DMCS_COLOR2); }, D3DRS_DIFFUSEMATERIALSOURCE, D3DMCS_COLOR2},
        {[] { return SetSpecularMaterialSource(D3DMCS_COLOR1); }, D3DRS_SPECULARMATERIALSOURCE,
         D3DMCS_COLOR1},
        {[] { return SetAmbientColour(0x00405060); }, D3DRS_AMBIENT, 0x00405060},
        {[] { return SetLightingEnable(1); }, D3DRS_LIGHTING, 1},
        {[] { return SetFogEnable(1); }, D3DRS_FOGENABLE, 1},
        {[] { return SetFogMode(3); }, D3DRS_FOGVERTEXMODE, 3},
        {[] { return SetFogColour(0x00112233); }, D3DRS_FOGCOLOR, 0x00112233},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.set(), 0);
        EXPECT_EQ(RenderState(c.state), c.value) << int(c.state);
    }
}

TEST_F(RenderStateCacheTest, FilterModeThreeIsRefusedAndModeOneIsBilinearWithoutMips) {
    ASSERT_EQ(SetTextureFilter(2), 0);
    const RenderStateCache before = renderStateCache;
    StartTrace();
    EXPECT_EQ(SetTextureFilter(3), -1);
    EXPECT_EQ(SetTextureFilter(-1), -1);
    EXPECT_TRUE(TakeTrace().empty());
    EXPECT_EQ(std::memcmp(&before, &renderStateCache, sizeof before), 0);
    struct Case {
        int mode;
        DWORD mag, min, mip;
    };
    const Case cases[] = {{1, D3DTEXF_LINEAR, D3DTEXF_LINEAR, D3DTEXF_NONE},
                          {0, D3DTEXF_POINT, D3DTEXF_POINT, D3DTEXF_NONE},
                          {2, D3DTEXF_LINEAR, D3DTEXF_ANISOTROPIC, D3DTEXF_LINEAR}};
    for (const Case& c : cases) {
        ASSERT_EQ(SetTextureFilter(c.mode), 0);
        for (int s = 0; s < 4; ++s) {
            EXPECT_EQ(SamplerState(s, D3DSAMP_MAGFILTER), c.mag);
            EXPECT_EQ(SamplerState(s, D3DSAMP_MINFILTER), c.min);
            EXPECT_EQ(SamplerState(s, D3DSAMP_MIPFILTER), c.mip);
        }
        EXPECT_EQ(renderStateCache.filterMode, c.mode);
    }
}

TEST_F(RenderStateCacheTest, AViewportChangeEndsTheOpenSceneAndTheNextFlushBeginsOne) {
    Pending();
    FlushVertexBatch(0);
    ASSERT_EQ(sceneLatch, 1);
    D3DVIEWPORT9 vp{0, 0, 16, 16, 0.0f, 1.0f};
    StartTrace();
    EXPECT_EQ(SetCachedViewport(&vp), 0);
    auto trace = TakeTrace();
    const int end = IndexOf(trace, "IDirect3DDevice9::EndScene()");
    ASSERT_GE(end, 0);
    EXPECT_LT(end, IndexOf(trace, "IDirect3DDevice9::SetViewport(ptr)"));
    EXPECT_EQ(sceneLatch, 0);
    StartTrace();
    EXPECT_EQ(SetCachedViewport(&vp), 0);
    EXPECT_TRUE(TakeTrace().empty());
    Pending();
    FlushVertexBatch(0);
    trace = TakeTrace();
    EXPECT_LT(IndexOf(trace, "IDirect3DDevice9::BeginScene()"), IndexOf(trace, kDraw));
    EXPECT_EQ(sceneLatch, 1);
}

TEST_F(RenderStateCacheTest, AScissorChangeAlsoEndsTheScene) {
    BeginSceneIfNeeded();
    const RECT r{1, 2, 10, 12};
    StartTrace();
    EXPECT_EQ(SetCachedScissorRect(&r), 0);
    const std::vector<std::string> expected = {"IDirect3DDevice9::EndScene()",
                                               "IDirect3DDevice9::SetScissorRect(ptr)"};
    EXPECT_EQ(TakeTrace(), expected);
    RECT back{};
    Device()->GetScissorRect(&back);
    EXPECT_EQ(std::memcmp(&back, &r, sizeof r), 0);
}

TEST_F(RenderStateCacheTest, TheLightEnableTableKeepsTheHighestEnabledLight) {
    EXPECT_EQ(renderStateCache.highestEnabledLight, -1);
    SetCachedLightEnable(3, 1);
    SetCachedLightEnable(9, 1);
    EXPECT_EQ(renderStateCache.highestEnabledLight, 9);
    SetCachedLightEnable(9, 0);
    EXPECT_EQ(renderStateCache.highestEnabledLight, 3);
    EXPECT_EQ(renderStateCache.lightEnable[3], 1);
    EXPECT_EQ(SetCachedLightEnable(-1, 1), -1);
}

TEST_F(RenderStateCacheTest, AddressingOfOneSamplerOrAllEight) {
    const DWORD untouched = SamplerState(4, D3DSAMP_ADDRESSV);
    EXPECT_EQ(SetTextureAddressU(-1, D3DTADDRESS_WRAP), 0);
    EXPECT_EQ(SetTextureAddressV(5, D3DTADDRESS_MIRROR), 0);
    EXPECT_EQ(SetTextureAddressU(8, D3DTADDRESS_MIRROR), -1);
    for (int s = 0; s < 8; ++s) EXPECT_EQ(SamplerState(s, D3DSAMP_ADDRESSU), DWORD(D3DTADDRESS_WRAP));
    EXPECT_EQ(SamplerState(5, D3DSAMP_ADDRESSV), DWORD(D3DTADDRESS_MIRROR));
    EXPECT_EQ(SamplerState(4, D3DSAMP_ADDRESSV), untouched);
    EXPECT_EQ(SetTextureAddress(D3DTADDRESS_CLAMP, D3DTADDRESS_CLAMP, D3DTADDRESS_BORDER), 0);
    EXPECT_EQ(SamplerState(7, D3DSAMP_ADDRESSW), DWORD(D3DTADDRESS_BORDER));
    EXPECT_EQ(SamplerState(5, D3DSAMP_ADDRESSV), DWORD(D3DTADDRESS_CLAMP));
}

TEST_F(RenderStateCacheTest, TextureTransformsTurnOnFourStagesWithTheirMatrix) {
    Matrix4 m{};
    SetIdentityMatrix(&m);
    m.m[3][0] = 0.25f;
    EXPECT_EQ(SetTextureTransform(1, &m), 0);
    for (int s = 0; s < 4; ++s) {
        DWORD flags = 0;
        Device()->GetTextureStageState(DWORD(s), D3DTSS_TEXTURETRANSFORMFLAGS, &flags);
        EXPECT_EQ(flags, DWORD(D3DTTFF_COUNT3));
        D3DMATRIX back{};
        Device()->GetTransform(D3DTRANSFORMSTATETYPE(D3DTS_TEXTURE0 + s), &back);
        EXPECT_EQ(back.m[3][0], 0.25f);
    }
    SetTextureTransform(0, nullptr);
    DWORD flags = 7;
    Device()->GetTextureStageState(2, D3DTSS_TEXTURETRANSFORMFLAGS, &flags);
    EXPECT_EQ(flags, DWORD(D3DTTFF_DISABLE));
}

TEST_F(RenderStateCacheTest, TheFixedStateResetWritesItsStatesAndConstants) {
    SetCachedLightEnable(0, 0);
    renderStateCache.force = 1;
    EXPECT_EQ(ResetFixedStates(), 0);
    renderStateCache.force = 0;
    const DWORD coordIndex[4] = {0, 1, 1, 0};
    for (int s = 0; s < 4; ++s) {
        DWORD v = 9;
        Device()->GetTextureStageState(DWORD(s), D3DTSS_TEXCOORDINDEX, &v);
        EXPECT_EQ(v, coordIndex[s]);
    }
    EXPECT_EQ(RenderState(D3DRS_CULLMODE), DWORD(D3DCULL_NONE));
    EXPECT_EQ(RenderState(D3DRS_DITHERENABLE), 0u);
    float vs[4] = {9, 9, 9, 9}, ps[4] = {9, 9, 9, 9};
    Device()->GetVertexShaderConstantF(0, vs, 1);
    Device()->GetPixelShaderConstantF(0, ps, 1);
    const float vsExpected[4] = {0, 1, 0, 0}, psExpected[4] = {0, 0.5f, 1, 2};
    EXPECT_EQ(std::memcmp(vs, vsExpected, sizeof vs), 0);
    EXPECT_EQ(std::memcmp(ps, psExpected, sizeof ps), 0);
    EXPECT_EQ(deviceVertexFormat.fvf, 0u);
}

TEST_F(RenderStateCacheTest, StageInputsRaiseTheirFlagsWithoutADeviceCall) {
    StartTrace();
    EXPECT_EQ(SetStageBlendInputs(1, 0, 1), 0);
    EXPECT_EQ(renderStateCache.stageSetup.dirty, 1);
    EXPECT_EQ(renderStateCache.pixelShaderChoiceChanged, 1);
    renderStateCache.stageSetup.dirty = 0;
    renderStateCache.pixelShaderChoiceChanged = 0;
    EXPECT_EQ(SetStageBlendInputs(1, 0, 1), 0);
    EXPECT_EQ(renderStateCache.stageSetup.dirty, 0);
    EXPECT_EQ(SetBlendTexture(0x500, 64, 32), 0);
    EXPECT_EQ(renderStateCache.stageSetup.textureChanged, 1);
    EXPECT_EQ(renderStateCache.stageSetup.dirty, 0);
    EXPECT_EQ(renderStateCache.stageSetup.blendInvWidth, 1.0f / 64);
    EXPECT_EQ(renderStateCache.stageSetup.blendHeight, 32.0f);
    const int cross[1] = {128};
    EXPECT_EQ(SetBlendTextureState(0, cross), 0);
    EXPECT_EQ(renderStateCache.stageSetup.dirty, 1);
    renderStateCache.stageSetup.dirty = 0;
    EXPECT_EQ(SetBlendTextureState(0, cross), 0);
    EXPECT_EQ(renderStateCache.stageSetup.dirty, 0);
    EXPECT_TRUE(TakeTrace().empty());
}

TEST_F(RenderStateCacheTest, TheIndexedHelperDrawsTexturedTrianglesAtOnce) {
    const Vertex2DTex v[4] = {{0, 0, 0, 1, 0xFFFFFFFF, 0, 0},
                              {4, 0, 0, 1, 0xFFFFFFFF, 1, 0},
                              {0, 4, 0, 1, 0xFFFFFFFF, 0, 1},
                              {4, 4, 0, 1, 0xFFFFFFFF, 1, 1}};
    const uint16_t index[6] = {0, 1, 2, 3, 2, 1};
    Pending();
    StartTrace();
    EXPECT_EQ(DrawIndexedTexturedTriangles(v, 4, index, 6), 0);
    const auto trace = TakeTrace();
    const int flush = IndexOf(trace, kDraw);
    const int indexed =
        IndexOf(trace, "IDirect3DDevice9::DrawIndexedPrimitiveUP(4, 0, 4, 2, ptr, 101, ptr, 28)");
    ASSERT_GE(flush, 0);
    EXPECT_GT(indexed, flush);
    EXPECT_EQ(DrawIndexedTexturedTriangles(v, 4, index, 2), -1);
}

}  // namespace
}  // namespace graphics_test
