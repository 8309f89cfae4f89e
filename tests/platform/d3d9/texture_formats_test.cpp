// The formats beyond the packed colour ones: what CheckDeviceFormat answers per usage and what the
// profile takes away, texels of each format as the stages and shaders read them (DXT blocks decoded,
// luminance and alpha expanded, floats unclamped until an 8-bit target), conversions by StretchRect,
// block locks and copies, half floats and the 24- and 32-bit depth formats.
#include <cmath>

#include "platform/d3d9/channel_formats.h"
#include "tests/platform/d3d9/d3d9_test_support.h"
#include "tests/platform/d3d9/shader_test_support.h"

namespace d3d9_test {
namespace {

class TextureFormatsTest : public DeviceTest {
  protected:
    void SetUp() override {
        DeviceTest::SetUp();
        MakeDevice(8, 8);
    }

    // A managed texture whose level 0 is `bytes` as stored (rows of `row_bytes`, or block rows).
    IDirect3DTexture9* RawTexture(UINT width, UINT height, D3DFORMAT format,
                                  const std::vector<uint8_t>& bytes, size_t row_bytes) {
        IDirect3DTexture9* t = nullptr;
        EXPECT_EQ(device->CreateTexture(width, height, 1, 0, format, D3DPOOL_MANAGED, &t, nullptr), D3D_OK);
        if (!t) return nullptr;
        D3DLOCKED_RECT lr;
        EXPECT_EQ(t->LockRect(0, &lr, nullptr, 0), D3D_OK);
        for (size_t row = 0; row * row_bytes < bytes.size(); ++row)
            std::memcpy(static_cast<uint8_t*>(lr.pBits) + row * size_t(lr.Pitch),
                        bytes.data() + row * row_bytes, row_bytes);
        t->UnlockRect(0);
        return t;
    }

    // The texture drawn 1:1, point sampled, at the top-left corner of the current target.
    void DrawTexture(IDirect3DTexture9* t, UINT width, UINT height, D3DCOLOR diffuse = 0xFFFFFFFF) {
        device->SetTexture(0, t);
        DrawQuad(0, 0, float(width), float(height), 0, 0, 1, 1, diffuse);
        device->SetTexture(0, nullptr);
    }

