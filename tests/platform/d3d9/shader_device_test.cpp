// Shaders on the device: the capability profiles and what they accept, shader objects and their binding,
// the constant registers, and pixel shaders drawn through DrawPrimitiveUP against the fixed-function
// stages that compute the same.
#include <random>

#include "platform/d3d9/draw.h"
#include "tests/platform/d3d9/d3d9_test_support.h"
#include "tests/platform/d3d9/shader_test_support.h"

namespace d3d9_test {
namespace {

D3D9CapabilityProfile Profile(D3D9ShaderProfile shaders) {
    D3D9CapabilityProfile p;
    D3D9ApplyShaderProfile(&p, shaders);
    return p;
}

std::vector<uint32_t> ModulateShader() {
    Tokens p = Program(kPs20);
    p.DeclarePixelInput(kRegInput, 0).DeclarePixelInput(kRegTexture, 0).DeclareSampler2D(0);
    p.Op(kOpTexld, {Destination(kRegTemp, 0), Source(kRegTexture, 0), Source(kRegSampler, 0)});
    p.Op(kOpMul, {Destination(kRegTemp, 0), Source(kRegTemp, 0), Source(kRegInput, 0)});
    p.Op(kOpMov, {Destination(kRegColourOut, 0), Source(kRegTemp, 0)});
    return Words(p);
}

std::vector<uint32_t> DiffuseShader() {
    Tokens p = Program(kPs20);
    p.DeclarePixelInput(kRegInput, 0);
    p.Op(kOpMov, {Destination(kRegColourOut, 0), Source(kRegInput, 0)});
    return Words(p);
}

class ShaderDeviceTest : public DeviceTest {
  protected:
    IDirect3DPixelShader9* MakePixelShader(const std::vector<uint32_t>& words) {
        IDirect3DPixelShader9* shader = nullptr;
        EXPECT_EQ(device->CreatePixelShader(words.data(), &shader), D3D_OK);
        return shader;
    }
    // The stages' result is the diffuse colour, as DiffuseShader's.
    void SelectDiffuse() {
        device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
        device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_DIFFUSE);
        device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
        device->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_DIFFUSE);
    }
    // The picture after drawing the coloured primitives with the shader (null: through the stages), on
    // black when `clear`.
    std::vector<uint32_t> DrawColored(IDirect3DPixelShader9* shader, D3DPRIMITIVETYPE type,
                                      const std::vector<ColorVertex>& vertices, bool clear = true) {
        if (clear) device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0);
        device->SetPixelShader(shader);
        device->SetFVF(0x44);
        device->BeginScene();
        const UINT count = type == D3DPT_LINELIST ? UINT(vertices.size() / 2) : UINT(vertices.size() / 3);
        EXPECT_EQ(device->DrawPrimitiveUP(type, count, vertices.data(), sizeof(ColorVertex)), D3D_OK);
        device->EndScene();
        return ReadTarget();
    }
    // The larger difference of any channel between two pictures.
    static int LargestDifference(const std::vector<uint32_t>& a, const std::vector<uint32_t>& b) {
        int largest = 0;
        for (size_t i = 0; i < a.size(); ++i)
            for (int shift = 0; shift < 32; shift += 8)
                largest = std::max(largest, std::abs(int(a[i] >> shift & 255) - int(b[i] >> shift & 255)));
        return largest;
    }
};

TEST_F(ShaderDeviceTest, ProfilesNameTheirShaderVersionsAndCaps) {
    D3D9ShaderProfile parsed;
    EXPECT_TRUE(D3D9ParseShaderProfile("sm3", &parsed));
    EXPECT_EQ(parsed, D3D9ShaderProfile::kSm3);
    EXPECT_TRUE(D3D9ParseShaderProfile("fixed", &parsed));
    EXPECT_EQ(parsed, D3D9ShaderProfile::kFixed);
    EXPECT_FALSE(D3D9ParseShaderProfile("sm4", &parsed));
    struct Case {
        D3D9ShaderProfile shaders;
        DWORD pixel, vertex, ps20_slots, vs20_temps, ps30_slots;
    };
    const Case cases[] = {
        {D3D9ShaderProfile::kFixed, D3DPS_VERSION(0, 0), D3DVS_VERSION(0, 0), 0, 0, 0},
        {D3D9ShaderProfile::kSm2, D3DPS_VERSION(2, 0), D3DVS_VERSION(2, 0), 512, 12, 0},
        {D3D9ShaderProfile::kSm3, D3DPS_VERSION(3, 0), D3DVS_VERSION(3, 0), 512, 32, 32768}};
    for (const Case& k : cases) {
        D3D9SetCapabilityProfile(Profile(k.shaders));
        MakeDevice(8, 8);
        D3DCAPS9 caps;
        ASSERT_EQ(device->GetDeviceCaps(&caps), D3D_OK);
        EXPECT_EQ(caps.PixelShaderVersion, k.pixel);
        EXPECT_EQ(caps.VertexShaderVersion, k.vertex);
        EXPECT_EQ(caps.PS20Caps[4], k.ps20_slots);
        EXPECT_EQ(caps.VS20Caps[2], k.vs20_temps);
        EXPECT_EQ(caps.MaxPixelShader30InstructionSlots, k.ps30_slots);
        device->Release(), device = nullptr;
        d3d->Release(), d3d = nullptr;
    }
}

