// GDI fonts over FreeType and fontconfig. The fixture fonts (fixtures/make_test_fonts.py) have
// rectangular glyphs, so the expected pixels follow from their coordinates.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/gdi/gdi32.h"

namespace {

std::vector<uint8_t> ReadFixture(const char* name) {
    std::string path = std::string(KORVALUND_SOURCE_DIR) + "/tests/platform/gdi/fixtures/" + name;
    std::ifstream file(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(file), {});
}

// Adds a fixture font for the test's lifetime.
class MemoryFont {
  public:
    explicit MemoryFont(const char* name) : bytes_(ReadFixture(name)) {
        handle_ = AddFontMemResourceEx(bytes_.data(), DWORD(bytes_.size()), nullptr, &count_);
    }
    ~MemoryFont() {
        if (handle_) RemoveFontMemResourceEx(handle_);
    }
    HANDLE handle() const { return handle_; }
    DWORD count() const { return count_; }

  private:
    std::vector<uint8_t> bytes_;
    HANDLE handle_ = nullptr;
    DWORD count_ = 0;
};

// A memory DC with a font selected; both go at the end.
class FontDc {
  public:
    FontDc(int height, int weight, int charSet, const char* face, int italic = 0) {
        font_ = CreateFontA(height, 0, 0, 0, weight, italic, 0, 0, charSet, 0, 0, NONANTIALIASED_QUALITY,
                            FIXED_PITCH, face);
        dc_ = CreateCompatibleDC(nullptr);
        old_ = SelectObject(dc_, font_);
    }
    ~FontDc() {
        SelectObject(dc_, old_);
        DeleteDC(dc_);
        DeleteObject(font_);
    }
    HDC dc() const { return dc_; }
    HFONT font() const { return font_; }
    TEXTMETRICA Metrics() const {
        TEXTMETRICA tm{};
        EXPECT_TRUE(GetTextMetricsA(dc_, &tm));
        return tm;
    }

