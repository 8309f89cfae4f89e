// Vertex shaders on the device: a shader that transforms by the constants draws what the fixed-function
// transform draws, inputs come from the declaration's or the vertex format's elements by usage, vertex
// textures are read by texldl, and vertices in screen positions pass no shader.
#include "platform/d3d9/shader_vertices.h"
#include "tests/platform/d3d9/d3d9_test_support.h"
#include "tests/platform/d3d9/shader_test_support.h"

namespace d3d9_test {
namespace {

constexpr uint32_t kUsagePosition = 0, kUsageTexcoord = 5, kUsageColor = 10;

struct ModelVertex {  // D3DFVF_XYZ | D3DFVF_DIFFUSE | D3DFVF_TEX1
    float x, y, z;
    D3DCOLOR diffuse;
    float u, v;
};

D3DMATRIX Matrix(std::initializer_list<float> rows) {
    D3DMATRIX m{};
    std::copy(rows.begin(), rows.end(), &m.m[0][0]);
    return m;
}

// oPos = v0 through the rows c0..c3 (the transposed matrix), oD0 = v1, oT0 = v2.
std::vector<uint32_t> TransformShader(uint32_t version) {
    Tokens p = Program(version);
    const bool v3 = (version & 0xFFFF) >= 0x300;
    DeclareSemantic(p, kRegInput, 0, kUsagePosition, 0);
    DeclareSemantic(p, kRegInput, 1, kUsageColor, 0);
    DeclareSemantic(p, kRegInput, 2, kUsageTexcoord, 0);
    const uint32_t masks[4] = {kMaskX, kMaskY, kMaskZ, kMaskW};
    if (v3) {
        DeclareSemantic(p, kRegTexCoordOut, 0, kUsagePosition, 0);
        DeclareSemantic(p, kRegTexCoordOut, 1, kUsageColor, 0);
        DeclareSemantic(p, kRegTexCoordOut, 2, kUsageTexcoord, 0);
    }
    for (uint32_t row = 0; row < 4; ++row)
        p.Op(kOpDp4, {Destination(v3 ? kRegTexCoordOut : kRegRasterOut, 0, masks[row]), Source(kRegInput, 0),
                      Source(kRegConst, row)});
    p.Op(kOpMov,
         {v3 ? Destination(kRegTexCoordOut, 1) : Destination(kRegAttributeOut, 0), Source(kRegInput, 1)});
    p.Op(kOpMov,
         {v3 ? Destination(kRegTexCoordOut, 2) : Destination(kRegTexCoordOut, 0), Source(kRegInput, 2)});
    return Words(p);
}

class ShaderVertexTest : public DeviceTest {
  protected:
    void SetUp() override {
        DeviceTest::SetUp();
        D3D9CapabilityProfile profile;
        D3D9ApplyShaderProfile(&profile, D3D9ShaderProfile::kSm3);
        D3D9SetCapabilityProfile(profile);
        MakeDevice(32, 24);
    }

    IDirect3DVertexShader9* MakeShader(const std::vector<uint32_t>& words) {
        IDirect3DVertexShader9* s = nullptr;
        EXPECT_EQ(device->CreateVertexShader(words.data(), &s), D3D_OK);
        return s;
    }

    std::vector<uint32_t> Draw(const std::vector<ModelVertex>& v, HRESULT want = D3D_OK) {
        device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0);
        device->BeginScene();
        EXPECT_EQ(
            device->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, UINT(v.size() - 2), v.data(), sizeof(ModelVertex)),
            want);
        device->EndScene();
        return ReadTarget();
    }