TEST_F(ShaderDeviceTest, EachProfileAcceptsItsVersions) {
    auto minimal = [](uint32_t version) {
        Tokens p = Program(version);
        if ((version >> 16) == 0xFFFF) {
            Define(p, 0, {1, 0, 0, 1});
            p.Op(kOpMov, {Destination(kRegColourOut, 0), Source(kRegConst, 0)});
        } else {
            DeclareSemantic(p, kRegInput, 0, 0, 0);
            if ((version & 0xFFFF) >= 0x300) DeclareSemantic(p, kRegTexCoordOut, 0, 0, 0);
            p.Op(kOpMov, {Destination((version & 0xFFFF) >= 0x300 ? kRegTexCoordOut : kRegRasterOut, 0),
                          Source(kRegInput, 0)});
        }
        return Words(p);
    };
    const uint32_t versions[] = {kPs20, kPs2x, kPs30, kVs20, kVs30, 0xFFFF0104, 0xFFFE0101, 0xFFFE0201};
    const D3D9ShaderProfile profiles[] = {D3D9ShaderProfile::kFixed, D3D9ShaderProfile::kSm2,
                                          D3D9ShaderProfile::kSm3};
    // Accepted by fixed, sm2, sm3.
    const bool accepted[][3] = {{false, true, true},   {false, true, true},  {false, false, true},
                                {false, true, true},   {false, false, true}, {false, false, false},
                                {false, false, false}, {false, false, false}};
    for (size_t p = 0; p < 3; ++p) {
        D3D9SetCapabilityProfile(Profile(profiles[p]));
        MakeDevice(8, 8);
        for (size_t v = 0; v < std::size(versions); ++v) {
            const std::vector<uint32_t> words = minimal(versions[v]);
            const bool pixel = (versions[v] >> 16) == 0xFFFF;
            HRESULT hr;
            if (pixel) {
                IDirect3DPixelShader9* s = nullptr;
                hr = device->CreatePixelShader(words.data(), &s);
                EXPECT_EQ(s != nullptr, hr == D3D_OK);
                if (s) s->Release();
            } else {
                IDirect3DVertexShader9* s = nullptr;
                hr = device->CreateVertexShader(words.data(), &s);
                EXPECT_EQ(s != nullptr, hr == D3D_OK);
                if (s) s->Release();
            }
            EXPECT_EQ(hr, accepted[v][p] ? D3D_OK : D3DERR_INVALIDCALL)
                << "profile " << p << " version " << std::hex << versions[v];
        }
        device->Release(), device = nullptr;
        d3d->Release(), d3d = nullptr;
    }
}

