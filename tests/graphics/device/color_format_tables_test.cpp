// The colour-format tables against what the Direct3D stand-in stores, and the choice of a graphic's
// format index.
#include "engine/graphics/device/color_format_tables.h"

#include <cstring>

#include "engine/graphics/device/device_wrappers.h"
#include "tests/graphics/device/device_fixture.h"

namespace {

struct FillCase {
    D3DFORMAT format;
    uint32_t stored;
};

uint32_t ReadFirstPixel(IDirect3DSurface9* surface, int bytes) {
    D3DLOCKED_RECT locked{};
    EXPECT_EQ(SurfaceLockRect(surface, &locked, nullptr, D3DLOCK_READONLY), D3D_OK);
    uint32_t value = 0;
    std::memcpy(&value, locked.pBits, size_t(bytes));
    SurfaceUnlockRect(surface);
    return value;
}

}  // namespace

// The packed colour of each code is what the device itself stores for the same colour.
TEST_F(DeviceTest, PixelValuesMatchTheDevice) {
    MakeDirect3D();
    ASSERT_EQ(CreateDirect3DDevice(), 0);
    const FillCase cases[] = {{D3DFMT_A8R8G8B8, 0xFFFF8040}, {D3DFMT_X8R8G8B8, 0xFFFF8040},
                              {D3DFMT_R5G6B5, 0xFC08},       {D3DFMT_X1R5G5B5, 0xFE08},
                              {D3DFMT_A1R5G5B5, 0xFE08},     {D3DFMT_A4R4G4B4, 0xFF84}};
    for (const FillCase& c : cases) {
        const ColorFormat* format = GetColorFormatDescriptor(c.format);
        ASSERT_NE(format, nullptr) << c.format;
        IDirect3DSurface9* surface = nullptr;
        ASSERT_EQ(DeviceCreateOffscreenPlainSurface(4, 4, c.format, D3DPOOL_DEFAULT, &surface, nullptr),
                  D3D_OK);
        ASSERT_EQ(DeviceColorFill(surface, nullptr, 0xFFFF8040), D3D_OK);
        const uint32_t stored = ReadFirstPixel(surface, format->pixelBytes);
        ReleaseComObject(surface);
        EXPECT_EQ(stored, c.stored) << c.format;
        EXPECT_EQ(MakePixelValue(format, 255, 128, 64, 255), stored) << c.format;
    }
}

TEST(ColorFormatTablesTest, OutsideTheTablesIsNone) {
    EXPECT_EQ(GetColorFormatDescriptor(28), nullptr);
    EXPECT_EQ(GetColorFormatDescriptor(51), nullptr);
    EXPECT_EQ(GetColorFormatByIndex(25), nullptr);
    EXPECT_EQ(GetColorFormatByIndex(-1), nullptr);
}

TEST(ColorFormatTablesTest, DescriptorsByCodeAndIndex) {
    const ColorFormat* g16r16 = GetColorFormatDescriptor(34);
    ASSERT_NE(g16r16, nullptr);
    EXPECT_EQ(g16r16->channelCount, 2);
    EXPECT_EQ(g16r16->bitsPerChannel, 16);
    const ColorFormat* abgr = GetColorFormatDescriptor(31);
    ASSERT_NE(abgr, nullptr);
    EXPECT_EQ(abgr->redMask, 0x3FFu);
    EXPECT_EQ(abgr->alphaMask, 0xC0000000u);
    EXPECT_EQ(GetColorFormatDescriptor(116)->floatFlag, 1);
    EXPECT_EQ(GetColorFormatDescriptor(116)->pixelBytes, 16);

    EXPECT_EQ(GetColorFormatByIndex(4)->alphaMask, 0x8000u);
    EXPECT_EQ(GetColorFormatByIndex(0)->greenMask, 0x7E0u);
    for (int index = 6; index <= 10; ++index) {
        const ColorFormat* dxt = GetColorFormatByIndex(index);
        EXPECT_EQ(dxt->formatCode, index - 5);
        EXPECT_EQ(dxt->bitDepth, index == 6 ? 4 : 8);
        EXPECT_EQ(dxt->alphaMask, 0xFF000000u);
    }
    EXPECT_EQ(GetColorFormatByIndex(19)->floatFlag, 1);
    EXPECT_EQ(GetColorFormatByIndex(19)->channelCount, 1);
    EXPECT_EQ(GetColorFormatByIndex(19)->bitsPerChannel, 16);
}

