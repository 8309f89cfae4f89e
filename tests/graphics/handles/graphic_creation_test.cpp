// Graphic creation on the device stand-in: texture division, draw tiles, derived graphics, draw targets,
// PNG loads with the transparent colour, and the software-mode image.
#include <fstream>

#include "engine/core/files/file_access.h"
#include "engine/graphics/device/device_capabilities.h"
#include "engine/graphics/device/direct3d_system.h"
#include "engine/graphics/device/screen_settings.h"
#include "engine/graphics/handles/graphic_loading.h"
#include "engine/graphics/handles/graphic_reload_source.h"
#include "engine/graphics/handles/graphic_setup.h"
#include "tests/graphics/handles/graphics_fixture.h"

namespace {

class GraphicCreationTest : public GraphicsTest {
  protected:
    static int Sized(int width, int height, int maxTexture = 0) {
        GraphicCreateParams params;
        FillGraphicCreateParams(&params);
        params.words[CREATE_MAX_TEXTURE_SIZE] = maxTexture;
        return CreateGraphicFromParams(params, width, height, 0, 0, 0);
    }
    // Sides that are each possible but an area no graphic can use: refused at once with a line in the
    // log, before any texture or image is made (a draw target of 2^20 x 2^20 would be 262,144 textures).
    void ExpectAreasBeyondTheLimitRefused() {
        const int graphics = handleTypes[kGraphicHandleType].count;
        D3D9SetTraceEnabled(true);
        D3D9TakeTrace();
        const std::pair<int, int> sizes[] = {
            {1 << 20, 1 << 20}, {8193, 8192}, {65536, 1025}, {0x7FFFFFFF, 0x7FFFFFFF}};
        for (auto [width, height] : sizes) {
            const std::string line = std::to_string(width) + " x " + std::to_string(height) +
                                     " のグラフィックは大きすぎるため作成できません";
            EXPECT_EQ(MakeDrawTarget(width, height, 0), -1) << width;
            EXPECT_EQ(Sized(width, height), -1) << width;
            EXPECT_TRUE(Logged(line)) << width;
        }
        EXPECT_TRUE(D3D9TakeTrace().empty());
        EXPECT_EQ(handleTypes[kGraphicHandleType].count, graphics);
    }
    static int Derived(int source, int x, int y, int width, int height) {
        const int handle = NewGraphicHandle();
        EXPECT_EQ(SetupDerivedGraphic(source, handle, x, y, width, height, 0), 0);
        return handle;
    }
};

TEST_F(GraphicCreationTest, OneTextureGraphicHasOneDrawTileOverItsRectangle) {
    Start();
    const int graphic = Sized(400, 300);
    ASSERT_GE(graphic, 0);
    const GraphicEntry* entry = Entry(graphic);
    ASSERT_EQ(entry->block->textureCount, 1);
    EXPECT_EQ(Tile(graphic, 0).textureWidth, 512);
    EXPECT_EQ(Tile(graphic, 0).textureHeight, 512);
    EXPECT_EQ(TextureDesc(Tile(graphic, 0).texture).Width, 512u);
    ASSERT_EQ(entry->drawTileCount, 1);
    const GraphicDrawTile& d = entry->drawTiles[0];
    const float expected[4][4] = {
        {0, 0, 0, 0}, {400, 0, 0.78125f, 0}, {0, 300, 0, 0.5859375f}, {400, 300, 0.78125f, 0.5859375f}};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(d.corners[i].x, expected[i][0]) << i;
        EXPECT_EQ(d.corners[i].y, expected[i][1]) << i;
        EXPECT_EQ(d.corners[i].u, expected[i][2]) << i;
        EXPECT_EQ(d.corners[i].v, expected[i][3]) << i;
    }
    EXPECT_EQ(std::vector<int>(d.cornerSides, d.cornerSides + 4), (std::vector<int>{1, 1, 1, 0}));
    EXPECT_EQ(d.tile, &Tile(graphic, 0));
    int w = 0, h = 0;
    EXPECT_EQ(GetGraphicSize(graphic, &w, &h), 0);
    EXPECT_EQ(w * 1000 + h, 400300);
    EXPECT_EQ(GetGraphicTextureSize(graphic, &w, &h), 0);
    EXPECT_EQ(w * 1000 + h, 512512);
    EXPECT_EQ(GraphicFirstTexture(entry), reinterpret_cast<uintptr_t>(Tile(graphic, 0).texture));
}