TEST_F(ShaderDeviceTest, CreationRefusesStreamsWithoutAnEndWithinTheLongestModelAndTheOtherKind) {
    D3D9SetCapabilityProfile(Profile(D3D9ShaderProfile::kSm3));
    MakeDevice(8, 8);
    IDirect3DPixelShader9* pixel = reinterpret_cast<IDirect3DPixelShader9*>(uintptr_t(1));
    EXPECT_EQ(device->CreatePixelShader(nullptr, &pixel), D3DERR_INVALIDCALL);
    EXPECT_EQ(pixel, nullptr);
    // Exactly the longest stream, of nops, with no end token: nothing past it is read.
    std::vector<uint32_t> endless(d3d9::kMaxShaderTokens, 0);
    endless[0] = kPs30;
    EXPECT_EQ(device->CreatePixelShader(endless.data(), &pixel), D3DERR_INVALIDCALL);
    const std::vector<uint32_t> vertex = [] {
        Tokens p = Program(kVs20);
        DeclareSemantic(p, kRegInput, 0, 0, 0);
        p.Op(kOpMov, {Destination(kRegRasterOut, 0), Source(kRegInput, 0)});
        return Words(p);
    }();
    EXPECT_EQ(device->CreatePixelShader(vertex.data(), &pixel), D3DERR_INVALIDCALL);
    IDirect3DVertexShader9* shader = nullptr;
    ASSERT_EQ(device->CreateVertexShader(vertex.data(), &shader), D3D_OK);
    EXPECT_EQ(device->SetVertexShader(shader), D3D_OK);
    EXPECT_EQ(shader->Release(), 1u);  // the device holds it while bound
    EXPECT_EQ(device->SetVertexShader(nullptr), D3D_OK);
    D3D9FailCreation("CreatePixelShader", 1);
    EXPECT_EQ(device->CreatePixelShader(DiffuseShader().data(), &pixel), D3DERR_OUTOFVIDEOMEMORY);
    EXPECT_EQ(pixel, nullptr);
}

TEST_F(ShaderDeviceTest, APixelShaderDrawsWhatTheEquivalentStagesDraw) {
    D3D9SetCapabilityProfile(Profile(D3D9ShaderProfile::kSm2));
    std::mt19937 rng(3);
    for (D3DFORMAT target : {D3DFMT_X8R8G8B8, D3DFMT_R5G6B5}) {
        MakeDevice(24, 20, target);
        std::vector<uint32_t> texels(8 * 8);
        for (uint32_t& t : texels) t = rng();
        IDirect3DTexture9* texture = MakeTexture(8, 8, D3DFMT_A8R8G8B8, texels);
        IDirect3DPixelShader9* shader = MakePixelShader(ModulateShader());
        device->SetTexture(0, texture);
        device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
        device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
        device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
        device->SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE);
        device->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
        for (DWORD filter : {D3DTEXF_POINT, D3DTEXF_LINEAR})
            for (BOOL blend : {FALSE, TRUE}) {
                device->SetSamplerState(0, D3DSAMP_MINFILTER, filter);
                device->SetSamplerState(0, D3DSAMP_MAGFILTER, filter);
                device->SetRenderState(D3DRS_ALPHABLENDENABLE, blend);
                std::vector<uint32_t> pictures[2];
                for (int shaded = 0; shaded < 2; ++shaded) {
                    device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF306090, 1.0f, 0);
                    device->SetPixelShader(shaded ? shader : nullptr);
                    const uint64_t fast = d3d9::FastPathQuadCount();
                    DrawQuad(1.5f, 0.5f, 22.5f, 17.5f, -0.25f, 0.1f, 1.5f, 1.2f, 0xC0FF8040);
                    DrawQuad(-3.0f, 4.0f, 9.0f, 10.0f, 0.0f, 0.0f, 1.0f, 1.0f, 0x80FFFFFF);
                    if (shaded) {
                        EXPECT_EQ(d3d9::FastPathQuadCount(), fast) << "a shaded quad took the fast path";
                    }
                    pictures[shaded] = ReadTarget();
                }
                // The stages truncate the product the shader rounds: one step apart, two once blending
                // weighs a colour one step apart by an alpha one step apart; one step of 5 bits on 16-bit.
                const int steps = target == D3DFMT_R5G6B5 ? 9 : (blend ? 2 : 1);
                EXPECT_LE(LargestDifference(pictures[0], pictures[1]), steps)
                    << "target " << target << " filter " << filter << " blend " << blend;
            }
        device->SetPixelShader(nullptr);
        shader->Release();
        texture->Release();
        device->Release(), device = nullptr;
        d3d->Release(), d3d = nullptr;
    }
}

