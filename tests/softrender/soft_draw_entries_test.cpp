#include <gtest/gtest.h>

#include "engine/softrender/colour_kernels.h"
#include "engine/softrender/image_kernels.h"
#include "engine/softrender/soft_draw_entries.h"
#include "tests/softrender/soft_test_support.h"

namespace {

using softtest::GuardedSurface;

// The colour entries draw on the current target exactly what the kernel draws there.
TEST(SoftDrawEntries, ColourEntriesDrawOnTheCurrentTarget) {
    softtest::EnsureTables();
    softtest::SetState({2, 1, 30, 20, 2, 200, 0x00C08040});
    GuardedSurface viaEntry(1, 32, 24), direct(1, 32, 24);
    for (GuardedSurface* s : {&viaEntry, &direct}) {
        std::mt19937 rng(3);
        s->Randomise(rng);
    }
    g_softDrawSurfaces.target = &viaEntry.img;
    EXPECT_EQ(SoftTargetFillRect(25, 3, 4, 15, 0xFF336699), 0);
    EXPECT_EQ(SoftTargetDrawLine(-5, 30, 40, -2, 0xFF0000FF), 0);
    EXPECT_EQ(SoftTargetDrawCircle(10, 10, 7, 0xFF00FF00, 1), 0);
    EXPECT_EQ(SoftTargetDrawCircle(20, 12, 5, 0xFFFFFFFF, 0), 0);
    const int32_t rect[4] = {25, 3, 4, 15};
    SoftFillRect(&direct.img, rect, 0xFF336699);
    SoftDrawLine(&direct.img, -5, 30, 40, -2, 0xFF0000FF);
    SoftDrawCircle(&direct.img, 10, 10, 7, 0xFF00FF00, 1);
    SoftDrawCircle(&direct.img, 20, 12, 5, 0xFFFFFFFF, 0);
    EXPECT_EQ(viaEntry.block, direct.block);
    g_softDrawSurfaces.target = nullptr;
}

// The image entries hand the current target and the current blend image to the image kernels.
TEST(SoftDrawEntries, ImageEntriesDrawWithTheCurrentBlendImage) {
    softtest::EnsureTables();
    softtest::SetState({1, 0, 30, 20, 1, 150, 0x00FFFFFF});
    MEMIMG image{}, blend{};
    ASSERT_EQ(InitMemImg(&image, 6, 5, -1, 0, 1, 0, 0, 0, nullptr), 0);
    ASSERT_EQ(InitMemImg(&blend, 6, 5, -1, 0, 2, 0, 0, 0, nullptr), 0);
    std::mt19937 rng(5);
    for (int i = 0; i < image.base->pitch * 5; ++i) image.pixels[i] = uint8_t(rng());
    for (int i = 0; i < blend.base->pitch * 5; ++i) blend.pixels[i] = uint8_t(rng());
    BuildBlendImageWeightTable(100, 60);
    GuardedSurface viaEntry(1, 32, 24), direct(1, 32, 24);
    g_softDrawSurfaces.target = &viaEntry.img;
    g_softDrawSurfaces.blendImage = &blend;
    EXPECT_EQ(SoftTargetDrawImage(-2, 3, &image, 0), 0);
    EXPECT_EQ(SoftTargetDrawImageStretched(20, 19, 8, 2, &image, 1), 0);
    SoftDrawImage(&direct.img, &image, -2, 3, 0, &blend);
    const int32_t rect[4] = {20, 19, 8, 2};
    SoftDrawImageStretched(&direct.img, &image, rect, 1, &blend);
    EXPECT_EQ(viaEntry.block, direct.block);
    GuardedSurface untouched(1, 32, 24);
    EXPECT_NE(viaEntry.block, untouched.block);
    g_softDrawSurfaces = {};
    ReleaseMemImg(&image);
    ReleaseMemImg(&blend);
}

TEST(SoftDrawEntries, ReturnZeroWhenNothingIsDrawn) {
    softtest::EnsureTables();
    softtest::SetState({0, 0, 8, 8, 7, 100, 0xFFFFFF});
    GuardedSurface s(0, 8, 8);
    const auto before = s.block;
    g_softDrawSurfaces.target = &s.img;
    EXPECT_EQ(SoftTargetFillRect(0, 0, 8, 8, 0x1234), 0);
    EXPECT_EQ(SoftTargetDrawLine(0, 0, 7, 7, 0x1234), 0);
    EXPECT_EQ(SoftTargetDrawCircle(4, 4, 2, 0x1234, 0), 0);
    softtest::SetState({0, 0, 8, 8, 0, 0, 0xFFFFFF});
    EXPECT_EQ(SoftTargetFillRect(3, 3, 3, 8, 0x1234), 0);
    MEMIMG image{};
    ASSERT_EQ(InitMemImg(&image, 2, 2, -1, 0, 0, 0, 0, 0, nullptr), 0);
    EXPECT_EQ(SoftTargetDrawImageStretched(1, 1, 1, 5, &image, 0), 0);
    softtest::SetState({0, 0, 8, 8, 9, 100, 0xFFFFFF});
    EXPECT_EQ(SoftTargetDrawImage(1, 1, &image, 0), 0);
    ReleaseMemImg(&image);
    EXPECT_EQ(s.block, before);
    g_softDrawSurfaces.target = nullptr;
}

}  // namespace