    // The world, view and projection transforms, and their product's transpose in c0..c3.
    void SetTransforms() {
        const D3DMATRIX world = Matrix({0.8f, 0.3f, 0, 0, -0.3f, 0.8f, 0, 0, 0, 0, 1, 0, 0.1f, -0.05f, 0, 1});
        const D3DMATRIX view = Matrix({1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 2.5f, 1});
        const D3DMATRIX projection = Matrix({1.5f, 0, 0, 0, 0, 2, 0, 0, 0, 0, 0.5f, 1, 0, 0, -0.25f, 0});
        device->SetTransform(D3DTS_WORLD, &world);
        device->SetTransform(D3DTS_VIEW, &view);
        device->SetTransform(D3DTS_PROJECTION, &projection);
        float product[4][4] = {};
        for (int i = 0; i < 4; ++i)
            for (int j = 0; j < 4; ++j) {
                float wv[4] = {};
                for (int k = 0; k < 4; ++k)
                    for (int l = 0; l < 4; ++l) wv[k] += world.m[i][l] * view.m[l][k];
                for (int k = 0; k < 4; ++k) product[i][j] += wv[k] * projection.m[k][j];
            }
        float rows[4][4];
        for (int i = 0; i < 4; ++i)
            for (int j = 0; j < 4; ++j) rows[j][i] = product[i][j];
        device->SetVertexShaderConstantF(0, &rows[0][0], 4);
    }

    const std::vector<ModelVertex> quad_ = {{-0.7f, -0.6f, 0.2f, 0xFFFF0000, 0, 1},
                                            {0.65f, -0.55f, 0.5f, 0xFF00FF00, 1, 1},
                                            {-0.6f, 0.7f, 0.0f, 0xFF0000FF, 0, 0},
                                            {0.7f, 0.6f, 0.3f, 0xFFFFFFFF, 1, 0}};
};

TEST_F(ShaderVertexTest, ATransformingShaderDrawsWhatTheFixedFunctionTransformDraws) {
    std::vector<uint32_t> texels(4 * 4);
    for (size_t i = 0; i < texels.size(); ++i) texels[i] = 0xFF000000u | uint32_t(i * 0x0F1E2D);
    IDirect3DTexture9* texture = MakeTexture(4, 4, D3DFMT_X8R8G8B8, texels);
    device->SetTexture(0, texture);
    device->SetFVF(D3DFVF_XYZ | D3DFVF_DIFFUSE | D3DFVF_TEX1);
    SetTransforms();
    // Without and with a pixel shader (texture times diffuse, as the default stage).
    Tokens modulate = Program(kPs20);
    modulate.DeclarePixelInput(kRegInput, 0).DeclarePixelInput(kRegTexture, 0).DeclareSampler2D(0);
    modulate.Op(kOpTexld, {Destination(kRegTemp, 0), Source(kRegTexture, 0), Source(kRegSampler, 0)});
    modulate.Op(kOpMul, {Destination(kRegColourOut, 0), Source(kRegTemp, 0), Source(kRegInput, 0)});
    IDirect3DPixelShader9* pixel = nullptr;
    ASSERT_EQ(device->CreatePixelShader(Words(modulate).data(), &pixel), D3D_OK);
    for (IDirect3DPixelShader9* p : {static_cast<IDirect3DPixelShader9*>(nullptr), pixel}) {
        device->SetPixelShader(p);
        const std::vector<uint32_t> fixed = Draw(quad_);
        for (uint32_t version : {kVs20, kVs30}) {
            IDirect3DVertexShader9* shader = MakeShader(TransformShader(version));
            device->SetVertexShader(shader);
            const std::vector<uint32_t> shaded = Draw(quad_);
            device->SetVertexShader(nullptr);
            shader->Release();
            int lit = 0;
            for (size_t i = 0; i < fixed.size(); ++i) {
                lit += fixed[i] != 0xFF000000u;
                EXPECT_EQ(shaded[i], fixed[i]) << "pixel " << i % 32 << ", " << i / 32 << " version "
                                               << std::hex << version << " pixel shader " << p;
            }
            EXPECT_GT(lit, 60);
        }
    }
    device->SetPixelShader(nullptr);
    pixel->Release();
    device->SetTexture(0, nullptr);
    texture->Release();
}

