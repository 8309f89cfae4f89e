// The bitmap font, numbers and the TrueType text with its shadow.
#include <cstring>
#include <filesystem>
#include <fstream>

#include "game/sound_text/text_drawing.h"
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

namespace {

class TextFontTest : public GameTest {
  protected:
    void TearDown() override {
        memoryFont = nullptr;
        textFont = -1;
        GameTest::TearDown();
    }
    static void WriteFont(const std::string& bytes) {
        std::filesystem::create_directories("data");
        std::ofstream("data/k8x12S.ttf", std::ios::binary) << bytes;
    }
    static const char* kFailureText;
};

// "フォント読込失敗" in Shift-JIS, with the empty caption after the bar.
const char* TextFontTest::kFailureText = "\x83\x74\x83\x48\x83\x93\x83\x67\x93\xc7\x8d\x9e\x8e\xb8\x94\x73|";

TEST_F(TextFontTest, AddsTheWholeFileAndCreatesTheFont) {
    WriteFont("TTF-bytes-of-k8x12S");
    LoadTextFont();
    const auto adds = recording::Named("AddFontMemResourceEx");
    ASSERT_EQ(adds.size(), 1u);
    EXPECT_EQ(adds[0].text, "TTF-bytes-of-k8x12S");
    EXPECT_EQ(memoryFont, reinterpret_cast<HANDLE>(0x5678));
    const auto creates = recording::Named("CreateFontPublic");
    ASSERT_EQ(creates.size(), 1u);
    EXPECT_EQ(creates[0].text, "k8x12S");
    EXPECT_EQ(creates[0].args, (std::vector<int64_t>{12, 1, 0, -1, -1, 0, -1}));
    EXPECT_NE(textFont, -1);
    EXPECT_EQ(recording::Count("MessageBoxA"), 0);
    EXPECT_EQ(recording::Lib().openFiles, 0);
    RemoveTextFont();
    EXPECT_EQ(recording::Named("RemoveFontMemResourceEx")[0].args[0], 0x5678);
    EXPECT_EQ(memoryFont, nullptr);
}

// A missing or empty file, or a font the system refuses: the message box, no font, and (checked by
// the leak sanitizer) no buffer left behind.
TEST_F(TextFontTest, FailuresShowTheMessageAndCreateNoFont) {
    struct Case {
        const char* what;
        bool write;
        const char* bytes;
        bool refuse;
        int adds;
    } cases[] = {
        {"missing", false, "", false, 0},
        {"empty", true, "", false, 0},
        {"refused", true, "not a font", true, 1},
    };
    for (const Case& c : cases) {
        recording::Reset();
        std::filesystem::remove("data/k8x12S.ttf");
        if (c.write) WriteFont(c.bytes);
        if (c.refuse) recording::Lib().memoryFontResult = nullptr;
        LoadTextFont();
        EXPECT_EQ(recording::Count("AddFontMemResourceEx"), c.adds) << c.what;
        const auto boxes = recording::Named("MessageBoxA");
        ASSERT_EQ(boxes.size(), 1u) << c.what;
        EXPECT_EQ(boxes[0].text, kFailureText) << c.what;
        EXPECT_EQ(boxes[0].args[1], 0) << "MB_OK";
        EXPECT_EQ(recording::Count("CreateFontPublic"), 0) << c.what;
        EXPECT_EQ(memoryFont, nullptr) << c.what;
        EXPECT_EQ(textFont, -1) << c.what;
        RemoveTextFont();
        EXPECT_EQ(recording::Count("RemoveFontMemResourceEx"), 0) << c.what;
    }
}

}  // namespace
