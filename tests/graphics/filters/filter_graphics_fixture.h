// Graphics started for the filter tests in one of the five ways a graphic can hold its pixels, with
// graphics made from test images and read back as test images.
#pragma once

#include <cstring>
#include <string>

#include "engine/graphics/device/builtin_shaders.h"
#include "engine/graphics/device/screen_settings.h"
#include "engine/graphics/filters/shader_filter_self_test.h"
#include "engine/graphics/handles/graphic_create_params.h"
#include "engine/graphics/handles/graphic_loading.h"
#include "engine/graphics/handles/graphic_read_back.h"
#include "tests/graphics/filters/filter_test_images.h"
#include "tests/graphics/handles/graphics_fixture.h"

// How the graphics hold their pixels.
struct StorageMode {
    const char* name;
    int direct3D;
    int bitDepth;        // the creation setting of the graphics' bits per pixel
    int colourKeyAlpha;  // the creation setting: 0 asks 16-bit graphics without alpha for R5G6B5
    D3DFORMAT format;    // of the graphic's texture; 0 in software mode
    int channelBits[3];  // B, G, R as the graphic keeps them
};

inline const StorageMode kStorageModes[] = {
    {"Direct3D32", 1, 32, 1, D3DFMT_A8R8G8B8, {8, 8, 8}},
    {"Direct3D16A1R5G5B5", 1, 16, 1, D3DFMT_A1R5G5B5, {5, 5, 5}},
    {"Direct3D16R5G6B5", 1, 16, 0, D3DFMT_R5G6B5, {5, 6, 5}},
    {"Software32", 0, 32, 1, D3DFORMAT(0), {8, 8, 8}},
    {"Software16", 0, 16, 1, D3DFORMAT(0), {5, 6, 5}},
};

inline std::string StorageModeName(const ::testing::TestParamInfo<StorageMode>& info) {
    return info.param.name;
}

class FilterGraphicsTest : public GraphicsTest {
  protected:
    void StartIn(const StorageMode& mode) {
        SetColorDepthSetting(32);
        SetHardwareDrawEnabled(mode.direct3D);
        SetGraphicCreateParamWord(CREATE_BIT_DEPTH, mode.bitDepth);
        SetGraphicCreateParamWord(CREATE_COLOR_KEY_ALPHA, mode.colourKeyAlpha);
        Start();
        ASSERT_EQ(Direct3DMode, mode.direct3D);
    }
    void TearDown() override {
        ResetGraphicCreateParams();
        builtinShaders.programmable = 0;
        ShaderFilterVerified = 0;
        GraphicsTest::TearDown();
    }

    // A graphic of the image: with its alpha, or without (the colour channels only).
    static int MakeGraphic(const TestImage& image, bool alpha = false) {
        SoftImage copy{};
        if (alpha) {
            EXPECT_EQ(CreateSoftImageArgb8(image.width(), image.height(), &copy), 0);
            for (int y = 0; y < image.height(); ++y)
                std::memcpy(static_cast<uint8_t*>(copy.pixels) + y * copy.pitch, image.At(0, y),
                            size_t(image.width()) * 4);
        } else {
            copy = RgbImage(image.width(), image.height(),
                            [&](int x, int y) { return image.Argb(x, y) & 0xFFFFFF; });
        }
        const int graphic = CreateGraphicFromSoftImages(&copy, nullptr, 0);
        ReleaseSoftImage(&copy);
        EXPECT_GE(graphic, 0);
        return graphic;
    }
    static TestImage ReadBack(int graphic) {
        int width = 0, height = 0;
        EXPECT_EQ(GetGraphicSize(graphic, &width, &height), 0);
        TestImage out(width, height);
        SoftImage read{};
        if (ReadGraphicToImage(graphic, &read, nullptr) != 0) {
            ADD_FAILURE() << "graphic " << graphic << " cannot be read";
            return out;
        }
        for (int y = 0; y < height; ++y)
            std::memcpy(out.At(0, y), static_cast<const char*>(read.pixels) + y * read.pitch,
                        size_t(width) * 4);
        ReleaseSoftImage(&read);
        return out;
    }
    bool LogHas(const std::string& text) const {
        for (const std::string& line : LogLines())
            if (line.find(text) != std::string::npos) return true;
        return false;
    }
};