    // The floats of the current target's pixel (x, y), through a system-memory copy.
    d3d9::ColorF ReadTargetFloat(int x, int y) {
        IDirect3DSurface9* rt = nullptr;
        device->GetRenderTarget(0, &rt);
        D3DSURFACE_DESC d;
        rt->GetDesc(&d);
        IDirect3DSurface9* sys = nullptr;
        EXPECT_EQ(device->CreateOffscreenPlainSurface(d.Width, d.Height, d.Format, D3DPOOL_SYSTEMMEM, &sys,
                                                      nullptr),
                  D3D_OK);
        EXPECT_EQ(device->GetRenderTargetData(rt, sys), D3D_OK);
        D3DLOCKED_RECT lr;
        EXPECT_EQ(sys->LockRect(&lr, nullptr, D3DLOCK_READONLY), D3D_OK);
        const d3d9::ColorF c =
            d3d9::FetchTexelFloat(d.Format, static_cast<uint8_t*>(lr.pBits), lr.Pitch, x, y);
        sys->UnlockRect();
        sys->Release();
        rt->Release();
        return c;
    }
};

std::vector<uint8_t> Bytes(std::initializer_list<int> values) {
    std::vector<uint8_t> out;
    for (int v : values) out.push_back(uint8_t(v));
    return out;
}
template <typename T>
std::vector<uint8_t> BytesOf(std::initializer_list<T> values) {
    std::vector<uint8_t> out(values.size() * sizeof(T));
    std::memcpy(out.data(), values.begin(), out.size());
    return out;
}

// What a shader-model-3 device of 2006 answers: block formats only as textures (not volumes, not
// targets), luminance formats only as textures, the wide formats also as render targets, the 24- and
// 32-bit depth formats as depth-stencil surfaces; and each group goes with its profile switch.
TEST(TextureFormatAnswers, PerUsageAndTakenAwayByTheProfile) {
    struct Case {
        D3DFORMAT format;
        DWORD usage;
        D3DRESOURCETYPE resource;
        bool offered;
        bool D3D9CapabilityProfile::*group;  // null: the answer does not depend on a switch
    };
    const DWORD rt = D3DUSAGE_RENDERTARGET, ds = D3DUSAGE_DEPTHSTENCIL;
    const Case cases[] = {
        {D3DFMT_DXT1, 0, D3DRTYPE_TEXTURE, true, &D3D9CapabilityProfile::dxt_formats},
        {D3DFMT_DXT5, 0, D3DRTYPE_SURFACE, true, &D3D9CapabilityProfile::dxt_formats},
        {D3DFMT_DXT3, rt, D3DRTYPE_TEXTURE, false, nullptr},
        {D3DFMT_DXT1, 0, D3DRTYPE_VOLUMETEXTURE, false, nullptr},
        {D3DFMT_L8, 0, D3DRTYPE_TEXTURE, true, &D3D9CapabilityProfile::luminance_formats},
        {D3DFMT_A8L8, 0, D3DRTYPE_TEXTURE, true, &D3D9CapabilityProfile::luminance_formats},
        {D3DFMT_A8, 0, D3DRTYPE_TEXTURE, true, &D3D9CapabilityProfile::luminance_formats},
        {D3DFMT_L8, rt, D3DRTYPE_TEXTURE, false, nullptr},
        {D3DFMT_A16B16G16R16, rt, D3DRTYPE_TEXTURE, true, &D3D9CapabilityProfile::wide_formats},
        {D3DFMT_G16R16, rt, D3DRTYPE_SURFACE, true, &D3D9CapabilityProfile::wide_formats},
        {D3DFMT_R16F, rt, D3DRTYPE_TEXTURE, true, &D3D9CapabilityProfile::wide_formats},
        {D3DFMT_G16R16F, 0, D3DRTYPE_TEXTURE, true, &D3D9CapabilityProfile::wide_formats},
        {D3DFMT_A16B16G16R16F, rt, D3DRTYPE_TEXTURE, true, &D3D9CapabilityProfile::wide_formats},
        {D3DFMT_R32F, rt, D3DRTYPE_TEXTURE, true, &D3D9CapabilityProfile::wide_formats},
        {D3DFMT_G32R32F, rt, D3DRTYPE_TEXTURE, true, &D3D9CapabilityProfile::wide_formats},
        {D3DFMT_A32B32G32R32F, 0, D3DRTYPE_VOLUMETEXTURE, true, &D3D9CapabilityProfile::wide_formats},
        {D3DFMT_D24S8, ds, D3DRTYPE_SURFACE, true, &D3D9CapabilityProfile::depth24_formats},
        {D3DFMT_D24X8, ds, D3DRTYPE_SURFACE, true, &D3D9CapabilityProfile::depth24_formats},
        {D3DFMT_D32, ds, D3DRTYPE_SURFACE, true, &D3D9CapabilityProfile::depth24_formats},
        {D3DFMT_D16, ds, D3DRTYPE_SURFACE, true, nullptr},
        {D3DFMT_D24S8, 0, D3DRTYPE_TEXTURE, false, nullptr},
        {D3DFMT_L16, 0, D3DRTYPE_TEXTURE, false, nullptr},
    };
    for (bool taken_away : {false, true}) {
        for (const Case& c : cases) {
            D3D9ResetControls();
            D3D9CapabilityProfile profile = D3D9DefaultCapabilityProfile();
            if (c.group && taken_away) profile.*c.group = false;
            D3D9SetCapabilityProfile(profile);
            IDirect3D9* d3d = Direct3DCreate9(D3D_SDK_VERSION);
            ASSERT_NE(d3d, nullptr);
            const bool expected = c.offered && !(c.group && taken_away);
            EXPECT_EQ(
                d3d->CheckDeviceFormat(0, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8, c.usage, c.resource, c.format),
                expected ? D3D_OK : D3DERR_NOTAVAILABLE)
                << "format " << c.format << " usage " << c.usage << " resource " << c.resource
                << " taken away " << taken_away;
            d3d->Release();
        }
    }
    D3D9ResetControls();
}

// Creation follows the answers: DXT textures need sizes in whole blocks and are no render targets; a
// profile without DXT refuses them.
TEST_F(TextureFormatsTest, BlockTexturesAreMadeInWholeBlocksOnly) {
    IDirect3DTexture9* t = nullptr;
    EXPECT_EQ(device->CreateTexture(8, 12, 0, 0, D3DFMT_DXT1, D3DPOOL_MANAGED, &t, nullptr), D3D_OK);
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(t->GetLevelCount(), 4u);  // 8x12, 4x6, 2x3, 1x1
    D3DLOCKED_RECT lr;
    ASSERT_EQ(t->LockRect(0, &lr, nullptr, 0), D3D_OK);
    EXPECT_EQ(lr.Pitch, 2 * 8);  // two blocks of 8 bytes a block row
    t->UnlockRect(0);
    const RECT unaligned{2, 0, 8, 4}, aligned{4, 4, 8, 12};
    EXPECT_EQ(t->LockRect(0, &lr, &unaligned, 0), D3DERR_INVALIDCALL);
    uint8_t* base = nullptr;
    ASSERT_EQ(t->LockRect(0, &lr, nullptr, D3DLOCK_READONLY), D3D_OK);
    base = static_cast<uint8_t*>(lr.pBits);
    t->UnlockRect(0);
    ASSERT_EQ(t->LockRect(0, &lr, &aligned, 0), D3D_OK);
    EXPECT_EQ(static_cast<uint8_t*>(lr.pBits), base + 16 + 8);  // block row 1, block 1
    t->UnlockRect(0);
    ASSERT_EQ(t->LockRect(3, &lr, nullptr, 0), D3D_OK);  // a level under one block locks whole
    t->UnlockRect(3);
    t->Release();

    for (auto [w, h, usage, pool] : {std::tuple{6u, 8u, DWORD(0), D3DPOOL_MANAGED},
                                     std::tuple{8u, 8u, DWORD(D3DUSAGE_RENDERTARGET), D3DPOOL_DEFAULT}}) {
        t = nullptr;
        EXPECT_EQ(device->CreateTexture(w, h, 1, usage, D3DFMT_DXT5, pool, &t, nullptr), D3DERR_INVALIDCALL)
            << w << "x" << h << " usage " << usage;
    }
    IDirect3DVolumeTexture9* volume = nullptr;
    EXPECT_EQ(device->CreateVolumeTexture(4, 4, 4, 1, 0, D3DFMT_DXT1, D3DPOOL_MANAGED, &volume, nullptr),
              D3DERR_INVALIDCALL);

    device->Release();
    d3d->Release();
    device = nullptr;
    D3D9CapabilityProfile profile = D3D9DefaultCapabilityProfile();
    profile.dxt_formats = false;
    D3D9SetCapabilityProfile(profile);
    MakeDevice(8, 8);
    EXPECT_EQ(device->CreateTexture(8, 8, 1, 0, D3DFMT_DXT1, D3DPOOL_MANAGED, &t, nullptr),
              D3DERR_INVALIDCALL);
}

// One block of each DXT kind, drawn 1:1 onto an A8R8G8B8 target: the end points, the colours between
// them at 1/3 and 2/3 (or the middle and transparent black when DXT1's first end point is not above the
// second), explicit 4-bit alphas and interpolated alphas with their six- and eight-step forms.
TEST_F(TextureFormatsTest, DxtBlocksDecodeAtSampling) {
    IDirect3DTexture9* rt = MakeTarget(4, 4, D3DFMT_A8R8G8B8);
    // Colour end points red (0xF800) and blue (0x001F); first row indices 0, 1, 2, 3.
    const std::vector<uint8_t> four_colors = Bytes({0x00, 0xF8, 0x1F, 0x00, 0xE4, 0, 0, 0});
    const std::vector<uint8_t> three_colors = Bytes({0x1F, 0x00, 0x00, 0xF8, 0xE4, 0, 0, 0});
    struct Case {
        const char* name;
        D3DFORMAT format;
        std::vector<uint8_t> block;
        uint32_t row[4];  // the first row of texels
    };
    std::vector<uint8_t> dxt3 = Bytes({0x80, 0xF1, 0, 0, 0, 0, 0, 0});  // alphas 0, 8, 1, 15
    dxt3.insert(dxt3.end(), four_colors.begin(), four_colors.end());
    // DXT5 alpha end points 255 and 0 (eight steps): indices 0, 1, 2, 7 -> 255, 0, 219, 36.
    std::vector<uint8_t> dxt5 = Bytes({255, 0, 0x08 | (2 << 6), 0x0E, 0, 0, 0, 0});
    dxt5.insert(dxt5.end(), four_colors.begin(), four_colors.end());
    // End points 0 and 255 (six steps): indices 6 and 7 are 0 and 255, index 2 one fifth of the way.
    std::vector<uint8_t> dxt5_six = Bytes({0, 255, 0x06 | (7 << 3) | (2 << 6), 0, 0, 0, 0, 0});
    dxt5_six.insert(dxt5_six.end(), four_colors.begin(), four_colors.end());
    const Case cases[] = {
        {"DXT1 four colours", D3DFMT_DXT1, four_colors, {0xFFFF0000, 0xFF0000FF, 0xFFAA0055, 0xFF5500AA}},
        {"DXT1 three colours", D3DFMT_DXT1, three_colors, {0xFF0000FF, 0xFFFF0000, 0xFF800080, 0x00000000}},
        {"DXT3", D3DFMT_DXT3, dxt3, {0x00FF0000, 0x880000FF, 0x11AA0055, 0xFF5500AA}},
        {"DXT5 eight steps", D3DFMT_DXT5, dxt5, {0xFFFF0000, 0x000000FF, 0xDBAA0055, 0x245500AA}},
        {"DXT5 six steps", D3DFMT_DXT5, dxt5_six, {0x00FF0000, 0xFF0000FF, 0x33AA0055, 0x005500AA}},
    };
    for (const Case& c : cases) {
        device->Clear(0, nullptr, D3DCLEAR_TARGET, 0x12345678, 1.0f, 0);
        IDirect3DTexture9* t = RawTexture(4, 4, c.format, c.block, c.block.size());
        ASSERT_NE(t, nullptr) << c.name;
        DrawTexture(t, 4, 4);
        const std::vector<uint32_t> pixels = ReadTarget();
        for (int x = 0; x < 4; ++x) EXPECT_EQ(pixels[size_t(x)], c.row[x]) << c.name << " texel " << x;
        t->Release();
    }
    rt->Release();
}

// One- and two-channel formats read as Direct3D 9 expands them; 16-bit channels and floats reach an
// 8-bit target rounded and clamped, missing channels reading 1.
TEST_F(TextureFormatsTest, ChannelsExpandAsDirect3DDefines) {
    IDirect3DTexture9* rt = MakeTarget(4, 4, D3DFMT_A8R8G8B8);
    struct Case {
        const char* name;
        D3DFORMAT format;
        std::vector<uint8_t> texel;
        uint32_t argb;
    };
    const Case cases[] = {
        {"L8", D3DFMT_L8, Bytes({0x40}), 0xFF404040},
        {"A8", D3DFMT_A8, Bytes({0x40}), 0x40000000},
        {"A8L8", D3DFMT_A8L8, Bytes({0x40, 0x90}), 0x90404040},
        {"G16R16", D3DFMT_G16R16, BytesOf<uint16_t>({0x8080, 0xFFFF}), 0xFF80FFFF},
        {"A16B16G16R16", D3DFMT_A16B16G16R16, BytesOf<uint16_t>({0, 0x3333, 0xCCCC, 0x8080}), 0x800033CC},
        {"R16F", D3DFMT_R16F, BytesOf<uint16_t>({0x3800}), 0xFF80FFFF},                // 0.5
        {"G16R16F", D3DFMT_G16R16F, BytesOf<uint16_t>({0x4000, 0xBC00}), 0xFFFF00FF},  // 2, -1
        {"A16B16G16R16F", D3DFMT_A16B16G16R16F, BytesOf<uint16_t>({0x3400, 0, 0x3C00, 0x3800}), 0x804000FF},
        {"R32F", D3DFMT_R32F, BytesOf<float>({0.25f}), 0xFF40FFFF},
        {"G32R32F", D3DFMT_G32R32F, BytesOf<float>({3.0f, 0.75f}), 0xFFFFBFFF},
        {"A32B32G32R32F", D3DFMT_A32B32G32R32F, BytesOf<float>({1.0f, 0.5f, 0.0f, 0.2f}), 0x33FF8000},
    };
    for (const Case& c : cases) {
        device->Clear(0, nullptr, D3DCLEAR_TARGET, 0x12345678, 1.0f, 0);
        IDirect3DTexture9* t = RawTexture(1, 1, c.format, c.texel, c.texel.size());
        ASSERT_NE(t, nullptr) << c.name;
        DrawTexture(t, 4, 4);
        EXPECT_EQ(ReadTarget()[5], c.argb) << c.name;
        t->Release();
    }
    rt->Release();
}

// Float values pass a draw onto a float target unclamped, through the stages' products and linear
// filtering, and are clamped only where they reach an 8-bit target (by a draw or by StretchRect).
TEST_F(TextureFormatsTest, FloatsStayUnclampedUntilAnEightBitTarget) {
    IDirect3DTexture9* rt = MakeTarget(4, 4, D3DFMT_A32B32G32R32F);
    IDirect3DTexture9* t = RawTexture(2, 1, D3DFMT_A32B32G32R32F,
                                      BytesOf<float>({2.5f, -0.5f, 4.0f, 1.0f, 0.5f, 0.5f, 0.0f, 1.0f}), 32);
    DrawTexture(t, 2, 1);
    d3d9::ColorF c = ReadTargetFloat(0, 0);
    EXPECT_FLOAT_EQ(c.r, 2.5f);
    EXPECT_FLOAT_EQ(c.g, -0.5f);
    EXPECT_FLOAT_EQ(c.b, 4.0f);
    // Modulated by a diffuse of 0x80 (128 / 255).
    DrawTexture(t, 2, 1, 0xFF808080);
    c = ReadTargetFloat(0, 0);
    EXPECT_NEAR(c.r, 2.5f * 128 / 255, 1e-5);
    EXPECT_NEAR(c.b, 4.0f * 128 / 255, 1e-5);
    // Linear filtering halfway between the two texels.
    device->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR);
    device->SetSamplerState(0, D3DSAMP_ADDRESSU, D3DTADDRESS_CLAMP);
    device->SetTexture(0, t);
    DrawQuad(0, 0, 4, 4, 0.5f, 0, 0.5f, 1, 0xFFFFFFFF);  // every pixel samples u = 1 texel: the middle
    c = ReadTargetFloat(1, 1);
    EXPECT_NEAR(c.r, 1.5f, 1e-5);
    EXPECT_NEAR(c.b, 2.0f, 1e-5);

