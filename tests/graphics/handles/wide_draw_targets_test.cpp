// Draw targets of the float and 16-bit-channel format indices: each is made in the format the probe
// chose, takes a filtered draw and reads back; a 32-bit float target keeps a value above 1.
#include <cmath>

#include "engine/graphics/device/color_format_tables.h"
#include "engine/graphics/device/device_probe.h"
#include "engine/graphics/handles/graphic_create_params.h"
#include "engine/graphics/handles/graphic_read_back.h"
#include "engine/graphics/loss/back_buffer_lock.h"
#include "tests/graphics/handles/graphics_fixture.h"

namespace {

class WideDrawTargetsTest : public GraphicsTest {
  protected:
    void SetUp() override {
        GraphicsTest::SetUp();
        libraryFlags.initialised = 1;  // as after init: draws refuse to run before it
        Start();
    }
    void TearDown() override {
        SelectDrawTarget(kDrawTargetBackBuffer);
        ResetGraphicCreateParams();
        libraryFlags.initialised = 0;
        GraphicsTest::TearDown();
    }

    // A draw target made with the render-target words of the creation settings.
    static int MakeTarget(int width, int height, int isFloat, int channels, int bits) {
        SetGraphicCreateParamWord(CREATE_FLOAT_TARGET, isFloat);
        SetGraphicCreateParamWord(CREATE_TARGET_CHANNELS, channels);
        SetGraphicCreateParamWord(CREATE_TARGET_BITS_PER_CHANNEL, bits);
        const int target = MakeDrawTarget(width, height, 0);
        ResetGraphicCreateParams();
        return target;
    }
    int Load(const std::string& name, int width, uint32_t (*fill)(int, int)) {
        SoftImage image = RgbImage(width, 1, fill);
        const int graphic = LoadGraphFile(WritePng(name, &image).c_str(), 0);
        ReleaseSoftImage(&image);
        return graphic;
    }
};

TEST_F(WideDrawTargetsTest, EachWideIndexDrawsFiltersAndReadsBack) {
    struct Case {
        int index, isFloat, channels, bits;
        int32_t DeviceFormatTable::*entry;
        bool blue;  // the format keeps a blue channel
    };
    const Case cases[] = {
        {GRAPHIC_FORMAT_ABGR_INT16, 0, 0, 16, &DeviceFormatTable::targetAbgrInt16, true},
        {GRAPHIC_FORMAT_ABGR_FLOAT16, 1, 0, 16, &DeviceFormatTable::targetAbgrFloat16, true},
        {GRAPHIC_FORMAT_ABGR_FLOAT32, 1, 0, 32, &DeviceFormatTable::targetAbgrFloat32, true},
        {GRAPHIC_FORMAT_ONE_INT16, 0, 1, 16, &DeviceFormatTable::targetOneInt16, false},
        {GRAPHIC_FORMAT_ONE_FLOAT16, 1, 1, 16, &DeviceFormatTable::targetOneFloat16, false},
        {GRAPHIC_FORMAT_ONE_FLOAT32, 1, 1, 32, &DeviceFormatTable::targetOneFloat32, false},
        {GRAPHIC_FORMAT_TWO_INT16, 0, 2, 16, &DeviceFormatTable::targetTwoInt16, false},
        {GRAPHIC_FORMAT_TWO_FLOAT16, 1, 2, 16, &DeviceFormatTable::targetTwoFloat16, false},
        {GRAPHIC_FORMAT_TWO_FLOAT32, 1, 2, 32, &DeviceFormatTable::targetTwoFloat32, false},
    };
    const int source = Load("red_blue.png", 2, [](int x, int) { return x == 0 ? 0xFF0000u : 0x0000FFu; });
    ASSERT_GE(source, 0);
    SetTextureFilterMode(1);
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "index " << c.index);
        const int target = MakeTarget(8, 1, c.isFloat, c.channels, c.bits);
        ASSERT_GE(target, 0);
        EXPECT_EQ(Entry(target)->block->format, c.index);
        ASSERT_NE(deviceFormatTable.*c.entry, 0);
        EXPECT_EQ(int32_t(TextureDesc(Tile(target, 0).texture).Format), deviceFormatTable.*c.entry);
        ASSERT_EQ(SelectDrawTarget(target), 0);
        ClearDrawTarget(nullptr);
        ASSERT_EQ(DrawImageStretched(0, 0, 8, 1, source, 0), 0);
        SoftImage image{};
        ASSERT_EQ(ReadGraphicToImage(target, &image, nullptr), 0);
        auto pixel = [&](int x) { return static_cast<const uint32_t*>(image.pixels)[x]; };
        const int red3 = int(pixel(3) >> 16 & 255), red4 = int(pixel(4) >> 16 & 255);
        // Between the two texels the filter mixes them: red falls from the red texel to the blue one.
        EXPECT_GT(red3, red4);
        EXPECT_GT(red3, 0);
        EXPECT_LT(red3, 255);
        EXPECT_GT(red4, 0);
        if (c.blue) {
            EXPECT_NEAR(int(pixel(3) & 255), 255 - red3, 2);
        }
        ReleaseSoftImage(&image);
        SelectDrawTarget(kDrawTargetBackBuffer);
        FreeGraphic(target, 0);
    }
}

// Two additive draws of white onto an A32B32G32R32F target give 2.0, which the target's own lock reads.
TEST_F(WideDrawTargetsTest, FloatTargetKeepsAValueAboveOne) {
    const int white = Load("white.png", 1, [](int, int) { return 0xFFFFFFu; });
    ASSERT_GE(white, 0);
    const int target = MakeTarget(4, 1, 1, 0, 32);
    ASSERT_GE(target, 0);
    ASSERT_EQ(TextureDesc(Tile(target, 0).texture).Format, D3DFMT_A32B32G32R32F);
    ASSERT_EQ(SelectDrawTarget(target), 0);
    ClearDrawTarget(nullptr);
    SetBlend(kBlendAdd, 255);
    ASSERT_EQ(DrawImageStretched(0, 0, 4, 1, white, 0), 0);
    ASSERT_EQ(DrawImageStretched(0, 0, 4, 1, white, 0), 0);
    SetBlend(kBlendNone, 255);
    SelectDrawTarget(kDrawTargetBackBuffer);
    const RECT all{0, 0, 4, 1};
    SoftImage locked{};
    ASSERT_EQ(LockBackBuffer(&all, &locked, target, 1, 0), 0);
    float rgba[4];
    std::memcpy(rgba, static_cast<const uint8_t*>(locked.pixels) + 2 * 16, sizeof rgba);
    ReleaseBackBufferLock();
    EXPECT_NEAR(rgba[0], 2.0f, 1e-3);
    EXPECT_NEAR(rgba[1], 2.0f, 1e-3);
    EXPECT_NEAR(rgba[2], 2.0f, 1e-3);
}

}  // namespace
