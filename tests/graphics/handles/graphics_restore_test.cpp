// Refilling graphics from their reload sources after an injected device loss: one file read for
// adjacent graphics of one file, a vanished file, and in-memory images with and without kept copies.
#include <cstdio>
#include <vector>

#include "engine/core/files/file_access.h"
#include "engine/graphics/handles/derived_graphics.h"
#include "engine/graphics/handles/graphic_loading.h"
#include "engine/graphics/handles/graphic_reload_source.h"
#include "engine/graphics/loss/device_restart.h"
#include "platform/d3d9/d3d9_control.h"
#include "tests/graphics/handles/graphics_fixture.h"

namespace {

// Counts the opens of files whose path ends with `countedName`, passing every call on.
FileAccessTable passedOn;
std::string countedName;
int countedOpens = 0;

uintptr_t CountingOpen(const char* path, int cacheFlag, int reserved, int backgroundFlag) {
    const std::string p = path;
    if (p.size() >= countedName.size() &&
        p.compare(p.size() - countedName.size(), std::string::npos, countedName) == 0)
        ++countedOpens;
    return passedOn.open(path, cacheFlag, reserved, backgroundFlag);
}

class GraphicsRestoreTest : public GraphicsTest {
  protected:
    void TearDown() override {
        if (counting_) SetFileFunctionTable(&passedOn);
        SetKeepGraphicImages(1);
        GraphicsTest::TearDown();
        ResetGraphicsRestartForTests();
    }
    void CountOpensOf(const std::string& name) {
        passedOn = *GetFileFunctionTable();
        countedName = name;
        countedOpens = 0;
        FileAccessTable counting = passedOn;
        counting.open = CountingOpen;
        SetFileFunctionTable(&counting);
        counting_ = true;
    }
    static void LoseAndRestart() {
        D3D9SetDeviceLost(true);
        D3D9SetDeviceLost(false);
        ASSERT_EQ(RestartGraphicsKeepMode(), 0);
    }
    // Every texel of level 0 of the graphic's first texture.
    static std::vector<uint32_t> Texels(int graphic) {
        IDirect3DTexture9* texture = Tile(graphic, 0).texture;
        const D3DSURFACE_DESC desc = TextureDesc(texture);
        std::vector<uint32_t> texels;
        for (int y = 0; y < int(desc.Height); ++y)
            for (int x = 0; x < int(desc.Width); ++x) texels.push_back(Texel(texture, x, y));
        return texels;
    }
    static bool AllZero(const std::vector<uint32_t>& texels) {
        for (uint32_t t : texels)
            if (t != 0) return false;
        return true;
    }
    static SoftImage Pattern(int width, int height) {
        return RgbImage(width, height,
                        [](int x, int y) { return uint32_t(x * 8) << 16 | uint32_t(y * 8) << 8 | 0x40; });
    }

    bool counting_ = false;
};

TEST_F(GraphicsRestoreTest, AdjacentGraphicsOfOneFileReadItOnce) {
    Start();
    SoftImage image = Pattern(64, 32);
    const std::string path = WritePng("sheet.png", &image);
    ReleaseSoftImage(&image);
    const int sheet = LoadGraphFile(path.c_str(), 0);
    ASSERT_GE(sheet, 0);
    const int left = DeriveGraphic(0, 0, 32, 32, sheet);
    const int right = DeriveGraphic(32, 0, 32, 32, sheet);
    ASSERT_GE(left, 0);
    ASSERT_GE(right, 0);
    ASSERT_EQ(FreeGraphic(sheet, 0), 0);
    const std::vector<uint32_t> before = Texels(left);
    ASSERT_FALSE(AllZero(before));
    CountOpensOf("sheet.png");
    LoseAndRestart();
    EXPECT_EQ(countedOpens, 1);
    EXPECT_EQ(Texels(left), before);
    EXPECT_EQ(Texels(right), before);  // one shared texture
    EXPECT_TRUE(Logged("グラフィックを復帰します"));
    EXPECT_TRUE(Logged("グラフィックの復帰が完了しました"));
}

TEST_F(GraphicsRestoreTest, VanishedFileIsLoggedAndItsGraphicStaysEmpty) {
    Start();
    SoftImage image = Pattern(16, 16);
    const std::string path = WritePng("gone.png", &image);
    const int kept = CreateGraphicFromSoftImages(&image, nullptr, 0);
    ReleaseSoftImage(&image);
    const int gone = LoadGraphFile(path.c_str(), 0);
    ASSERT_GE(gone, 0);
    const std::string fullPath = Entry(gone)->reloadSource->fileName;
    const std::vector<uint32_t> before = Texels(kept);
    ASSERT_EQ(std::remove((folder_ + "/gone.png").c_str()), 0);
    LoseAndRestart();
    EXPECT_TRUE(Logged("ファイル:" + fullPath + " がロードできませんでした")) << fullPath;
    EXPECT_EQ(IsGraphicAlive(gone), 1);
    EXPECT_TRUE(AllZero(Texels(gone)));
    EXPECT_EQ(Texels(kept), before);  // the restore went on after the failure
}

TEST_F(GraphicsRestoreTest, ImageGraphicWithoutKeptCopiesIsSkipped) {
    Start();
    SoftImage image = Pattern(16, 16);
    const int kept = CreateGraphicFromSoftImages(&image, nullptr, 0);
    SetKeepGraphicImages(0);
    const int notKept = CreateGraphicFromSoftImages(&image, nullptr, 0);
    ReleaseSoftImage(&image);
    ASSERT_GE(kept, 0);
    ASSERT_GE(notKept, 0);
    EXPECT_EQ(Entry(notKept)->reloadSource, nullptr);
    const std::vector<uint32_t> before = Texels(kept);
    ASSERT_FALSE(AllZero(before));
    EXPECT_EQ(Texels(notKept), before);
    LoseAndRestart();
    EXPECT_EQ(Texels(kept), before);
    EXPECT_EQ(IsGraphicAlive(notKept), 1);
    EXPECT_TRUE(AllZero(Texels(notKept)));
}

}  // namespace
