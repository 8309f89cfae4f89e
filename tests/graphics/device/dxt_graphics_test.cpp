// DDS graphics on a device that offers DXT: the blocks go into a texture of their own kind without being
// decoded, read back and draw the pixels the decoded image gives where DXT is taken away; the straight
// copy of a mip chain agrees with the levels made from the decoded image.
#include "engine/graphics/device/color_format_tables.h"
#include "engine/graphics/device/device_wrappers.h"
#include "engine/graphics/device/texture_transfer.h"
#include "engine/graphics/handles/graphic_read_back.h"
#include "engine/image/block_decode.h"
#include "engine/image/image_memory.h"
#include "platform/d3d9/pixel_pipeline.h"
#include "tests/graphics/handles/graphics_fixture.h"

#include <fstream>
#include <vector>

namespace {

void Store32(std::vector<uint8_t>& f, size_t at, uint32_t v) {
    std::memcpy(f.data() + at, &v, 4);
}

// Colour end points c0 = 0xF800 | green, c1 = blue-ish, and indices that walk all four entries: a block
// per (bx, by) with its own end points and alphas.
std::vector<uint8_t> Block(int kind, int bx, int by) {
    const uint16_t c0 = uint16_t(0xF800 | ((bx * 13 + by * 7) & 63) << 5), c1 = uint16_t(0x001F | by << 11);
    const bool threeColors = kind == 1 && bx == 1;  // c0 <= c1 in DXT1: the middle and transparent black
    const uint16_t first = threeColors ? c1 : c0, second = threeColors ? c0 : c1;
    std::vector<uint8_t> colour = {
        uint8_t(first), uint8_t(first >> 8), uint8_t(second),   uint8_t(second >> 8), 0xE4,
        0x1B,           uint8_t(0x4E + bx),  uint8_t(0xB1 - by)};
    if (kind == 1) return colour;
    std::vector<uint8_t> alpha(8, 0xFF);  // premultiplied kinds stay opaque: the decoder un-premultiplies
    if (kind == 3)
        for (int i = 0; i < 8; ++i) alpha[size_t(i)] = uint8_t(0x1F + 0x23 * i + bx);
    if (kind == 5) alpha = {uint8_t(200 - 40 * bx), uint8_t(30 + by), 0x88, 0xC6, 0xFA, 0x05, 0x39, 0x77};
    alpha.insert(alpha.end(), colour.begin(), colour.end());
    return alpha;
}

// A DDS file of kind DXT1..DXT5, 4 x 2 blocks (16 x 8 texels).
std::vector<uint8_t> DdsFile(int kind, std::vector<uint8_t>* blocks) {
    std::vector<uint8_t> f(128, 0);
    std::memcpy(f.data(), "DDS ", 4);
    Store32(f, 4, 124);
    Store32(f, 8, 0x1007);
    Store32(f, 12, 8);   // height
    Store32(f, 16, 16);  // width
    Store32(f, 76, 32);
    Store32(f, 80, 0x4);  // four-character code
    f[84] = 'D', f[85] = 'X', f[86] = 'T', f[87] = uint8_t('0' + kind);
    Store32(f, 108, 0x1000);
    blocks->clear();
    for (int by = 0; by < 2; ++by)
        for (int bx = 0; bx < 4; ++bx) {
            const std::vector<uint8_t> b = Block(kind, bx, by);
            blocks->insert(blocks->end(), b.begin(), b.end());
        }
    f.insert(f.end(), blocks->begin(), blocks->end());
    return f;
}

class DxtGraphicsTest : public GraphicsTest {
  protected:
    void SetUp() override {
        GraphicsTest::SetUp();
        libraryFlags.initialised = 1;  // as after init: draws refuse to run before it
    }
    void TearDown() override {
        libraryFlags.initialised = 0;
        GraphicsTest::TearDown();
        D3D9ResetControls();
    }

    // Graphics started again on a device with or without DXT.
    void Restart(bool dxt) {
        ShutdownGraphics();
        ResetDirect3DSystemForTests();
        D3D9CapabilityProfile profile = D3D9DefaultCapabilityProfile();
        profile.dxt_formats = dxt;
        D3D9SetCapabilityProfile(profile);
        Start();
    }