TEST_F(ShaderDeviceTest, QuadsShadedWholeEqualTheirTwoTriangles) {
    D3D9SetCapabilityProfile(Profile(D3D9ShaderProfile::kSm2));
    MakeDevice(40, 30);
    std::mt19937 rng(23);
    std::vector<uint32_t> texels(16 * 16);
    for (uint32_t& t : texels) t = rng();
    IDirect3DTexture9* texture = MakeTexture(16, 16, D3DFMT_A8R8G8B8, texels);
    IDirect3DPixelShader9* shader = MakePixelShader(ModulateShader());
    device->SetTexture(0, texture);
    device->SetPixelShader(shader);
    std::uniform_real_distribution<float> at(-6.0f, 44.0f), size(0.3f, 20.0f), uv(-1.0f, 2.0f);
    std::vector<TexturedVertex> quads;
    for (int i = 0; i < 40; ++i) {
        const float x = at(rng), y = at(rng), w = size(rng), h = size(rng), u0 = uv(rng), v0 = uv(rng),
                    du = uv(rng), dv = uv(rng);
        const D3DCOLOR c = rng() | 0x80000000u;
        // Every fifth quad's far corner off the others' plane: it is drawn as two triangles either way.
        const float bent = i % 5 == 0 ? 0.25f : 0.0f;
        const TexturedVertex tl{x, y, 0, 1, c, u0, v0}, tr{x + w, y, 0, 1, c, u0 + du, v0},
            bl{x, y + h, 0, 1, c, u0, v0 + dv}, br{x + w, y + h, 0, 1, c, u0 + du + bent, v0 + dv};
        quads.insert(quads.end(), {tl, tr, bl, br, bl, tr});
    }
    for (DWORD filter : {D3DTEXF_POINT, D3DTEXF_LINEAR}) {
        device->SetSamplerState(0, D3DSAMP_MINFILTER, filter);
        device->SetSamplerState(0, D3DSAMP_MAGFILTER, filter);
        std::vector<uint32_t> pictures[2];
        for (int whole = 0; whole < 2; ++whole) {
            d3d9::SetFastPathsEnabled(whole == 1);
            device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0);
            device->SetFVF(0x144);
            device->BeginScene();
            ASSERT_EQ(device->DrawPrimitiveUP(D3DPT_TRIANGLELIST, UINT(quads.size() / 3), quads.data(),
                                              sizeof(TexturedVertex)),
                      D3D_OK);
            device->EndScene();
            pictures[whole] = ReadTarget();
        }
        EXPECT_EQ(pictures[1], pictures[0]) << "filter " << filter;
    }
    device->SetPixelShader(nullptr);
    device->SetTexture(0, nullptr);
    shader->Release();
    texture->Release();
}

// A 3.0 program of texld, modifiers, swizzles, masks and saturation; `quadwise` puts part of it under a
// static branch (always taken), which makes the interpreter run it a quad at a time instead of in blocks.
std::vector<uint32_t> BlockedShader(bool quadwise) {
    Tokens p = Program(kPs30);
    DeclareSemantic(p, kRegInput, 0, 10 /* colour */, 0);
    DeclareSemantic(p, kRegInput, 1, 5 /* texture coordinates */, 0);
    p.DeclareSampler2D(0);
    Define(p, 0, {0.5f, -0.25f, 2.0f, 1.0f});
    DefineBool(p, 0, true);
    p.Op(kOpTexld, {Destination(kRegTemp, 0), Source(kRegInput, 1), Source(kRegSampler, 0)});
    if (quadwise) Raw(p, sh::kIf, {Source(Reg(sh::kConstBool), 0)});
    p.Op(kOpMul, {Destination(kRegTemp, 1), Source(kRegTemp, 0), Source(kRegInput, 0)});
    if (quadwise) Raw(p, sh::kEndIf, {});
    p.Op(kOpLrp, {Destination(kRegTemp, 1, kMaskRgb), Source(kRegConst, 0, kSwizzleXxxx), Source(kRegTemp, 1),
                  Source(kRegTemp, 0, Swizzle(1, 2, 0, 3), kSourceNegate)});
    Raw(p, sh::kDp3, {Destination(kRegTemp, 2, kMaskX), Source(kRegTemp, 0), Source(kRegConst, 0)});
    p.Op(kOpAdd, {Destination(kRegTemp, 1, kMaskW) | kSaturate, Source(kRegTemp, 1, kSwizzleWwww),
                  Source(kRegTemp, 2, kSwizzleXxxx)});
    p.Op(kOpMov, {Destination(kRegColourOut, 0) | kSaturate, Source(kRegTemp, 1)});
    return Words(p);
}

