// The start's self-test of the shader filters.
#include "engine/graphics/filters/shader_filter_self_test.h"

#include "engine/graphics/device/builtin_shaders.h"
#include "engine/graphics/device/graphics_init.h"
#include "engine/graphics/filters/filter_work_targets.h"
#include "engine/graphics/handles/graphic_records.h"
#include "tests/graphics/device/device_fixture.h"

TEST(ShaderFilterSelfTest, AllTwelveChannelsMustComeBackInverted) {
    const uint32_t written[4] = {0xCCA850, 0x8064F5, 0x42DE8F, 0x22FF4E};
    struct Case {
        const char* what;
        uint32_t read[4];
        int exact;
    };
    for (const Case& c :
         {Case{"exact", {0x3357AF, 0x7F9B0A, 0xBD2170, 0xDD00B1}, 12},
          Case{"one off either way", {0x3458AE, 0x7E9A0B, 0xBD2170, 0xDD00B1}, 12},
          Case{"two off", {0x3557AF, 0x7F9B0A, 0xBD2170, 0xDD00B1}, 11},
          Case{"not inverted: only the 128 counts", {0xCCA850, 0x8064F5, 0x42DE8F, 0x22FF4E}, 1}})
        EXPECT_EQ(CountInvertedChannels(written, c.read, 4), c.exact) << c.what;
}

class ShaderFilterStartTest : public DeviceTest {
  protected:
    bool LoggedFilterShaderFailure() const {
        for (const std::string& line : LogLines())
            if (line.find("フィルター用シェーダーの作成に失敗しました") != std::string::npos) return true;
        return false;
    }
    void TearDown() override {
        ShutdownGraphics();
        DeviceTest::TearDown();
    }
};

// Without programmable shaders the test does not run; with the flag forced on a device that makes no
// shaders, the graphic comes back unfiltered and the filters stay on the processor path.
TEST_F(ShaderFilterStartTest, FailedShaderFilterLeavesTheProcessorPath) {
    ASSERT_EQ(InitGraphicsSystem(), 0);
    EXPECT_EQ(ShaderFilterVerified, 0);
    EXPECT_FALSE(LoggedFilterShaderFailure());
    const int graphics = handleTypes[kGraphicHandleType].count;  // the default font's cache texture
    builtinShaders.programmable = 1;
    ShaderFilterVerified = 1;
    EXPECT_EQ(RunShaderFilterSelfTest(), 0);
    builtinShaders.programmable = 0;
    EXPECT_EQ(ShaderFilterVerified, 0);
    EXPECT_TRUE(LoggedFilterShaderFailure());
    // The test graphic is gone; the run's work target stays for the next run.
    EXPECT_EQ(CountWorkTargets(), 1);
    EXPECT_EQ(handleTypes[kGraphicHandleType].count, graphics + 1);
}