    std::string WriteFile(const std::string& name, const std::vector<uint8_t>& bytes) {
        std::ofstream out(folder_ + "/" + name, std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
        return "C:" + folder_ + "/" + name;
    }

    // The graphic drawn without blending (so that a texel's difference is not multiplied) onto a cleared
    // 16 x 8 draw target with alpha; its pixels.
    static std::vector<uint32_t> Drawn(int graphic) {
        const int target = MakeDrawTarget(16, 8, 1);
        EXPECT_GE(target, 0);
        EXPECT_EQ(SelectDrawTarget(target), 0);
        ClearDrawTarget(nullptr);
        SetBlend(kBlendNone, 255);
        EXPECT_EQ(DrawImageAt(0, 0, graphic, 1), 0);
        SoftImage image{};
        EXPECT_EQ(ReadGraphicToImage(target, &image, nullptr), 0);
        std::vector<uint32_t> pixels(128);
        if (image.pixels)
            for (int y = 0; y < 8; ++y)
                std::memcpy(&pixels[size_t(y) * 16],
                            static_cast<const uint8_t*>(image.pixels) + y * image.pitch, 64);
        ReleaseSoftImage(&image);
        SelectDrawTarget(kDrawTargetBackBuffer);
        FreeGraphic(target, 0);
        return pixels;
    }
};

// Each channel within `step` of the other's; fully transparent texels are alike whatever their colour.
bool Near(uint32_t a, uint32_t b, int step) {
    if ((a >> 24) == 0 && (b >> 24) == 0) return true;
    for (int shift = 0; shift < 32; shift += 8)
        if (std::abs(int((a >> shift) & 255) - int((b >> shift) & 255)) > step) return false;
    return true;
}

TEST_F(DxtGraphicsTest, DdsGraphicsKeepTheirBlocksAndDrawAsTheDecodedImage) {
    Start();
    for (int kind = 1; kind <= 5; ++kind) {
        SCOPED_TRACE(testing::Message() << "DXT" << kind);
        std::vector<uint8_t> blocks;
        const std::string path = WriteFile("image" + std::to_string(kind) + ".dds", DdsFile(kind, &blocks));
        std::vector<uint32_t> drawn[2], texels[2];
        for (bool dxt : {true, false}) {
            Restart(dxt);
            const int graphic = LoadGraphFile(path.c_str(), 0);
            ASSERT_GE(graphic, 0);
            IDirect3DTexture9* texture = Tile(graphic, 0).texture;
            ASSERT_NE(texture, nullptr);
            const D3DFORMAT format = TextureDesc(texture).Format;
            if (dxt) {
                // The texture holds the file's blocks as they are.
                ASSERT_EQ(format, D3DFORMAT(MAKEFOURCC('D', 'X', 'T', '0' + kind)));
                const d3d9::SurfaceStore& store = static_cast<d3d9::Texture*>(texture)->Level(0)->store;
                const size_t rowBytes = blocks.size() / 2;
                for (int row = 0; row < 2; ++row)
                    EXPECT_EQ(std::memcmp(store.Row(row), blocks.data() + size_t(row) * rowBytes, rowBytes),
                              0)
                        << "block row " << row;
            } else {
                EXPECT_EQ(format, kind == 1 ? D3DFMT_A1R5G5B5 : D3DFMT_A8R8G8B8);
            }
            const d3d9::SurfaceStore& level = static_cast<d3d9::Texture*>(texture)->Level(0)->store;
            for (int y = 0; y < 8; ++y)
                for (int x = 0; x < 16; ++x)
                    texels[dxt ? 0 : 1].push_back(d3d9::ArgbFromColor(d3d9::FetchTexel8(level, x, y)));
            // Read back, the graphic gives its texels (a DXT texture's blocks decoded).
            SoftImage back{};
            ASSERT_EQ(ReadGraphicToImage(graphic, &back, nullptr), 0);
            for (int y = 0; y < 8; ++y)
                for (int x = 0; x < 16; ++x) {
                    uint32_t pixel;
                    std::memcpy(&pixel, static_cast<const uint8_t*>(back.pixels) + y * back.pitch + x * 4, 4);
                    EXPECT_TRUE(Near(pixel, texels[dxt ? 0 : 1][size_t(y * 16 + x)], 1))
                        << "read back " << x << "," << y << std::hex << ": " << pixel;
                }
            ReleaseSoftImage(&back);
            drawn[dxt ? 0 : 1] = Drawn(graphic);
            FreeGraphic(graphic, 0);
        }
        // DXT1's fallback holds 5-bit channels: one step of those. A draw multiplies colour and alpha by
        // the texel's alpha, which turns one step of a texel into up to two of a pixel.
        const int step = kind == 1 ? 8 : 1, drawnStep = kind == 1 ? 8 : 2;
        int visible = 0;
        for (size_t i = 0; i < 128; ++i) {
            EXPECT_TRUE(Near(texels[0][i], texels[1][i], step))
                << "texel " << i % 16 << "," << i / 16 << ": " << std::hex << texels[0][i] << " vs "
                << texels[1][i];
            EXPECT_TRUE(Near(drawn[0][i], drawn[1][i], drawnStep))
                << "pixel " << i % 16 << "," << i / 16 << ": " << std::hex << drawn[0][i] << " vs "
                << drawn[1][i];
            visible += (drawn[0][i] & 0xFFFFFF) != 0;
        }
        EXPECT_GT(visible, 100) << "the graphic was not drawn";
    }
}

// A DXT5 texture of three levels filled from an image of three levels is each level of the image; the
// same image decoded into an A8R8G8B8 texture gets levels halved from level 0. Level 0's blocks are
// solid in the four colours of one palette, so the halved levels are the image's own.
TEST_F(DxtGraphicsTest, MipChainIsCopiedStraightAndAgreesWithTheHalvedLevels) {
    Start();
    auto solid = [](int index) {  // end points red and blue, every texel the same palette entry
        std::vector<uint8_t> b = {255, 255, 0, 0, 0, 0, 0, 0, 0x00, 0xF8, 0x1F, 0x00};
        const uint8_t row = uint8_t(index * 0x55);
        b.insert(b.end(), {row, row, row, row});
        return b;
    };
    auto quadrants = [](int size) {  // a block whose quadrants take entries 0, 1 (top) and 2, 3 (bottom)
        std::vector<uint8_t> b = {255, 255, 0, 0, 0, 0, 0, 0, 0x00, 0xF8, 0x1F, 0x00};
        for (int y = 0; y < 4; ++y) {
            uint8_t row = 0;
            for (int x = 0; x < 4; ++x) {
                const int qx = x * 2 / size, qy = y * 2 / size;
                const int index = (qx < 2 && qy < 2) ? qy * 2 + qx : 0;
                row = uint8_t(row | index << (2 * x));
            }
            b.push_back(row);
        }
        return b;
    };
    std::vector<uint8_t> data;
    for (int index : {0, 1, 2, 3}) {
        const std::vector<uint8_t> b = solid(index);
        data.insert(data.end(), b.begin(), b.end());
    }
    for (int size : {4, 2}) {
        const std::vector<uint8_t> b = quadrants(size);
        data.insert(data.end(), b.begin(), b.end());
    }
    SoftImage image{};
    ColorFormat format{};
    SetColorFormatArgb8(&format);
    format.formatCode = 5;
    image.format = format;
    image.width = image.height = 8;
    image.mipCount = 3;
    image.pixels = data.data();
    image.pitch = 32;

    IDirect3DTexture9 *blocks = nullptr, *plain = nullptr;
    ASSERT_EQ(DeviceCreateTexture(8, 8, 3, 0, D3DFMT_DXT5, D3DPOOL_MANAGED, &blocks, nullptr), D3D_OK);
    ASSERT_EQ(DeviceCreateTexture(8, 8, 3, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &plain, nullptr), D3D_OK);
    const TextureTransfer straight{D3DFMT_DXT5, &image, nullptr, RECT{0, 0, 8, 8}, 0, 0, 0, 0};
    ASSERT_EQ(TransferImageToMipTexture(blocks, 3, straight, 0), 0);
    SoftImage decoded = image;
    decoded.pixels = nullptr;
    std::vector<uint8_t> copy = data;
    decoded.pixels = ImageAllocZeroed(copy.size());
    std::memcpy(decoded.pixels, copy.data(), copy.size());
    ASSERT_EQ(DecodeBlockCompressedImage(&decoded), 0);
    const TextureTransfer converted{D3DFMT_A8R8G8B8, &decoded, nullptr, RECT{0, 0, 8, 8}, 0, 0, 0, 0};
    ASSERT_EQ(TransferImageToMipTexture(plain, 3, converted, 0), 0);
    ReleaseSoftImage(&decoded);

    auto* a = static_cast<d3d9::Texture*>(blocks);
    auto* b = static_cast<d3d9::Texture*>(plain);
    for (int level = 0; level < 3; ++level) {
        const int size = 8 >> level;
        int distinct = 0;
        for (int y = 0; y < size; ++y)
            for (int x = 0; x < size; ++x) {
                const d3d9::Color p = d3d9::FetchTexel8(a->Level(level)->store, x, y);
                const d3d9::Color q = d3d9::FetchTexel8(b->Level(level)->store, x, y);
                EXPECT_TRUE(Near(d3d9::ArgbFromColor(p), d3d9::ArgbFromColor(q), 1))
                    << "level " << level << " at " << x << "," << y << std::hex << ": "
                    << d3d9::ArgbFromColor(p) << " vs " << d3d9::ArgbFromColor(q);
                distinct += p.r != d3d9::FetchTexel8(a->Level(level)->store, 0, 0).r;
            }
        EXPECT_GT(distinct, 0) << "level " << level << " is one colour";
    }
    blocks->Release();
    plain->Release();
}

}  // namespace