TEST_F(GraphicCreationTest, DerivedGraphicsTakeTheTilesTheyOverlap) {
    Start();
    const int sheet = Sized(3000, 50);
    ASSERT_GE(sheet, 0);
    ASSERT_EQ(Entry(sheet)->block->textureCount, 2);
    EXPECT_EQ(Tile(sheet, 1).textureWidth, 1024);
    const int inFirst = Derived(sheet, 100, 0, 50, 50);
    ASSERT_EQ(Entry(inFirst)->drawTileCount, 1);
    EXPECT_EQ(Entry(inFirst)->drawTiles[0].textureX, 100);
    EXPECT_EQ(Entry(inFirst)->drawTiles[0].x, 0);
    const int across = Derived(sheet, 2040, 0, 20, 50);
    ASSERT_EQ(Entry(across)->drawTileCount, 2);
    EXPECT_EQ(Entry(across)->drawTiles[0].width, 8);
    EXPECT_EQ(Entry(across)->drawTiles[1].width, 12);
    EXPECT_EQ(Entry(across)->drawTiles[1].x, 8);
    EXPECT_EQ(Entry(across)->drawTiles[1].textureX, 0);
    EXPECT_EQ(Entry(across)->drawTiles[1].corners[1].u, 12.0f / 1024.0f);
    EXPECT_EQ(Entry(sheet)->block->referenceCount, 3);
}

TEST_F(GraphicCreationTest, ManyDrawTilesGrowTheHandleDataForGood) {
    Start();
    const int sheet = Sized(1000, 40, 128);  // 7 x 128, 64, 32 and 8 texels wide
    ASSERT_GE(sheet, 0);
    ASSERT_EQ(Entry(sheet)->drawTileCount, 10);
    EXPECT_EQ(Entry(sheet)->header.dataSize, uint32_t(GraphicEntrySize(10)));
    const GraphicDrawTile* tiles = Entry(sheet)->drawTiles;
    EXPECT_EQ(tiles[7].x, 896);
    EXPECT_EQ(tiles[7].width, 64);
    EXPECT_EQ(tiles[9].x, 992);
    EXPECT_EQ(tiles[9].width, 8);
    const int part = NewGraphicHandle();
    ASSERT_EQ(SetupDerivedGraphic(sheet, part, 0, 0, 700, 40, 0), 0);
    ASSERT_EQ(Entry(part)->drawTileCount, 6);
    ASSERT_EQ(SetupDerivedGraphic(sheet, part, 0, 0, 10, 40, 0), 0);
    EXPECT_EQ(Entry(part)->drawTileCount, 1);
    EXPECT_EQ(Entry(part)->header.dataSize, uint32_t(GraphicEntrySize(6)));
    EXPECT_EQ(Entry(sheet)->block->referenceCount, 2);  // the sheet's and the part's, once
}

// A handle set up again on another block gives the earlier one back: its texture goes with its last
// graphic.
TEST_F(GraphicCreationTest, SetupAgainGivesTheEarlierBlockBack) {
    Start();
    const int first = Sized(64, 64);
    const int second = Sized(32, 32);
    const int part = Derived(first, 0, 0, 16, 16);
    IDirect3DTexture9* texture = Tile(first, 0).texture;
    texture->AddRef();
    ASSERT_EQ(SetupDerivedGraphic(second, part, 8, 8, 16, 16, 0), 0);
    EXPECT_EQ(Entry(first)->block->referenceCount, 1);
    EXPECT_EQ(Entry(second)->block->referenceCount, 2);
    EXPECT_EQ(Entry(part)->drawTiles[0].tile, &Tile(second, 0));
    ASSERT_EQ(FreeGraphic(first, 0), 0);
    EXPECT_EQ(texture->Release(), 0u);
}

TEST_F(GraphicCreationTest, DerivedGraphicOutlivesItsSource) {
    Start();
    const int sheet = Sized(64, 64);
    const int part = Derived(sheet, 16, 16, 16, 16);
    IDirect3DTexture9* texture = Tile(sheet, 0).texture;
    texture->AddRef();
    ASSERT_EQ(FreeGraphic(sheet, 0), 0);
    ASSERT_EQ(IsGraphicAlive(part), 1);
    EXPECT_EQ(Entry(part)->block->referenceCount, 1);
    EXPECT_EQ(Entry(part)->drawTiles[0].tile->texture, texture);
    ASSERT_EQ(FreeGraphic(part, 0), 0);
    EXPECT_EQ(texture->Release(), 0u);  // the last graphic released its reference
}

