// Strings drawn with font handles on a started graphics system: the glyphs of the game's font land where
// GDI's own glyph bitmaps put them, in the text colour, alike through the cache texture (Direct3D) and the
// memory cache (software renderer).
#include <gtest/gtest.h>

#include <climits>

#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "engine/core/frame/library_state.h"
#include "engine/core/memory/log.h"
#include "engine/graphics/draw/draw_settings.h"
#include "engine/graphics/handles/graphic_read_back.h"
#include "engine/text_movie/font_handles.h"
#include "engine/text_movie/fonts.h"
#include "engine/text_movie/string_core.h"
#include "engine/text_movie/string_glyphs.h"
#include "platform/d3d9/d3d9_control.h"
#include "platform/gdi/gdi32.h"
#include "tests/graphics/loss/loss_fixture.h"

namespace {

constexpr int kWidth = 96;
constexpr int kHeight = 40;

using Pixel = std::pair<int, int>;
using Picture = std::vector<uint32_t>;  // 0x00RRGGBB, row by row

enum class Mode { kDirect3D, kSoftware };

struct TextRun {
    Mode mode;
    int bits;
    const char* name;
};
const TextRun kRuns[] = {{Mode::kDirect3D, 32, "Direct3D 32"},
                         {Mode::kSoftware, 32, "software 32"},
                         {Mode::kDirect3D, 16, "Direct3D 16"},
                         {Mode::kSoftware, 16, "software 16"}};

class StringDrawingTest : public LossTest {
  protected:
    void TearDown() override {
        if (memoryFont_ != nullptr) RemoveFontMemResourceEx(memoryFont_);
        memoryFont_ = nullptr;
        LossTest::TearDown();
    }

    // Graphics started in the mode (16 bits in Direct3D: a 16-bit desktop), the game's font loaded, and
    // a cleared kWidth x kHeight draw target selected.
    void Start(const TextRun& run, int targetWidth = kWidth) {
        SCOPED_TRACE(run.name);
        if (run.mode == Mode::kDirect3D) {
            D3D9CapabilityProfile profile = D3D9GetCapabilityProfile();
            profile.desktop_format = run.bits == 16 ? D3DFMT_R5G6B5 : D3DFMT_X8R8G8B8;
            D3D9SetCapabilityProfile(profile);
            StartDevice(run.bits, 0);
        } else {
            StartSoftware(run.bits);
        }
        ASSERT_EQ(GetColorDepth(), run.bits);
        libraryFlags.initialised = 1;  // as after library init: the graphic draws refuse to run before it
        std::ifstream file(std::string(KORVALUND_DATAPACK_DIR) + "/data/k8x12S.ttf", std::ios::binary);
        fontBytes_.assign(std::istreambuf_iterator<char>(file), {});
        ASSERT_FALSE(fontBytes_.empty());
        DWORD count = 0;
        memoryFont_ = AddFontMemResourceEx(fontBytes_.data(), DWORD(fontBytes_.size()), nullptr, &count);
        ASSERT_NE(memoryFont_, nullptr);
        font_ = CreateFontPublic("k8x12S", 12, 1, 0, -1, -1, 0, -1);
        ASSERT_GT(font_, 0);
        ASSERT_EQ(GetFontRecord(font_)->textureCache, run.mode == Mode::kDirect3D ? 1 : 0);
        UseTarget(targetWidth);
    }
    void UseTarget(int width) {
        width_ = width;
        target_ = MakeDrawTarget(width, kHeight, 0);
        ASSERT_GT(target_, 0);
        ASSERT_EQ(SelectDrawTarget(target_), 0);
        ASSERT_EQ(ClearDrawTarget(nullptr), 0);
    }

    Picture Read() const {
        SoftImage image{};
        EXPECT_EQ(ReadGraphicToImage(target_, &image, nullptr), 0);
        Picture picture;
        for (int y = 0; y < image.height; ++y)
            for (int x = 0; x < image.width; ++x)
                picture.push_back(GetImagePixelArgb(&image, x, y) & 0xFFFFFF);
        ReleaseSoftImage(&image);
        return picture;
    }
    std::set<Pixel> Lit(const Picture& picture, uint32_t background = 0) const {
        std::set<Pixel> lit;
        for (size_t i = 0; i < picture.size(); ++i)
            if (picture[i] != background) lit.insert({int(i % width_), int(i / width_)});
        return lit;
    }

