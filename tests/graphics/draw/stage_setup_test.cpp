#include <gtest/gtest.h>

#include <cstring>

#include "tests/graphics/draw/draw_test_support.h"

namespace graphics_test {
namespace {

class StageSetupTest : public DrawFixture {
  protected:
    void TearDown() override {
        for (IDirect3DTexture9* t : textures_) t->Release();
        textures_.clear();
        DrawFixture::TearDown();
    }
    uintptr_t Texture(UINT size = 4) {
        IDirect3DTexture9* t = nullptr;
        EXPECT_EQ(Device()->CreateTexture(size, size, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &t, nullptr),
                  D3D_OK);
        textures_.push_back(t);
        return reinterpret_cast<uintptr_t>(t);
    }
    DWORD Render(D3DRENDERSTATETYPE s) {
        DWORD v = 0xDEAD;
        Device()->GetRenderState(s, &v);
        return v;
    }
    DWORD Stage(int stage, D3DTEXTURESTAGESTATETYPE s) {
        DWORD v = 0xDEAD;
        Device()->GetTextureStageState(DWORD(stage), s, &v);
        return v;
    }
    // Clears the target to `background`, draws an untextured quad over it in `colour` with the
    // current settings and reads the pixel in its middle.
    uint32_t DrawColourOver(uint32_t background, uint32_t colour) {
        Device()->Clear(0, nullptr, D3DCLEAR_TARGET, background, 1.0f, 0);
        PrepareDrawStates(0, kDrawColourModulation);
        auto* v = static_cast<Vertex2D*>(ReserveBatchVertices(0, 0, D3DPT_TRIANGLELIST, 6));
        const float xy[6][2] = {{0, 0}, {8, 0}, {0, 8}, {8, 8}, {0, 8}, {8, 0}};
        for (int i = 0; i < 6; ++i) v[i] = {xy[i][0], xy[i][1], 0, 1, colour};
        FlushVertexBatch(0);
        EndSceneIfBegun();
        return ReadPixel(4, 4);
    }
    uint32_t ReadPixel(int x, int y) {
        IDirect3DSurface9* rt = nullptr;
        Device()->GetRenderTarget(0, &rt);
        D3DSURFACE_DESC d;
        rt->GetDesc(&d);
        IDirect3DSurface9* sys = nullptr;
        Device()->CreateOffscreenPlainSurface(d.Width, d.Height, d.Format, D3DPOOL_SYSTEMMEM, &sys, nullptr);
        Device()->GetRenderTargetData(rt, sys);
        D3DLOCKED_RECT lr;
        sys->LockRect(&lr, nullptr, D3DLOCK_READONLY);
        uint32_t p;
        std::memcpy(&p, static_cast<uint8_t*>(lr.pBits) + y * lr.Pitch + x * 4, 4);
        sys->UnlockRect();
        sys->Release();
        rt->Release();
        return p & 0xFFFFFF;
    }
    std::vector<IDirect3DTexture9*> textures_;
};

TEST_F(StageSetupTest, ASecondIdenticalPreparationMakesNoDeviceCall) {
    MakeDevice(8, 8);
    const uintptr_t texture = Texture();
    const uint32_t flags = kDrawTransparent | kDrawOneToOne | kDrawAlphaTest;
    ASSERT_TRUE(DrawStatesNeedPreparing(texture, flags));
    PrepareDrawStates(texture, flags);
    EXPECT_FALSE(DrawStatesNeedPreparing(texture, flags));
    EXPECT_TRUE(DrawStatesNeedPreparing(texture, kDrawOneToOne));
    StartTrace();
    PrepareDrawStates(texture, flags);
    EXPECT_TRUE(TakeTrace().empty());
    EXPECT_EQ(drawStateLatch.statesChanged, 0);
}

TEST_F(StageSetupTest, AColourKeyedTextureBlendsWhenStretchedBilinearAndAlphaTestsAtAPoint) {
    MakeDevice(8, 8);
    const uintptr_t texture = Texture();
    drawSettings.drawMode = 1;
    PrepareDrawStates(texture, kDrawTransparent | kDrawAlphaTest);
    EXPECT_EQ(Render(D3DRS_ALPHABLENDENABLE), 1u);
    EXPECT_EQ(Render(D3DRS_SRCBLEND), DWORD(D3DBLEND_SRCALPHA));
    EXPECT_EQ(Render(D3DRS_DESTBLEND), DWORD(D3DBLEND_INVSRCALPHA));
    EXPECT_EQ(Render(D3DRS_ALPHAREF), 0u);
    EXPECT_EQ(Render(D3DRS_ALPHATESTENABLE), 1u);
    PrepareDrawStates(texture, kDrawTransparent | kDrawOneToOne | kDrawAlphaTest);
    EXPECT_EQ(Render(D3DRS_ALPHABLENDENABLE), 0u);
    EXPECT_EQ(Render(D3DRS_ALPHATESTENABLE), 1u);
    EXPECT_EQ(Render(D3DRS_ALPHAREF), 16u);
    EXPECT_EQ(Render(D3DRS_ALPHAFUNC), DWORD(D3DCMP_GREATER));
    EXPECT_EQ(Stage(0, D3DTSS_ALPHAOP), DWORD(D3DTOP_SELECTARG1));
    EXPECT_EQ(Stage(0, D3DTSS_ALPHAARG1), DWORD(D3DTA_TEXTURE));
}

TEST_F(StageSetupTest, BlendModeEightDecidesAlphaLikeModeZero) {
    MakeDevice(8, 8);
    const uintptr_t texture = Texture();
    const uint32_t flags = kDrawTransparent | kDrawOneToOne | kDrawAlphaTest;
    struct Case {
        int mode, alphaTest, alphaBlend;
    };
    for (const Case c : {Case{0, 1, 0}, Case{8, 1, 0}, Case{1, 0, 1}}) {
        drawSettings.blendMode = c.mode;
        PrepareDrawStates(texture, flags);
        EXPECT_EQ(renderStateCache.stageSetup.alphaTest, c.alphaTest) << c.mode;
        EXPECT_EQ(renderStateCache.stageSetup.alphaBlend, c.alphaBlend) << c.mode;
    }
}

TEST_F(StageSetupTest, BlendRowsSetTheirFactors) {
    MakeDevice(8, 8);
    struct Case {
        int mode;
        DWORD src, dest;
    };
    const Case cases[] = {{1, D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA},
                          {2, D3DBLEND_SRCALPHA, D3DBLEND_ONE},
                          {4, D3DBLEND_ZERO, D3DBLEND_SRCCOLOR},
                          {15, D3DBLEND_ONE, D3DBLEND_INVSRCALPHA}};
    for (const Case& c : cases) {
        drawSettings.blendMode = c.mode;
        PrepareDrawStates(0, kDrawColourModulation);
        EXPECT_EQ(Render(D3DRS_SRCBLEND), c.src) << c.mode;
        EXPECT_EQ(Render(D3DRS_DESTBLEND), c.dest) << c.mode;
        EXPECT_EQ(Render(D3DRS_ALPHABLENDENABLE), 1u) << c.mode;
    }
}

TEST_F(StageSetupTest, SubtractionUsesTheBlendOperationWhenTheDeviceHasIt) {
    MakeDevice(8, 8);
    drawSettings.blendMode = 3;
    EXPECT_EQ(DrawColourOver(0x646464, 0xFF323232), 0x323232u);
    EXPECT_EQ(Render(D3DRS_SRCBLEND), DWORD(D3DBLEND_SRCALPHA));
    EXPECT_EQ(Render(D3DRS_DESTBLEND), DWORD(D3DBLEND_ONE));
    EXPECT_EQ(Render(D3DRS_BLENDOP), DWORD(D3DBLENDOP_REVSUBTRACT));
}

TEST_F(StageSetupTest, WithoutTheBlendOperationSubtractionOfWhiteInvertsTheDestination) {
    D3D9CapabilityProfile profile;
    profile.blend_op = false;
    D3D9SetCapabilityProfile(profile);
    MakeDevice(8, 8);
    ASSERT_EQ(deviceCapabilityFlags.nativeSubtractive, 0);
    drawSettings.blendMode = 3;
    EXPECT_EQ(DrawColourOver(0x6496C8, 0xFFFFFFFF), 0x9B6937u);
    EXPECT_EQ(Render(D3DRS_SRCBLEND), DWORD(D3DBLEND_INVDESTCOLOR));
    EXPECT_EQ(Render(D3DRS_DESTBLEND), DWORD(D3DBLEND_ZERO));
    // The untextured mode-3 set: colour and alpha straight from the vertex, one stage.
    EXPECT_EQ(Stage(0, D3DTSS_COLOROP), DWORD(D3DTOP_SELECTARG1));
    EXPECT_EQ(Stage(0, D3DTSS_COLORARG1), DWORD(D3DTA_DIFFUSE));
    EXPECT_EQ(Stage(0, D3DTSS_ALPHAOP), DWORD(D3DTOP_SELECTARG2));
    EXPECT_EQ(Stage(0, D3DTSS_ALPHAARG2), DWORD(D3DTA_DIFFUSE));
    EXPECT_EQ(Stage(1, D3DTSS_COLOROP), DWORD(D3DTOP_DISABLE));
}

TEST_F(StageSetupTest, TheBorderBlendTurnsBorderAndRangeIntoTheFactorAndStageOperations) {
    MakeDevice(8, 8);
    struct Case {
        int border, range, alphaTest;
        DWORD factor, stage0AlphaOp, stage1AlphaOp;
    };
    const Case cases[] = {
        {0, 255, 0, 0xFFFFFFFF, D3DTOP_ADD, D3DTOP_MODULATE},
        {255, 255, 0, 0xFFFFFFFF, D3DTOP_SUBTRACT, D3DTOP_MODULATE},
        {128, 255, 0, 0x01FFFFFF, D3DTOP_SUBTRACT, D3DTOP_MODULATE},
        {0, 64, 0, 0x40FFFFFF, D3DTOP_ADD, D3DTOP_MODULATE4X},
        {0, 100, 0, 0x80FFFFFF, D3DTOP_ADD, D3DTOP_MODULATE2X},
    };
    SetStageTexture(Texture());
    SetBlendTexture(Texture(), 4, 4);
    for (const Case& c : cases) {
        const int params[2] = {c.border, c.range};
        SetBlendTextureState(1, params);
        SetStageBlendInputs(0, c.alphaTest, 0);
        ASSERT_EQ(D3DDrawSetup(nullptr, 1, 0), 0);
        EXPECT_EQ(Render(D3DRS_TEXTUREFACTOR), c.factor) << c.border << " " << c.range;
        EXPECT_EQ(Stage(0, D3DTSS_ALPHAOP), c.stage0AlphaOp) << c.border << " " << c.range;
        EXPECT_EQ(Stage(1, D3DTSS_ALPHAOP), c.stage1AlphaOp) << c.border << " " << c.range;
        EXPECT_EQ(Render(D3DRS_ALPHABLENDENABLE), 1u);
        EXPECT_EQ(vertexBatch.kind, 2);
    }
}

TEST_F(StageSetupTest, ANarrowBorderRangeAlphaTestsFromReferenceOne) {
    MakeDevice(8, 8);
    SetStageTexture(Texture());
    SetBlendTexture(Texture(), 4, 4);
    const int params[2] = {0, 0};
    SetBlendTextureState(1, params);
    SetStageBlendInputs(0, 1, 0);
    ASSERT_EQ(D3DDrawSetup(nullptr, 1, 0), 0);
    EXPECT_EQ(Render(D3DRS_ALPHAREF), 1u);
    EXPECT_EQ(Render(D3DRS_ALPHAFUNC), DWORD(D3DCMP_GREATEREQUAL));
    EXPECT_EQ(Render(D3DRS_ALPHATESTENABLE), 1u);
    EXPECT_EQ(Render(D3DRS_ALPHABLENDENABLE), 0u);
    EXPECT_EQ(Render(D3DRS_TEXTUREFACTOR), 0x00FFFFFFu);
}

TEST_F(StageSetupTest, ASetupWithNothingChangedFailsWithoutTouchingTheDevice) {
    MakeDevice(8, 8);
    const uintptr_t first = Texture(), second = Texture();
    SetStageTexture(first);
    SetStageBlendInputs(1, 0, 1);
    ASSERT_EQ(D3DDrawSetup(nullptr, 1, 0), 0);
    StartTrace();
    EXPECT_EQ(D3DDrawSetup(nullptr, 1, 0), -1);
    EXPECT_TRUE(TakeTrace().empty());
    // Only the texture changes: it alone is bound again.
    SetStageTexture(second);
    StartTrace();
    EXPECT_EQ(D3DDrawSetup(nullptr, 1, 0), 0);
    const std::vector<std::string> rebind = {"IDirect3DDevice9::SetTexture(0, ptr)"};
    EXPECT_EQ(TakeTrace(), rebind);
}

TEST_F(StageSetupTest, ATextureOnlyChangeUnderACrossFadeRebindsTheGraphicOnStageOne) {
    MakeDevice(8, 8);
    SetStageTexture(Texture());
    SetBlendTexture(Texture(), 4, 4);
    const int cross[1] = {50};
    SetBlendTextureState(0, cross);
    ASSERT_EQ(D3DDrawSetup(nullptr, 1, 0), 0);
    SetStageTexture(Texture());
    StartTrace();
    EXPECT_EQ(D3DDrawSetup(nullptr, 1, 0), 0);
    const std::vector<std::string> rebind = {"IDirect3DDevice9::SetTexture(1, ptr)"};
    EXPECT_EQ(TakeTrace(), rebind);
    IDirect3DBaseTexture9* bound = nullptr;
    Device()->GetTexture(1, &bound);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(bound), renderStateCache.stageSetup.texture);
    if (bound) bound->Release();
}

TEST_F(StageSetupTest, TheSecondBlendPairOverridesTheAlphaTest) {
    MakeDevice(8, 8);
    SetStageTexture(Texture());
    SetStageBlendInputs(1, 0, 1);
    SetSecondBlendState(D3DCMP_LESS, 77);
    ASSERT_EQ(D3DDrawSetup(nullptr, 1, 0), 0);
    EXPECT_EQ(Render(D3DRS_ALPHATESTENABLE), 1u);
    EXPECT_EQ(Render(D3DRS_ALPHAFUNC), DWORD(D3DCMP_LESS));
    EXPECT_EQ(Render(D3DRS_ALPHAREF), 77u);
}

TEST_F(StageSetupTest, TheDepthTestMakesAnOpaqueDrawTakeTheTextureAlphaWithoutAlphaTest) {
    MakeDevice(8, 8);
    drawSettings.depth2D.zEnable = 1;
    PrepareDrawStates(Texture(), kDrawOneToOne);
    EXPECT_EQ(Stage(0, D3DTSS_ALPHAOP), DWORD(D3DTOP_SELECTARG1));
    EXPECT_EQ(Stage(0, D3DTSS_ALPHAARG1), DWORD(D3DTA_TEXTURE));
    EXPECT_EQ(Render(D3DRS_ALPHATESTENABLE), 0u);
}

TEST_F(StageSetupTest, AChangedStageCountSendsTheFilterAgainToEveryStageSampler) {
    MakeDevice(8, 8);
    SetTextureFilter(1);
    SetStageTexture(Texture());
    SetBlendTexture(Texture(), 4, 4);
    const int cross[1] = {100};
    SetBlendTextureState(0, cross);
    SetStageSwitches(1, 1);
    StartTrace();
    ASSERT_EQ(D3DDrawSetup(nullptr, 1, 0), 0);
    const auto trace = TakeTrace();
    EXPECT_EQ(CountLines(trace, "IDirect3DDevice9::SetSamplerState(0, 5, 2)"), 1);
    EXPECT_EQ(CountLines(trace, "IDirect3DDevice9::SetSamplerState(3, 6, 2)"), 1);
    EXPECT_EQ(Render(D3DRS_TEXTUREFACTOR), 100u << 24);
    // Three counted stages and the closing one.
    EXPECT_EQ(Stage(2, D3DTSS_COLOROP), DWORD(D3DTOP_MODULATE));
    EXPECT_EQ(Stage(3, D3DTSS_COLOROP), DWORD(D3DTOP_DISABLE));
}

TEST_F(StageSetupTest, AnOverrideSuppliesTheStagesAndStopsAfterADisabledAlpha) {
    MakeDevice(8, 8);
    StageSetupBlock block{};
    block.alphaTestEnable = 1, block.alphaRef = 9, block.alphaFunc = D3DCMP_EQUAL;
    block.srcBlend = block.destBlend = block.blendOp = -1;
    block.textureFactor = 0x12345678;
    block.stageCount = 4;
    const StageRecord op{Texture(), 0, -1, -1, -1, D3DTOP_DISABLE, D3DTA_TEXTURE, -1, D3DTOP_SELECTARG1};
    for (int i = 0; i < 4; ++i) block.stages[i] = op;
    block.stages[2].colourOp = D3DTOP_ADD;
    block.stages[3].colourOp = D3DTOP_SUBTRACT;
    ASSERT_EQ(D3DDrawSetup(&block, 1, 0), 0);
    EXPECT_EQ(Render(D3DRS_ALPHAREF), 9u);
    EXPECT_EQ(Render(D3DRS_TEXTUREFACTOR), 0x12345678u);
    EXPECT_EQ(Stage(1, D3DTSS_COLOROP), DWORD(D3DTOP_SELECTARG1));
    // Stage 1's alpha is disabled: stage 2 and beyond are not written.
    EXPECT_NE(Stage(2, D3DTSS_COLOROP), DWORD(D3DTOP_ADD));
}

TEST_F(StageSetupTest, WithoutADeviceTheSetupFails) {
    EXPECT_EQ(D3DDrawSetup(nullptr, 1, 0), -1);
    PrepareDrawStates(0, kDrawColourModulation);
    EXPECT_EQ(drawStateLatch.flags, uint32_t(kDrawColourModulation));
}

// The configurations the table must hold for class 0, written out.
TEST(StageConfigTable, HoldsTheGivenClassZeroEntries) {
    struct Expect {
        int alpha, blendingOn, colourModulation, blendTextureMode;
        int stages;
        int16_t colourOp0, colourArg1, alphaOp0, alphaArg1, alphaArg2;
    };
    const Expect cases[] = {
        {0, 0, 0, 0, 1, D3DTOP_SELECTARG1, D3DTA_TEXTURE, D3DTOP_SELECTARG2, -1, D3DTA_DIFFUSE},
        {1, 0, 0, 0, 1, D3DTOP_SELECTARG1, D3DTA_TEXTURE, D3DTOP_SELECTARG1, D3DTA_TEXTURE, -1},
        {2, 0, 0, 0, 1, D3DTOP_SELECTARG1, D3DTA_TEXTURE, D3DTOP_SELECTARG1, D3DTA_TEXTURE, -1},
        {0, 0, 1, 0, 1, D3DTOP_MODULATE, D3DTA_TEXTURE, D3DTOP_SELECTARG2, -1, D3DTA_DIFFUSE},
        {1, 0, 1, 0, 1, D3DTOP_MODULATE, D3DTA_TEXTURE, D3DTOP_SELECTARG1, D3DTA_TEXTURE, -1},
        {0, 1, 1, 0, 1, D3DTOP_MODULATE, D3DTA_TEXTURE, D3DTOP_SELECTARG2, -1, D3DTA_DIFFUSE},
        {2, 1, 0, 0, 1, D3DTOP_SELECTARG1, D3DTA_TEXTURE, D3DTOP_MODULATE, D3DTA_TEXTURE, D3DTA_DIFFUSE},
        {1, 0, 0, 1, 2, D3DTOP_SELECTARG1, D3DTA_TEXTURE, D3DTOP_SELECTARG1, D3DTA_TEXTURE, -1},
        {0, 1, 1, 1, 3, D3DTOP_SELECTARG1, D3DTA_TEXTURE, D3DTOP_SELECTARG1, D3DTA_TEXTURE, -1},
        {2, 0, 0, 2, 2, D3DTOP_SELECTARG2, -1, D3DTOP_ADD, D3DTA_TEXTURE, D3DTA_TFACTOR},
        {1, 0, 0, 2, 3, D3DTOP_SELECTARG2, -1, D3DTOP_ADD, D3DTA_TEXTURE, D3DTA_TFACTOR},
        {0, 0, 0, 3, 2, D3DTOP_SELECTARG1, D3DTA_TEXTURE, D3DTOP_SELECTARG1, D3DTA_TEXTURE, -1},
    };
    for (const Expect& e : cases) {
        const StageConfigEntry& entry = StageConfigTable[StageConfigIndex(
            e.alpha, e.blendingOn, e.colourModulation, e.blendTextureMode, 0)];
        const StageRecord& s0 = entry.stages[0];
        EXPECT_EQ(int(s0.texture), e.stages);
        EXPECT_EQ(s0.colourOp, e.colourOp0);
        EXPECT_EQ(s0.colourArg1, e.colourArg1);
        EXPECT_EQ(s0.alphaOp, e.alphaOp0);
        EXPECT_EQ(s0.alphaArg1, e.alphaArg1);
        EXPECT_EQ(s0.alphaArg2, e.alphaArg2);
        EXPECT_EQ(s0.resultToTemp, 0);
        const StageRecord& closing = entry.stages[e.stages];
        EXPECT_EQ(closing.colourOp, D3DTOP_DISABLE);
        EXPECT_EQ(closing.alphaOp, D3DTOP_DISABLE);
        EXPECT_EQ(closing.texCoordIndex, -1);
    }
    // Cross-fade: stage 1 weighs by the factor on the graphic's coordinates; border, alpha blended:
    // stage 1 multiplies by the specular alpha; the alpha kind: the graphic first.
    const StageRecord& fade = StageConfigTable[StageConfigIndex(1, 0, 0, 1, 0)].stages[1];
    EXPECT_EQ(fade.texCoordIndex, 1);
    EXPECT_EQ(fade.colourOp, D3DTOP_BLENDFACTORALPHA);
    EXPECT_EQ(fade.colourArg2, D3DTA_TEXTURE);
    const StageRecord& border = StageConfigTable[StageConfigIndex(1, 0, 0, 2, 0)].stages[1];
    EXPECT_EQ(border.alphaArg1, D3DTA_SPECULAR);
    const StageRecord* alphaKind = StageConfigTable[StageConfigIndex(0, 0, 0, 3, 0)].stages;
    EXPECT_EQ(alphaKind[0].texCoordIndex, 1);
    EXPECT_EQ(alphaKind[1].alphaOp, D3DTOP_MODULATE);
    EXPECT_EQ(alphaKind[1].alphaArg2, D3DTA_TEXTURE);
}

TEST(StageConfigTable, EveryEntryEndsInAClosingRecordAndNeverSelectedOnesAreEmpty) {
    for (int i = 0; i < kStageConfigEntryCount; ++i) {
        const int count = int(StageConfigTable[i].stages[0].texture);
        const bool neverSelected = i / 48 == 1 && (i / 12) % 4 != 0;
        if (neverSelected) {
            EXPECT_EQ(count, 0) << i;
            continue;
        }
        ASSERT_GE(count, 1) << i;
        ASSERT_LE(count, 5) << i;
        EXPECT_EQ(StageConfigTable[i].stages[count].colourOp, D3DTOP_DISABLE) << i;
        for (int s = 0; s < count; ++s)
            EXPECT_NE(StageConfigTable[i].stages[s].colourOp, D3DTOP_DISABLE) << i;
    }
    // Class 3 with the cross-fade takes five stages.
    EXPECT_EQ(int(StageConfigTable[StageConfigIndex(0, 0, 0, 1, 3)].stages[0].texture), 5);
}

TEST(LibraryPixelShaders, NamesFollowTheirInputs) {
    char name[48];
    NoTexturePixelShaderName(name, 2);
    EXPECT_STREQ(name, "ps_nonetex_type2.pso");
    struct Case {
        int b, t, c, a;
        const char* name;
        int entry;
    };
    const Case cases[] = {{0, 0, 0, 0, "ps_blend0_type0_igcolor0_igtalpha0.pso", 0},
                          {0, 1, 0, 1, "ps_blend0_type1_igcolor0_igtalpha1.pso", 5},
                          {2, 3, 0, 0, "ps_blend2_type3_igcolor0_igtalpha0.pso", 44},
                          {3, 2, 1, 1, "ps_blend3_type2_igcolor1_igtalpha1.pso", 59}};
    for (const Case& c : cases) {
        BlendPixelShaderName(name, c.b, c.t, c.c, c.a);
        EXPECT_STREQ(name, c.name);
        EXPECT_EQ(BlendPixelShaderEntry(c.b, c.t, c.c, c.a), c.entry);
    }
    EXPECT_EQ(BlendModeClass(12), 3);
    EXPECT_EQ(BlendModeClass(13), 3);
    EXPECT_EQ(BlendModeClass(10), 2);
    EXPECT_EQ(BlendModeClass(1), 0);
}

}  // namespace
}  // namespace graphics_test
