// Fonts made into a record and glyphs rendered into their cache, over the GDI stand-in with the
// fixture fonts (tests/platform/gdi/fixtures) and the installed Japanese face.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "engine/text_movie/font_create.h"
#include "engine/text_movie/font_environment.h"
#include "engine/text_movie/glyph_cache_layout.h"
#include "engine/text_movie/glyph_rasterizer.h"
#include "platform/gdi/gdi32.h"

namespace {

class FixtureFont {
  public:
    explicit FixtureFont(const char* name) {
        std::ifstream file(std::string(KORVALUND_SOURCE_DIR) + "/tests/platform/gdi/fixtures/" + name,
                           std::ios::binary);
        bytes_.assign(std::istreambuf_iterator<char>(file), {});
        DWORD count = 0;
        handle_ = AddFontMemResourceEx(bytes_.data(), DWORD(bytes_.size()), nullptr, &count);
    }
    ~FixtureFont() { RemoveFontMemResourceEx(handle_); }

  private:
    std::vector<uint8_t> bytes_;
    HANDLE handle_;
};

struct RecordDeleter {
    void operator()(FontRecord* font) const {
        ReleaseFontResources(font);
        delete font;
    }
};
using Record = std::unique_ptr<FontRecord, RecordDeleter>;

Record NewRecord() {
    Record font(new FontRecord{});
    font->textureGraphic = font->edgeGraphic = -1;
    return font;
}

Record MakeFont(const char* face, int size, int type, int charset, int edgeSize = -1, int count = 0) {
    Record font = NewRecord();
    FontCreateSettings settings{0, 0, count};
    EXPECT_EQ(CreateFontToRecord(font.get(), settings, size, face, 1, type, charset, edgeSize, 0, 0), 0);
    return font;
}

// Character records of a text: single bytes, or the two bytes of a Shift-JIS pair.
std::vector<uint8_t> Characters(std::initializer_list<std::pair<int, int>> codes) {
    std::vector<uint8_t> records;
    for (auto [lead, trail] : codes) records.insert(records.end(), {uint8_t(lead), uint8_t(trail), 0});
    return records;
}

GlyphEntry* Render(FontRecord* font, std::initializer_list<std::pair<int, int>> codes) {
    std::vector<uint8_t> records = Characters(codes);
    return RasterizeGlyphsIntoRecord(font, int(records.size() / 3), records.data());
}

// The memory cell of a glyph as rows of characters: 1-bit '#'/'.', bytes as hex digits of the value.
std::vector<std::string> CellRows(const FontRecord& font, const GlyphEntry& entry) {
    std::vector<std::string> rows;
    CellPosition cell = GlyphCellPosition(font, entry.cellIndex);
    for (int y = 0; y < entry.height; ++y) {
        const uint8_t* row = font.memoryBitmap + size_t(cell.y + y) * font.bitmapPitch;
        std::string text;
        for (int x = 0; x < entry.width; ++x) {
            if (font.bitsPerPixel == 1)
                text += (row[x / 8] >> (7 - x % 8)) & 1 ? '#' : '.';
            else
                text += "0123456789ABCDEF"[row[x] & 15], text += "0123456789ABCDEF"[row[x] >> 4], text += ' ';
        }
        rows.push_back(text);
    }
    return rows;
}

TEST(FontRecord, MemoryFontFoundByFamilyNameGivesExactCellAndGlyph) {
    FixtureFont square("kv_test_square.ttf");
    Record font = MakeFont("KvSquare", 10, 0, -1);
    EXPECT_STREQ(font->faceName, "KvSquare");
    EXPECT_EQ(font->charset, 0);  // private fonts are not enumerated: the defaulted charset falls back
    EXPECT_EQ(font->extraLeading, 0);
    EXPECT_EQ(font->cellSize, 16);    // 10 + 4 -> 16
    EXPECT_EQ(font->lineHeight, 12);  // 10 + 1 -> 12
    EXPECT_EQ(font->textureCache, 0);
    EXPECT_EQ(font->bitsPerPixel, 1);
    EXPECT_EQ(font->glyphCount, 1280);  // 0x50000 / 256

    GlyphEntry* a = Render(font.get(), {{'A', 0}});
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a->xOffset, 1);
    EXPECT_EQ(a->yOffset, 1);  // ascent 8 - top 7
    EXPECT_EQ(a->width, 4);
    EXPECT_EQ(a->height, 7);
    EXPECT_EQ(a->advance, 6);
    for (const std::string& row : CellRows(*font, *a)) EXPECT_EQ(row, "####");
    EXPECT_EQ(font->codeMap['A'].present, 1u);
    EXPECT_EQ(font->codeMap['A'].glyph, a);
}

