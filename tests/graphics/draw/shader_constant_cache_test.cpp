#include <gtest/gtest.h>

#include <cstring>
#include <set>

#include "tests/graphics/draw/draw_test_support.h"

namespace graphics_test {
namespace {

class ShaderConstantCacheTest : public DrawFixture {
  protected:
    void SetUp() override {
        DrawFixture::SetUp();
        MakeDevice(16, 16);
        ResetShaderConstantCache(&shaderConstantCache);
        SelectShaderConstantSets(&shaderConstantCache, 0x1);
    }
    static void Fill(float* v, int registers, float base) {
        for (int i = 0; i < registers * 4; ++i) v[i] = base + float(i);
    }
    std::vector<float> Read(int first, int count) {
        std::vector<float> v(size_t(count) * 4, -99.0f);
        Device()->GetVertexShaderConstantF(UINT(first), v.data(), UINT(count));
        return v;
    }
};

TEST_F(ShaderConstantCacheTest, SelectingTheSameMaskTwiceUploadsNothingTheSecondTime) {
    float v[8];
    Fill(v, 2, 1.0f);
    SetShaderConstants(&shaderConstantCache, kBankVertexFloat, 1, 20, v, 2, 1);
    StartTrace();
    EXPECT_EQ(SelectShaderConstantSets(&shaderConstantCache, 0x2), 0);
    const std::vector<std::string> first = {"IDirect3DDevice9::SetVertexShaderConstantF(20, ptr, 2)"};
    EXPECT_EQ(TakeTrace(), first);
    EXPECT_EQ(SelectShaderConstantSets(&shaderConstantCache, 0x2), 0);
    EXPECT_TRUE(TakeTrace().empty());
    EXPECT_EQ(Read(20, 2), std::vector<float>(v, v + 8));
}

TEST_F(ShaderConstantCacheTest, ClearingAHigherSetGivesTheRegistersBackToTheActiveLowerSet) {
    SelectShaderConstantSets(&shaderConstantCache, 0x1 | 0x4);
    float base[12], over[12], inactive[12];
    Fill(base, 3, 10.0f);
    Fill(over, 3, 500.0f);
    Fill(inactive, 3, 900.0f);
    SetShaderConstants(&shaderConstantCache, kBankVertexFloat, 0, 40, base, 3, 1);
    SetShaderConstants(&shaderConstantCache, kBankVertexFloat, 1, 40, inactive, 3, 1);
    SetShaderConstants(&shaderConstantCache, kBankVertexFloat, 2, 40, over, 3, 1);
    EXPECT_EQ(Read(40, 3), std::vector<float>(over, over + 12));
    StartTrace();
    EXPECT_EQ(ClearShaderConstants(&shaderConstantCache, kBankVertexFloat, 2, 40, 3), 0);
    const std::vector<std::string> upload = {"IDirect3DDevice9::SetVertexShaderConstantF(40, ptr, 3)"};
    EXPECT_EQ(TakeTrace(), upload);
    // Set 1 holds values there too but is not active: set 0 takes the registers back.
    EXPECT_EQ(Read(40, 3), std::vector<float>(base, base + 12));
    EXPECT_EQ(shaderConstantCache.owner[kBankVertexFloat][41], 0);
}

TEST_F(ShaderConstantCacheTest, AHigherSetKeepsItsRegistersWhenALowerSetWrites) {
    SelectShaderConstantSets(&shaderConstantCache, 0x1 | 0x8);
    float high[4], low[8];
    Fill(high, 1, 70.0f);
    Fill(low, 2, 1.0f);
    SetShaderConstants(&shaderConstantCache, kBankVertexFloat, 3, 11, high, 1, 1);
    SetShaderConstants(&shaderConstantCache, kBankVertexFloat, 0, 10, low, 2, 1);
    const auto back = Read(10, 2);
    EXPECT_EQ(std::vector<float>(back.begin(), back.begin() + 4), std::vector<float>(low, low + 4));
    EXPECT_EQ(std::vector<float>(back.begin() + 4, back.end()), std::vector<float>(high, high + 4));
}

TEST_F(ShaderConstantCacheTest, RegistersOutsideTheirBankAreRefused) {
    struct Case {
        int bank, set, first, count;
    };
    const Case refused[] = {{kBankVertexFloat, 0, 250, 7},
                            {kBankPixelFloat, 0, 220, 5},
                            {kBankVertexInt, 0, 16, 1},
                            {kBankPixelBool, 0, 15, 2},
                            {kBankVertexFloat, 0, -1, 2},
                            {kBankVertexFloat, 0, 0, -1},
                            {6, 0, 0, 1},
                            {kBankVertexFloat, 4, 0, 1}};
    float v[64] = {};
    const ShaderConstantCache before = shaderConstantCache;
    StartTrace();
    for (const Case& c : refused) {
        EXPECT_EQ(SetShaderConstants(&shaderConstantCache, c.bank, c.set, c.first, v, c.count, 1), -1);
        EXPECT_EQ(ClearShaderConstants(&shaderConstantCache, c.bank, c.set, c.first, c.count), -1);
    }
    EXPECT_TRUE(TakeTrace().empty());
    EXPECT_EQ(std::memcmp(&before, &shaderConstantCache, sizeof before), 0);
    EXPECT_EQ(SetShaderConstants(&shaderConstantCache, kBankPixelFloat, 0, 220, v, 4, 1), 0);
    EXPECT_EQ(SetShaderConstants(&shaderConstantCache, kBankVertexFloat, 0, 5, v, 0, 1), 0);
}

TEST_F(ShaderConstantCacheTest, UsedRangesMergeAndSplit) {
    const ShaderConstantSetBank& b = shaderConstantCache.sets[0][kBankVertexFloat];
    float v[64] = {};
    for (int r = 0; r < 256; r += 2)
        SetShaderConstants(&shaderConstantCache, kBankVertexFloat, 0, r, v, 1, 1);
    EXPECT_EQ(b.rangeCount, 128);
    for (int r = 1; r < 256; r += 2)
        SetShaderConstants(&shaderConstantCache, kBankVertexFloat, 0, r, v, 1, 1);
    ASSERT_EQ(b.rangeCount, 1);
    EXPECT_EQ(b.ranges[0][0], 0);
    EXPECT_EQ(b.ranges[0][1], 256);
    ClearShaderConstants(&shaderConstantCache, kBankVertexFloat, 0, 100, 10);
    ASSERT_EQ(b.rangeCount, 2);
    EXPECT_EQ(b.ranges[0][1], 100);
    EXPECT_EQ(b.ranges[1][0], 110);
}

TEST_F(ShaderConstantCacheTest, TheWorldMatrixReadsBackTransposed) {
    float m[16];
    for (int i = 0; i < 16; ++i) m[i] = float(i + 1);
    SetWorldMatrix(m);
    const auto back = Read(94, 4);
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) EXPECT_EQ(back[size_t(r) * 4 + c], m[c * 4 + r]);
    D3DMATRIX device{};
    Device()->GetTransform(D3DTS_WORLD, &device);
    EXPECT_EQ(std::memcmp(&device, m, sizeof m), 0);
}

TEST_F(ShaderConstantCacheTest, TheProjectionCombinesTheSecondAndDrawAreaMatrices) {
    float projection[16] = {}, second[16] = {}, area[16] = {};
    for (int i = 0; i < 4; ++i) projection[i * 5] = 2.0f, second[i * 5] = 3.0f, area[i * 5] = 1.0f;
    area[12] = 5.0f;
    SetProjectionMatrix(projection);
    SetSecondMatrix(second);
    SetDrawAreaMatrix(area);
    D3DMATRIX device{};
    Device()->GetTransform(D3DTS_PROJECTION, &device);
    EXPECT_EQ(device.m[0][0], 6.0f);
    EXPECT_EQ(device.m[3][3], 6.0f);
    EXPECT_EQ(device.m[3][0], 30.0f);
    const auto back = Read(2, 4);
    EXPECT_EQ(back[3], 30.0f);  // transposed: row 0, column 3
}

TEST_F(ShaderConstantCacheTest, LightGroupsAndTheWorldMatrixShareNoRegister) {
    SelectShaderConstantSets(&shaderConstantCache, 0x1 | 0x8);
    D3DMATERIAL9 material{};
    material.Diffuse = {1, 1, 1, 1};
    SetCachedMaterial(&material);
    for (int i = 0; i < kConstantLightCount; ++i) {
        D3DLIGHT9 light{};
        light.Type = D3DLIGHT_POINT;
        light.Diffuse = {float(i) / 16, 0.5f, 0.25f, 1};
        light.Position = {float(100 + i), 0, 0};
        light.Direction = {0, 0, float(200 + i)};
        ASSERT_EQ(SetCachedLight(i, &light), 0);
        ASSERT_EQ(SetCachedLightEnable(i, 1), 0);
    }
    float world[16] = {};
    for (int i = 0; i < 16; ++i) world[i] = float(1000 + i);
    SetWorldMatrix(world);
    // Light 11 writes last: the world matrix must survive it.
    SetCachedLightEnable(11, 0);
    SetCachedLightEnable(11, 1);
    const auto at = [](int set, int bank, int reg) {
        return reinterpret_cast<const float*>(shaderConstantCache.sets[set][bank].values + reg * 16);
    };
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) EXPECT_EQ(at(0, kBankVertexFloat, 94 + r)[c], world[c * 4 + r]);
    for (int i = 0; i < kConstantLightCount; ++i) {
        EXPECT_EQ(at(3, kBankVertexFloat, 32 + 7 * i)[0], float(100 + i)) << i;
        EXPECT_EQ(at(3, kBankVertexFloat, 33 + 7 * i)[2], float(200 + i)) << i;
        EXPECT_EQ(at(3, kBankVertexFloat, 36 + 7 * i)[0], float(i) / 16) << i;
        EXPECT_EQ(at(3, kBankPixelFloat, 11 + 3 * i)[0], float(i) / 16) << i;
        EXPECT_EQ(at(0, kBankVertexFloat, 14 + 7 * i)[0], float(100 + i)) << i;
        if (i != 11) {
            EXPECT_EQ(at(0, kBankVertexFloat, 18 + 7 * i)[0], float(i) / 16) << i;
        }
    }
    // The device's registers follow their owners: set 3 owns its light groups.
    const auto back = Read(36 + 7 * 2, 1);
    EXPECT_EQ(back[0], 2.0f / 16);
}

TEST_F(ShaderConstantCacheTest, TheShaderModelFollowsTheShaderVersions) {
    EXPECT_EQ(GetShaderModel(), 0);
    struct Case {
        DWORD vs, ps;
        int model;
    };
    const Case cases[] = {{0x0000, 0x0000, 0},   {0x0100, 0x0104, 0},   {0x0200, 0x0100, 200},
                          {0x0300, 0x0200, 200}, {0x0200, 0x0300, 200}, {0x0300, 0x0300, 300}};
    for (const Case& c : cases)
        EXPECT_EQ(ShaderModelFromVersions(c.vs, c.ps), c.model) << c.vs << " " << c.ps;
}

}  // namespace
}  // namespace graphics_test