    // The float target stretched onto an 8-bit one clamps; an 8-bit draw of the float texture too.
    IDirect3DSurface9 *from = nullptr, *to = nullptr;
    rt->GetSurfaceLevel(0, &from);
    IDirect3DTexture9* rt8 = MakeTarget(4, 4, D3DFMT_A8R8G8B8);
    rt8->GetSurfaceLevel(0, &to);
    EXPECT_EQ(device->StretchRect(from, nullptr, to, nullptr, D3DTEXF_NONE), D3D_OK);
    EXPECT_EQ(ReadTarget()[5], 0xFFFF00FFu);  // (1.5, 0, 2.0, 1): red and blue clamped
    // 2.5 and 4 times 128 / 255 are over 1 and clamp only at the write; clamped when read they would
    // have given 0x80.
    device->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_POINT);
    DrawTexture(t, 2, 1, 0xFF808080);
    EXPECT_EQ(ReadTarget()[0], 0xFFFF00FFu);
    from->Release();
    to->Release();
    rt8->Release();
    t->Release();
    rt->Release();
}

// A pixel shader's output reaches float and 16-bit-channel targets unclamped, and 8-bit ones clamped.
TEST_F(TextureFormatsTest, ShaderOutputStaysUnclampedOnWideTargets) {
    D3D9CapabilityProfile shaders;
    D3D9ApplyShaderProfile(&shaders, D3D9ShaderProfile::kSm3);
    D3D9SetCapabilityProfile(shaders);
    device->Release(), device = nullptr;  // the fixture's device, made without shaders
    d3d->Release(), d3d = nullptr;
    MakeDevice(8, 8);
    Tokens program = Program(kPs30);
    Define(program, 0, {2.5f, -0.5f, 4.0f, 0.25f});
    program.Op(kOpMov, {Destination(kRegColourOut, 0), Source(kRegConst, 0)});
    const std::vector<uint32_t> words = Words(program);
    IDirect3DPixelShader9* shader = nullptr;
    ASSERT_EQ(device->CreatePixelShader(words.data(), &shader), D3D_OK);
    device->SetPixelShader(shader);
    const struct {
        D3DFORMAT format;
        float tolerance;
    } wide[] = {{D3DFMT_A32B32G32R32F, 0.0f}, {D3DFMT_A16B16G16R16F, 1e-3f}};
    for (const auto& w : wide) {
        IDirect3DTexture9* rt = MakeTarget(4, 4, w.format);
        DrawQuad(0, 0, 4, 4, 0, 0, 1, 1, 0xFFFFFFFF);
        const d3d9::ColorF c = ReadTargetFloat(2, 1);
        EXPECT_NEAR(c.r, 2.5f, w.tolerance) << w.format;
        EXPECT_NEAR(c.g, -0.5f, w.tolerance) << w.format;
        EXPECT_NEAR(c.b, 4.0f, w.tolerance) << w.format;
        EXPECT_NEAR(c.a, 0.25f, w.tolerance) << w.format;
        rt->Release();
    }
    IDirect3DTexture9* rt8 = MakeTarget(4, 4, D3DFMT_A8R8G8B8);
    DrawQuad(0, 0, 4, 4, 0, 0, 1, 1, 0xFFFFFFFF);
    EXPECT_EQ(ReadTarget()[5], 0x40FF00FFu);
    device->SetPixelShader(nullptr);
    shader->Release();
    rt8->Release();
}