struct IndexCase {
    const char* what;
    int alpha, renderTarget, formatCode, colorKey, isFloat, depth, channels, bitsPerChannel;
    int index;
};

TEST(ColorFormatTablesTest, GraphicFormatIndexChoices) {
    const IndexCase cases[] = {
        {"default 16-bit without alpha", 0, 0, 0, 1, 0, 16, 0, 0, 4},
        {"16-bit without colour key", 0, 0, 0, 0, 0, 16, 0, 0, 0},
        {"32-bit with colour key", 0, 0, 0, 1, 0, 32, 0, 0, 5},
        {"32-bit with alpha", 1, 0, 0, 1, 0, 32, 0, 0, 3},
        {"16-bit with alpha", 1, 0, 0, 0, 0, 16, 0, 0, 2},
        {"32-bit render target with alpha", 1, 1, 0, 0, 0, 32, 0, 0, 13},
        {"32-bit render target", 0, 1, 0, 0, 0, 32, 0, 0, 12},
        {"16-bit render target", 0, 1, 0, 0, 0, 16, 0, 0, 11},
        {"render target with colour key", 0, 1, 0, 1, 0, 16, 0, 0, 13},
        {"DXT3", 0, 0, 3, 0, 0, 32, 0, 0, 8},
        {"DXT1", 1, 1, 1, 0, 0, 32, 0, 0, 6},
        {"one channel 8", 0, 0, 0, 0, 0, 8, 1, 8, 17},
        {"one channel from depth 16", 0, 0, 0, 0, 0, 16, 1, 0, 18},
        {"one channel float 16", 0, 0, 0, 0, 1, 16, 1, 16, 19},
        {"one channel float 32", 0, 0, 0, 0, 1, 32, 1, 32, 20},
        {"two channels 8", 0, 0, 0, 0, 0, 16, 2, 8, 21},
        {"two channels from depth 32", 0, 0, 0, 0, 0, 32, 2, 0, 22},
        {"two channels float from depth 32", 0, 0, 0, 0, 1, 32, 2, 0, 23},
        {"two channels float 32", 0, 0, 0, 0, 1, 64, 2, 32, 24},
        {"four channels float from depth 64", 0, 0, 0, 0, 1, 64, 4, 0, 15},
        {"four channels float 32", 0, 0, 0, 0, 1, 128, 4, 32, 16},
        {"four channels 16", 0, 0, 0, 0, 0, 64, 4, 16, 14},
    };
    for (const IndexCase& c : cases) {
        uint8_t description[kGraphicDescriptionSize] = {};
        description[DESCRIPTION_ALPHA] = uint8_t(c.alpha);
        description[DESCRIPTION_RENDER_TARGET] = uint8_t(c.renderTarget);
        description[DESCRIPTION_FORMAT_CODE] = uint8_t(c.formatCode);
        description[DESCRIPTION_COLOR_KEY_ALPHA] = uint8_t(c.colorKey);
        description[DESCRIPTION_FLOAT] = uint8_t(c.isFloat);
        description[DESCRIPTION_BIT_DEPTH] = uint8_t(c.depth);
        description[DESCRIPTION_CHANNEL_COUNT] = uint8_t(c.channels);
        description[DESCRIPTION_BITS_PER_CHANNEL] = uint8_t(c.bitsPerChannel);
        EXPECT_EQ(GraphicFormatIndex(description), c.index) << c.what;
    }
}

TEST(ColorFormatTablesTest, VectorTransformsWithAndWithoutTranslation) {
    Matrix4 m{};
    m.m[0][1] = 1;   // x -> y
    m.m[1][0] = -1;  // y -> -x
    m.m[2][2] = 2;
    m.m[3][0] = 10, m.m[3][1] = 20, m.m[3][2] = 30;
    const Vector3 v{1, 2, 3};
    Vector3 out;
    VectorTransform(&out, &v, &m);
    EXPECT_FLOAT_EQ(out.x, 8);
    EXPECT_FLOAT_EQ(out.y, 21);
    EXPECT_FLOAT_EQ(out.z, 36);
    VectorTransformRotation(&out, &v, &m);
    EXPECT_FLOAT_EQ(out.x, -2);
    EXPECT_FLOAT_EQ(out.y, 1);
    EXPECT_FLOAT_EQ(out.z, 6);
}