TEST_F(GraphicCreationTest, DerivedRectangleOutsideEveryTileFails) {
    Start();
    const int sheet = Sized(64, 64);
    const int handle = NewGraphicHandle();
    EXPECT_EQ(SetupDerivedGraphic(sheet, handle, 64, 0, 8, 8, 0), -1);
    EXPECT_EQ(Entry(handle)->drawTileCount, 0);
    EXPECT_EQ(SetupDerivedGraphic(sheet, handle, 0, 0, 0, 8, 0), -1);
}

TEST_F(GraphicCreationTest, SizesBelowOneMakeNoHandle) {
    Start();
    const int graphics = handleTypes[kGraphicHandleType].count;  // the default font's cache texture
    for (auto size : {std::pair{0, 10}, std::pair{10, 0}, std::pair{-5, 10}}) {
        EXPECT_EQ(Sized(size.first, size.second), -1);
        EXPECT_EQ(MakeDrawTarget(size.first, size.second, 0), -1);
    }
    EXPECT_EQ(handleTypes[kGraphicHandleType].count, graphics);
}

TEST_F(GraphicCreationTest, AreasBeyondTheLimitAreRefusedBeforeAnyTexture) {
    Start();
    ASSERT_EQ(Direct3DMode, 1);
    ExpectAreasBeyondTheLimitRefused();
}

TEST_F(GraphicCreationTest, AreasBeyondTheLimitAreRefusedInSoftwareMode) {
    ASSERT_EQ(SetHardwareDrawEnabled(0), 0);
    Start();
    ASSERT_EQ(Direct3DMode, 0);
    ExpectAreasBeyondTheLimitRefused();
}

// The device out of memory for a texture (the stand-in's allocation refused): a failed creation with its
// log line and no handle left, for a plain graphic, a draw target and a graphic of several textures.
TEST_F(GraphicCreationTest, TextureMemoryTheDeviceLacksIsAFailedCreation) {
    Start();
    const int graphics = handleTypes[kGraphicHandleType].count;
    const struct {
        const char* what;
        int (*make)();
    } cases[] = {
        {"graphic", [] { return Sized(64, 64); }},
        {"draw target", [] { return MakeDrawTarget(64, 64, 0); }},
        {"graphic of four textures", [] { return Sized(3000, 3000); }},
    };
    for (const auto& c : cases) {
        D3D9FailCreation("PixelMemory", 1);
        EXPECT_EQ(c.make(), -1) << c.what;
        D3D9FailCreation("PixelMemory", 0);
        EXPECT_TRUE(Logged("テクスチャの作成に失敗しました")) << c.what;
        EXPECT_EQ(handleTypes[kGraphicHandleType].count, graphics) << c.what;
        const int made = c.make();
        EXPECT_GE(made, 0) << c.what;
        EXPECT_EQ(FreeGraphic(made, 0), 0) << c.what;
    }
}

TEST_F(GraphicCreationTest, DrawTargetIsOneRenderTargetTextureOfTheScreenDepth) {
    Start();
    const int target = MakeDrawTarget(400, 300, 0);
    ASSERT_GE(target, 0);
    ASSERT_EQ(Entry(target)->block->textureCount, 1);
    const D3DSURFACE_DESC desc = TextureDesc(Tile(target, 0).texture);
    EXPECT_EQ(desc.Width, 400u);
    EXPECT_EQ(desc.Height, 300u);
    EXPECT_EQ(desc.Usage, DWORD(D3DUSAGE_RENDERTARGET));
    EXPECT_EQ(desc.Format, GetColorDepth() == 16 ? D3DFMT_R5G6B5 : D3DFMT_X8R8G8B8);
    EXPECT_EQ(IsRenderTargetGraphic(target), 1);
    EXPECT_EQ(IsRenderTargetGraphic(Sized(8, 8)), 0);
}

TEST_F(GraphicCreationTest, SecondInitMakesNoDeviceCall) {
    Start();
    D3D9SetTraceEnabled(true);
    D3D9TakeTrace();
    EXPECT_EQ(InitGraphicsSystem(), 0);
    EXPECT_TRUE(D3D9TakeTrace().empty());
}

