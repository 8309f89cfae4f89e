#include <gtest/gtest.h>

#include "engine/graphics/filters/filter_work_surfaces.h"
#include "engine/graphics/filters/graphic_filter_context.h"
#include "tests/graphics/entries/entry_test_support.h"

namespace entries_test {
namespace {

using FilterWorkSurfaces = SoftwareEntryFixture;

TEST_F(FilterWorkSurfaces, WithoutShadersThePassReadsTheSource) {
    int source = MakePositionGraphic(8, 8), destination = MakePositionGraphic(8, 8);
    struct Case {
        int source, destination, result, workSource;
    } cases[] = {{source, destination, 0, source}, {999, destination, -1, -1}, {source, 999, -1, -1}};
    for (const Case& c : cases) {
        GraphicFilterContext context{};
        context.sourceHandle = c.source;
        context.destinationHandle = c.destination;
        int slot = -7, workSource = -1;
        EXPECT_EQ(GetWorkRenderTexture(&context, 8, 8, 1, &slot, &workSource), c.result);
        EXPECT_EQ(workSource, c.workSource);
    }
}

TEST_F(FilterWorkSurfaces, DrawStateIsSetForTheRunAndPutBack) {
    SetBlend(kBlendAdd, 77);
    drawSettings.secondBlendMode = 3, drawSettings.secondBlendParam = 9;
    drawSettings.fogEnable = 1, drawSettings.noLighting = 0;
    GraphicFilterContext context{};
    ASSERT_EQ(SaveFilterDrawState(&context), 0);
    EXPECT_EQ(drawSettings.blendMode, 14);
    EXPECT_EQ(drawSettings.blendParam, 0);
    EXPECT_EQ(drawSettings.secondBlendMode, 8);
    EXPECT_EQ(drawSettings.noLighting, 1);
    drawSettings.fogEnable = 0;
    ASSERT_EQ(RestoreFilterDrawState(&context), 0);
    EXPECT_EQ(drawSettings.blendMode, kBlendAdd);
    EXPECT_EQ(drawSettings.blendParam, 77);
    EXPECT_EQ(drawSettings.secondBlendMode, 3);
    EXPECT_EQ(drawSettings.secondBlendParam, 9);
    EXPECT_EQ(drawSettings.fogEnable, 1);
    EXPECT_EQ(drawSettings.noLighting, 0);
}

}  // namespace
}  // namespace entries_test