    // What GDI's own bitmaps of the font light for `text` drawn at (x, y), and the pen's end.
    std::set<Pixel> Expected(const std::string& text, int x, int y, int* penOut = nullptr) const {
        const FontRecord* font = GetFontRecord(font_);
        HDC dc = CreateCompatibleDC(nullptr);
        HGDIOBJ old = SelectObject(dc, font->font);
        TEXTMETRICA tm{};
        GetTextMetricsA(dc, &tm);
        const MAT2 identity = {{0, 1}, {0, 0}, {0, 0}, {0, 1}};
        std::set<Pixel> lit;
        int pen = 0;
        for (unsigned char c : text) {
            GLYPHMETRICS gm{};
            DWORD size = GetGlyphOutlineA(dc, c, GGO_BITMAP, &gm, 0, nullptr, &identity);
            std::vector<uint8_t> bits(size ? size : 1);
            if (size != 0 && c != ' ') {
                GetGlyphOutlineA(dc, c, GGO_BITMAP, &gm, size, bits.data(), &identity);
                const int pitch = (int(gm.gmBlackBoxX) + 31) / 32 * 4;
                for (int gy = 0; gy < int(gm.gmBlackBoxY); ++gy)
                    for (int gx = 0; gx < int(gm.gmBlackBoxX); ++gx)
                        if (bits[size_t(gy) * pitch + gx / 8] & (0x80 >> (gx % 8)))
                            lit.insert(
                                {x + pen + gm.gmptGlyphOrigin.x + gx,
                                 y - font->extraLeading / 2 + tm.tmAscent - gm.gmptGlyphOrigin.y + gy});
            }
            pen += gm.gmCellIncX + font->spacing;
        }
        SelectObject(dc, old);
        DeleteDC(dc);
        if (penOut != nullptr) *penOut = pen;
        return lit;
    }

    int Measure(const char* text) const {
        StringDrawRequest request{};
        request.scaleX = request.scaleY = 1.0;
        request.text = text;
        request.length = -1;
        request.fontHandle = font_;
        return DrawStringCore(request, nullptr);
    }

