// Draw targets that ask for multisampling (creation words 12 and 13): drawn into a multisample surface
// of the device's standard pattern, resolved into their texture when the draw target changes; without
// multisampling on the device the same calls make a plain draw target.
#include "engine/graphics/handles/graphic_create_params.h"
#include "engine/graphics/handles/graphic_read_back.h"
#include "tests/graphics/handles/graphics_fixture.h"

namespace {

class MultisampleTargetTest : public GraphicsTest {
  protected:
    void SetUp() override {
        GraphicsTest::SetUp();
        libraryFlags.initialised = 1;  // as after init: draws refuse to run before it
    }
    void TearDown() override {
        SelectDrawTarget(kDrawTargetBackBuffer);
        ResetGraphicCreateParams();
        libraryFlags.initialised = 0;
        GraphicsTest::TearDown();
    }

    // Graphics on a device offering up to `samples` samples; a 16 x 4 draw target that asks for 4, with
    // white drawn below the edge x + 4y = 16 (the other edges of the triangle lie outside), and the
    // target's pixels read back after the draw target went back to the screen.
    std::vector<uint32_t> DrawEdge(DWORD samples, IDirect3DSurface9** multisample) {
        D3D9CapabilityProfile profile = D3D9DefaultCapabilityProfile();
        profile.multisample_samples = samples;
        D3D9SetCapabilityProfile(profile);
        Start();
        SetGraphicCreateParamWord(CREATE_TARGET_SETTING_1, 4);
        SetGraphicCreateParamWord(CREATE_TARGET_SETTING_2, 0);
        const int target = MakeDrawTarget(16, 4, 0);
        EXPECT_GE(target, 0);
        if (target < 0) return {};
        *multisample = Tile(target, 0).multisampleSurface;
        EXPECT_EQ(SelectDrawTarget(target), 0);
        ClearDrawTarget(nullptr);
        EXPECT_EQ(DrawWhiteEdge(), 0);
        EXPECT_EQ(SelectDrawTarget(kDrawTargetBackBuffer), 0);
        SoftImage image{};
        EXPECT_EQ(ReadGraphicToImage(target, &image, nullptr), 0);
        std::vector<uint32_t> pixels(64);
        if (image.pixels)
            for (int y = 0; y < 4; ++y)
                std::memcpy(&pixels[size_t(y) * 16],
                            static_cast<const uint8_t*>(image.pixels) + y * image.pitch, 64);
        ReleaseSoftImage(&image);
        return pixels;
    }
};

// A pixel (px, py) has m = px + 4 py against the edge at 16; the four standard samples lie at
// dx + 4 dy = -1.625, -0.125, 0.125 and 1.625 from it, and the resolved pixel is the covered share.
TEST_F(MultisampleTargetTest, FourSampleTargetResolvesTheEdgesCoverage) {
    IDirect3DSurface9* multisample = nullptr;
    const std::vector<uint32_t> pixels = DrawEdge(4, &multisample);
    ASSERT_NE(multisample, nullptr);
    D3DSURFACE_DESC desc{};
    multisample->GetDesc(&desc);
    EXPECT_EQ(desc.MultiSampleType, D3DMULTISAMPLE_4_SAMPLES);
    struct Case {
        int px, py;
        uint32_t red;
    };
    const Case cases[] = {{14, 0, 255}, {15, 0, 191}, {12, 1, 128}, {13, 1, 64},
                          {14, 1, 0},   {7, 2, 191},  {8, 2, 128},  {9, 2, 64}};
    ASSERT_EQ(pixels.size(), 64u);
    for (const Case& c : cases)
        EXPECT_EQ(pixels[size_t(c.py * 16 + c.px)] >> 16 & 255, c.red) << c.px << "," << c.py;
}

// A device without multisampling lowers the request to none: the draw target is made all the same,
// without a multisample surface, and the edge is all or nothing.
TEST_F(MultisampleTargetTest, WithoutMultisamplingTheTargetIsPlain) {
    IDirect3DSurface9* multisample = nullptr;
    const std::vector<uint32_t> pixels = DrawEdge(0, &multisample);
    EXPECT_EQ(multisample, nullptr);
    ASSERT_EQ(pixels.size(), 64u);
    for (int py = 0; py < 4; ++py)
        for (int px = 0; px < 16; ++px) {
            const uint32_t red = pixels[size_t(py * 16 + px)] >> 16 & 255;
            const int m = px + 4 * py;
            // Left of the edge covered, right of it clear; on it, one or the other.
            const bool covered = red == 255, clear = red == 0;
            EXPECT_TRUE(m < 16 ? covered : m > 16 ? clear : covered || clear) << px << "," << py << ": " << red;
        }
}

}  // namespace
