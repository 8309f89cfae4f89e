// The built-in shaders at graphics start, their release, the brightness volume texture and its texels.
#include "engine/graphics/device/builtin_shaders.h"

#include <cstring>

#include "engine/graphics/device/brightness_volume_texture.h"
#include "engine/graphics/device/builtin_shader_archives.h"
#include "engine/graphics/device/device_probe.h"
#include "engine/graphics/device/device_wrappers.h"
#include "engine/graphics/device/graphics_init.h"
#include "engine/graphics/draw/shader_constant_cache.h"
#include "tests/graphics/device/device_fixture.h"

namespace {

class BuiltinShaderTest : public DeviceTest {
  protected:
    void TearDown() override {
        ShutdownGraphics();
        DeviceTest::TearDown();
    }
    static void ExpectPixelConstant(int reg, const float (&expected)[4]) {
        float value[4];
        std::memcpy(value, shaderConstantCache.sets[0][kBankPixelFloat].values + reg * 16, sizeof(value));
        for (int i = 0; i < 4; ++i) EXPECT_EQ(value[i], expected[i]) << "register " << reg << " lane " << i;
    }
};

// A shader object that counts its references.
struct CountedShader : IDirect3DVertexShader9 {
    ULONG references = 1;
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void**) override { return E_FAIL; }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references; }
    ULONG STDMETHODCALLTYPE Release() override { return --references; }
};

struct CountedPixelShader : IDirect3DPixelShader9 {
    ULONG references = 1;
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void**) override { return E_FAIL; }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references; }
    ULONG STDMETHODCALLTYPE Release() override { return --references; }
};

}  // namespace

TEST_F(BuiltinShaderTest, ReleaseEmptiesThePermutationTablesThatExist) {
    MakeDirect3D();
    ASSERT_EQ(ProbeDeviceFormats(), 0);
    EXPECT_EQ(ReleasePixelShaders(), 0);  // no table yet
    CountedPixelShader first, last;
    builtinShaders.permutationsA.reset(new IDirect3DPixelShader9*[kPermutationTableA]());
    builtinShaders.permutationsB.reset(new IDirect3DPixelShader9*[kPermutationTableB]());
    builtinShaders.permutationsA[0] = &first;
    builtinShaders.permutationsB[kPermutationTableB - 1] = &last;
    EXPECT_EQ(ReleasePixelShaders(), 0);
    EXPECT_EQ(first.references, 0u);
    EXPECT_EQ(last.references, 0u);
    EXPECT_EQ(builtinShaders.permutationsA[0], nullptr);
    EXPECT_EQ(builtinShaders.permutationsB[kPermutationTableB - 1], nullptr);
    builtinShaders.permutationsA.reset();
    builtinShaders.permutationsB.reset();
}

TEST_F(BuiltinShaderTest, WithoutShaderTwoTheFixedPathIsUsed) {
    ASSERT_EQ(InitGraphicsSystem(), 0);
    EXPECT_TRUE(Logged("プログラマブルシェーダーを使用しません"));
    // No archive was unpacked: a file they hold is found only once they are opened.
    int size = 0;
    EXPECT_EQ(FindBuiltinShaderFile("ps_mask_blend.pso", &size), nullptr);
    ASSERT_EQ(OpenBuiltinShaderArchives(), 1);
    EXPECT_NE(FindBuiltinShaderFile("ps_mask_blend.pso", &size), nullptr);
    EXPECT_EQ(GetProgrammableShaderFlag(), 0);
    ExpectPixelConstant(0, {0.0f, 1.0f, 0.0f, 0.0f});
    ExpectPixelConstant(3, {0.0f, 0.5f, 1.0f, 2.0f});
}

// The archives open, but the stand-in makes no shader objects: the first creation fails.
TEST_F(BuiltinShaderTest, ShaderTwoDeviceFallsBackWhenTheDeviceMakesNoShaders) {
    D3D9CapabilityProfile profile;
    profile.vertex_shader_version = D3DVS_VERSION(2, 0);
    profile.pixel_shader_version = D3DPS_VERSION(2, 0);
    D3D9SetCapabilityProfile(profile);
    D3D9FailCreation("CreateVertexShader", -1);
    ASSERT_EQ(InitGraphicsSystem(), 0);
    EXPECT_EQ(Direct3DMode, 1);
    ExpectLinesInOrder(
        {"頂点シェーダーオブジェクトの作成に失敗しました", "プログラマブルシェーダーを使用しません"});
    EXPECT_FALSE(Logged("シェーダーコードを展開するメモリ領域の確保に失敗しました"));
    EXPECT_EQ(GetProgrammableShaderFlag(), 0);
}

TEST_F(BuiltinShaderTest, ReleaseTakesTheVertexShaderToo) {
    MakeDirect3D();
    ASSERT_EQ(ProbeDeviceFormats(), 0);
    CountedShader vertex;
    builtinShaders.vertexShader = &vertex;
    EXPECT_EQ(ReleasePixelShaders(), 0);
    EXPECT_EQ(vertex.references, 0u);
    EXPECT_EQ(builtinShaders.vertexShader, nullptr);
    EXPECT_EQ(ReleasePixelShaders(), 0);  // twice is harmless
    EXPECT_EQ(vertex.references, 0u);
    EXPECT_EQ(GetNoTexturePixelShader(-1), nullptr);
    EXPECT_EQ(GetBlendPixelShader(kBlendPixelShaderCount), nullptr);
}

TEST_F(BuiltinShaderTest, BrightnessTexelsKeepHueAtFullBrightness) {
    struct Case {
        int x, y, z;
        uint32_t texel;
    };
    for (Case c : {Case{0, 0, 0, 0xFFFFFFFF}, Case{7, 7, 7, 0xFFFFFFFF}, Case{127, 0, 0, 0xFFFF0000},
                   Case{8, 0, 0, 0xFFFF0000}, Case{0, 7, 14, 0xFF0080FF}, Case{64, 32, 16, 0xFFFF8040},
                   Case{127, 127, 127, 0xFFFFFFFF}, Case{7, 7, 8, 0xFFDFDFFF}})
        EXPECT_EQ(FullBrightnessTexel(c.x, c.y, c.z), c.texel) << c.x << "," << c.y << "," << c.z;
}

// The stand-in updates 2D textures only: the failed update keeps neither texture.
TEST_F(BuiltinShaderTest, FailedBrightnessTextureKeepsNothing) {
    EXPECT_EQ(CreateBrightnessVolumeTexture(), -1);  // no device
    MakeDirect3D();
    ASSERT_EQ(ProbeDeviceFormats(), 0);
    D3D9SetTraceEnabled(true);
    D3D9FailCreation("CreateVolumeTexture", 1);
    EXPECT_EQ(CreateBrightnessVolumeTexture(), -1);
    EXPECT_EQ(brightnessVolumeTexture, nullptr);
    const std::vector<std::string> trace = D3D9TakeTrace();
    EXPECT_EQ(std::count_if(trace.begin(), trace.end(),
                            [](const std::string& call) {
                                return call.find("CreateVolumeTexture") != std::string::npos;
                            }),
              1);
}
