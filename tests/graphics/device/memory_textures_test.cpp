// The memory-texture pool: lending by shape, the per-shape limit, eviction when full, failed creation,
// and the release and re-creation around a device reset.
#include "engine/graphics/device/memory_textures.h"

#include "engine/graphics/device/color_format_tables.h"
#include "engine/graphics/device/device_probe.h"
#include "tests/graphics/device/device_fixture.h"

namespace {

class MemoryTextureTest : public DeviceTest {
  protected:
    void SetUp() override {
        DeviceTest::SetUp();
        MakeDirect3D();
        ASSERT_EQ(ProbeDeviceFormats(), 0);
    }
    void TearDown() override {
        ReleaseAllMemoryTextures();
        DeviceTest::TearDown();
    }
    static const MemoryTexture& Entry(int index) { return memoryTexturePool.entries[index]; }
};

}  // namespace

TEST_F(MemoryTextureTest, OneShapeIsLentOncePerEntryAndComesBack) {
    const int first = AcquireMemoryTexture(64, 32, 1, GRAPHIC_FORMAT_X8R8G8B8, 0);
    const int second = AcquireMemoryTexture(64, 32, 1, GRAPHIC_FORMAT_X8R8G8B8, 0);
    ASSERT_GE(first, 0);
    ASSERT_GE(second, 0);
    EXPECT_NE(first, second);
    EXPECT_EQ(memoryTexturePool.count, 2);
    ASSERT_NE(Entry(first).texture, nullptr);
    D3DSURFACE_DESC desc{};
    ASSERT_EQ(Entry(first).texture->GetLevelDesc(0, &desc), D3D_OK);
    EXPECT_EQ(desc.Width, 64u);
    EXPECT_EQ(desc.Height, 32u);
    EXPECT_EQ(desc.Format, D3DFMT_X8R8G8B8);
    EXPECT_EQ(desc.Pool, D3DPOOL_SYSTEMMEM);
    EXPECT_EQ(desc.Usage, DWORD(D3DUSAGE_DYNAMIC));

    EXPECT_EQ(ReturnMemoryTexture(first, 0), 0);
    EXPECT_EQ(Entry(first).busy, 0);
    EXPECT_EQ(AcquireMemoryTexture(64, 32, 1, GRAPHIC_FORMAT_X8R8G8B8, 0), first);
    EXPECT_EQ(Entry(first).useCount, 2u);
    EXPECT_EQ(Entry(first).busy, 1);
    // Another level count is another shape.
    EXPECT_NE(AcquireMemoryTexture(64, 32, 2, GRAPHIC_FORMAT_X8R8G8B8, 0), first);
    EXPECT_EQ(memoryTexturePool.count, 3);
}

TEST_F(MemoryTextureTest, SeventeenthBusyTextureOfAShapeIsRefused) {
    for (int i = 0; i < kMemoryTextureShapeLimit; ++i)
        ASSERT_EQ(AcquireMemoryTexture(16, 16, 1, GRAPHIC_FORMAT_R5G6B5, 0), i);
    EXPECT_EQ(AcquireMemoryTexture(16, 16, 1, GRAPHIC_FORMAT_R5G6B5, 0), -1);
    EXPECT_EQ(memoryTexturePool.count, kMemoryTextureShapeLimit);
    EXPECT_EQ(AcquireMemoryTexture(16, 16, 1, GRAPHIC_FORMAT_A8R8G8B8, 0), kMemoryTextureShapeLimit);
    ASSERT_EQ(ReturnMemoryTexture(5, 0), 0);
    EXPECT_EQ(AcquireMemoryTexture(16, 16, 1, GRAPHIC_FORMAT_R5G6B5, 0), 5);
}

TEST_F(MemoryTextureTest, FailedCreationFreesTheEntry) {
    D3D9FailCreation("CreateTexture", 1);
    EXPECT_EQ(AcquireMemoryTexture(32, 32, 1, GRAPHIC_FORMAT_X8R8G8B8, 0), -1);
    EXPECT_TRUE(Logged("メモリテクスチャの作成に失敗しました"));
    EXPECT_EQ(Entry(0).inUse, 0);
    EXPECT_EQ(Entry(0).busy, 0);
    EXPECT_EQ(memoryTexturePool.count, 0);
    EXPECT_EQ(AcquireMemoryTexture(32, 32, 1, GRAPHIC_FORMAT_X8R8G8B8, 0), 0);
    EXPECT_EQ(memoryTexturePool.count, 1);
}