TEST(FontRecord, HeightCorrectionMakesTheEmAsTallAsTheSize) {
    FixtureFont tall("kv_test_tall.ttf");
    Record font = MakeFont("KvTall", 10, 0, -1);
    // First font: cell 10 with 2 of internal leading; corrected height 10 / 0.8 = 12.
    EXPECT_EQ(font->extraLeading, 2);
    EXPECT_EQ(font->lineHeight, 14);  // 12 + 1 -> 14
    GlyphEntry* b = Render(font.get(), {{'B', 0}});
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(b->height, 10);  // one em
    EXPECT_EQ(b->width, 10);

    FixtureFont square("kv_test_square.ttf");
    Record flat = MakeFont("KvSquare", 10, 0, -1);
    EXPECT_EQ(flat->extraLeading, 0);
}

TEST(FontRecord, SuperSampledGreyGlyphsReduce) {
    FixtureFont square("kv_test_square.ttf");
    for (int type : {18, 34, 2}) {
        Record font = MakeFont("KvSquare", 10, type, -1);
        EXPECT_EQ(font->bitsPerPixel, 8);
        GlyphEntry* b = Render(font.get(), {{'B', 0}});
        ASSERT_NE(b, nullptr);
        EXPECT_EQ(b->width, 10) << type;
        EXPECT_EQ(b->height, 10) << type;
        EXPECT_EQ(b->advance, 10) << type;
        // Fully covered: level 16, stored as 15.
        std::string full;
        for (int x = 0; x < 10; ++x) full += "F0 ";
        for (const std::string& row : CellRows(*font, *b)) EXPECT_EQ(row, full) << type;
    }
}

TEST(FontRecord, EdgeLayersInTheMemoryCache) {
    FixtureFont square("kv_test_square.ttf");
    Record font = MakeFont("KvSquare", 10, 0, -1, 2);  // edge size 2 forces the edge
    EXPECT_EQ(font->fontType, 1);
    GlyphEntry* a = Render(font.get(), {{'A', 0}});
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a->width, 4 + 4);
    EXPECT_EQ(a->height, 7 + 4);
    EXPECT_EQ(a->advance, 6 + 4);
    CellPosition cell = GlyphCellPosition(*font, a->cellIndex);
    auto at = [&](int x, int y) { return font->memoryBitmap[size_t(cell.y + y) * font->bitmapPitch + x]; };
    EXPECT_EQ(at(2, 2), 1);  // body starts 2 right and 2 down
    EXPECT_EQ(at(0, 2), 2);  // edge
    EXPECT_EQ(at(0, 0), 0);  // the 5x5 mask has no corners
    EXPECT_EQ(at(1, 1), 2);
    EXPECT_EQ(at(7, 10), 0);
    Record plain = MakeFont("KvSquare", 10, 0, -1, 1);  // edge size 1 alone gives no edge
    EXPECT_EQ(plain->fontType, 0);
}

TEST(FontRecord, RingEvictsTheOldestSlot) {
    FixtureFont square("kv_test_square.ttf");
    Record font = MakeFont("KvSquare", 10, 0, -1, -1, 3);
    ASSERT_EQ(font->glyphCount, 3);
    Render(font.get(), {{'A', 0}, {'B', 0}, {'C', 0}});
    EXPECT_EQ(font->nextSlot, 0);
    GlyphEntry* space = Render(font.get(), {{' ', 0}});
    ASSERT_NE(space, nullptr);
    EXPECT_EQ(space, &font->glyphs[0]);
    EXPECT_EQ(font->codeMap['A'].present, 0u);
    EXPECT_EQ(font->codeMap['A'].glyph, nullptr);
    EXPECT_EQ(font->codeMap['B'].glyph, &font->glyphs[1]);
    EXPECT_EQ(font->codeMap[' '].glyph, &font->glyphs[0]);
    EXPECT_EQ(space->advance, 5);
    EXPECT_EQ(space->width, 0);
    EXPECT_EQ(font->nextSlot, 1);
    EXPECT_EQ(font->glyphs[3].cellIndex, -1);
}