TEST_F(ShaderVertexTest, InputsComeFromTheElementsOfTheirUsage) {
    // Colour from a UBYTE4N element at TEXCOORD3, the position from SHORT4 at POSITION: scaled by c0.
    Tokens p = Program(kVs20);
    DeclareSemantic(p, kRegInput, 0, kUsagePosition, 0);
    DeclareSemantic(p, kRegInput, 5, kUsageTexcoord, 3);
    p.Op(kOpMul, {Destination(kRegRasterOut, 0), Source(kRegInput, 0), Source(kRegConst, 0)});
    p.Op(kOpMov, {Destination(kRegAttributeOut, 0), Source(kRegInput, 5)});
    IDirect3DVertexShader9* shader = MakeShader(Words(p));
    struct Packed {
        int16_t x, y, z, w;
        uint8_t rgba[4];
    };
    const D3DVERTEXELEMENT9 elements[] = {{0, 0, 7 /* SHORT4 */, 0, D3DDECLUSAGE_POSITION, 0},
                                          {0, 8, 8 /* UBYTE4N */, 0, D3DDECLUSAGE_TEXCOORD, 3},
                                          D3DDECL_END()};
    IDirect3DVertexDeclaration9* declaration = nullptr;
    ASSERT_EQ(device->CreateVertexDeclaration(elements, &declaration), D3D_OK);
    device->SetVertexDeclaration(declaration);
    device->SetVertexShader(shader);
    const float scale[4] = {0.01f, 0.01f, 0.01f, 1};
    device->SetVertexShaderConstantF(0, scale, 1);
    const Packed quad[4] = {{-100, -100, 0, 1, {255, 128, 0, 255}},
                            {100, -100, 0, 1, {255, 128, 0, 255}},
                            {-100, 100, 0, 1, {255, 128, 0, 255}},
                            {100, 100, 0, 1, {255, 128, 0, 255}}};
    device->BeginScene();
    ASSERT_EQ(device->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, quad, sizeof(Packed)), D3D_OK);
    device->EndScene();
    EXPECT_EQ(ReadTarget()[10 * 32 + 10], 0xFFFF8000u);
    // An element of another stream cannot feed it.
    const D3DVERTEXELEMENT9 other_stream[] = {{1, 0, 7, 0, D3DDECLUSAGE_POSITION, 0}, D3DDECL_END()};
    IDirect3DVertexDeclaration9* refused = nullptr;
    ASSERT_EQ(device->CreateVertexDeclaration(other_stream, &refused), D3D_OK);
    device->SetVertexDeclaration(refused);
    device->BeginScene();
    EXPECT_EQ(device->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, quad, sizeof(Packed)), D3DERR_INVALIDCALL);
    device->EndScene();
    device->SetVertexShader(nullptr);
    device->SetVertexDeclaration(nullptr);
    for (IUnknown* u : std::initializer_list<IUnknown*>{shader, declaration, refused}) u->Release();
}