// StretchRect converts between the formats: 8-bit colours become unit floats and 16-bit channels.
TEST_F(TextureFormatsTest, StretchRectConvertsIntoWideFormats) {
    IDirect3DTexture9* rt8 = MakeTarget(2, 2, D3DFMT_A8R8G8B8);
    device->Clear(0, nullptr, D3DCLEAR_TARGET, 0x80FF4000, 1.0f, 0);
    IDirect3DSurface9* from = nullptr;
    rt8->GetSurfaceLevel(0, &from);
    for (D3DFORMAT format : {D3DFMT_A16B16G16R16F, D3DFMT_A16B16G16R16, D3DFMT_A32B32G32R32F}) {
        IDirect3DTexture9* wide = MakeTarget(2, 2, format);
        IDirect3DSurface9* to = nullptr;
        wide->GetSurfaceLevel(0, &to);
        EXPECT_EQ(device->StretchRect(from, nullptr, to, nullptr, D3DTEXF_NONE), D3D_OK);
        const d3d9::ColorF c = ReadTargetFloat(1, 1);
        EXPECT_NEAR(c.r, 1.0f, 1e-3) << format;
        EXPECT_NEAR(c.g, 64.0f / 255, 1e-3) << format;
        EXPECT_NEAR(c.b, 0.0f, 1e-3) << format;
        EXPECT_NEAR(c.a, 128.0f / 255, 1e-3) << format;
        to->Release();
        wide->Release();
    }
    from->Release();
    rt8->Release();
}

