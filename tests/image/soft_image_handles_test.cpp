#include "engine/image/soft_image_handles.h"

#include <gtest/gtest.h>

#include <cstring>

#include "engine/core/memory/tracked_allocator.h"

namespace {

class SoftImageHandlesTest : public testing::Test {
  protected:
    void SetUp() override { ASSERT_EQ(RegisterSoftImageType(), 0); }
    void TearDown() override { EndSoftImageType(); }
};

TEST_F(SoftImageHandlesTest, RegistersType2WithItsLimitAndName) {
    const HandleTypeRecord& record = handleTypes[kHandleTypeSoftImage];
    EXPECT_EQ(record.registered, 1);
    EXPECT_EQ(record.limit, 8192);
    EXPECT_EQ(record.dataSize, int(sizeof(SoftImageHandleData)));
    EXPECT_STREQ(record.name, "ソフトイメージ");
    EXPECT_EQ(record.initCallback, NoOpHandleCallback);
    EXPECT_EQ(record.deleteCallback, ReleaseSoftImageHandle);
    // A second registration without an end is refused and changes nothing.
    ResourceHandle h = AddHandle(kHandleTypeSoftImage, -1);
    ASSERT_GE(h, 0);
    EXPECT_EQ(RegisterSoftImageType(), -1);
    EXPECT_NE(GetTypedHandleData(h, kHandleTypeSoftImage), nullptr);
}

TEST_F(SoftImageHandlesTest, DeletingAHandleReleasesItsImage) {
    uint32_t blocks = GetTrackedAllocCount();
    ResourceHandle h = AddHandle(kHandleTypeSoftImage, -1);
    ASSERT_GE(h, 0);
    auto* data = static_cast<SoftImageHandleData*>(GetTypedHandleData(h, kHandleTypeSoftImage));
    ASSERT_NE(data, nullptr);
    ASSERT_EQ(CreateSoftImageArgb8(16, 16, &data->image), 0);
    EXPECT_EQ(GetTrackedAllocCount(), blocks + 2);  // the handle's data and the pixels
    EXPECT_EQ(DeleteHandle(h), 0);
    EXPECT_EQ(GetTrackedAllocCount(), blocks);
    EXPECT_EQ(GetHandleData(h), nullptr);
    // A handle whose image was never created is deleted without error.
    ResourceHandle empty = AddHandle(kHandleTypeSoftImage, -1);
    EXPECT_EQ(DeleteHandle(empty), 0);
    EXPECT_EQ(GetTrackedAllocCount(), blocks);
}

TEST_F(SoftImageHandlesTest, DeleteAllAndEndReleaseEveryImage) {
    uint32_t blocks = GetTrackedAllocCount();
    ResourceHandle handles[5];
    for (ResourceHandle& h : handles) {
        h = AddHandle(kHandleTypeSoftImage, -1);
        auto* data = static_cast<SoftImageHandleData*>(GetHandleData(h));
        ASSERT_EQ(CreateSoftImageXrgb8(4, 4, &data->image), 0);
    }
    EXPECT_EQ(DeleteAllSoftImages(), 0);
    for (ResourceHandle h : handles) EXPECT_EQ(GetHandleData(h), nullptr);
    EXPECT_EQ(GetTrackedAllocCount(), blocks);
    ResourceHandle last = AddHandle(kHandleTypeSoftImage, -1);
    ASSERT_EQ(CreateSoftImageXrgb8(4, 4, &static_cast<SoftImageHandleData*>(GetHandleData(last))->image), 0);
    EXPECT_EQ(EndSoftImageType(), 0);
    EXPECT_EQ(handleTypes[kHandleTypeSoftImage].registered, 0);
    EXPECT_LT(GetTrackedAllocCount(), blocks);  // the slot array went with the type
    EXPECT_EQ(EndSoftImageType(), -1);
    EXPECT_EQ(DeleteAllSoftImages(), -1);
    ASSERT_EQ(RegisterSoftImageType(), 0);  // for TearDown
}

TEST(SoftImageHandles, EndWithoutRegistrationIsRefused) {
    EXPECT_EQ(EndSoftImageType(), -1);
}

}  // namespace