TEST(FontRecord, ResetForgetsEveryCachedCode) {
    Record font = MakeFont(nullptr, 16, 0, 1);
    GlyphEntry* a = Render(font.get(), {{'A', 0}, {0x82, 0xA0}});
    ASSERT_NE(a, nullptr);
    ASSERT_EQ(font->codeMap['A'].present, 1u);
    ASSERT_EQ(font->codeMap[0xA082].present, 1u);
    ASSERT_EQ(ResetGlyphCache(font.get()), 0);
    for (int code : {int('A'), 0xA082}) {
        EXPECT_EQ(font->codeMap[code].present, 0u) << code;
        EXPECT_EQ(font->codeMap[code].glyph, nullptr) << code;
    }
    EXPECT_EQ(font->nextSlot, 0);
    EXPECT_EQ(font->glyphs[1].codeMapEntry, nullptr);
    GlyphEntry* again = Render(font.get(), {{0x82, 0xA0}});
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(again, &font->glyphs[0]);
    EXPECT_EQ(font->codeMap[0xA082].glyph, again);
    EXPECT_EQ(font->codeMap['A'].present, 0u);
}

TEST(FontRecord, GlyphTallerThanItsCellIsClipped) {
    FixtureFont square("kv_test_square.ttf");
    for (int type : {0, 18}) {
        Record font = MakeFont("KvSquare", 10, type, -1);
        GlyphEntry* c = Render(font.get(), {{'C', 0}});  // 20 pixels tall, 6 above the ascent
        ASSERT_NE(c, nullptr);
        EXPECT_EQ(c->yOffset, -6) << type;  // floor division of a negative top
        EXPECT_EQ(c->height, font->cellSize) << type;
        EXPECT_EQ(c->width, 5) << type;
    }
}

TEST(FontRecord, FullWidthSpaceOnlyInShiftJis) {
    FixtureFont square("kv_test_square.ttf");
    Record sjis = MakeFont("KvSquare", 10, 0, 1);
    GlyphEntry* space = Render(sjis.get(), {{0x81, 0x40}});
    ASSERT_NE(space, nullptr);
    EXPECT_EQ(space->width, 0);
    EXPECT_EQ(space->advance, 10);
    Record gbk = MakeFont("KvSquare", 10, 0, 4);
    GlyphEntry* letter = Render(gbk.get(), {{0x81, 0x40}});  // U+4E02 in GBK
    ASSERT_NE(letter, nullptr);
    EXPECT_EQ(letter->width, 8);
    EXPECT_EQ(gbk->codeMap[0x4081].glyph, letter);
}

TEST(FontRecord, ShiftJisRenderedFromAJapaneseFace) {
    Record font = MakeFont(nullptr, 16, 0, 1);  // the default face: a Japanese face stands in
    EXPECT_EQ(font->faceName[0], 0);
    GlyphEntry* a = Render(font.get(), {{0x82, 0xA0}});
    ASSERT_NE(a, nullptr);
    EXPECT_GT(a->width, 8);
    EXPECT_GE(a->advance, 15);
    int set = 0;
    for (const std::string& row : CellRows(*font, *a)) set += int(std::count(row.begin(), row.end(), '#'));
    EXPECT_GT(set, 20);
    EXPECT_EQ(font->codeMap[0xA082].glyph, a);
}

// A graphics stand-in that records texture transfers.
struct FakeGraphics {
    static inline std::vector<std::vector<int>> transfers;
    static int Yes() { return 1; }
    static int No() { return 0; }
    static int Depth() { return 16; }
    static int Texture(int, int, int, int, int) { return 100; }
    static int Part(int, int, int, int, int) { return 101; }
    static int Flag(int, int*) { return 0; }
    static int Fill(int, int, int, int, int) { return 0; }
    static int Transfer(const SoftImage*, int x, int y, int w, int h, int graphic, int dx, int dy) {
        transfers.push_back({x, y, w, h, graphic, dx, dy});
        return 0;
    }
    static int Delete(int) { return 0; }
};

class TextureCache : public ::testing::Test {
  protected:
    void SetUp() override {
        FontEnvironment environment{FakeGraphics::No,       FakeGraphics::Depth, FakeGraphics::Yes,
                                    FakeGraphics::Yes,      FakeGraphics::No,    FakeGraphics::Texture,
                                    FakeGraphics::Part,     FakeGraphics::Flag,  FakeGraphics::Fill,
                                    FakeGraphics::Transfer, FakeGraphics::Delete};
        SetFontEnvironment(&environment);
        FakeGraphics::transfers.clear();
    }
    void TearDown() override { SetFontEnvironment(nullptr); }
    FixtureFont square_{"kv_test_square.ttf"};
};