  private:
    HFONT font_;
    HDC dc_;
    HGDIOBJ old_;
};

const MAT2 kIdentity = {{0, 1}, {0, 0}, {0, 0}, {0, 1}};

struct Glyph {
    GLYPHMETRICS metrics{};
    DWORD size = 0;
    std::vector<uint8_t> bits;
};

// The size query, then the fetch.
Glyph FetchGlyph(HDC dc, UINT code, UINT format) {
    Glyph glyph;
    glyph.size = GetGlyphOutlineA(dc, code, format, &glyph.metrics, 0, nullptr, &kIdentity);
    if (glyph.size == GDI_ERROR || glyph.size == 0) return glyph;
    glyph.bits.assign(glyph.size, 0xCD);
    DWORD fetched =
        GetGlyphOutlineA(dc, code, format, &glyph.metrics, glyph.size, glyph.bits.data(), &kIdentity);
    EXPECT_EQ(fetched, glyph.size);
    return glyph;
}

// Rows of '#' and '.' of a 1-bit glyph.
std::vector<std::string> MonoRows(const Glyph& glyph) {
    std::vector<std::string> rows;
    int pitch = (int(glyph.metrics.gmBlackBoxX) + 31) / 32 * 4;
    for (UINT y = 0; y < glyph.metrics.gmBlackBoxY && glyph.size; ++y) {
        std::string row;
        for (UINT x = 0; x < glyph.metrics.gmBlackBoxX; ++x)
            row += (glyph.bits[y * pitch + x / 8] >> (7 - x % 8)) & 1 ? '#' : '.';
        rows.push_back(row);
    }
    return rows;
}

TEST(GdiFont, MemoryFontIsFoundByFamilyNameAndGivesExactMetrics) {
    MemoryFont square("kv_test_square.ttf");
    ASSERT_NE(square.handle(), nullptr);
    EXPECT_EQ(square.count(), 1u);
    FontDc font(10, FW_NORMAL, DEFAULT_CHARSET, "kvsquare");  // the family name, ASCII case ignored
    ASSERT_NE(font.font(), nullptr);
    TEXTMETRICA tm = font.Metrics();
    EXPECT_EQ(tm.tmHeight, 10);
    EXPECT_EQ(tm.tmAscent, 8);
    EXPECT_EQ(tm.tmDescent, 2);
    EXPECT_EQ(tm.tmInternalLeading, 0);
    EXPECT_EQ(tm.tmExternalLeading, 0);
    EXPECT_EQ(tm.tmMaxCharWidth, 10);

    Glyph a = FetchGlyph(font.dc(), 'A', GGO_BITMAP);
    EXPECT_EQ(a.metrics.gmBlackBoxX, 4u);
    EXPECT_EQ(a.metrics.gmBlackBoxY, 7u);
    EXPECT_EQ(a.metrics.gmptGlyphOrigin.x, 1);
    EXPECT_EQ(a.metrics.gmptGlyphOrigin.y, 7);
    EXPECT_EQ(a.metrics.gmCellIncX, 6);
    EXPECT_EQ(a.size, 7u * 4u);  // rows padded to 4 bytes
    for (const std::string& row : MonoRows(a)) EXPECT_EQ(row, "####");
}

TEST(GdiFont, RemovedMemoryFontIsNoLongerFound) {
    std::string family;
    {
        MemoryFont square("kv_test_square.ttf");
        FontDc font(10, FW_NORMAL, DEFAULT_CHARSET, "KvSquare");
        EXPECT_EQ(FetchGlyph(font.dc(), 'A', GGO_BITMAP).metrics.gmBlackBoxX, 4u);
    }
    FontDc font(10, FW_NORMAL, DEFAULT_CHARSET, "KvSquare");
    ASSERT_NE(font.font(), nullptr);  // a stand-in face instead
    Glyph a = FetchGlyph(font.dc(), 'A', GGO_BITMAP);
    EXPECT_FALSE(a.metrics.gmBlackBoxX == 4u && a.metrics.gmBlackBoxY == 7u && a.metrics.gmCellIncX == 6);
}

TEST(GdiFont, FontOutlivesRemovalOfItsMemoryFont) {
    auto* square = new MemoryFont("kv_test_square.ttf");
    FontDc font(10, FW_NORMAL, DEFAULT_CHARSET, "KvSquare");
    delete square;
    EXPECT_EQ(FetchGlyph(font.dc(), 'A', GGO_BITMAP).metrics.gmBlackBoxX, 4u);
}

TEST(GdiFont, BadMemoryFontDataIsRefused) {
    std::vector<uint8_t> junk(300, 0x5A);
    DWORD count = 7;
    EXPECT_EQ(AddFontMemResourceEx(junk.data(), DWORD(junk.size()), nullptr, &count), nullptr);
    EXPECT_EQ(AddFontMemResourceEx(nullptr, 0, nullptr, &count), nullptr);
    EXPECT_FALSE(RemoveFontMemResourceEx(reinterpret_cast<HANDLE>(0x1234)));
}

TEST(GdiFont, CellHeightAndEmHeightFollowTheWinExtent) {
    MemoryFont tall("kv_test_tall.ttf");
    struct Case {
        int height, tmHeight, ascent, internal;
    } cases[] = {
        {12, 12, 9, 2},   // cell 12 = 1.2 em: em 10
        {-10, 12, 9, 2},  // em 10
        {24, 24, 18, 4},
    };
    for (const Case& c : cases) {
        FontDc font(c.height, FW_NORMAL, DEFAULT_CHARSET, "KvTall");
        TEXTMETRICA tm = font.Metrics();
        EXPECT_EQ(tm.tmHeight, c.tmHeight) << c.height;
        EXPECT_EQ(tm.tmAscent, c.ascent) << c.height;
        EXPECT_EQ(tm.tmInternalLeading, c.internal) << c.height;
    }
}

TEST(GdiFont, GreyFormatsScaleCoverageTo16And64Levels) {
    MemoryFont square("kv_test_square.ttf");
    FontDc font(10, FW_NORMAL, DEFAULT_CHARSET, "KvSquare");
    for (auto [format, top] : {std::pair{GGO_GRAY4_BITMAP, 16}, std::pair{GGO_GRAY8_BITMAP, 64}}) {
        Glyph b = FetchGlyph(font.dc(), 'B', format);
        ASSERT_EQ(b.metrics.gmBlackBoxX, 10u);
        ASSERT_EQ(b.metrics.gmBlackBoxY, 10u);
        EXPECT_EQ(b.size, 12u * 10u);  // 10 bytes padded to 12
        for (int y = 0; y < 10; ++y)
            for (int x = 0; x < 10; ++x) ASSERT_EQ(b.bits[y * 12 + x], top) << format << " " << x << "," << y;
    }
}

TEST(GdiFont, SpaceHasAdvanceAndNoPixels) {
    MemoryFont square("kv_test_square.ttf");
    FontDc font(10, FW_NORMAL, DEFAULT_CHARSET, "KvSquare");
    GLYPHMETRICS gm{};
    EXPECT_EQ(GetGlyphOutlineA(font.dc(), ' ', GGO_BITMAP, &gm, 0, nullptr, &kIdentity), 0u);
    EXPECT_EQ(gm.gmCellIncX, 5);
}

TEST(GdiFont, AGlyphFarBeyondItsEmIsRefusedBeforeItIsRendered) {
    MemoryFont broken("kv_test_broken.ttf");
    FontDc font(12, FW_NORMAL, DEFAULT_CHARSET, "KvBroken");
    for (UINT format : {GGO_BITMAP, GGO_GRAY4_BITMAP, GGO_GRAY8_BITMAP}) {
        GLYPHMETRICS gm{};
        EXPECT_EQ(GetGlyphOutlineA(font.dc(), 'A', format, &gm, 0, nullptr, &kIdentity), GDI_ERROR) << format;
        // The font's sound glyphs, even one twice the cell high, still render.
        for (UINT code : {UINT('B'), UINT('C')}) {
            Glyph glyph = FetchGlyph(font.dc(), code, format);
            EXPECT_NE(glyph.size, GDI_ERROR) << format << " " << code;
            EXPECT_GT(glyph.size, 0u) << format << " " << code;
        }
    }
}

TEST(GdiFont, ShortBufferAndOtherMatricesFail) {
    MemoryFont square("kv_test_square.ttf");
    FontDc font(10, FW_NORMAL, DEFAULT_CHARSET, "KvSquare");
    GLYPHMETRICS gm{};
    uint8_t buffer[8];
    EXPECT_EQ(GetGlyphOutlineA(font.dc(), 'A', GGO_BITMAP, &gm, sizeof buffer, buffer, &kIdentity),
              GDI_ERROR);
    MAT2 doubled = kIdentity;
    doubled.eM11.value = 2;
    EXPECT_EQ(GetGlyphOutlineA(font.dc(), 'A', GGO_BITMAP, &gm, 0, nullptr, &doubled), GDI_ERROR);
    EXPECT_EQ(GetGlyphOutlineA(font.dc(), 'A', GGO_BITMAP, &gm, 0, nullptr, nullptr), GDI_ERROR);
    EXPECT_EQ(GetGlyphOutlineA(reinterpret_cast<HDC>(0x77), 'A', GGO_BITMAP, &gm, 0, nullptr, &kIdentity),
              GDI_ERROR);
}

TEST(GdiFont, BoldWeightOnARegularFaceOverstrikesOnePixel) {
    MemoryFont square("kv_test_square.ttf");
    FontDc regular(10, FW_NORMAL, DEFAULT_CHARSET, "KvSquare");
    FontDc bold(10, FW_BOLD, DEFAULT_CHARSET, "KvSquare");
    Glyph a = FetchGlyph(bold.dc(), 'A', GGO_BITMAP);
    EXPECT_EQ(a.metrics.gmBlackBoxX, 5u);
    EXPECT_EQ(a.metrics.gmCellIncX, 7);
    for (const std::string& row : MonoRows(a)) EXPECT_EQ(row, "#####");
    EXPECT_EQ(bold.Metrics().tmMaxCharWidth, regular.Metrics().tmMaxCharWidth + 1);
    FontDc semibold(10, 599, DEFAULT_CHARSET, "KvSquare");
    EXPECT_EQ(FetchGlyph(semibold.dc(), 'A', GGO_BITMAP).metrics.gmCellIncX, 6);
}

TEST(GdiFont, ShiftJisCodeIsConvertedThroughTheCharset) {
    MemoryFont square("kv_test_square.ttf");
    FontDc font(10, FW_NORMAL, SHIFTJIS_CHARSET, "KvSquare");
    Glyph a = FetchGlyph(font.dc(), 0x82A0, GGO_BITMAP);  // U+3042
    EXPECT_EQ(a.metrics.gmBlackBoxX, 8u);
    EXPECT_EQ(a.metrics.gmBlackBoxY, 8u);
    EXPECT_EQ(a.metrics.gmptGlyphOrigin.x, 1);
    EXPECT_EQ(a.metrics.gmCellIncX, 10);
}

TEST(GdiFont, ShiftJisCodesRenderFromAJapaneseFace) {
    FontDc font(16, FW_NORMAL, SHIFTJIS_CHARSET, "no such face here");
    ASSERT_NE(font.font(), nullptr);
    EXPECT_EQ(font.Metrics().tmCharSet, SHIFTJIS_CHARSET);
    Glyph a = FetchGlyph(font.dc(), 0x82A0, GGO_BITMAP);    // あ
    Glyph i = FetchGlyph(font.dc(), 0x82A2, GGO_BITMAP);    // い
    Glyph kan = FetchGlyph(font.dc(), 0x8ABF, GGO_BITMAP);  // 漢
    for (const Glyph* g : {&a, &i, &kan}) {
        ASSERT_GT(g->size, 0u);
        ASSERT_NE(g->size, GDI_ERROR);
        EXPECT_GE(g->metrics.gmCellIncX, 14);  // full width
        EXPECT_LE(int(g->metrics.gmBlackBoxX), font.Metrics().tmMaxCharWidth);
    }
    EXPECT_NE(MonoRows(a), MonoRows(i));
    EXPECT_NE(MonoRows(a), MonoRows(kan));
}

int CollectFamily(const LOGFONTA* font, const TEXTMETRICA*, DWORD type, LPARAM param) {
    auto* names = reinterpret_cast<std::vector<std::string>*>(param);
    const auto* entry = reinterpret_cast<const ENUMLOGFONTEXA*>(font);
    EXPECT_EQ(type, DWORD(TRUETYPE_FONTTYPE));
    names->push_back(std::string(reinterpret_cast<const char*>(entry->elfFullName)) + "/" +
                     std::to_string(font->lfCharSet));
    return 1;
}

int StopAtFirst(const LOGFONTA*, const TEXTMETRICA*, DWORD, LPARAM param) {
    ++*reinterpret_cast<int*>(param);
    return 0;
}

TEST(GdiFont, EnumerationListsInstalledFamiliesButNotPrivateFonts) {
    MemoryFont square("kv_test_square.ttf");
    HDC dc = CreateCompatibleDC(nullptr);
    LOGFONTA query{};
    query.lfCharSet = SHIFTJIS_CHARSET;
    std::vector<std::string> names;
    EnumFontFamiliesExA(dc, &query, CollectFamily, reinterpret_cast<LPARAM>(&names), 0);
    EXPECT_NE(std::find(names.begin(), names.end(), "IPAGothic/128"), names.end());
    for (const std::string& name : names) EXPECT_EQ(name.substr(name.size() - 4), "/128");

    std::strcpy(query.lfFaceName, "KvSquare");
    query.lfCharSet = DEFAULT_CHARSET;
    names.clear();
    EnumFontFamiliesExA(dc, &query, CollectFamily, reinterpret_cast<LPARAM>(&names), 0);
    EXPECT_TRUE(names.empty());

    query.lfFaceName[0] = 0;
    int calls = 0;
    EXPECT_EQ(EnumFontFamiliesExA(dc, &query, StopAtFirst, reinterpret_cast<LPARAM>(&calls), 0), 0);
    EXPECT_EQ(calls, 1);
    DeleteDC(dc);
}

TEST(GdiFont, FontObjectDescribesItsLogicalFont) {
    MemoryFont square("kv_test_square.ttf");
    FontDc font(-13, FW_BOLD, SHIFTJIS_CHARSET, "KvSquare", 1);
    EXPECT_EQ(GetObjectType(font.font()), DWORD(OBJ_FONT));
    LOGFONTA logical{};
    ASSERT_EQ(GetObjectA(font.font(), sizeof logical, &logical), int(sizeof logical));
    EXPECT_EQ(logical.lfHeight, -13);
    EXPECT_EQ(logical.lfWeight, FW_BOLD);
    EXPECT_EQ(logical.lfItalic, 1);
    EXPECT_EQ(logical.lfCharSet, SHIFTJIS_CHARSET);
    EXPECT_STREQ(logical.lfFaceName, "KvSquare");
}

}  // namespace
