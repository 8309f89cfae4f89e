// Graphic handles without a device: the strict and relaxed lookup, the deleted flag and the unbinding of
// the draw target when its graphic goes.
#include "engine/graphics/handles/graphic_handles.h"

#include <gtest/gtest.h>

#include "engine/graphics/graphics.h"
#include "engine/graphics/graphics_services.h"
#include "engine/graphics/target/render_target_slots.h"

namespace {

class GraphicHandlesTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_EQ(RegisterGraphicsHandleTypes(), 0); }
    void TearDown() override {
        SelectDrawTarget(kDrawTargetBackBuffer);
        EndGraphicsHandleTypes();
    }
};

TEST_F(GraphicHandlesTest, NewHandleIsOfTypeOneWithNoMovie) {
    const int handle = NewGraphicHandle();
    ASSERT_GE(handle, 0);
    EXPECT_EQ(HandleTypeOf(handle), kGraphicHandleType);
    GraphicEntry* entry = LookupGraphic(handle, 0);
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(entry->movieHandle, -1);
    EXPECT_EQ(entry->block, nullptr);
}

TEST_F(GraphicHandlesTest, InvalidHandlesAreNotFound) {
    const int live = NewGraphicHandle();
    const int freed = NewGraphicHandle();
    ASSERT_EQ(FreeGraphic(freed, 0), 0);
    const int wrongType = int((uint32_t(live) & ~kHandleTypeBits) | (2u << kHandleTypeShift));
    const int otherCheck = int(uint32_t(live) ^ (1u << kHandleCheckShift));
    const int beyondLimit = int((uint32_t(live) & ~kHandleIndexBits) | uint32_t(kGraphicHandleLimit));
    for (int handle : {-1, freed, wrongType, otherCheck, beyondLimit, 0}) {
        EXPECT_EQ(LookupGraphic(handle, 1), nullptr) << std::hex << handle;
        EXPECT_EQ(IsGraphicAlive(handle), 0) << std::hex << handle;
    }
    EXPECT_EQ(FreeGraphic(freed, 0), -1);
    EXPECT_EQ(IsGraphicAlive(live), 1);
}

TEST_F(GraphicHandlesTest, LoadingGraphicIsFoundOnlyByTheRelaxedLookup) {
    const int handle = NewGraphicHandle();
    ASSERT_EQ(AddHandleLoadJob(handle, 5), 0);
    EXPECT_EQ(LookupGraphic(handle, 0), nullptr);
    EXPECT_EQ(IsGraphicAlive(handle), 0);
    EXPECT_NE(LookupGraphic(handle, 1), nullptr);
    int size[2];
    EXPECT_EQ(GetGraphicEntrySize(handle, 0, &size[0], &size[1]), -1);
    EXPECT_EQ(GetGraphicEntrySize(handle, 1, &size[0], &size[1]), 0);
    ASSERT_EQ(DropHandleLoadJob(handle), 0);
    EXPECT_EQ(IsGraphicAlive(handle), 1);
}

TEST_F(GraphicHandlesTest, DeletedFlagIsWrittenOnlyThroughAStoredPointer) {
    int flag = 7;
    const int handle = NewGraphicHandle();
    ASSERT_EQ(SetGraphicDeletedFlag(handle, &flag), 0);
    EXPECT_EQ(flag, 0);
    ASSERT_EQ(FreeGraphic(handle, 0), 0);
    EXPECT_EQ(flag, 1);
    EXPECT_EQ(SetGraphicDeletedFlag(handle, &flag), -1);

    int untouched = 7;
    const int second = NewGraphicHandle();
    ASSERT_EQ(SetGraphicDeletedFlag(second, &untouched), 0);
    ASSERT_EQ(SetGraphicDeletedFlag(second, nullptr), 0);
    untouched = 7;
    ASSERT_EQ(FreeGraphic(second, 0), 0);
    EXPECT_EQ(untouched, 7);
}

TEST_F(GraphicHandlesTest, DeletingTheDrawTargetSelectsTheBackScreen) {
    const int target = NewGraphicHandle();
    const int other = NewGraphicHandle();
    SwapDrawScreen(target);  // a bare handle cannot be selected; graphics are not started here
    ASSERT_EQ(FreeGraphic(other, 0), 0);
    EXPECT_EQ(GetDrawTargetHandle(), target);
    ASSERT_EQ(FreeGraphic(target, 0), 0);
    EXPECT_EQ(GetDrawTargetHandle(), kDrawTargetFrontScreen);
}

TEST_F(GraphicHandlesTest, FreeAllGraphicsDeletesEveryHandle) {
    int flags[3] = {5, 5, 5};
    for (int& flag : flags) SetGraphicDeletedFlag(NewGraphicHandle(), &flag);
    EXPECT_EQ(FreeAllGraphics(0), 0);
    for (int flag : flags) EXPECT_EQ(flag, 1);
}

}  // namespace