// UpdateSurface and UpdateTexture copy DXT blocks between whole-block rectangles and refuse others;
// StretchRect and ColorFill refuse block surfaces.
TEST_F(TextureFormatsTest, BlockSurfacesCopyByWholeBlocks) {
    std::vector<uint8_t> blocks(32);
    for (int i = 0; i < 32; ++i) blocks[size_t(i)] = uint8_t(i * 37 + 1);
    IDirect3DTexture9* rt = MakeTarget(8, 8, D3DFMT_A8R8G8B8);
    IDirect3DTexture9* source = RawTexture(8, 8, D3DFMT_DXT1, blocks, 16);
    DrawTexture(source, 8, 8);
    const std::vector<uint32_t> drawn = ReadTarget();

    IDirect3DSurface9* sys = nullptr;
    ASSERT_EQ(device->CreateOffscreenPlainSurface(8, 8, D3DFMT_DXT1, D3DPOOL_SYSTEMMEM, &sys, nullptr),
              D3D_OK);
    D3DLOCKED_RECT lr;
    ASSERT_EQ(sys->LockRect(&lr, nullptr, 0), D3D_OK);
    for (int row = 0; row < 2; ++row)
        std::memcpy(static_cast<uint8_t*>(lr.pBits) + row * lr.Pitch, blocks.data() + row * 16, 16);
    sys->UnlockRect();
    IDirect3DTexture9* copy = nullptr;
    ASSERT_EQ(device->CreateTexture(8, 8, 1, 0, D3DFMT_DXT1, D3DPOOL_DEFAULT, &copy, nullptr), D3D_OK);
    IDirect3DSurface9* level = nullptr;
    copy->GetSurfaceLevel(0, &level);
    const RECT block{4, 0, 8, 4}, unaligned{2, 0, 6, 4};
    const POINT at{0, 4}, off{2, 4};
    EXPECT_EQ(device->UpdateSurface(sys, &unaligned, level, &at), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->UpdateSurface(sys, &block, level, &off), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->UpdateSurface(sys, &block, level, &at), D3D_OK);
    device->Clear(0, nullptr, D3DCLEAR_TARGET, 0, 1.0f, 0);
    DrawTexture(copy, 8, 8);
    std::vector<uint32_t> pixels = ReadTarget();
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x)
            EXPECT_EQ(pixels[size_t((y + 4) * 8 + x)], drawn[size_t(y * 8 + x + 4)]) << x << "," << y;

    IDirect3DTexture9* staging = RawTexture(8, 8, D3DFMT_DXT1, blocks, 16);
    IDirect3DTexture9* sys_texture = nullptr;
    ASSERT_EQ(device->CreateTexture(8, 8, 1, 0, D3DFMT_DXT1, D3DPOOL_SYSTEMMEM, &sys_texture, nullptr),
              D3D_OK);
    ASSERT_EQ(sys_texture->LockRect(0, &lr, nullptr, 0), D3D_OK);
    std::memcpy(lr.pBits, blocks.data(), blocks.size());
    sys_texture->UnlockRect(0);
    EXPECT_EQ(device->UpdateTexture(sys_texture, copy), D3D_OK);
    DrawTexture(copy, 8, 8);
    EXPECT_EQ(ReadTarget(), drawn);

    IDirect3DSurface9* target = nullptr;
    rt->GetSurfaceLevel(0, &target);
    EXPECT_EQ(device->StretchRect(level, nullptr, target, nullptr, D3DTEXF_NONE), D3DERR_INVALIDCALL);
    IDirect3DSurface9* plain = nullptr;
    ASSERT_EQ(device->CreateOffscreenPlainSurface(8, 8, D3DFMT_DXT1, D3DPOOL_DEFAULT, &plain, nullptr),
              D3D_OK);
    EXPECT_EQ(device->ColorFill(plain, nullptr, 0), D3DERR_INVALIDCALL);
    plain->Release();
    target->Release();
    staging->Release();
    sys_texture->Release();
    level->Release();
    copy->Release();
    sys->Release();
    source->Release();
    rt->Release();
}

