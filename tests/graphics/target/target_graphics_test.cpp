// The draw target, copies and blend graphic with real graphic handles.
#include <gtest/gtest.h>

#include <cstring>

#include "engine/graphics/device/device_objects.h"
#include "engine/graphics/device/draw_target_depth.h"
#include "engine/graphics/device/screen_mem_image.h"
#include "engine/graphics/graphics.h"
#include "engine/graphics/graphics_services.h"
#include "engine/graphics/target/frame_flip.h"
#include "engine/graphics/target/render_target_slots.h"
#include "tests/graphics/target/target_graphics.h"
#include "tests/graphics/target/target_test_support.h"

namespace graphics_test {
namespace {

class TargetGraphicsTest : public TargetGraphicsFixture {
  protected:
    static uint32_t SoftPixel(const MEMIMG& image, int x, int y) {
        const int bytes = MemImgPixelBytes(image.base->kind, 0, 0);
        uint32_t value = 0;
        std::memcpy(&value, image.pixels + ptrdiff_t(y) * image.base->pitch + x * bytes, size_t(bytes));
        return value;
    }
    static void SetSoftPixel(MEMIMG& image, int x, int y, uint16_t value) {
        std::memcpy(image.pixels + ptrdiff_t(y) * image.base->pitch + x * 2, &value, 2);
    }
};

TEST_F(TargetGraphicsTest, SelectingGraphicsKeepsOrResetsTheAreaBySize) {
    const int a = MakeSoftwareGraphic({400, 300, 1, 0});
    const int b = MakeSoftwareGraphic({400, 300, 1, 0});
    const int small = MakeSoftwareGraphic({64, 32, 1, 0});
    ASSERT_EQ(SelectDrawTarget(a), 0);
    EXPECT_EQ(g_softDrawSurfaces.target, &LookupGraphic(a, 0)->softView);
    ASSERT_EQ(SetClipRect(10, 20, 110, 220), 0);
    ASSERT_EQ(SelectDrawTarget(b), 0);
    EXPECT_EQ(drawTargetState.area.left, 10);
    EXPECT_EQ(drawTargetState.area.bottom, 220);
    ASSERT_EQ(SelectDrawTarget(small), 0);
    EXPECT_EQ(drawTargetState.area.left, 0);
    EXPECT_EQ(drawTargetState.area.right, 64);
    EXPECT_EQ(drawTargetState.area.bottom, 32);
}

TEST_F(TargetGraphicsTest, GraphicsThatCannotBeDrawnOnAreRefusedAndTheOldTargetStays) {
    const int target = MakeSoftwareGraphic({400, 300, 1, 0});
    const int plain = MakeSoftwareGraphic({400, 300, 0, 0});
    const int alpha = MakeSoftwareGraphic({64, 64, 1, 1});
    const int loading = MakeSoftwareGraphic({64, 64, 1, 0});
    ASSERT_EQ(AddHandleLoadJob(loading, 3), 0);
    ASSERT_EQ(SelectDrawTarget(target), 0);
    MEMIMG* softTarget = g_softDrawSurfaces.target;
    for (int refused : {plain, alpha, loading}) {
        EXPECT_EQ(SelectDrawTarget(refused), -1);
        EXPECT_EQ(GetDrawTargetHandle(), target);
        EXPECT_EQ(drawTargetState.width, 400);
        EXPECT_EQ(drawTargetState.area.right, 400);
        EXPECT_EQ(g_softDrawSurfaces.target, softTarget);
    }
    DropHandleLoadJob(loading);
}

TEST_F(TargetGraphicsTest, DeletingTheCurrentTargetSelectsTheFrontScreen) {
    const int target = MakeSoftwareGraphic({400, 300, 1, 0});
    ASSERT_EQ(SelectDrawTarget(target), 0);
    ASSERT_EQ(FreeGraphic(target, 0), 0);
    EXPECT_EQ(GetDrawTargetHandle(), kDrawTargetFrontScreen);
    EXPECT_EQ(SetClipRect(0, 0, 10, 10), 0);
}

TEST_F(TargetGraphicsTest, SoftwareCopyOfTheDrawTargetIntoAGraphic) {
    const int target = MakeSoftwareGraphic({400, 300, 1, 0});
    ASSERT_EQ(SelectDrawTarget(target), 0);
    MEMIMG& drawn = LookupGraphic(target, 0)->softView;
    SetSoftPixel(drawn, 10, 20, 0xF800);
    SetSoftPixel(drawn, 19, 29, 0x07E0);
    const int wide = MakeSoftwareGraphic({11, 10, 0, 0});
    const int exact = MakeSoftwareGraphic({10, 10, 0, 0});
    EXPECT_EQ(CopyDrawScreenToGraphic(10, 20, 20, 30, wide), -1);
    ASSERT_EQ(CopyDrawScreenToGraphic(10, 20, 20, 30, exact), 0);
    const MEMIMG& copy = LookupGraphic(exact, 0)->softView;
    EXPECT_EQ(SoftPixel(copy, 0, 0), 0xF800u);
    EXPECT_EQ(SoftPixel(copy, 9, 9), 0x07E0u);
}

TEST_F(TargetGraphicsTest, CopiesOutsideTheSourceOrDestinationAreRefused) {
    const int target = MakeSoftwareGraphic({400, 300, 1, 0});
    const int source = MakeSoftwareGraphic({8, 8, 1, 0});
    const int dest = MakeSoftwareGraphic({16, 16, 0, 0});
    ASSERT_EQ(SelectDrawTarget(target), 0);
    SetSoftPixel(LookupGraphic(source, 0)->softView, 0, 0, 0x1234);
    FillMemImgRect(&LookupGraphic(dest, 0)->softView, nullptr, 0);
    struct Case {
        int source, x1, y1, x2, y2, tx, ty;
    } refused[] = {
        {source, 0, 0, 10, 10, 0, 0},  // larger than the source, though the draw target is large enough
        {source, 0, 0, 4, 4, -1, 0},  {source, 0, 0, 4, 4, 0, -1}, {source, 0, 0, 4, 4, 13, 0},
        {target, 5, 5, 5, 9, 0, 0},   {target, -1, 0, 4, 4, 0, 0},
    };
    for (const Case& c : refused) {
        EXPECT_EQ(CopyDrawScreenRect(c.source, c.x1, c.y1, c.x2, c.y2, c.tx, c.ty, dest), -1) << c.x2 << c.tx;
        EXPECT_EQ(SoftPixel(LookupGraphic(dest, 0)->softView, 0, 0), 0u);
    }
    EXPECT_EQ(CopyDrawScreenRect(source, 0, 0, 8, 8, 8, 8, dest), 0);
    EXPECT_EQ(SoftPixel(LookupGraphic(dest, 0)->softView, 8, 8), 0x1234u);
    EXPECT_EQ(CopyDrawScreenRect(source, 0, 0, 8, 8, 0, 0, 0x04010005), -1);
}

TEST_F(TargetGraphicsTest, BlendGraphicInSoftwareModeRebuildsTheWeightTable) {
    const int blend = MakeSoftwareGraphic({64, 64, 0, 0});
    ASSERT_EQ(SetBlendGraphicKind(blend, 1, 128, 64), 0);
    uint8_t expected[256];
    BuildBlendImageWeightTable(128, 64);
    std::memcpy(expected, BlendImageWeightTable, sizeof expected);
    BuildBlendImageWeightTable(0, 0);
    ASSERT_EQ(SetBlendGraphicKind(blend, 1, 128, 64), 0);
    EXPECT_EQ(std::memcmp(expected, BlendImageWeightTable, sizeof expected), 0);
    EXPECT_EQ(g_softDrawSurfaces.blendImage, &LookupGraphic(blend, 0)->softView);
    EXPECT_EQ(drawSettings.blendGraphic, blend);
    ASSERT_EQ(SetBlendGraphicKind(blend, 0, 300), 0);
    EXPECT_EQ(drawSettings.blendGraphicParams[0], 255);
    EXPECT_EQ(SetBlendGraphicKind(0x04010005, 0, 10), -1);
    EXPECT_EQ(SetBlendGraphicKind(0, 0, 10), 0);
    EXPECT_EQ(drawSettings.blendGraphic, -1);
    EXPECT_EQ(g_softDrawSurfaces.blendImage, nullptr);
}

TEST_F(TargetGraphicsTest, BlendGraphicInDirect3DModeBindsItsFirstTexture) {
    MakeDevice(400, 300);
    const int blend = MakeTextureGraphic(Device(), {64, 32, 0, 0});
    ASSERT_GE(blend, 0);
    ASSERT_EQ(SetBlendGraphicKind(blend, 0, 77), 0);
    const StageSetupInputs& s = renderStateCache.stageSetup;
    EXPECT_EQ(s.blendTexture, uintptr_t(LookupGraphic(blend, 0)->block->tiles[0].texture));
    EXPECT_EQ(s.blendWidth, 64.0f);
    EXPECT_EQ(s.blendHeight, 32.0f);
    EXPECT_EQ(s.blendValues[0], 77);
    const int software = MakeSoftwareGraphic({64, 32, 0, 0});
    ASSERT_EQ(SetBlendGraphicKind(software, 0, 10), 0);
    EXPECT_EQ(drawSettings.blendGraphic, -1);
    EXPECT_EQ(s.blendTexture, 0u);
    FreeGraphic(blend, 0);
}

TEST_F(TargetGraphicsTest, Direct3DCopyIntoADrawableGraphicReadsTheTargetPixels) {
    MakeDevice(400, 300);
    const int target = MakeTextureGraphic(Device(), {400, 300, 1, 0});
    const int copy = MakeTextureGraphic(Device(), {10, 10, 1, 0});
    ASSERT_EQ(SelectDrawTarget(target), 0);
    IDirect3DSurface9* drawn = LookupGraphic(target, 0)->block->tiles[0].surface;
    EXPECT_EQ(drawTargetState.boundSurfaces[0], drawn);
    const RECT spot{10, 20, 20, 30};
    ASSERT_EQ(Device()->ColorFill(drawn, &spot, 0x00FF0000), D3D_OK);
    EXPECT_EQ(CopyDrawScreenToGraphic(10, 20, 21, 30, copy), -1);
    ASSERT_EQ(CopyDrawScreenToGraphic(10, 20, 20, 30, copy), 0);
    IDirect3DSurface9* copied = LookupGraphic(copy, 0)->block->tiles[0].surface;
    IDirect3DSurface9* readBack = nullptr;
    ASSERT_EQ(
        Device()->CreateOffscreenPlainSurface(10, 10, D3DFMT_X8R8G8B8, D3DPOOL_SYSTEMMEM, &readBack, nullptr),
        D3D_OK);
    ASSERT_EQ(Device()->GetRenderTargetData(copied, readBack), D3D_OK);
    D3DLOCKED_RECT locked{};
    ASSERT_EQ(readBack->LockRect(&locked, nullptr, D3DLOCK_READONLY), D3D_OK);
    const auto* row = static_cast<const uint32_t*>(locked.pBits);
    EXPECT_EQ(row[0] & 0xFFFFFF, 0xFF0000u);
    EXPECT_EQ(row[9] & 0xFFFFFF, 0xFF0000u);
    readBack->UnlockRect();
    readBack->Release();
    SelectDrawTarget(-2);
    FreeGraphic(copy, 0);
    FreeGraphic(target, 0);
}

TEST_F(TargetGraphicsTest, DepthDrawTargetNeedsADepthSurface) {
    MakeDevice(400, 300);
    const int target = MakeTextureGraphic(Device(), {64, 64, 1, 0});
    EXPECT_EQ(SetDepthDrawTarget(target), -1);
    EXPECT_EQ(drawSettings.depthDrawTarget, -2);
    GraphicTextureTile& tile = LookupGraphic(target, 0)->block->tiles[0];
    ASSERT_EQ(Device()->CreateDepthStencilSurface(64, 64, D3DFMT_D16, D3DMULTISAMPLE_NONE, 0, TRUE,
                                                  &tile.depthSurface, nullptr),
              D3D_OK);
    EXPECT_EQ(SetDepthDrawTarget(target), 0);
    EXPECT_EQ(drawSettings.depthDrawTarget, target);
    FreeGraphic(target, 0);
    EXPECT_EQ(drawSettings.depthDrawTarget, -2);
}

// The depth surface follows the draw screen: a covering depth target first, then the graphic's own, then
// the library's depth buffer when the draw screen fits in it.
TEST_F(TargetGraphicsTest, DepthSurfaceFollowsTheDrawScreen) {
    MakeDevice(400, 300);
    IDirect3DSurface9* library = nullptr;
    ASSERT_EQ(Device()->CreateDepthStencilSurface(512, 512, D3DFMT_D16, D3DMULTISAMPLE_NONE, 0, TRUE,
                                                  &library, nullptr),
              D3D_OK);
    deviceObjects.depthBuffer = library, deviceObjects.depthWidth = 512, deviceObjects.depthHeight = 512;
    auto withDepth = [&](int w, int h) {
        const int g = MakeTextureGraphic(Device(), {w, h, 1, 0});
        GraphicTextureTile& tile = LookupGraphic(g, 0)->block->tiles[0];
        EXPECT_EQ(Device()->CreateDepthStencilSurface(UINT(w), UINT(h), D3DFMT_D16, D3DMULTISAMPLE_NONE, 0,
                                                      TRUE, &tile.depthSurface, nullptr),
                  D3D_OK);
        return g;
    };
    const int own = withDepth(64, 64), bigDepth = withDepth(128, 128), smallDepth = withDepth(32, 32);
    const int plain = MakeTextureGraphic(Device(), {100, 100, 1, 0});
    const int huge = MakeTextureGraphic(Device(), {600, 100, 1, 0});
    auto depthOf = [](int g) { return LookupGraphic(g, 0)->block->tiles[0].depthSurface; };
    struct Case {
        const char* what;
        int target, depthTarget;
        IDirect3DSurface9* expected;
    };
    for (Case c : {Case{"screen", -2, -2, library}, Case{"own depth", own, -2, depthOf(own)},
                   Case{"covering depth target", own, bigDepth, depthOf(bigDepth)},
                   Case{"too small a depth target", own, smallDepth, depthOf(own)},
                   Case{"fits the library's", plain, -2, library},
                   Case{"larger than the library's", huge, -2, nullptr},
                   Case{"screen with a small depth target", -2, smallDepth, library}}) {
        ASSERT_EQ(SelectDrawTarget(c.target), 0) << c.what;
        drawSettings.depthDrawTarget = c.depthTarget;
        EXPECT_EQ(ChooseDrawTargetDepthSurface(), c.expected) << c.what;
    }
    drawSettings.depthDrawTarget = -2;
    SelectDrawTarget(-2);
    for (int g : {own, bigDepth, smallDepth, plain, huge}) FreeGraphic(g, 0);
    deviceObjects = {};
    library->Release();
}

}  // namespace
}  // namespace graphics_test
