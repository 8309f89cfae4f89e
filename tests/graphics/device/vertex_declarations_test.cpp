// The vertex declarations: their elements, their creation and release.
#include "engine/graphics/device/vertex_declarations.h"

#include "engine/graphics/device/device_probe.h"
#include "tests/graphics/device/device_fixture.h"

namespace {

bool SameElement(const D3DVERTEXELEMENT9& a, const D3DVERTEXELEMENT9& b) {
    return a.Stream == b.Stream && a.Offset == b.Offset && a.Type == b.Type && a.Method == b.Method &&
           a.Usage == b.Usage && a.UsageIndex == b.UsageIndex;
}

}  // namespace

TEST(VertexDeclarationElements, PlainFirstKindWithEightTextureCoordinates) {
    D3DVERTEXELEMENT9 elements[kDeclarationElementMax];
    ASSERT_EQ(BuildDeclarationElements(0, 0, 8, elements), 13);
    const D3DVERTEXELEMENT9 expected[13] = {
        {0, 0, D3DDECLTYPE_FLOAT3, 0, D3DDECLUSAGE_POSITION, 0},
        {0, 12, D3DDECLTYPE_FLOAT3, 0, D3DDECLUSAGE_NORMAL, 0},
        {0, 24, D3DDECLTYPE_D3DCOLOR, 0, D3DDECLUSAGE_COLOR, 0},
        {0, 28, D3DDECLTYPE_D3DCOLOR, 0, D3DDECLUSAGE_COLOR, 1},
        {0, 32, D3DDECLTYPE_FLOAT4, 0, D3DDECLUSAGE_TEXCOORD, 0},
        {0, 48, D3DDECLTYPE_FLOAT4, 0, D3DDECLUSAGE_TEXCOORD, 1},
        {0, 64, D3DDECLTYPE_FLOAT4, 0, D3DDECLUSAGE_TEXCOORD, 2},
        {0, 80, D3DDECLTYPE_FLOAT4, 0, D3DDECLUSAGE_TEXCOORD, 3},
        {0, 96, D3DDECLTYPE_FLOAT4, 0, D3DDECLUSAGE_TEXCOORD, 4},
        {0, 112, D3DDECLTYPE_FLOAT4, 0, D3DDECLUSAGE_TEXCOORD, 5},
        {0, 128, D3DDECLTYPE_FLOAT4, 0, D3DDECLUSAGE_TEXCOORD, 6},
        {0, 144, D3DDECLTYPE_FLOAT4, 0, D3DDECLUSAGE_TEXCOORD, 7},
        D3DDECL_END(),
    };
    for (int i = 0; i < 13; ++i) EXPECT_TRUE(SameElement(elements[i], expected[i])) << "element " << i;
}

// Every declaration: its base, then the extra coordinates from the end of the base, then the end mark.
TEST(VertexDeclarationElements, ExtrasFollowEveryBaseAndOutOfRangeIsRefused) {
    D3DVERTEXELEMENT9 base[kDeclarationElementMax];
    D3DVERTEXELEMENT9 elements[kDeclarationElementMax];
    for (int group = 0; group < kDeclarationGroupCount; ++group)
        for (int kind = 0; kind < kDeclarationKindCount; ++kind) {
            const int baseCount = BuildDeclarationElements(group, kind, 0, base) - 1;
            ASSERT_GE(baseCount, 3);
            const D3DVERTEXELEMENT9& last = base[baseCount - 1];
            const int end = last.Offset + (last.Type == D3DDECLTYPE_FLOAT3 ? 12 : 4);
            for (int extra = 0; extra <= kDeclarationExtraMax; ++extra) {
                SCOPED_TRACE(testing::Message() << group << "/" << kind << "/" << extra);
                ASSERT_EQ(BuildDeclarationElements(group, kind, extra, elements), baseCount + extra + 1);
                for (int i = 0; i < baseCount; ++i) EXPECT_TRUE(SameElement(elements[i], base[i]));
                for (int i = 0; i < extra; ++i) {
                    EXPECT_EQ(elements[baseCount + i].Offset, end + 16 * i);
                    EXPECT_EQ(elements[baseCount + i].Usage, D3DDECLUSAGE_TEXCOORD);
                    EXPECT_EQ(elements[baseCount + i].UsageIndex, i);
                }
                EXPECT_EQ(elements[baseCount + extra].Stream, 0xFF);
            }
        }
    for (int bad : {-1, kDeclarationExtraMax + 1})
        EXPECT_EQ(BuildDeclarationElements(0, 0, bad, elements), 0);
    EXPECT_EQ(BuildDeclarationElements(kDeclarationGroupCount, 0, 0, elements), 0);
    EXPECT_EQ(BuildDeclarationElements(0, kDeclarationKindCount, 0, elements), 0);
}

TEST_F(DeviceTest, AllFiftySixDeclarationsAreMadeAndReleased) {
    MakeDirect3D();
    ASSERT_EQ(ProbeDeviceFormats(), 0);
    D3D9SetTraceEnabled(true);
    ASSERT_EQ(CreateVertexDeclarations(), 0);
    const std::vector<std::string> trace = D3D9TakeTrace();
    EXPECT_EQ(std::count_if(trace.begin(), trace.end(),
                            [](const std::string& call) {
                                return call.rfind("IDirect3DDevice9::CreateVertexDeclaration(", 0) == 0;
                            }),
              56);
    EXPECT_NE(vertexDeclarations.table[1][2][8], nullptr);
    EXPECT_NE(vertexDeclarations.fixed[1], nullptr);
    EXPECT_EQ(ReleaseVertexDeclarations(), 0);
    EXPECT_EQ(vertexDeclarations.table[0][0][0], nullptr);
    EXPECT_EQ(vertexDeclarations.fixed[1], nullptr);
    D3D9FailCreation("CreateVertexDeclaration", 1);
    ASSERT_EQ(CreateVertexDeclarations(), 0);
    EXPECT_EQ(vertexDeclarations.table[0][0][0], nullptr);
    EXPECT_NE(vertexDeclarations.table[0][0][1], nullptr);
    ReleaseVertexDeclarations();
}
