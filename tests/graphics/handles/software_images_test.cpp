// Software images of graphics: they start cleared; and when a restart cannot make the device again and
// ends in software mode, the graphics made for the device get software images (a shared block once, each
// graphic its own view over it) that the restore refills.
#include "engine/graphics/device/direct3d_system.h"
#include "engine/graphics/handles/derived_graphics.h"
#include "engine/graphics/handles/graphic_loading.h"
#include "engine/graphics/loss/device_restart.h"
#include "engine/graphics/target/render_target_slots.h"
#include "engine/softrender/soft_draw_entries.h"
#include "tests/graphics/handles/graphics_fixture.h"

namespace {

class SoftwareImagesTest : public GraphicsTest {
  protected:
    void TearDown() override {
        GraphicsTest::TearDown();
        ResetGraphicsRestartForTests();
    }
    static uint32_t Colour(int x, int y) { return uint32_t(x * 4) << 16 | uint32_t(y * 4) << 8 | 0x40; }
    // The colour a graphic's software view shows at (x, y).
    static uint32_t ViewPixel(int graphic, int x, int y) {
        const MEMIMG& view = Entry(graphic)->softView;
        const MemImgBase& base = *view.base;
        const int bytes = MemImgPixelBytes(base.kind, base.hasPalette, base.hasAlpha);
        uint32_t pixel = 0;
        std::memcpy(&pixel, view.pixels + ptrdiff_t(y) * base.pitch + x * bytes, size_t(bytes));
        return pixel & 0xFFFFFF;
    }
};

TEST_F(SoftwareImagesTest, GraphicsGetSoftwareImagesRefilledFromTheirSources) {
    Start();
    SoftImage image = RgbImage(64, 32, Colour);
    const std::string path = WritePng("sheet.png", &image);
    const int kept = CreateGraphicFromSoftImages(&image, nullptr, 0);
    ReleaseSoftImage(&image);
    const int sheet = LoadGraphFile(path.c_str(), 0);
    const int left = DeriveGraphic(0, 0, 32, 32, sheet);
    const int right = DeriveGraphic(32, 8, 32, 24, sheet);
    const int target = MakeDrawTarget(48, 40, 0);
    for (int g : {kept, sheet, left, right, target}) ASSERT_GE(g, 0);
    ASSERT_EQ(SelectDrawTarget(target), 0);

    D3D9SetDeviceLost(true);
    ASSERT_EQ(RestartGraphicsKeepMode(), 0);
    ASSERT_EQ(Direct3DMode, 0);

    for (int g : {kept, sheet, left, right, target}) {
        const GraphicEntry* e = Entry(g);
        ASSERT_NE(e, nullptr);
        EXPECT_EQ(e->block->description.hasTextures, 0) << std::hex << g;
        EXPECT_EQ(e->drawTileCount, 0);
        ASSERT_TRUE(IsMemImgValid(&e->softView)) << std::hex << g;
        EXPECT_EQ(e->softView.width * 1000 + e->softView.height, e->width * 1000 + e->height);
    }
    EXPECT_EQ(Entry(left)->block, Entry(sheet)->block);
    EXPECT_EQ(Entry(right)->block, Entry(sheet)->block);
    EXPECT_EQ(Entry(sheet)->block->referenceCount, 3);
    struct Probe {
        int graphic, x, y;
        uint32_t colour;
    } probes[] = {
        {kept, 5, 6, Colour(5, 6)},   {sheet, 63, 31, Colour(63, 31)}, {left, 31, 0, Colour(31, 0)},
        {right, 0, 0, Colour(32, 8)}, {right, 31, 23, Colour(63, 31)}, {target, 47, 39, 0},
    };
    for (const Probe& p : probes)
        EXPECT_EQ(ViewPixel(p.graphic, p.x, p.y), p.colour)
            << std::hex << p.graphic << " at " << p.x << "," << p.y;
    EXPECT_EQ(SelectDrawTarget(target), 0);
    EXPECT_EQ(g_softDrawSurfaces.target, &Entry(target)->softView);
}

TEST_F(SoftwareImagesTest, DrawTargetMadeInSoftwareModeStartsCleared) {
    ASSERT_EQ(SetHardwareDrawEnabled(0), 0);
    Start();
    ASSERT_EQ(Direct3DMode, 0);
    // Memory that held pixels before: a new image may be given the same blocks.
    SoftImage image = RgbImage(64, 40, Colour);
    const int painted = CreateGraphicFromSoftImages(&image, nullptr, 0);
    ReleaseSoftImage(&image);
    ASSERT_EQ(FreeGraphic(painted, 0), 0);
    const int target = MakeDrawTarget(64, 40, 0);
    ASSERT_GE(target, 0);
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 64; ++x) ASSERT_EQ(ViewPixel(target, x, y), 0u) << x << "," << y;
}

}  // namespace