// Quads shaded in blocks (several quads an instruction, texels shared between neighbouring quads, colours
// stored straight when nothing tests or blends them) give the pixels quad-by-quad shading gives, under
// every filter, address mode and blend, for rectangles and triangles.
TEST_F(ShaderDeviceTest, BlocksOfQuadsShadeWhatQuadsShadeOneByOne) {
    D3D9SetCapabilityProfile(Profile(D3D9ShaderProfile::kSm3));
    MakeDevice(64, 48);
    std::mt19937 rng(31);
    std::vector<uint32_t> texels(16 * 8);
    for (uint32_t& t : texels) t = rng();
    IDirect3DTexture9* texture = MakeTexture(16, 8, D3DFMT_A8R8G8B8, texels);
    IDirect3DPixelShader9* shaders[2] = {MakePixelShader(BlockedShader(false)),
                                         MakePixelShader(BlockedShader(true))};
    device->SetTexture(0, texture);
    device->SetSamplerState(0, D3DSAMP_BORDERCOLOR, 0x80402010);
    std::uniform_real_distribution<float> at(-6.0f, 60.0f), size(0.5f, 40.0f), uv(-1.5f, 2.5f);
    std::vector<TexturedVertex> quads;
    for (int i = 0; i < 30; ++i) {
        const float x = at(rng), y = at(rng), w = size(rng), h = size(rng), u0 = uv(rng), v0 = uv(rng),
                    du = uv(rng), dv = uv(rng);
        const D3DCOLOR c = rng();
        // Every third quad is bent: it is drawn as two triangles.
        const float bent = i % 3 == 0 ? 0.3f : 0.0f;
        const TexturedVertex tl{x, y, 0, 1, c, u0, v0}, tr{x + w, y, 0, 1, c, u0 + du, v0},
            bl{x, y + h, 0, 1, c, u0, v0 + dv}, br{x + w, y + h, 0, 1, c, u0 + du + bent, v0 + dv};
        quads.insert(quads.end(), {tl, tr, bl, br, bl, tr});
    }
    // Two one-to-one copies of the texture, as the game's tiles are drawn.
    for (float x : {3.0f, 30.0f}) {
        const TexturedVertex tl{x - 0.5f, 20 - 0.5f, 0, 1, 0xFFFFFFFF, 0, 0},
            tr{x + 15.5f, 20 - 0.5f, 0, 1, 0xFFFFFFFF, 1, 0}, bl{x - 0.5f, 27.5f, 0, 1, 0xFFFFFFFF, 0, 1},
            br{x + 15.5f, 27.5f, 0, 1, 0xFFFFFFFF, 1, 1};
        quads.insert(quads.end(), {tl, tr, bl, br, bl, tr});
    }
    const DWORD modes[] = {D3DTADDRESS_WRAP, D3DTADDRESS_MIRROR, D3DTADDRESS_CLAMP, D3DTADDRESS_BORDER};
    for (DWORD filter : {D3DTEXF_POINT, D3DTEXF_LINEAR})
        for (DWORD mode : modes)
            for (int blend = 0; blend < 2; ++blend) {
                device->SetSamplerState(0, D3DSAMP_MINFILTER, filter);
                device->SetSamplerState(0, D3DSAMP_MAGFILTER, filter);
                device->SetSamplerState(0, D3DSAMP_ADDRESSU, mode);
                device->SetSamplerState(0, D3DSAMP_ADDRESSV, mode);
                device->SetRenderState(D3DRS_ALPHABLENDENABLE, DWORD(blend));
                device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
                device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
                std::vector<uint32_t> pictures[2];
                for (int quadwise = 0; quadwise < 2; ++quadwise) {
                    device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF204060, 1.0f, 0);
                    device->SetPixelShader(shaders[quadwise]);
                    device->SetFVF(0x144);
                    device->BeginScene();
                    ASSERT_EQ(device->DrawPrimitiveUP(D3DPT_TRIANGLELIST, UINT(quads.size() / 3),
                                                      quads.data(), sizeof(TexturedVertex)),
                              D3D_OK);
                    device->EndScene();
                    pictures[quadwise] = ReadTarget();
                }
                const std::vector<uint32_t> cleared(pictures[0].size(), 0xFF204060);
                EXPECT_NE(pictures[0], cleared);
                EXPECT_EQ(pictures[0], pictures[1])
                    << "filter " << filter << ", mode " << mode << ", blend " << blend;
            }
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
    device->SetPixelShader(nullptr);
    device->SetTexture(0, nullptr);
    for (IDirect3DPixelShader9* shader : shaders) shader->Release();
    texture->Release();
}