uint32_t Texel(const FontRecord& font, int x, int y) {
    const uint8_t* p = static_cast<const uint8_t*>(font.cacheImage.pixels) +
                       size_t(y) * font.cacheImage.pitch + size_t(x) * font.cacheImage.format.pixelBytes;
    return ReadPixelValue(p, font.cacheImage.format.pixelBytes);
}

TEST_F(TextureCache, GreyGlyphsIn32BitTexture) {
    Record font = MakeFont("KvSquare", 10, 34, -1);
    ASSERT_EQ(font->textureCache, 1);
    EXPECT_EQ(font->textureBits, 32);
    EXPECT_EQ(font->textureGraphic, 100);
    EXPECT_EQ(font->cacheWidth, 512);
    GlyphEntry* b = Render(font.get(), {{'B', 0}});
    ASSERT_NE(b, nullptr);
    CellPosition cell = GlyphCellPosition(*font, b->cellIndex);
    EXPECT_EQ(Texel(*font, cell.x + 1 + 4, cell.y + 1 + 4) >> 24, 252u);  // level 64
    EXPECT_EQ(Texel(*font, cell.x, cell.y), 0u);                          // the border stays clear
    ASSERT_EQ(FakeGraphics::transfers.size(), 1u);
    EXPECT_EQ(FakeGraphics::transfers[0],
              (std::vector<int>{cell.x + 1, cell.y + 1, 10, 10, 100, cell.x + 1, cell.y + 1}));
}

TEST_F(TextureCache, GreyEdgeFontFillsBothHalves) {
    Record font = MakeFont("KvSquare", 10, 19, -1, 2);
    ASSERT_EQ(font->textureCache, 1);
    EXPECT_EQ(font->edgeGraphic, 101);
    EXPECT_EQ(font->cacheImage.width, 2 * font->cacheWidth);
    GlyphEntry* b = Render(font.get(), {{'B', 0}});
    ASSERT_NE(b, nullptr);
    CellPosition cell = GlyphCellPosition(*font, b->cellIndex);
    int x = cell.x + 1, y = cell.y + 1;
    EXPECT_EQ(Texel(*font, x + 2 + 5, y + 2 + 5), 0xFFFFFFFFu);                     // body at level L: full
    EXPECT_EQ(Texel(*font, x + 2 + 5 + font->cacheWidth, y + 2 + 5), 0x00FFFFFFu);  // no edge under it
    EXPECT_EQ(Texel(*font, x + 0 + font->cacheWidth, y + 5) >> 24, 255u);           // the edge ring
    EXPECT_EQ(FakeGraphics::transfers.size(), 2u);
}

TEST_F(TextureCache, OneBitEdgeGlyphsIn16BitTexture) {
    Record font = MakeFont("KvSquare", 10, 0, -1, 2);
    EXPECT_EQ(font->textureBits, 16);
    GlyphEntry* a = Render(font.get(), {{'A', 0}});
    ASSERT_NE(a, nullptr);
    CellPosition cell = GlyphCellPosition(*font, a->cellIndex);
    int x = cell.x + 1, y = cell.y + 1, right = font->cacheWidth;
    EXPECT_EQ(Texel(*font, x + 2, y + 2), 0xFFFFu);          // body: white, alpha set
    EXPECT_EQ(Texel(*font, x + 2 + right, y + 2), 0x7FFFu);  // no edge under the body
    EXPECT_EQ(Texel(*font, x, y + 2), 0x7FFFu);              // ring: empty on the left
    EXPECT_EQ(Texel(*font, x + right, y + 2), 0xFFFFu);      // and the edge on the right
    EXPECT_EQ(Texel(*font, x + right, y), 0x7FFFu);          // the mask has no corners
}

TEST_F(TextureCache, FailedTextureFallsBackToTheMemoryCache) {
    FontEnvironment environment = GetFontEnvironment();
    environment.createCacheTexture = [](int, int, int, int, int) { return -1; };
    SetFontEnvironment(&environment);
    Record font = MakeFont("KvSquare", 10, 2, -1);
    EXPECT_EQ(font->textureCache, 0);
    EXPECT_NE(font->memoryBitmap, nullptr);
    EXPECT_EQ(font->glyphCount, 1280);
}

TEST_F(TextureCache, EightBitScreenDropsGreyLevels) {
    FontEnvironment environment = GetFontEnvironment();
    environment.screenColorDepth = [] { return 8; };
    SetFontEnvironment(&environment);
    Record font = MakeFont("KvSquare", 10, 3, -1);
    EXPECT_EQ(font->fontType, 1);
}

}  // namespace