TEST_F(MemoryTextureTest, BadRequestsAreRefused) {
    struct Case {
        int width, height, levels, format;
    };
    // A device without the wide formats has no format for the 16-bit-channel index.
    D3D9CapabilityProfile profile = D3D9DefaultCapabilityProfile();
    profile.wide_formats = false;
    D3D9SetCapabilityProfile(profile);
    ResetDirect3DSystemForTests();
    MakeDirect3D();
    ASSERT_EQ(ProbeDeviceFormats(), 0);
    for (Case c : {Case{0, 16, 1, 0}, Case{16, -1, 1, 0}, Case{70000, 16, 1, 0}, Case{16, 16, 0, 0},
                   Case{16, 16, 256, 0}, Case{16, 16, 1, -1}, Case{16, 16, 1, kGraphicFormatCount},
                   Case{16, 16, 1, GRAPHIC_FORMAT_ABGR_INT16}}) {
        SCOPED_TRACE(c.width * 1000 + c.format);
        EXPECT_EQ(AcquireMemoryTexture(c.width, c.height, c.levels, c.format, 0), -1);
    }
    EXPECT_EQ(memoryTexturePool.count, 0);
    for (int index : {-1, 0, kMemoryTextureCount}) EXPECT_EQ(ReturnMemoryTexture(index, 0), -1) << index;
}

// With every entry in use, the idle entry with the smallest use count (the later one on a tie) is taken
// over; with every entry busy nothing can be lent.
TEST_F(MemoryTextureTest, FullPoolTakesOverTheLeastUsedIdleEntry) {
    for (int i = 0; i < kMemoryTextureCount; ++i)
        ASSERT_EQ(AcquireMemoryTexture(i + 1, 1, 1, GRAPHIC_FORMAT_R5G6B5, 0), i);
    EXPECT_EQ(AcquireMemoryTexture(1, 2, 1, GRAPHIC_FORMAT_R5G6B5, 0), -1);
    for (int i = 0; i < kMemoryTextureCount; ++i) ReturnMemoryTexture(i, 0);
    ASSERT_EQ(AcquireMemoryTexture(kMemoryTextureCount, 1, 1, GRAPHIC_FORMAT_R5G6B5, 0),
              kMemoryTextureCount - 1);
    ReturnMemoryTexture(kMemoryTextureCount - 1, 0);

    EXPECT_EQ(AcquireMemoryTexture(1, 2, 1, GRAPHIC_FORMAT_R5G6B5, 0), kMemoryTextureCount - 2);
    EXPECT_EQ(Entry(kMemoryTextureCount - 2).width, 1);
    EXPECT_EQ(Entry(kMemoryTextureCount - 2).height, 2);
    EXPECT_EQ(Entry(kMemoryTextureCount - 2).useCount, 1u);
    EXPECT_EQ(memoryTexturePool.count, kMemoryTextureCount);
}

TEST_F(MemoryTextureTest, ReleaseKeepsTheEntriesForRecreation) {
    const int index = AcquireMemoryTexture(8, 8, 1, GRAPHIC_FORMAT_A8R8G8B8, 0);
    ASSERT_GE(index, 0);
    EXPECT_EQ(ReleaseMemoryTextureObjects(), 0);
    EXPECT_EQ(Entry(index).texture, nullptr);
    EXPECT_EQ(Entry(index).inUse, 1);
    EXPECT_EQ(ReleaseMemoryTextureObjects(), 0);  // twice is harmless
    EXPECT_EQ(RecreateMemoryTextures(), 0);
    ASSERT_NE(Entry(index).texture, nullptr);
    D3DSURFACE_DESC desc{};
    ASSERT_EQ(Entry(index).texture->GetLevelDesc(0, &desc), D3D_OK);
    EXPECT_EQ(desc.Format, D3DFMT_A8R8G8B8);
    EXPECT_EQ(ReleaseAllMemoryTextures(), 0);
    EXPECT_EQ(Entry(index).inUse, 0);
    EXPECT_EQ(Entry(index).texture, nullptr);
    EXPECT_EQ(memoryTexturePool.count, 0);
}

TEST_F(MemoryTextureTest, NoDeviceMakesNoTexture) {
    ResetDirect3DSystemForTests();
    deviceFormatTable.texture16 = D3DFMT_R5G6B5;
    EXPECT_EQ(AcquireMemoryTexture(8, 8, 1, GRAPHIC_FORMAT_R5G6B5, 0), -1);
    EXPECT_EQ(memoryTexturePool.count, 0);
}