    std::vector<uint8_t> fontBytes_;
    HANDLE memoryFont_ = nullptr;
    int font_ = -1;
    int target_ = -1;
    int width_ = kWidth;
};

uint32_t Grey(int level) {
    return uint32_t(level) << 16 | uint32_t(level) << 8 | uint32_t(level);
}

bool Near(uint32_t a, uint32_t b, int tolerance) {
    for (int shift : {16, 8, 0})
        if (std::abs(int(a >> shift & 255) - int(b >> shift & 255)) > tolerance) return false;
    return true;
}

TEST_F(StringDrawingTest, GameFontLightsTheGlyphBitsInTheTextColourInEveryMode) {
    for (const TextRun& run : kRuns) {
        SCOPED_TRACE(run.name);
        Start(run);
        // On 16 bits the colour is an R5G6B5 value; read as 0xRRGGBB it would be green-blue.
        ASSERT_EQ(DrawStringWithFont(10, 20, "AB", PackColor(247, 247, 247), font_, 0, 0), 0);
        const Picture picture = Read();
        const std::set<Pixel> expected = Expected("AB", 10, 20);
        ASSERT_GT(expected.size(), 20u);
        EXPECT_EQ(Lit(picture), expected);
        for (const Pixel& p : expected)
            ASSERT_TRUE(Near(picture[size_t(p.second) * kWidth + p.first], Grey(247), run.bits == 16 ? 2 : 0))
                << std::hex << picture[size_t(p.second) * kWidth + p.first];

        ASSERT_EQ(ClearDrawTarget(nullptr), 0);
        SetBright(255, 0, 0);
        ASSERT_EQ(DrawStringWithFont(10, 20, "AB", PackColor(247, 247, 247), font_, 0, 0), 0);
        SetBright(255, 255, 255);
        const Picture red = Read();
        EXPECT_EQ(Lit(red), expected);
        for (const Pixel& p : expected)
            ASSERT_TRUE(Near(red[size_t(p.second) * kWidth + p.first], 247u << 16, run.bits == 16 ? 2 : 0));
        TearDown();
        SetUp();
    }
}

// Strings at the ends of the int range, across and down: taken (0) and nothing drawn, with no glyph
// position overflowing; the same string in the target lights pixels.
TEST_F(StringDrawingTest, StringsAtTheEndsOfTheIntRangeDrawNothing) {
    for (const TextRun& run : kRuns) {
        SCOPED_TRACE(run.name);
        Start(run);
        for (int vertical : {0, 1}) {
            ASSERT_EQ(DrawStringWithFont(10, 20, "AB", PackColor(247, 247, 247), font_, 0, vertical), 0);
            EXPECT_FALSE(Lit(Read()).empty()) << vertical;
            ASSERT_EQ(ClearDrawTarget(nullptr), 0);
            for (auto [x, y] : {std::pair{INT_MAX, 20}, std::pair{INT_MIN, 20}, std::pair{10, INT_MAX},
                                std::pair{INT_MIN, INT_MIN}, std::pair{INT_MAX - 5, INT_MAX - 5}})
                EXPECT_EQ(DrawStringWithFont(x, y, "AB", PackColor(247, 247, 247), font_, 0, vertical), 0)
                    << x << "," << y;
            EXPECT_TRUE(Lit(Read()).empty()) << vertical;
        }
        TearDown();
        SetUp();
    }
}

TEST_F(StringDrawingTest, HalfBlendAgreesBetweenTheTextureAndTheMemoryCache) {
    Picture pictures[2];
    for (int i = 0; i < 2; ++i) {
        Start(kRuns[i]);
        DrawBoxShape(0, 0, kWidth, kHeight, PackColor(40, 90, 160), 1);
        SetBlend(kBlendAlpha, 128);
        ASSERT_EQ(DrawStringWithFont(10, 20, "AB", PackColor(247, 247, 247), font_, 0, 0), 0);
        SetBlend(kBlendNone, 0);
        pictures[i] = Read();
        EXPECT_EQ(Lit(pictures[i], 0x285AA0), Expected("AB", 10, 20));
        TearDown();
        SetUp();
    }
    for (size_t i = 0; i < pictures[0].size(); ++i)
        ASSERT_TRUE(Near(pictures[0][i], pictures[1][i], 2))
            << i << ": " << std::hex << pictures[0][i] << " " << pictures[1][i];
}

TEST_F(StringDrawingTest, PenAdvancesBySpacingAndSpacesLightNothing) {
    for (const TextRun& run : {kRuns[0], kRuns[1]}) {
        SCOPED_TRACE(run.name);
        Start(run);
        ASSERT_EQ(SetFontSpacing(3, font_), 0);
        int pen = 0;
        const std::set<Pixel> expected = Expected("A B  C", 2, 20, &pen);
        EXPECT_EQ(Measure("A B  C"), pen);
        int spaces = 0;
        Expected("   ", 0, 0, &spaces);
        EXPECT_GT(spaces, 9);
        EXPECT_EQ(Measure("   "), spaces);

        ASSERT_EQ(DrawStringWithFont(2, 20, "   ", PackColor(247, 247, 247), font_, 0, 0), 0);
        EXPECT_TRUE(Lit(Read()).empty());
        ASSERT_EQ(DrawStringWithFont(2, 20, "A B  C", PackColor(247, 247, 247), font_, 0, 0), 0);
        EXPECT_EQ(Lit(Read()), expected);
        TearDown();
        SetUp();
    }
}

TEST_F(StringDrawingTest, LongStringEqualsItsHalvesDrawnInTurn) {
    std::string text;
    for (int i = 0; i < 300; ++i) text += char('!' + (i * 7) % 90);
    const std::string first = text.substr(0, 150), second = text.substr(150);
    for (const TextRun& run : {kRuns[0], kRuns[1]}) {
        SCOPED_TRACE(run.name);
        Start(run, 1920);
        ASSERT_EQ(DrawStringWithFont(0, 20, text.c_str(), PackColor(247, 247, 247), font_, 0, 0), 0);
        const Picture whole = Read();
        EXPECT_GT(Lit(whole).size(), 1000u);
        ASSERT_EQ(ClearDrawTarget(nullptr), 0);
        ASSERT_EQ(DrawStringWithFont(0, 20, first.c_str(), PackColor(247, 247, 247), font_, 0, 0), 0);
        ASSERT_EQ(DrawStringWithFont(Measure(first.c_str()), 20, second.c_str(), PackColor(247, 247, 247),
                                     font_, 0, 0),
                  0);
        EXPECT_TRUE(whole == Read());
        TearDown();
        SetUp();
    }
}

TEST_F(StringDrawingTest, MoreDistinctCharactersThanCellsAllDraw) {
    for (const TextRun& run : {kRuns[0], kRuns[1]}) {
        SCOPED_TRACE(run.name);
        Start(run);
        FontCreateSettings settings{0, 0, 3};
        font_ = CreateFontHandleCore(settings, "k8x12S", 12, 1, 0, -1, -1, 0, -1, 0);
        ASSERT_GT(font_, 0);
        const char* text = "ABCDEFGHIJKL";
        ASSERT_LT(GetFontRecord(font_)->glyphCount, 12);
        ASSERT_EQ(DrawStringWithFont(2, 20, text, PackColor(247, 247, 247), font_, 0, 0), 0);
        EXPECT_EQ(Lit(Read()), Expected(text, 2, 20));
        TearDown();
        SetUp();
    }
}

TEST_F(StringDrawingTest, LeadByteAtTheEndIsTakenAloneAndNothingPastItIsRead) {
    for (const TextRun& run : {kRuns[0], kRuns[1]}) {
        SCOPED_TRACE(run.name);
        Start(run);
        // The string ends in a lone lead byte in a buffer of exactly its size.
        std::vector<char> cut = {'A', 'B', '\x82', 0};
        ASSERT_EQ(DrawStringWithFont(10, 20, cut.data(), PackColor(247, 247, 247), font_, 0, 0), 0);
        EXPECT_EQ(Lit(Read()), Expected("AB", 10, 20));
        // Cut by a length, with no terminator behind it: three characters, nothing read past the third byte.
        std::vector<char> raw = {'A', 'B', '\x82'};
        int count = 0;
        EXPECT_EQ(CacheStringGlyphs(3, raw.data(), font_, nullptr, &count), 0);
        EXPECT_EQ(count, 3);
        TearDown();
        SetUp();
    }
}

TEST_F(StringDrawingTest, RefusedCallsDrawNothing) {
    for (const TextRun& run : {kRuns[0], kRuns[1]}) {
        SCOPED_TRACE(run.name);
        Start(run);
        EXPECT_EQ(DrawStringWithFont(10, 20, "AB", PackColor(247, 247, 247), font_ + 1, 0, 0), -1);
        EXPECT_TRUE(Logged("フォントハンドル値が異常です"));
        EXPECT_EQ(DrawStringWithFont(10, 20, nullptr, PackColor(247, 247, 247), font_, 0, 0), 0);

        ASSERT_EQ(CreateMaskScreen(1), 0);
        ASSERT_EQ(SetMaskDrawingEnabled(1), 0);
        SetClipRect(0, 0, 40, kHeight);
        EXPECT_EQ(DrawStringWithFont(40, 20, "AB", PackColor(247, 247, 247), font_, 0, 0), 0);
        EXPECT_EQ(DrawStringWithFont(70, 20, "AB", PackColor(247, 247, 247), font_, 0, 0), 0);
        SetMaskDrawingEnabled(0);
        EXPECT_TRUE(Lit(Read()).empty());
        TearDown();
        SetUp();
    }
}

TEST_F(StringDrawingTest, EdgeFontRingsTheBodyInTheEdgeColour) {
    Picture pictures[2];
    for (int i = 0; i < 2; ++i) {
        SCOPED_TRACE(kRuns[i].name);
        Start(kRuns[i]);
        FontCreateSettings settings{};
        GetFontCreateSettings(&settings);
        font_ = CreateFontHandleCore(settings, nullptr, 16, 4, 1, -1, -1, 0, -1, 0);
        ASSERT_GT(font_, 0);
        ASSERT_EQ(GetFontRecord(font_)->fontType, 1);
        ASSERT_EQ(DrawStringWithFont(4, 4, "AB", 0xFFFFFF, font_, PackColor(255, 0, 0), 0), 0);
        pictures[i] = Read();
        std::set<Pixel> body, ring;
        for (const Pixel& p : Lit(pictures[i])) {
            const uint32_t v = pictures[i][size_t(p.second) * kWidth + p.first];
            ASSERT_TRUE(v == 0xFFFFFF || v == 0xFF0000) << std::hex << v;
            (v == 0xFFFFFF ? body : ring).insert(p);
        }
        ASSERT_GT(body.size(), 20u);
        ASSERT_GT(ring.size(), body.size() / 2);
        const Pixel cross[4] = {{1, 0}, {-1, 0}, {0, 1}, {0, -1}};
        for (const Pixel& p : body)
            for (const Pixel& d : cross) {
                const Pixel n{p.first + d.first, p.second + d.second};
                EXPECT_TRUE(body.count(n) || ring.count(n)) << n.first << "," << n.second;
            }
        for (const Pixel& p : ring) {
            bool touches = false;
            for (const Pixel& d : cross) touches |= body.count({p.first + d.first, p.second + d.second}) > 0;
            EXPECT_TRUE(touches) << p.first << "," << p.second;
        }
        TearDown();
        SetUp();
    }
    EXPECT_TRUE(pictures[0] == pictures[1]);
}

TEST_F(StringDrawingTest, VerticalTextTurnsEachGlyphAQuarterClockwise) {
    Picture pictures[2];
    for (int i = 0; i < 2; ++i) {
        SCOPED_TRACE(kRuns[i].name);
        Start(kRuns[i]);
        ASSERT_EQ(DrawStringWithFont(30, 2, "AB", PackColor(247, 247, 247), font_, 0, 1), 0);
        pictures[i] = Read();
        // Upright at (0, 0) a glyph pixel (gx, gy) is turned to (x + line height - 1 - gy, y + gx).
        const int line = GetFontRecord(font_)->lineHeight;
        std::set<Pixel> turned;
        for (const Pixel& p : Expected("AB", 0, GetFontRecord(font_)->extraLeading / 2))
            turned.insert({30 + line - 1 - p.second, 2 + p.first});
        EXPECT_EQ(Lit(pictures[i]), turned);
        // The narrowed draw area is put back: a box over the whole target fills every pixel.
        DrawBoxShape(0, 0, kWidth, kHeight, PackColor(255, 255, 255), 1);
        EXPECT_EQ(Lit(Read(), 0xFFFFFF).size(), 0u);
        TearDown();
        SetUp();
    }
    EXPECT_TRUE(pictures[0] == pictures[1]);
}

TEST_F(StringDrawingTest, GreyFontsDrawTheirCoverageInTheTextAndEdgeColours) {
    for (int type : {2, 3})
        for (int i = 0; i < 2; ++i) {
            SCOPED_TRACE(std::string(kRuns[i].name) + " type " + std::to_string(type));
            Start(kRuns[i]);
            FontCreateSettings settings{};
            GetFontCreateSettings(&settings);
            font_ = CreateFontHandleCore(settings, "k8x12S", 12, 1, type, -1, -1, 0, -1, 0);
            ASSERT_GT(font_, 0);
            ASSERT_EQ(
                DrawStringWithFont(10, 20, "AB", PackColor(247, 247, 247), font_, PackColor(255, 0, 0), 0),
                0);
            const Picture picture = Read();
            int strong = 0, red = 0;
            for (const Pixel& p : Lit(picture)) {
                const uint32_t v = picture[size_t(p.second) * kWidth + p.first];
                const int r = int(v >> 16 & 255), g = int(v >> 8 & 255), b = int(v & 255);
                // Grey text over black, blended over a red edge: never more green than red, green as blue.
                ASSERT_TRUE(r >= g && std::abs(g - b) <= 1 && g <= 247) << std::hex << v;
                if (type == 2) {
                    ASSERT_LE(std::abs(r - g), 1) << std::hex << v;
                }
                strong += g >= 200;
                red += r >= 200 && g == 0;
            }
            EXPECT_GT(strong, 20);
            EXPECT_EQ(red > 10, type == 3) << red;
            TearDown();
            SetUp();
        }
}

TEST_F(StringDrawingTest, DeletedCacheTextureIsMadeAgainOnTheNextDraw) {
    Start(kRuns[0]);
    FontRecord* font = GetFontRecord(font_);
    ASSERT_EQ(DrawStringWithFont(10, 20, "AB", PackColor(247, 247, 247), font_, 0, 0), 0);
    ASSERT_EQ(FreeGraphic(font->textureGraphic, 0), 0);
    EXPECT_EQ(font->needsTexture, 1);
    ASSERT_EQ(ClearDrawTarget(nullptr), 0);
    ASSERT_EQ(DrawStringWithFont(10, 20, "AB", PackColor(247, 247, 247), font_, 0, 0), 0);
    EXPECT_EQ(font->needsTexture, 0);
    EXPECT_EQ(IsGraphicAlive(font->textureGraphic), 1);
    EXPECT_EQ(Lit(Read()), Expected("AB", 10, 20));
}

}  // namespace

TEST_F(StringDrawingTest, EdgeHalfOfADeletedCacheTextureIsFreedWhenTheTextureIsMadeAgain) {
    Start(kRuns[0]);
    FontCreateSettings settings{};
    GetFontCreateSettings(&settings);
    font_ = CreateFontHandleCore(settings, nullptr, 16, 4, 1, -1, -1, 0, -1, 0);
    ASSERT_GT(font_, 0);
    FontRecord* font = GetFontRecord(font_);
    const int oldEdge = font->edgeGraphic;
    ASSERT_EQ(IsGraphicAlive(oldEdge), 1);
    ASSERT_EQ(FreeGraphic(font->textureGraphic, 0), 0);
    ASSERT_EQ(DrawStringWithFont(4, 4, "AB", 0xFFFFFF, font_, PackColor(255, 0, 0), 0), 0);
    EXPECT_NE(IsGraphicAlive(oldEdge), 1);
    EXPECT_EQ(IsGraphicAlive(font->edgeGraphic), 1);
    EXPECT_EQ(IsGraphicAlive(font->textureGraphic), 1);
}
