// Font handles over the handle manager: the default font, creation, queries and re-creation.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "engine/core/memory/handle_manager.h"
#include "engine/text_movie/font_handles.h"
#include "engine/text_movie/fonts.h"
#include "platform/gdi/gdi32.h"
#include "tests/core/log_capture.h"

namespace {

// The font system started with the square test font in memory, over a plain test or a captured log.
template <class Base>
class FontSystemOver : public Base {
  protected:
    void SetUp() override {
        Base::SetUp();
        std::ifstream file(
            std::string(KORVALUND_SOURCE_DIR) + "/tests/platform/gdi/fixtures/kv_test_square.ttf",
            std::ios::binary);
        bytes_.assign(std::istreambuf_iterator<char>(file), {});
        DWORD count = 0;
        memoryFont_ = AddFontMemResourceEx(bytes_.data(), DWORD(bytes_.size()), nullptr, &count);
        ASSERT_EQ(InitFontSystem(), 0);
    }
    void TearDown() override {
        EXPECT_EQ(EndFontSystem(), 0);
        RemoveFontMemResourceEx(memoryFont_);
        Base::TearDown();
    }
    std::vector<uint8_t> bytes_;
    HANDLE memoryFont_ = nullptr;
};
using FontSystemTest = FontSystemOver<::testing::Test>;

TEST_F(FontSystemTest, DefaultFontAndGameFont) {
    EXPECT_EQ(InitFontSystem(), -1);
    int defaultFont = GetDefaultFontHandle();
    EXPECT_GT(defaultFont, 0);
    EXPECT_EQ(IsFontHandleReady(defaultFont), 1);
    EXPECT_EQ(GetFontSize(defaultFont), 16);

    int font = CreateFontPublic("KvSquare", 12, 1, 0, -1, -1, 0, -1);
    ASSERT_GE(font, 0);
    char face[256] = {};
    int size = 0, thickness = 0;
    EXPECT_EQ(GetFontHandleInfo(face, &size, &thickness, font), 0);
    EXPECT_STREQ(face, "KvSquare");
    EXPECT_EQ(size, 12);
    EXPECT_EQ(thickness, 1);
    const uint8_t text[] = {'A', 0, 0};
    GlyphEntry* a = RasterizeGlyph(font, 1, text);
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a->advance, 7);  // 600 units at 12 pixels an em, rounded
    EXPECT_EQ(IsFontHandleReady(font + 1), 0);
    EXPECT_EQ(GetFontSize(-1), -1);
}

TEST_F(FontSystemTest, RecreateAllFontsKeepsHandleValues) {
    int font = CreateFontPublic("KvSquare", 12, 1, 0, -1, -1, 0, -1);
    ASSERT_GE(font, 0);
    int deleted = 5;
    EXPECT_EQ(SetFontDeletedFlag(font, &deleted), 0);
    EXPECT_EQ(deleted, 0);
    EXPECT_EQ(SetFontSpacing(3, font), 0);
    int defaultFont = GetDefaultFontHandle();
    EXPECT_EQ(RecreateAllFonts(), 0);
    EXPECT_EQ(deleted, 1);
    EXPECT_EQ(IsFontHandleReady(font), 1);
    EXPECT_EQ(IsFontHandleReady(defaultFont), 1);
    EXPECT_EQ(GetDefaultFontHandle(), -1);  // its lost flag fired
    EXPECT_EQ(GetFontRecord(font)->spacing, 3);
}

// Sizes, thicknesses and edges beyond the font limits: the creation is refused with one log line naming
// the values, before any cache is sized from them; the limits themselves make a font that draws.
using FontLimitTest = FontSystemOver<LogCapture>;

TEST_F(FontLimitTest, ParametersBeyondTheLimitsAreRefusedWithOneLogLine) {
    const struct {
        int size, thickness, edge;
        const char* named;
    } cases[] = {
        {12, 1, INT_MAX, "2147483647"},
        {12, 1, 1073741823, "1073741823"},
        {12, 1, 100000, "100000"},
        {12, 1, 5000, "5000"},
        {12, 1, kMaxFontEdgeSize + 1, "33"},
        {12, 1, -2, "-2"},
        {12, INT_MAX, -1, "2147483647"},
        {12, kMaxFontThickness + 1, -1, "11"},
        {12, -2, -1, "-2"},
        {INT_MAX, 1, -1, "2147483647"},
        {INT_MIN, 1, -1, "-2147483648"},
        {kMaxFontSize + 1, 1, -1, "513"},
        {-kMaxFontSize - 1, 1, -1, "-513"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.size) + " " + std::to_string(c.thickness) + " " +
                     std::to_string(c.edge));
        const size_t before = ReadLog().size();
        for (int type : {1, 3, 35})
            EXPECT_EQ(CreateFontPublic("KvSquare", c.size, c.thickness, type, -1, c.edge, 0, -1), -1);
        const std::string added = ReadLog().substr(before);
        EXPECT_EQ(std::count(added.begin(), added.end(), '\n'), 3) << added;
        EXPECT_NE(added.find(std::string(" ") + c.named + " "), std::string::npos) << added;
    }
    const struct {
        int size, thickness, type, edge;
    } atTheLimits[] = {
        {12, kMaxFontThickness, 1, kMaxFontEdgeSize},
        {12, 0, 3, kMaxFontEdgeSize},
        {kMaxFontSize, 1, 0, -1},
        {-kMaxFontSize, 1, 0, -1},
    };
    for (const auto& c : atTheLimits) {
        int font = CreateFontPublic("KvSquare", c.size, c.thickness, c.type, -1, c.edge, 0, -1);
        ASSERT_GE(font, 0) << c.size << " " << c.edge;
        const uint8_t text[] = {'A', 0, 0};
        GlyphEntry* a = RasterizeGlyph(font, 1, text);
        ASSERT_NE(a, nullptr) << c.size << " " << c.edge;
        EXPECT_GT(a->width, c.edge > 0 ? 2 * c.edge : 0);
        EXPECT_EQ(DeleteHandle(font), 0);
    }
}

// A damaged font whose 'A' reaches 17 ems up: the character is skipped like any unrenderable one, and
// the font's other characters render.
TEST(BrokenFontTest, AGlyphFarBeyondTheCellIsSkipped) {
    std::ifstream file(std::string(KORVALUND_SOURCE_DIR) + "/tests/platform/gdi/fixtures/kv_test_broken.ttf",
                       std::ios::binary);
    std::vector<uint8_t> bytes(std::istreambuf_iterator<char>(file), {});
    DWORD count = 0;
    HANDLE memoryFont = AddFontMemResourceEx(bytes.data(), DWORD(bytes.size()), nullptr, &count);
    ASSERT_NE(memoryFont, nullptr);
    ASSERT_EQ(InitFontSystem(), 0);
    for (int fontType : {0, 1, 2, 3, 18, 19, 34, 35}) {
        int font = CreateFontPublic("KvBroken", 12, 1, fontType, -1, 1, 0, -1);
        ASSERT_GE(font, 0) << fontType;
        const uint8_t a[] = {'A', 0, 0}, b[] = {'B', 0, 0};
        EXPECT_EQ(RasterizeGlyph(font, 1, a), nullptr) << fontType;
        GlyphEntry* glyph = RasterizeGlyph(font, 1, b);
        ASSERT_NE(glyph, nullptr) << fontType;
        EXPECT_GT(glyph->width, 0) << fontType;
    }
    EXPECT_EQ(EndFontSystem(), 0);
    RemoveFontMemResourceEx(memoryFont);
}

}  // namespace
