// A font's glyph cache texture starts as white of alpha 0 in the texture's own format, on every texel,
// whatever the font type makes of the texture (plain, edged at twice the width, grey in 32 or 16 bits).
#include <gtest/gtest.h>

#include "engine/graphics/device/color_format_tables.h"
#include "engine/text_movie/font_handles.h"
#include "tests/graphics/handles/graphics_fixture.h"

namespace {

struct Case {
    const char* name;
    int fontType;
    int edgeSize;  // above 1 makes an edged font
    int sixteenBitTexture;
};

const Case kCases[] = {
    {"plain", 0, -1, 0}, {"edged", 1, 2, 0}, {"grey in 32 bits", 2, -1, 0}, {"grey in 16 bits", 2, -1, 1}};

class FontCacheFillTest : public GraphicsTest {};

TEST_F(FontCacheFillTest, EveryTexelIsWhiteWithoutAlpha) {
    Start();
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.name);
        FontCreateSettings settings{};
        GetFontCreateSettings(&settings);
        settings.sixteenBitTexture = c.sixteenBitTexture;
        const int handle =
            CreateFontHandleCore(settings, nullptr, 16, 4, c.fontType, -1, c.edgeSize, 0, -1, 0);
        ASSERT_GT(handle, 0);
        const FontRecord* font = GetFontRecord(handle);
        ASSERT_EQ(font->textureCache, 1);
        EXPECT_EQ(font->fontType & 1, c.edgeSize > 1 ? 1 : 0);
        const GraphicImageBlock* block = Entry(font->textureGraphic)->block;
        ASSERT_GE(block->textureCount, 1);
        for (int i = 0; i < block->textureCount; ++i) {
            IDirect3DTexture9* texture = Tile(font->textureGraphic, i).texture;
            const D3DSURFACE_DESC desc = TextureDesc(texture);
            const ColorFormat* format = GetColorFormatDescriptor(uint32_t(desc.Format));
            ASSERT_NE(format, nullptr);
            const uint32_t white = format->redMask | format->greenMask | format->blueMask;
            int wrong = 0;
            for (UINT y = 0; y < desc.Height; ++y)
                for (UINT x = 0; x < desc.Width; ++x) wrong += Texel(texture, int(x), int(y)) != white;
            EXPECT_EQ(wrong, 0) << desc.Width << "x" << desc.Height << " format " << int(desc.Format);
        }
        EXPECT_EQ(DeleteHandle(handle), 0);
    }
}

}  // namespace