TEST_F(GraphicCreationTest, PngWithTheTransparentColourGetsAlphaFromIt) {
    Start();
    SetTransparentColour(0, 255, 0);
    SoftImage image = RgbImage(4, 2, [](int x, int) { return x == 0 ? 0xFF0000u : 0x00FF00u; });
    const std::string path = WritePng("red_green.png", &image);
    ReleaseSoftImage(&image);
    const int graphic = LoadGraphFile(path.c_str(), 0);
    ASSERT_GE(graphic, 0);
    const bool sixteen = GetColorDepth() == 16;
    EXPECT_EQ(Entry(graphic)->block->format, sixteen ? 4 : 5);
    IDirect3DTexture9* texture = Tile(graphic, 0).texture;
    EXPECT_EQ(TextureDesc(texture).Format, sixteen ? D3DFMT_A1R5G5B5 : D3DFMT_A8R8G8B8);
    EXPECT_EQ(Texel(texture, 0, 0), sixteen ? 0xFC00u : 0xFFFF0000u);
    EXPECT_EQ(Texel(texture, 1, 1) >> (sixteen ? 15 : 24), 0u);  // green: alpha 0
    EXPECT_NE(Texel(texture, 1, 1), 0u);
    ASSERT_NE(Entry(graphic)->reloadSource, nullptr);
    EXPECT_NE(std::string(Entry(graphic)->reloadSource->fileName).find("red_green.png"), std::string::npos);
}

TEST_F(GraphicCreationTest, MissingPngLogsItsFullPathAndLeavesNoGraphic) {
    Start();
    const int graphics = handleTypes[kGraphicHandleType].count;  // the default font's cache texture
    const std::string path = "C:" + folder_ + "/absent.png";
    EXPECT_EQ(LoadGraphFile(path.c_str(), 0), -1);
    char fullPath[2048];
    ASSERT_GE(ConvertToFullPath(path.c_str(), fullPath, nullptr), 0);
    EXPECT_TRUE(Logged("画像ファイル " + std::string(fullPath) + " がありません")) << fullPath;
    EXPECT_EQ(handleTypes[kGraphicHandleType].count, graphics);
}

// A file that is neither an image nor a movie: each failure is one line of the log, none followed by an
// empty one.
TEST_F(GraphicCreationTest, FileThatIsNoPictureLogsItsFailuresOneLineEach) {
    Start();
    const std::string path = folder_ + "/noise.png";
    {
        std::ofstream file(path, std::ios::binary);
        file << "these bytes are no picture";
    }
    EXPECT_EQ(LoadGraphFile(("C:" + path).c_str(), 0), -1);
    const std::vector<std::string> lines = LogLines();
    bool named = false;
    for (const std::string& line : lines) {
        EXPECT_FALSE(line.empty());
        named |= line.find("右記のグラフィックファイルのロードに失敗しました") != std::string::npos;
    }
    EXPECT_TRUE(named);
}

TEST_F(GraphicCreationTest, SoftwareModeKeepsAMemImgKeyedWithTheTransparentColour) {
    ASSERT_EQ(SetHardwareDrawEnabled(0), 0);
    Start();
    ASSERT_EQ(Direct3DMode, 0);
    SetTransparentColour(0, 255, 0);
    SoftImage image = RgbImage(3, 3, [](int x, int y) { return x == y ? 0x00FF00u : 0x0000FFu; });
    const std::string path = WritePng("blue.png", &image);
    ReleaseSoftImage(&image);
    const int graphic = LoadGraphFile(path.c_str(), 0);
    ASSERT_GE(graphic, 0);
    const GraphicImageBlock* block = Entry(graphic)->block;
    EXPECT_EQ(block->description.hasTextures, 0);
    EXPECT_EQ(block->format, 27);
    EXPECT_EQ(block->image.base->kind, 0);
    EXPECT_EQ(block->image.base->transparentColor, 0x07E0u);
    EXPECT_EQ(reinterpret_cast<const uint16_t*>(block->image.pixels)[1], 0x001Fu);
    EXPECT_EQ(reinterpret_cast<const uint16_t*>(block->image.pixels)[0], 0x07E0u);
    EXPECT_EQ(Entry(graphic)->softView.width, 3);
    EXPECT_EQ(MakeDrawTarget(8, 8, 1), -1);  // no alpha draw target without textures
}

}  // namespace
