// The bitmap font, numbers and the TrueType text with its shadow.
#include <cstring>

#include "game/text_drawing.h"
#include "tests/game/game_fixture.h"

namespace {

using recording::Named;

class TextDrawingTest : public GameTest {
  protected:
    void SetUp() override {
        GameTest::SetUp();
        ReloadBitmapFont();
        recording::Lib().calls.clear();
    }
    void TearDown() override {
        fontGraphic = 0;
        textFont = -1;
        GameTest::TearDown();
    }
    // The characters drawn, with a blank for every cell left empty, by the glyphs' source positions.
    static std::string Drawn(int x0) {
        std::string text;
        for (const auto& call : Named("DrawImagePart")) {
            const int cell = static_cast<int>((call.args[0] - x0) / 10);
            if (static_cast<int>(text.size()) <= cell) text.resize(cell + 1, ' ');
            text[cell] = static_cast<char>(33 + call.args[3] / 10 * 8 + call.args[2] / 10);
        }
        return text;
    }
};

TEST_F(TextDrawingTest, DrawNumberPadsWithLeadingZeros) {
    struct Case {
        int value, digits;
        const char* text;
    } cases[] = {{7, 3, "007"},     {0, 2, "00"}, {359, 3, "359"},
                 {5999, 4, "5999"}, {12, 1, "<"}, {1234, 3, "<34"}};
    for (const Case& c : cases) {
        recording::Lib().calls.clear();
        DrawNumber(c.value, c.digits, 50, 20);
        EXPECT_EQ(Drawn(50), c.text) << c.value;
        for (const auto& call : Named("DrawImagePart")) {
            EXPECT_EQ(call.args[1], 20);
            EXPECT_EQ(call.args[6], fontGraphic);
        }
    }
}

TEST_F(TextDrawingTest, BitmapTextLeavesBlankCellsForCharactersWithoutGlyphs) {
    DrawBitmapText(100, 40, "A b!`", 120);
    const auto draws = Named("DrawImagePart");
    ASSERT_EQ(draws.size(), 3u);
    EXPECT_EQ(draws[0].args, (std::vector<int64_t>{100, 40, 0, 40, 10, 10, fontGraphic, 1, 0}));  // 'A' = 65
    EXPECT_EQ(draws[1].args[0], 130);                                                             // '!'
    EXPECT_EQ(draws[1].args[2], 0);
    EXPECT_EQ(draws[2].args[0], 140);  // '`' = 96, the last glyph
    EXPECT_EQ(draws[2].args[2], 70);
    EXPECT_EQ(draws[2].args[3], 70);
}

TEST_F(TextDrawingTest, BitmapTextStopsAtMaxChars) {
    DrawBitmapText(0, 0, "PAUSE", 3);
    EXPECT_EQ(Drawn(0), "PAU");
}

TEST_F(TextDrawingTest, MissingFontGraphicDrawsNothing) {
    recording::Lib().missingGraphics = {"./data/graphics/font.png"};
    ReloadBitmapFont();
    EXPECT_EQ(fontGraphic, -1);
    DrawNumber(42, 2, 0, 0);
    EXPECT_TRUE(Named("DrawImagePart").empty());
}

TEST_F(TextDrawingTest, ReloadFreesTheOldGraphic) {
    const int old = fontGraphic;
    ReloadBitmapFont();
    ASSERT_EQ(Named("FreeGraphic").size(), 1u);
    EXPECT_EQ(Named("FreeGraphic")[0].args[0], old);
    EXPECT_NE(fontGraphic, old);
}

TEST_F(TextDrawingTest, FontTextDrawsAShadowThenTheText) {
    textFont = 9;
    DrawFontText(30, 40, "Hello there", 5);
    const auto draws = Named("DrawStringWithFont");
    ASSERT_EQ(draws.size(), 2u);
    EXPECT_EQ(draws[0].text, "Hello");
    EXPECT_EQ(draws[0].args, (std::vector<int64_t>{31, 41, 82 << 16 | 82 << 8 | 82, 9, 0, 0}));
    EXPECT_EQ(draws[1].args, (std::vector<int64_t>{30, 40, 247 << 16 | 247 << 8 | 247, 9, 0, 0}));
}

TEST_F(TextDrawingTest, FontTextKeepsWithinItsBuffer) {
    textFont = 9;
    const std::string longText(1000, 'x');
    DrawFontText(0, 0, longText.c_str(), 1000);
    DrawFontText(0, 0, longText.c_str(), -5);
    const auto draws = Named("DrawStringWithFont");
    ASSERT_EQ(draws.size(), 4u);
    EXPECT_EQ(draws[0].text.size(), 299u);
    EXPECT_EQ(draws[2].text, "");
}

TEST_F(TextDrawingTest, FontTextWithoutAFontDrawsNothing) {
    textFont = -1;
    DrawFontText(0, 0, "text", 10);
    EXPECT_TRUE(Named("DrawStringWithFont").empty());
}

}  // namespace
