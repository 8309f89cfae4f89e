// Filter runs on real graphics: the pixels each kind writes into textures of 32 and 16 bits and into
// software graphics, the checks and clipping seen from the caller, the shader path on a device that
// cannot make the filter shaders, and a filtered draw target on the screen.
#include <algorithm>
#include <climits>
#include <cstdarg>
#include <functional>
#include <string>

#include "engine/graphics/filters/blend_filter_pixels.h"
#include "engine/graphics/filters/blur_scale_pixels.h"
#include "engine/graphics/filters/colour_filter_pixels.h"
#include "engine/graphics/filters/filter_pixels.h"
#include "engine/graphics/filters/graphic_filter.h"
#include "engine/graphics/handles/derived_graphics.h"
#include "engine/graphics/loss/device_restart.h"
#include "platform/d3d9/d3d9_control.h"
#include "platform/host/host.h"
#include "tests/graphics/filters/filter_graphics_fixture.h"

namespace {

const StorageMode* const kModes = kStorageModes;

class GraphicFilterRunTest : public FilterGraphicsTest {
  protected:
    // What a graphic made like `like` keeps of image: the image written into a fresh one and read back.
    static TestImage Stored(const TestImage& like, const TestImage& image) {
        const int graphic = MakeGraphic(like);
        EXPECT_EQ(TransferImageToGraphic(&image.image(), nullptr, nullptr, 0, 0, graphic), 0);
        TestImage out = ReadBack(graphic);
        FreeGraphic(graphic, 0);
        return out;
    }
    static ::testing::AssertionResult SamePixels(const TestImage& actual, const TestImage& expected,
                                                 int channels = 4) {
        for (int y = 0; y < expected.height(); ++y)
            for (int x = 0; x < expected.width(); ++x)
                for (int c = 0; c < channels; ++c)
                    if (actual.At(x, y)[c] != expected.At(x, y)[c])
                        return ::testing::AssertionFailure()
                               << "(" << x << ", " << y << ") is " << std::hex << actual.Argb(x, y)
                               << ", not " << expected.Argb(x, y);
        return ::testing::AssertionSuccess();
    }
};

class FilterStorageTest : public GraphicFilterRunTest, public ::testing::WithParamInterface<StorageMode> {};

// A filter kind as the caller asks for it and as the processor routine computes it.
struct KindCase {
    const char* name;
    const char* input;
    int width, height;
    std::function<int(int graphic)> apply;
    std::function<void(const SoftImage& in, const SoftImage& out)> routine;
    int resultWidth, resultHeight;  // 0: the image's size
};

const KindCase kKinds[] = {
    {"invert", "colour", 16, 12, [](int g) { return ApplyGraphicFilter(g, 5); },
     [](const SoftImage& in, const SoftImage& out) { InvertPixels(in, out); }, 0, 0},
    {"mono", "colour", 16, 12, [](int g) { return ApplyGraphicFilter(g, 0, 40, -90); },
     [](const SoftImage& in, const SoftImage& out) {
         MonoPixels(in, out, 40 * 100 / 255.0f, -90 * 100 / 255.0f);
     },
     0, 0},
    {"hsb", "colour", 16, 12, [](int g) { return ApplyGraphicFilter(g, 4, 0, 30, 60, -40); },
     [](const SoftImage& in, const SoftImage& out) {
         HsbPixels(in, out, 0, 30.0f, 60 * 100 / 255.0f, -40 * 100 / 255.0f);
     },
     0, 0},
    {"level", "colour", 16, 12, [](int g) { return ApplyGraphicFilter(g, 6, 30, 220, 150, 10, 240); },
     [](const SoftImage& in, const SoftImage& out) { LevelPixels(in, out, 30, 220, 1.5f, 10, 240); }, 0, 0},
    {"gauss", "blur_in", 48, 20, [](int g) { return ApplyGraphicFilter(g, 1, 16, 1000); },
     [](const SoftImage& in, const SoftImage& out) { GaussBlurPixels(in, out, 16, 10.0f); }, 0, 0},
    {"down-scale", "down_in", 18, 13, [](int g) { return ApplyGraphicFilter(g, 2, 2); },
     [](const SoftImage& in, const SoftImage& out) { DownScalePixels(in, out, 2); }, 9, 6},
};

// Each kind writes what its processor routine computes from the graphic's pixels, kept as the graphic's
// format keeps them; a 32-bit graphic gives the routine's result on the source image itself.
TEST_P(FilterStorageTest, GraphicGetsTheRoutineResultInItsFormat) {
    const StorageMode& mode = GetParam();
    StartIn(mode);
    for (const KindCase& k : kKinds) {
        SCOPED_TRACE(k.name);
        const TestImage source = LoadOracle(k.input, k.width, k.height);
        const int graphic = MakeGraphic(source);
        if (mode.direct3D) {
            ASSERT_EQ(TextureDesc(Tile(graphic, 0).texture).Format, mode.format);
        }
        const TestImage before = ReadBack(graphic);
        // The whole graphic is the result's canvas: a down-scale leaves the rest as it was.
        TestImage computed = before;
        const int w = k.resultWidth ? k.resultWidth : k.width, h = k.resultHeight ? k.resultHeight : k.height;
        TestImage result(w, h);
        k.routine(before.image(), result.image());
        for (int y = 0; y < h; ++y) std::memcpy(computed.At(0, y), result.At(0, y), size_t(w) * 4);

        ASSERT_EQ(k.apply(graphic), 0);
        const TestImage after = ReadBack(graphic);
        EXPECT_TRUE(SamePixels(after, Stored(source, computed)));
        if (mode.bitDepth == 32) {
            TestImage onSource(w, h);
            k.routine(source.image(), onSource.image());
            EXPECT_TRUE(SamePixels(after, onSource, 3));
        }
        FreeGraphic(graphic, 0);
    }
}

// Arguments at the ends of the int range give the picture of a value far out of range, computed without
// overflow: the percent of INT_MIN wrapped to 0 (no change at all), and an alpha of INT_MAX turned into a
// negative byte (a transparent fill).
TEST_P(FilterStorageTest, ArgumentsAtTheEndsOfTheIntRangeActAsFarOutOfRangeOnes) {
    StartIn(GetParam());
    const TestImage source = LoadOracle("colour", 16, 12);
    const struct {
        const char* what;
        std::function<int(int graphic, int value)> apply;
        int extreme, far;
    } cases[] = {
        {"mono blue", [](int g, int v) { return ApplyGraphicFilter(g, 0, v, 0); }, INT_MIN, -1000000},
        {"mono red", [](int g, int v) { return ApplyGraphicFilter(g, 0, 0, v); }, INT_MAX, 1000000},
        {"hsb saturation", [](int g, int v) { return ApplyGraphicFilter(g, 4, 0, 0, v, 0); }, INT_MIN,
         -1000000},
        {"hsb brightness", [](int g, int v) { return ApplyGraphicFilter(g, 4, 0, 0, 0, v); }, INT_MAX,
         1000000},
        {"bright clip fill alpha",
         [](int g, int v) { return ApplyGraphicFilter(g, 3, 2, 256, 1, 0x00FF8000, v); }, INT_MAX, 1000000},
        {"two colours alpha",
         [](int g, int v) { return ApplyGraphicFilter(g, 7, 128, 0x00FF0000, v, 0x0000FF00, 255); }, INT_MAX,
         1000000},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        auto filtered = [&](int value) {
            const int graphic = MakeGraphic(source, true);
            EXPECT_EQ(c.apply(graphic, value), 0);
            TestImage out = ReadBack(graphic);
            FreeGraphic(graphic, 0);
            return out;
        };
        const TestImage pictures[2] = {filtered(c.extreme), filtered(c.far)};
        EXPECT_TRUE(SamePixels(pictures[0], pictures[1]));
        EXPECT_FALSE(SamePixels(pictures[0], Stored(source, source)));
    }
}

// What a graphic keeps of a channel is the value cut to its bits, read back scaled to 0..255.
TEST_P(FilterStorageTest, StoredChannelsAreCutToTheFormat) {
    const StorageMode& mode = GetParam();
    StartIn(mode);
    TestImage ramp(256, 1);
    for (int x = 0; x < 256; ++x) ramp.Set(x, 0, 0xFF000000u | uint32_t(x) * 0x010101u);
    const TestImage stored = ReadBack(MakeGraphic(ramp));
    for (int x = 0; x < 256; ++x)
        for (int c = 0; c < 3; ++c) {
            const int bits = mode.channelBits[c];
            const int levels = (1 << bits) - 1;
            ASSERT_EQ(stored.At(x, 0)[c], (x >> (8 - bits)) * 255 / levels)
                << mode.name << " channel " << c << " at " << x;
        }
}

// The invert is the PIL reference exactly, as the graphic's format keeps it.
TEST_P(FilterStorageTest, InvertEqualsThePilReferenceKeptInTheFormat) {
    StartIn(GetParam());
    const TestImage source = LoadOracle("colour", 16, 12);
    const int graphic = MakeGraphic(source);
    ASSERT_EQ(ApplyGraphicFilter(graphic, 5), 0);
    EXPECT_TRUE(SamePixels(ReadBack(graphic), Stored(source, LoadOracle("invert", 16, 12)), 3));
}

INSTANTIATE_TEST_SUITE_P(Modes, FilterStorageTest, ::testing::ValuesIn(kStorageModes), StorageModeName);

TEST_F(GraphicFilterRunTest, RefusedRunsLeaveTheGraphicAsItWas) {
    StartIn(kModes[0]);
    const TestImage source = LoadOracle("colour", 16, 12);
    const int graphic = MakeGraphic(source);
    const TestImage before = ReadBack(graphic);
    struct Case {
        const char* what;
        std::function<int()> run;
    };
    const int badComparison[3] = {3, 100, 0};
    for (const Case& c : {
             Case{"kind 10", [&] { return ApplyGraphicFilter(graphic, 10); }},
             Case{"kind -1", [&] { return ApplyGraphicFilter(graphic, -1); }},
             Case{"bright clip comparison 3", [&] { return ApplyGraphicFilter(graphic, 3, 3, 100, 0); }},
             Case{"bright clip comparison 3 run",
                  [&] {
                      return RunGraphicFilter(0, graphic, -1, graphic, 0, 3, 0, 0, 16, 12, 0, 0, 0, 0, 0,
                                              badComparison);
                  }},
             Case{"gradient map of no graphic", [&] { return ApplyGraphicFilter(graphic, 8, 12345, 0); }},
             Case{"blend kind 17",
                  [&] {
                      return RunGraphicFilter(1, graphic, graphic, graphic, 255, 17, 0, 0, 16, 12, 0, 0, 0, 0,
                                              0, nullptr);
                  }},
             Case{"empty rectangle",
                  [&] {
                      return RunGraphicFilter(0, graphic, -1, graphic, 0, 5, 4, 0, 4, 12, 0, 0, 0, 0, 0,
                                              nullptr);
                  }},
             Case{"freed blend graphic",
                  [&] {
                      return RunGraphicFilter(1, graphic, 999999, graphic, 255, 0, 0, 0, 16, 12, 0, 0, 0, 0,
                                              0, nullptr);
                  }},
         }) {
        EXPECT_EQ(c.run(), -1) << c.what;
        EXPECT_TRUE(SamePixels(ReadBack(graphic), before)) << c.what;
    }
    // Clipped to nothing: success, nothing written.
    EXPECT_EQ(RunGraphicFilter(0, graphic, -1, graphic, 0, 5, 0, 0, 16, 12, 0, 0, 0, 16, 0, nullptr), 0);
    EXPECT_TRUE(SamePixels(ReadBack(graphic), before));
}

TEST_F(GraphicFilterRunTest, RgbaMixThroughTheOperationSwapsRedAndBlue) {
    StartIn(kModes[0]);
    const TestImage source = LoadOracle("colour", 16, 12);
    const int graphic = MakeGraphic(source), layer = MakeGraphic(LoadOracle("blend_in", 16, 12));
    const int destination = MakeGraphic(source);
    const int swap[4] = {2, 1, 0, 3};
    ASSERT_EQ(RunGraphicFilter(1, graphic, layer, destination, 255, kBlendFilterRgbaMix, 0, 0, 16, 12, 0, 0,
                               0, 0, 0, swap),
              0);
    const TestImage out = ReadBack(destination);
    for (int y = 0; y < 12; ++y)
        for (int x = 0; x < 16; ++x) {
            EXPECT_EQ(out.At(x, y)[kFilterRed], source.At(x, y)[kFilterBlue]) << x << "," << y;
            EXPECT_EQ(out.At(x, y)[kFilterBlue], source.At(x, y)[kFilterRed]) << x << "," << y;
            EXPECT_EQ(out.At(x, y)[kFilterGreen], source.At(x, y)[kFilterGreen]) << x << "," << y;
        }
}

// A 10 x 10 rectangle down-scaled by 3 (acting as 4) writes 2 x 2 pixels.
TEST_F(GraphicFilterRunTest, DownScaleByThreeWritesTwoByTwo) {
    StartIn(kModes[0]);
    TestImage source(12, 12);
    for (int y = 0; y < 12; ++y)
        for (int x = 0; x < 12; ++x) source.Set(x, y, 0xFF000000u | uint32_t(x / 4 * 60 + y / 4 * 20) << 8);
    const int graphic = MakeGraphic(source);
    const TestImage before = ReadBack(graphic);
    const int byThree[1] = {3};
    ASSERT_EQ(RunGraphicFilter(0, graphic, -1, graphic, 0, 2, 0, 0, 10, 10, 0, 0, 0, 0, 0, byThree), 0);
    const TestImage out = ReadBack(graphic);
    for (int y = 0; y < 12; ++y)
        for (int x = 0; x < 12; ++x) {
            const uint32_t expected =
                x < 2 && y < 2 ? 0xFF000000u | uint32_t(x * 60 + y * 20) << 8 : before.Argb(x, y);
            EXPECT_EQ(out.Argb(x, y) & 0xFFFFFF, expected & 0xFFFFFF) << x << "," << y;
        }
}

// With programmable shaders the filters need their shaders, which this device cannot make: the failure
// is logged and the run fails without writing.
TEST_F(GraphicFilterRunTest, ShaderPathWithoutFilterShadersFailsAndLogs) {
    StartIn(kModes[0]);
    const int graphic = MakeGraphic(LoadOracle("colour", 16, 12));
    const TestImage before = ReadBack(graphic);
    builtinShaders.programmable = 1;
    ShaderFilterVerified = 1;
    EXPECT_EQ(ApplyGraphicFilter(graphic, 5), -1);
    EXPECT_EQ(ApplyGraphicFilter(graphic, 4, 0, 30, 0, 0), -1);
    // A down-scale changes the size: it takes the shader path even before the self-test verified it.
    ShaderFilterVerified = 0;
    EXPECT_EQ(ApplyGraphicFilter(graphic, 2, 4), -1);
    EXPECT_TRUE(SamePixels(ReadBack(graphic), before));
    for (const char* file : {"Invert.pso", "Hsb_RGB_TO_HSB.pso", "Hsb_HSB_TO_RGB.pso", "DownScaleX4.pso"})
        EXPECT_TRUE(LogHas(std::string("フィルター用シェーダーの作成に失敗しました ") + file)) << file;
}

// The shader path samples point by point during the run; the processor path leaves the sampling alone.
TEST_F(GraphicFilterRunTest, ShaderPathSamplesPointByPointDuringTheRun) {
    StartIn(kModes[0]);
    const int graphic = MakeGraphic(LoadOracle("colour", 16, 12));
    ASSERT_EQ(SetTextureFilterMode(1), 0);
    for (int programmable : {0, 1}) {
        builtinShaders.programmable = programmable;
        ShaderFilterVerified = programmable;
        D3D9SetTraceEnabled(true);
        D3D9TakeTrace();
        ApplyGraphicFilter(graphic, 7, 128, 0xFFFFFF, 255, 0, 255);
        const std::vector<std::string> trace = D3D9TakeTrace();
        D3D9SetTraceEnabled(false);
        const bool pointSampled =
            std::count(trace.begin(), trace.end(), "IDirect3DDevice9::SetSamplerState(0, 5, 1)") == 1;
        EXPECT_EQ(pointSampled, programmable == 1) << programmable;
        EXPECT_EQ(GetTextureFilterMode(), 1) << programmable;
    }
}

// Before the self-test verified the shaders, a filter that keeps the size runs on the processor in one
// pass, even for the kinds the shader path does in two.
TEST_F(GraphicFilterRunTest, UnverifiedShadersLeaveTwoPassKindsToOneProcessorPass) {
    StartIn(kModes[0]);
    const TestImage source = LoadOracle("colour", 16, 12);
    const int graphic = MakeGraphic(source), destination = MakeGraphic(LoadOracle("invert", 16, 12));
    const TestImage before = ReadBack(graphic);
    builtinShaders.programmable = 1;
    ShaderFilterVerified = 0;
    const int hsb[4] = {0, 90, 0, 0};
    ASSERT_EQ(RunGraphicFilter(0, graphic, -1, destination, 0, 4, 0, 0, 16, 12, 0, 0, 0, 0, 0, hsb), 0);
    const int blur[2] = {8, 500};
    const int blurred = MakeGraphic(LoadOracle("invert", 16, 12));
    ASSERT_EQ(RunGraphicFilter(0, graphic, -1, blurred, 0, 1, 0, 0, 16, 12, 0, 0, 0, 0, 0, blur), 0);
    TestImage expected(16, 12), expectedBlur(16, 12);
    HsbPixels(before.image(), expected.image(), 0, 90.0f, 0.0f, 0.0f);
    GaussBlurPixels(before.image(), expectedBlur.image(), 8, 5.0f);
    EXPECT_TRUE(SamePixels(ReadBack(destination), Stored(source, expected), 3));
    EXPECT_TRUE(SamePixels(ReadBack(blurred), Stored(source, expectedBlur), 3));
}

// A filter writes pixels, not the place in its file that a graphic is refilled from after a device loss.
TEST_F(GraphicFilterRunTest, FilteredGraphicIsRefilledFromItsOwnPartOfTheFile) {
    StartIn(kModes[0]);
    SoftImage sheet =
        RgbImage(64, 16, [](int x, int y) { return uint32_t(x * 4) << 16 | uint32_t(y * 8) << 8; });
    const std::string path = WritePng("sheet.png", &sheet);
    ReleaseSoftImage(&sheet);
    const int whole = LoadGraphFile(path.c_str(), 0);
    ASSERT_GE(whole, 0);
    const int right = DeriveGraphic(32, 0, 32, 16, whole);
    ASSERT_GE(right, 0);
    const TestImage loaded = ReadBack(right);
    ASSERT_EQ(ApplyGraphicFilter(right, 5), 0);
    EXPECT_FALSE(SamePixels(ReadBack(right), loaded));
    D3D9SetDeviceLost(true);
    D3D9SetDeviceLost(false);
    ASSERT_EQ(RestartGraphicsKeepMode(), 0);
    EXPECT_TRUE(SamePixels(ReadBack(right), loaded));
    ResetGraphicsRestartForTests();
}

class DeviceAndSoftwareTest : public GraphicFilterRunTest, public ::testing::WithParamInterface<StorageMode> {
  protected:
    void TearDown() override {
        libraryFlags.initialised = 0;
        GraphicFilterRunTest::TearDown();
    }
    // The window's picture at (x, y), 0x00RRGGBB.
    static uint32_t Shown(int x, int y) {
        std::vector<uint32_t> pixels;
        int width = 0, height = 0;
        EXPECT_TRUE(HostReadPicture(libraryState.settings.mainWindow, &pixels, &width, &height));
        if (x >= width || y >= height) return 0xFFFFFFFFu;
        return pixels[size_t(y) * width + x] & 0xFFFFFF;
    }
};

// The filtered draw target is what the next frame shows of it, with what was drawn on it afterwards.
TEST_P(DeviceAndSoftwareTest, FilteredDrawTargetShowsInTheNextFrame) {
    StartIn(GetParam());
    libraryFlags.initialised = 1;
    const int target = MakeDrawTarget(32, 16, 0);
    ASSERT_GE(target, 0);
    ASSERT_EQ(SelectDrawTarget(target), 0);
    ASSERT_EQ(FillBox(0, 0, 32, 16, PackColor(0x20, 0x60, 0xC0)), 0);
    ASSERT_EQ(FillBox(0, 0, 8, 16, PackColor(0xFF, 0xFF, 0xFF)), 0);
    ASSERT_EQ(ApplyGraphicFilter(target, 5), 0);
    ASSERT_EQ(FillBox(24, 0, 32, 16, PackColor(0x40, 0x80, 0x00)), 0);
    ASSERT_EQ(SelectDrawTarget(kDrawTargetBackBuffer), 0);
    ASSERT_EQ(ClearDrawTarget(nullptr), 0);
    ASSERT_EQ(DrawImageAt(100, 50, target, 0), 0);
    ASSERT_EQ(FlipFrameDefault(), 0);
    struct Probe {
        int x, y;
        uint32_t colour;
    };
    for (Probe p : {Probe{100, 50, 0x000000u}, Probe{107, 65, 0x000000u}, Probe{108, 50, 0xDF9F3Fu},
                    Probe{123, 65, 0xDF9F3Fu}, Probe{124, 50, 0x408000u}, Probe{131, 65, 0x408000u},
                    Probe{132, 50, 0x000000u}, Probe{99, 50, 0x000000u}})
        EXPECT_EQ(Shown(p.x, p.y), p.colour) << p.x << "," << p.y;
}

// A blend through the operation: x1 = -5 moves the destination and the blend position 5 right, a ratio
// of 300 acts as 255, and only the clipped rectangle is written.
TEST_P(DeviceAndSoftwareTest, BlendWritesTheClippedRectangle) {
    StartIn(GetParam());
    TestImage black(16, 12), white(16, 12), marks(16, 12);
    black.Fill(0xFF000000u);
    white.Fill(0xFFFFFFFFu);
    for (int x = 0; x < 16; ++x)
        for (int y = 0; y < 12; ++y) marks.Set(x, y, x < 7 ? 0xFF000000u : 0xFFFFFFFFu);
    const int source = MakeGraphic(black), layer = MakeGraphic(marks), destination = MakeGraphic(white);
    for (int ratio : {255, 300}) {
        ASSERT_EQ(RunGraphicFilter(1, source, layer, destination, ratio, kBlendFilterNormal, -5, 0, 8, 4, 2,
                                   0, 0, 1, 0, nullptr),
                  0);
        const TestImage out = ReadBack(destination);
        // The rectangle 0..8 of the source lands at 6..14; its pixel k reads the layer at 7 + k: white.
        for (int x = 0; x < 16; ++x)
            for (int y = 0; y < 12; ++y) {
                const bool written = x >= 6 && x < 14 && y < 4;
                EXPECT_EQ(out.Argb(x, y) & 0xFFFFFF, written ? 0xFEFEFEu : 0xFFFFFFu)
                    << "ratio " << ratio << " at " << x << "," << y;
            }
    }
    // Ratio -1 acts as 0: the source comes through unchanged.
    ASSERT_EQ(RunGraphicFilter(1, source, layer, destination, -1, kBlendFilterNormal, 0, 0, 16, 12, 0, 0, 0,
                               0, 0, nullptr),
              0);
    EXPECT_TRUE(SamePixels(ReadBack(destination), ReadBack(source), 3));
}

INSTANTIATE_TEST_SUITE_P(Modes, DeviceAndSoftwareTest, ::testing::Values(kModes[0], kModes[3]),
                         StorageModeName);

}  // namespace