// Half floats as IEEE 754 binary16 defines them: exact values, rounding to nearest even, the largest
// finite value, overflow to infinity and the subnormals.
TEST(HalfFloats, EncodeAndDecodeAsBinary16) {
    struct Case {
        float value;
        uint16_t half;
        bool exact;  // the half reads back as the value
    };
    const Case cases[] = {
        {1.0f, 0x3C00, true},
        {0.5f, 0x3800, true},
        {-2.0f, 0xC000, true},
        {65504.0f, 0x7BFF, true},
        {1e6f, 0x7C00, false},
        {-1e6f, 0xFC00, false},
        {0.0f, 0x0000, true},
        {std::ldexp(1.0f, -24), 0x0001, true},
        {std::ldexp(1.0f, -14), 0x0400, true},
        {1.0f + std::ldexp(1.0f, -11), 0x3C00, false},      // halfway: to the even 0x3C00
        {1.0f + 3 * std::ldexp(1.0f, -11), 0x3C02, false},  // halfway: to the even 0x3C02
        {0.1f, 0x2E66, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(d3d9::FloatToHalf(c.value), c.half) << c.value;
        if (c.exact) {
            EXPECT_EQ(d3d9::HalfToFloat(c.half), c.value) << c.value;
        }
    }
    EXPECT_TRUE(std::isnan(d3d9::HalfToFloat(d3d9::FloatToHalf(NAN))));
    EXPECT_TRUE(std::isinf(d3d9::HalfToFloat(0x7C00)));
}

// The 24- and 32-bit depth formats test and keep depth as D16 does: a nearer quad drawn after a farther
// one wins, a farther one after a nearer one does not, and a cleared buffer starts at the cleared depth.
TEST_F(TextureFormatsTest, DepthFormatsTestLikeD16) {
    for (D3DFORMAT format : {D3DFMT_D16, D3DFMT_D24S8, D3DFMT_D24X8, D3DFMT_D32}) {
        IDirect3DSurface9* depth = nullptr;
        ASSERT_EQ(
            device->CreateDepthStencilSurface(8, 8, format, D3DMULTISAMPLE_NONE, 0, FALSE, &depth, nullptr),
            D3D_OK)
            << format;
        device->SetDepthStencilSurface(depth);
        device->SetRenderState(D3DRS_ZENABLE, D3DZB_TRUE);
        device->SetRenderState(D3DRS_ZWRITEENABLE, TRUE);
        device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0, 0.75f, 0);
        auto quad = [&](float x1, float z, D3DCOLOR color) {
            ColorVertex q[4] = {
                {0, 0, z, 1, color}, {x1, 0, z, 1, color}, {0, 8, z, 1, color}, {x1, 8, z, 1, color}};
            device->SetFVF(0x44);
            device->BeginScene();
            device->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, q, sizeof(ColorVertex));
            device->EndScene();
        };
        quad(8, 0.9f, 0xFF0000FF);  // behind the cleared depth: not drawn
        quad(4, 0.5f, 0xFFFF0000);
        quad(8, 0.6f, 0xFF00FF00);  // behind the red half, in front of the cleared depth
        const std::vector<uint32_t> pixels = ReadTarget();
        EXPECT_EQ(pixels[1] & 0xFFFFFF, 0xFF0000u) << format;
        EXPECT_EQ(pixels[6] & 0xFFFFFF, 0x00FF00u) << format;
        device->SetDepthStencilSurface(nullptr);
        device->SetRenderState(D3DRS_ZENABLE, D3DZB_FALSE);
        depth->Release();
    }
}

}  // namespace
}  // namespace d3d9_test