TEST_F(ShaderVertexTest, VertexTexturesAreReadByTexldl) {
    Tokens p = Program(kVs30);
    DeclareSemantic(p, kRegInput, 0, kUsagePosition, 0);
    DeclareSemantic(p, kRegTexCoordOut, 0, kUsagePosition, 0);
    DeclareSemantic(p, kRegTexCoordOut, 1, kUsageColor, 0);
    p.DeclareSampler2D(2);
    p.Op(kOpMov, {Destination(kRegTexCoordOut, 0), Source(kRegInput, 0)});
    p.Op(Op(sh::kTexLdl), {Destination(kRegTexCoordOut, 1), Source(kRegConst, 0), Source(kRegSampler, 2)});
    IDirect3DVertexShader9* shader = MakeShader(Words(p));
    IDirect3DTexture9* texture = MakeTexture(2, 1, D3DFMT_A8R8G8B8, {0xFF102030, 0xFFC0B0A0});
    ASSERT_EQ(device->SetTexture(d3d9::kVertexSamplerFirst + 2, texture), D3D_OK);
    device->SetVertexShader(shader);
    device->SetFVF(D3DFVF_XYZ | D3DFVF_DIFFUSE | D3DFVF_TEX1);
    const float right_texel[4] = {0.75f, 0.5f, 0, 0};
    device->SetVertexShaderConstantF(0, right_texel, 1);
    std::vector<ModelVertex> flat = quad_;
    EXPECT_EQ(Draw(flat)[12 * 32 + 16], 0xFFC0B0A0u);
    ASSERT_EQ(device->SetSamplerState(d3d9::kVertexSamplerFirst + 2, D3DSAMP_ADDRESSU, D3DTADDRESS_CLAMP),
              D3D_OK);
    const float past_the_right[4] = {1.75f, 0.5f, 0, 0};
    device->SetVertexShaderConstantF(0, past_the_right, 1);
    EXPECT_EQ(Draw(flat)[12 * 32 + 16], 0xFFC0B0A0u);
    device->SetSamplerState(d3d9::kVertexSamplerFirst + 2, D3DSAMP_ADDRESSU, D3DTADDRESS_WRAP);
    EXPECT_EQ(Draw(flat)[12 * 32 + 16], 0xFFC0B0A0u);
    const float left_texel[4] = {1.25f, 0.5f, 0, 0};
    device->SetVertexShaderConstantF(0, left_texel, 1);
    EXPECT_EQ(Draw(flat)[12 * 32 + 16], 0xFF102030u);
    device->SetVertexShader(nullptr);
    device->SetTexture(d3d9::kVertexSamplerFirst + 2, nullptr);
    shader->Release();
    texture->Release();
}

TEST_F(ShaderVertexTest, ScreenPositionsPassNoVertexShader) {
    IDirect3DVertexShader9* shader = MakeShader(TransformShader(kVs20));
    const std::vector<uint32_t> fixed = [&] {
        DrawQuad(2, 3, 20, 17, 0, 0, 1, 1, 0xFF40C080);
        return ReadTarget();
    }();
    device->SetVertexShader(shader);
    device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0);
    DrawQuad(2, 3, 20, 17, 0, 0, 1, 1, 0xFF40C080);
    EXPECT_EQ(ReadTarget(), fixed);
    device->SetVertexShader(nullptr);
    shader->Release();
}

TEST(ShaderVertexElementsTest, FlexibleFormatsGiveTheirElements) {
    const DWORD fvf = D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_DIFFUSE | D3DFVF_SPECULAR | (2 << 8) | (1 << 18);
    const std::vector<D3DVERTEXELEMENT9> e = d3d9::ElementsFromFvf(fvf);
    // position, normal, diffuse, specular, texcoord0 (float2), texcoord1 (float3), end
    ASSERT_EQ(e.size(), 7u);
    const int offsets[] = {0, 12, 24, 28, 32, 40};
    const BYTE usages[] = {D3DDECLUSAGE_POSITION, D3DDECLUSAGE_NORMAL,   D3DDECLUSAGE_COLOR,
                           D3DDECLUSAGE_COLOR,    D3DDECLUSAGE_TEXCOORD, D3DDECLUSAGE_TEXCOORD};
    for (size_t i = 0; i < 6; ++i) {
        EXPECT_EQ(e[i].Offset, offsets[i]) << i;
        EXPECT_EQ(e[i].Usage, usages[i]) << i;
    }
    EXPECT_EQ(e[3].UsageIndex, 1);
    EXPECT_EQ(e[5].Type, D3DDECLTYPE_FLOAT3);
    EXPECT_EQ(e[6].Stream, 0xFF);
    EXPECT_TRUE(d3d9::HasScreenPositions(d3d9::ElementsFromFvf(D3DFVF_XYZRHW | D3DFVF_DIFFUSE)));
    EXPECT_FALSE(d3d9::HasScreenPositions(e));
}

}  // namespace
}  // namespace d3d9_test