TEST_F(ShaderDeviceTest, InterpolatedColoursEqualTheStagesDiffuse) {
    D3D9SetCapabilityProfile(Profile(D3D9ShaderProfile::kSm2));
    MakeDevice(32, 32);
    IDirect3DPixelShader9* shader = MakePixelShader(DiffuseShader());
    SelectDiffuse();
    const std::vector<ColorVertex> triangle = {
        {1.2f, 0.7f, 0, 1, 0xFF000000}, {30.4f, 5.1f, 0, 1, 0x80FF7F01}, {9.6f, 29.3f, 0, 1, 0x0001FFFE}};
    std::vector<uint32_t> pictures[2];
    for (int shaded = 0; shaded < 2; ++shaded) {
        DrawColored(shaded ? shader : nullptr, D3DPT_TRIANGLELIST, triangle);
        pictures[shaded] =
            DrawColored(shaded ? shader : nullptr, D3DPT_LINELIST, {triangle[0], triangle[1]}, false);
    }
    EXPECT_EQ(pictures[0], pictures[1]);
    device->SetPixelShader(nullptr);
    shader->Release();
}

TEST_F(ShaderDeviceTest, ConstantsComeFromTheDeviceUnlessTheProgramDefinesThem) {
    D3D9SetCapabilityProfile(Profile(D3D9ShaderProfile::kSm3));
    MakeDevice(4, 4);
    Tokens p = Program(kPs20);
    Define(p, 2, {0.0f, 1.0f, 0.0f, 1.0f});
    p.Op(kOpAdd, {Destination(kRegTemp, 0), Source(kRegConst, 1), Source(kRegConst, 2)});
    p.Op(kOpMov, {Destination(kRegColourOut, 0), Source(kRegTemp, 0)});
    IDirect3DPixelShader9* shader = MakePixelShader(Words(p));
    const float set[2][4] = {{0, 0, 0, 0}, {1.0f, 0.0f, 0.5f, 1.0f}};
    const float ignored[4] = {0, 0, 1, 0};
    ASSERT_EQ(device->SetPixelShaderConstantF(0, set[0], 2), D3D_OK);
    ASSERT_EQ(device->SetPixelShaderConstantF(2, ignored, 1), D3D_OK);
    EXPECT_EQ(device->SetPixelShaderConstantF(224, ignored, 1), D3DERR_INVALIDCALL);
    device->SetPixelShader(shader);
    DrawQuad(0, 0, 4, 4, 0, 0, 1, 1, 0xFFFFFFFF);
    EXPECT_EQ(ReadTarget()[5], 0xFFFFFF80u);  // (1, 0, 0.5, 1) + (0, 1, 0, 1), saturated on the way out
    device->SetPixelShader(nullptr);
    shader->Release();
}

TEST_F(ShaderDeviceTest, TexldFormsChooseTheirLevelOfDetail) {
    D3D9SetCapabilityProfile(Profile(D3D9ShaderProfile::kSm3));
    MakeDevice(8, 8);
    // Four levels, each one colour.
    const uint32_t colours[4] = {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFFFF};
    IDirect3DTexture9* texture = nullptr;
    ASSERT_EQ(device->CreateTexture(8, 8, 4, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture, nullptr), D3D_OK);
    for (UINT level = 0; level < 4; ++level) {
        D3DLOCKED_RECT lr;
        ASSERT_EQ(texture->LockRect(level, &lr, nullptr, 0), D3D_OK);
        for (UINT y = 0; y < (8u >> level); ++y)
            for (UINT x = 0; x < (8u >> level); ++x)
                std::memcpy(static_cast<uint8_t*>(lr.pBits) + y * lr.Pitch + x * 4, &colours[level], 4);
        texture->UnlockRect(level);
    }
    device->SetTexture(0, texture);
    device->SetSamplerState(0, D3DSAMP_MIPFILTER, D3DTEXF_POINT);
    enum Form { kPlain, kBias, kProjected, kGiven };
    auto draw = [&](Form form, float value) {
        Tokens p = Program(kPs30);
        DeclareSemantic(p, kRegInput, 0, 5, 0);
        p.DeclareSampler2D(0);
        const uint32_t r0 = Destination(kRegTemp, 0), r1 = Destination(kRegTemp, 1),
                       v0 = Source(kRegInput, 0);
        const uint32_t r1s = Source(kRegTemp, 1), s0 = Source(kRegSampler, 0);
        p.Op(kOpMov, {r1, v0});
        if (form == kProjected) p.Op(kOpMul, {r1, v0, Source(kRegConst, 0, 0x00)});
        if (form == kBias || form == kGiven)
            p.Op(kOpMov, {Destination(kRegTemp, 1, kMaskW), Source(kRegConst, 0, 0x00)});
        const uint32_t op = form == kGiven ? sh::kTexLdl
                                           : sh::kTex | (form == kBias        ? sh::kTexBias
                                                         : form == kProjected ? sh::kTexProject
                                                                              : 0)
                                                            << 16;
        p.Op(Op(op), {r0, r1s, s0});
        p.Op(kOpMov, {Destination(kRegColourOut, 0), Source(kRegTemp, 0)});
        IDirect3DPixelShader9* shader = MakePixelShader(Words(p));
        const float c0[4] = {value, 0, 0, 0};
        device->SetPixelShaderConstantF(0, c0, 1);
        device->SetPixelShader(shader);
        DrawQuad(-0.5f, -0.5f, 7.5f, 7.5f, 0, 0, 1, 1, 0xFFFFFFFF);  // one texel a pixel: level 0
        device->SetPixelShader(nullptr);
        shader->Release();
        return ReadTarget()[3 * 8 + 3];
    };
    EXPECT_EQ(draw(kPlain, 0), colours[0]);
    EXPECT_EQ(draw(kBias, 1.0f), colours[1]);
    EXPECT_EQ(draw(kBias, 2.4f), colours[2]);
    EXPECT_EQ(draw(kProjected, 2.0f), colours[0]);  // twice the coordinates over twice w
    EXPECT_EQ(draw(kGiven, 3.0f), colours[3]);
    EXPECT_EQ(draw(kGiven, 0.0f), colours[0]);
    device->SetSamplerState(0, D3DSAMP_MIPMAPLODBIAS, Bits(1.0f));
    EXPECT_EQ(draw(kPlain, 0), colours[1]);
    EXPECT_EQ(draw(kGiven, 1.0f), colours[2]);
    device->SetTexture(0, nullptr);
    texture->Release();
}

