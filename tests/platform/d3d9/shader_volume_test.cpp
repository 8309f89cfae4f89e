// Volume textures: filled by LockBox in system memory, copied to the default pool by UpdateTexture, and
// sampled by texld with three coordinates (point and linear, the W address mode).
#include "tests/platform/d3d9/d3d9_test_support.h"
#include "tests/platform/d3d9/shader_test_support.h"

namespace d3d9_test {
namespace {

constexpr UINT kW = 4, kH = 3, kD = 5;

uint32_t TexelAt(UINT x, UINT y, UINT z) {
    return 0xFF000000u | (x * 60) << 16 | (y * 100) << 8 | (z * 50);
}

class ShaderVolumeTest : public DeviceTest {
  protected:
    void SetUp() override {
        DeviceTest::SetUp();
        D3D9CapabilityProfile profile;
        D3D9ApplyShaderProfile(&profile, D3D9ShaderProfile::kSm2);
        D3D9SetCapabilityProfile(profile);
        MakeDevice(2, 2);
    }

    IDirect3DVolumeTexture9* MakeVolume(D3DPOOL pool, UINT depth = kD, D3DFORMAT format = D3DFMT_X8R8G8B8) {
        IDirect3DVolumeTexture9* v = nullptr;
        EXPECT_EQ(device->CreateVolumeTexture(kW, kH, depth, 1, 0, format, pool, &v, nullptr), D3D_OK);
        return v;
    }

    // The program's colour for a coordinate given in c0.
    uint32_t Sample(float u, float v, float w) {
        const float c0[4] = {u, v, w, 1};
        device->SetPixelShaderConstantF(0, c0, 1);
        DrawQuad(0, 0, 2, 2, 0, 0, 1, 1, 0xFFFFFFFF);
        return ReadTarget()[0];
    }
};

TEST_F(ShaderVolumeTest, TexldReadsTheTexelsLockBoxWroteAndUpdateTextureCopied) {
    IDirect3DVolumeTexture9* staging = MakeVolume(D3DPOOL_SYSTEMMEM);
    D3DLOCKED_BOX box;
    ASSERT_EQ(staging->LockBox(0, &box, nullptr, 0), D3D_OK);
    for (UINT z = 0; z < kD; ++z)
        for (UINT y = 0; y < kH; ++y)
            for (UINT x = 0; x < kW; ++x) {
                uint8_t* p = static_cast<uint8_t*>(box.pBits) + z * box.SlicePitch + y * box.RowPitch + x * 4;
                const uint32_t texel = TexelAt(x, y, z);
                std::memcpy(p, &texel, 4);
            }
    ASSERT_EQ(staging->UnlockBox(0), D3D_OK);
    IDirect3DVolumeTexture9* volume = MakeVolume(D3DPOOL_DEFAULT);
    ASSERT_EQ(device->UpdateTexture(staging, volume), D3D_OK);

    Tokens p = Program(kPs20);
    p.Op(kOpDcl, {0x80000000u | 4u << 27, Destination(kRegSampler, 0)});  // dcl_volume s0
    p.Op(kOpTexld, {Destination(kRegTemp, 0), Source(kRegConst, 0), Source(kRegSampler, 0)});
    p.Op(kOpMov, {Destination(kRegColourOut, 0), Source(kRegTemp, 0)});
    IDirect3DPixelShader9* shader = nullptr;
    ASSERT_EQ(device->CreatePixelShader(Words(p).data(), &shader), D3D_OK);
    device->SetPixelShader(shader);
    device->SetTexture(0, volume);
    for (UINT z = 0; z < kD; ++z)
        for (UINT y = 0; y < kH; ++y)
            for (UINT x = 0; x < kW; ++x)
                EXPECT_EQ(Sample((x + 0.5f) / kW, (y + 0.5f) / kH, (z + 0.5f) / kD), TexelAt(x, y, z))
                    << x << " " << y << " " << z;
    // W wraps by default and clamps when asked.
    EXPECT_EQ(Sample(0.1f, 0.1f, 1.0f + 0.5f / kD), TexelAt(0, 0, 0));
    device->SetSamplerState(0, D3DSAMP_ADDRESSW, D3DTADDRESS_CLAMP);
    EXPECT_EQ(Sample(0.1f, 0.1f, 1.0f + 0.5f / kD), TexelAt(0, 0, kD - 1));
    // Linear filtering halfway between slices 1 and 2 (blue 50 and 100) and rows 0 and 1 (green 0 and 100).
    device->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR);
    device->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_LINEAR);
    EXPECT_EQ(Sample((2 + 0.5f) / kW, 1.0f / kH, 2.0f / kD), 0xFF78324Bu);
    device->SetPixelShader(nullptr);
    device->SetTexture(0, nullptr);
    shader->Release();
    volume->Release();
    staging->Release();
}

TEST_F(ShaderVolumeTest, UpdateTextureRefusesVolumesThatDoNotMatch) {
    IDirect3DVolumeTexture9* staging = MakeVolume(D3DPOOL_SYSTEMMEM);
    IDirect3DVolumeTexture9* shallow = MakeVolume(D3DPOOL_DEFAULT, kD - 1);
    IDirect3DVolumeTexture9* other = MakeVolume(D3DPOOL_DEFAULT, kD, D3DFMT_A8R8G8B8);
    IDirect3DVolumeTexture9* managed = MakeVolume(D3DPOOL_MANAGED);
    IDirect3DTexture9* flat = MakeTexture(kW, kH, D3DFMT_X8R8G8B8, std::vector<uint32_t>(kW * kH));
    EXPECT_EQ(device->UpdateTexture(staging, shallow), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->UpdateTexture(staging, other), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->UpdateTexture(staging, managed), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->UpdateTexture(managed, staging), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->UpdateTexture(staging, flat), D3DERR_INVALIDCALL);
    for (IUnknown* u : std::initializer_list<IUnknown*>{staging, shallow, other, managed, flat}) u->Release();
}

}  // namespace
}  // namespace d3d9_test
