#include <gtest/gtest.h>

#include "engine/softrender/colour_kernels.h"
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
    EXPECT_EQ(s.block, before);
    g_softDrawSurfaces.target = nullptr;
}

}  // namespace