TEST_F(ShaderDeviceTest, PositionAndFaceRegistersTellThePixelAndTheWinding) {
    D3D9SetCapabilityProfile(Profile(D3D9ShaderProfile::kSm3));
    MakeDevice(8, 8);
    // oC0 = (vPos.x / 8, vPos.y / 8, 0, 1), with z = 1 on front faces.
    Tokens p = Program(kPs30);
    p.Op(kOpDcl, {0x80000000u, Destination(Reg(sh::kMisc), 0, 0x3)});
    p.Op(kOpDcl, {0x80000000u, Destination(Reg(sh::kMisc), 1, 0x1)});
    Define(p, 0, {0.125f, 0.125f, 0, 1});
    Define(p, 1, {0, 0, 1, 1});
    p.Op(kOpMul, {Destination(kRegTemp, 0, 0x3), Source(Reg(sh::kMisc), 0), Source(kRegConst, 0)});
    p.Op(kOpMov, {Destination(kRegTemp, 0, 0xC), Source(kRegConst, 0)});
    Raw(p, sh::kIfC | sh::kCmpGt << 16, {Source(Reg(sh::kMisc), 1, 0x00), Source(kRegConst, 0, 0xAA)});
    p.Op(kOpMov, {Destination(kRegTemp, 0, kMaskZ), Source(kRegConst, 1)});
    Raw(p, sh::kEndIf, {});
    p.Op(kOpMov, {Destination(kRegColourOut, 0), Source(kRegTemp, 0)});
    IDirect3DPixelShader9* shader = MakePixelShader(Words(p));
    device->SetPixelShader(shader);
    DrawQuad(0, 0, 8, 4, 0, 0, 1, 1, 0xFFFFFFFF);  // clockwise triangles: front faces
    const ColorVertex back[3] = {{0, 4, 0, 1, 0}, {0, 8, 0, 1, 0}, {8, 4, 0, 1, 0}};
    device->SetFVF(0x44);
    device->BeginScene();
    device->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 1, back, sizeof(ColorVertex));
    device->EndScene();
    const std::vector<uint32_t> pixels = ReadTarget();
    EXPECT_EQ(pixels[1 * 8 + 5], 0xFF9F20FFu);  // (5, 1): 5/8 -> 159, 1/8 -> 32, front
    EXPECT_EQ(pixels[4 * 8 + 2], 0xFF408000u);  // (2, 4): 2/8 -> 64, 4/8 -> 128, back
    device->SetPixelShader(nullptr);
    shader->Release();
}

TEST_F(ShaderDeviceTest, TheDepthAProgramWritesIsTheDepthTested) {
    D3D9SetCapabilityProfile(Profile(D3D9ShaderProfile::kSm2));
    MakeDevice(8, 8);
    IDirect3DSurface9* depth = nullptr;
    ASSERT_EQ(
        device->CreateDepthStencilSurface(8, 8, D3DFMT_D16, D3DMULTISAMPLE_NONE, 0, FALSE, &depth, nullptr),
        D3D_OK);
    device->SetDepthStencilSurface(depth);
    device->SetRenderState(D3DRS_ZENABLE, D3DZB_TRUE);
    device->SetRenderState(D3DRS_ZFUNC, D3DCMP_LESS);
    device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
    // The left half written at depth c0.x whatever its vertices (z = 0) say, then a quad at z = 0.5 over
    // all, and one at z = 0.8 over all.
    Tokens p = Program(kPs20);
    p.Op(kOpMov, {Destination(kRegColourOut, 0), Source(kRegConst, 1)});
    p.Op(kOpMov, {Destination(Reg(sh::kDepthOut), 0), Source(kRegConst, 0, 0x00)});
    IDirect3DPixelShader9* shader = MakePixelShader(Words(p));
    const float constants[2][4] = {{0.75f, 0, 0, 0}, {1, 1, 1, 1}};
    device->SetPixelShaderConstantF(0, constants[0], 2);
    device->SetPixelShader(shader);
    DrawQuad(0, 0, 4, 8, 0, 0, 1, 1, 0xFFFFFFFF);
    device->SetPixelShader(nullptr);
    SelectDiffuse();
    for (const auto& [z, colour] : {std::pair{0.5f, 0xFF00FF00u}, std::pair{0.8f, 0xFF0000FFu}}) {
        const std::vector<ColorVertex> over = {
            {0, 0, z, 1, colour}, {8, 0, z, 1, colour}, {0, 8, z, 1, colour}, {8, 8, z, 1, colour}};
        device->SetFVF(0x44);
        device->BeginScene();
        device->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, over.data(), sizeof(ColorVertex));
        device->EndScene();
    }
    const std::vector<uint32_t> pixels = ReadTarget();
    EXPECT_EQ(pixels[3 * 8 + 1], 0xFF00FF00u);  // 0.5 in front of the written 0.75, 0.8 behind it
    EXPECT_EQ(pixels[3 * 8 + 6], 0xFF00FF00u);
    device->SetDepthStencilSurface(nullptr);
    shader->Release();
    depth->Release();
}

TEST_F(ShaderDeviceTest, ShadedTrianglesCoverThePixelsTheStagesCover) {
    // A mesh of random triangles drawn adding a little colour: a pixel covered twice, or missed, shows.
    D3D9SetCapabilityProfile(Profile(D3D9ShaderProfile::kSm2));
    MakeDevice(40, 36);
    IDirect3DPixelShader9* shader = MakePixelShader(DiffuseShader());
    std::mt19937 rng(17);
    std::uniform_real_distribution<float> jitter(-1.4f, 1.4f);
    const int n = 8;
    float gx[n + 1][n + 1], gy[n + 1][n + 1];
    for (int j = 0; j <= n; ++j)
        for (int i = 0; i <= n; ++i) {
            const bool border = i == 0 || j == 0 || i == n || j == n;
            gx[j][i] = i * 5.0f - 0.3f + (border ? 0 : jitter(rng));
            gy[j][i] = j * 4.5f + 0.2f + (border ? 0 : jitter(rng));
        }
    std::vector<ColorVertex> mesh;
    for (int j = 0; j < n; ++j)
        for (int i = 0; i < n; ++i) {
            auto v = [&](int a, int b) { return ColorVertex{gx[b][a], gy[b][a], 0, 1, 0xFF203040}; };
            mesh.insert(mesh.end(),
                        {v(i, j), v(i + 1, j), v(i, j + 1), v(i + 1, j + 1), v(i, j + 1), v(i + 1, j)});
        }
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_ONE);
    device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_ONE);
    SelectDiffuse();
    std::vector<uint32_t> pictures[2];
    for (int shaded = 0; shaded < 2; ++shaded)
        pictures[shaded] = DrawColored(shaded ? shader : nullptr, D3DPT_TRIANGLELIST, mesh);
    EXPECT_EQ(pictures[1], pictures[0]);
    // Every pixel once: the mesh spans columns 0 to 39 and rows 1 to 35.
    EXPECT_EQ(std::count(pictures[0].begin(), pictures[0].end(), 0xFF203040u), 40 * 35);
    device->SetPixelShader(nullptr);
    shader->Release();
}

}  // namespace
}  // namespace d3d9_test
