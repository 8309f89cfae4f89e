// The generated data pack: repeatable bytes, the frames the game cuts from its graphics, the key
// names, the tunes, the sound effects and the dialogue font.
#include <ft2build.h>
#include FT_FREETYPE_H
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <map>
#include <regex>
#include <set>
#include <sstream>

#include "platform/music/tune_score.h"
#include "tests/tools/datapack_fixture.h"

namespace {

namespace fs = std::filesystem;
using datapack::PackDir;
using datapack::Picture;
using datapack::ReadFile;
using datapack::ReadPicture;

std::vector<fs::path> FilesBelow(const fs::path& root) {
    std::vector<fs::path> files;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        if (entry.is_regular_file() && entry.path().filename() != "stamp")
            files.push_back(fs::relative(entry.path(), root));
    }
    std::sort(files.begin(), files.end());
    return files;
}

TEST(DataPack, TwoRunsGiveTheSameBytes) {
    const fs::path fresh = fs::temp_directory_path() / ("korvalund_pack_" + std::to_string(::getpid()));
    fs::remove_all(fresh);
    ASSERT_EQ(datapack::MakePack(fresh), 0);
    const auto built = FilesBelow(PackDir());
    ASSERT_EQ(FilesBelow(fresh), built);
    for (const fs::path& file : built) {
        EXPECT_TRUE(ReadFile(fresh / file) == ReadFile(PackDir() / file)) << file;
    }
    fs::remove_all(fresh);
}

struct Frame {
    const char* graphic;  // under data/graphics (or data/map for tilesets)
    int x, y, w, h;
};

// Every rectangle the game cuts from its graphics.
std::vector<Frame> GameFrames() {
    std::vector<Frame> frames;
    auto add = [&](const char* g, int x, int y, int w, int h) { frames.push_back({g, x, y, w, h}); };
    // The player: upper pieces, lower pieces, one-piece poses, and their after-images 260 to the right.
    for (int shift : {0, 260}) {
        for (int sx = 0; sx <= 200; sx += 40) add("player", sx + shift, 0, 40, 40);
        for (int x = 0; x <= 160; x += 40) add("player", x + shift, 40, 40, 30);
        for (int x = 0; x <= 200; x += 40) add("player", x + shift, 70, 40, 30);
        for (int sx : {0, 40, 120, 160}) add("player", sx + shift, 100, 40, 40);
        add("player", 200 + shift, 100, 43, 40);
    }
    for (int sx : {0, 60, 120}) add("player", sx, 160, 60, 60);
    add("player", 200, 160, 20, 5);
    add("player", 200, 166, 20, 5);
    add("player", 200, 172, 24, 5);
    for (int row : {220, 300}) {
        for (int sx = 20; sx <= 180; sx += 40) add("player", sx, row, 40, 80);
    }
    // The common graphic: platform, cursor frames, gauge, debris, dust, bullets, explosion, goal, signs.
    add("common", 0, 0, 20, 20);
    for (int x = 20; x <= 80; x += 20) add("common", x, 0, 20, 20);
    add("common", 160, 0, 20, 20);
    add("common", 20, 20, 30, 20);
    add("common", 30, 20, 20, 20);
    add("common", 50, 20, 20, 20);
    add("common", 70, 20, 10, 20);
    add("common", 80, 20, 20, 20);
    for (int x : {100, 130, 160}) add("common", x, 40, 30, 10);
    add("common", 100, 0, 10, 10);
    add("common", 110, 0, 10, 10);
    add("common", 110, 10, 10, 10);
    add("common", 120, 10, 10, 10);
    add("common", 160, 0, 10, 10);
    for (int x : {130, 140, 150}) {
        for (int y : {0, 10, 20}) add("common", x, y, 10, 10);
    }
    for (int x : {0, 10}) {
        for (int y : {20, 30}) add("common", x, y, 10, 10);
    }
    for (int x = 160; x <= 190; x += 10) add("common", x, 20, 10, 10);
    for (int x = 0; x <= 60; x += 20) {
        add("common", x, 40, 20, 20);
        add("common", x, 60, 20, 20);
    }
    for (int x = 0; x <= 200; x += 40) add("common", x, 80, 40, 40);
    add("common", 0, 120, 60, 60);
    add("common", 60, 120, 60, 60);
    add("common", 120, 120, 20, 20);
    add("common", 120, 140, 20, 20);
    add("common", 140, 120, 40, 20);
    add("common", 140, 140, 40, 20);
    add("common", 200, 0, 40, 20);
    add("common", 180, 0, 20, 20);
    // Menus and cards.
    add("title", 0, 0, 280, 90);
    add("map", 0, 0, 400, 220);
    for (int y : {0, 40, 80}) add("logo", 0, y, 160, 40);
    for (int area = 1; area <= 4; ++area) add("logo", 40 * (area - 1), 120, 40, 60);
    add("logo", 160, 0, 90, 40);  // the final banner
    // The opening's actors and scenery.
    add("demo", 0, 0, 80, 100);
    add("demo", 0, 100, 80, 100);
    add("demo", 160, 20, 160, 80);
    add("demo", 160, 120, 130, 80);
    add("demo", 0, 200, 400, 200);
    add("demo", 320, 0, 60, 60);
    add("demo", 320, 60, 60, 60);
    add("demo", 290, 140, 40, 60);
    // The dialogue's talk box pieces and name plates, and the mouths and closed eyes laid over the
    // portraits.
    for (int x : {160, 180, 200}) add("demo", x, 400, 20, 60);
    add("demo", 220, 400, 80, 20);
    add("demo", 220, 420, 80, 20);
    for (int y : {0, 100}) add("demo", 80 + 32, y + 54, 16, 11);
    for (int x : {0, 80}) add("demo", x + 24, 400 + 38, 32, 10);
    add("ufo", 180, 80, 120, 70);
    for (int y = 0; y <= 200; y += 40) add("ufo", 120, y, 60, 30);
    add("ufo", 0, 0, 120, 50);
    add("ufo", 0, 60, 120, 30);
    add("ufo", 180, 0, 120, 60);
    for (int x = 180; x <= 210; x += 10) add("ufo", x, 60, 10, 10);
    for (int x = 0; x <= 80; x += 40) add("ufo", x, 100, 40, 40);
    for (int x = 0; x <= 80; x += 40) {
        add("twigger", x, 0, 40, 40);
        add("floggy", x, 0, 40, 50);
    }
    // The cannon turret's base and barrel; the crusher stone's body and strip frames, plain and lit.
    add("canox", 0, 0, 40, 40);
    add("canox", 40, 0, 40, 40);
    for (int lit : {0, 60}) {
        add("crustone", 0, lit, 60, 50);
        for (int y = 0; y <= 30; y += 5) add("crustone", 60, y + lit, 60, 5);
    }
    // The fire hazards: the fireball (trembling a pixel either way while it simmers), the magma column's
    // surface and body, the boss's fire pillar and fire shot.
    for (int x = 0; x <= 80; x += 20) add("fire", x, 0, 20, 40);
    add("fire", 19, 0, 20, 40);
    add("fire", 21, 0, 20, 40);
    for (int x : {0, 20}) {
        add("common", x, 180, 20, 20);
        add("common", x, 200, 20, 20);
        add("ufo", x, 170, 20, 50);
        add("ufo", 40 + x, 180, 20, 20);
    }
    return frames;
}

TEST(DataPack, EveryFrameTheGameCutsLiesInsideItsGraphicAndShowsSomething) {
    std::map<std::string, Picture> pictures;
    for (const Frame& f : GameFrames()) {
        auto it = pictures.find(f.graphic);
        if (it == pictures.end())
            it = pictures
                     .emplace(f.graphic,
                              ReadPicture(PackDir() / "data/graphics" / (std::string(f.graphic) + ".png")))
                     .first;
        const Picture& picture = it->second;
        ASSERT_GT(picture.width, 0) << f.graphic;
        const std::string where = std::string(f.graphic) + " (" + std::to_string(f.x) + ", " +
                                  std::to_string(f.y) + ", " + std::to_string(f.w) + ", " +
                                  std::to_string(f.h) + ")";
        ASSERT_TRUE(f.x >= 0 && f.y >= 0 && f.x + f.w <= picture.width && f.y + f.h <= picture.height)
            << where;
        bool drawn = false;
        for (int y = f.y; y < f.y + f.h && !drawn; ++y) {
            for (int x = f.x; x < f.x + f.w && !drawn; ++x) drawn = !picture.Key(x, y);
        }
        EXPECT_TRUE(drawn) << where << " is empty";
    }
}

TEST(DataPack, BitmapFontHoldsEveryGlyphFromBangToBackquote) {
    const Picture font = ReadPicture(PackDir() / "data/graphics/font.png");
    ASSERT_EQ(font.width, 80);
    ASSERT_EQ(font.height, 80);
    for (int c = 33; c <= 96; ++c) {
        const int x0 = (c - 33) % 8 * 10, y0 = (c - 33) / 8 * 10;
        int drawn = 0;
        for (int y = y0; y < y0 + 10; ++y) {
            for (int x = x0; x < x0 + 10; ++x) drawn += !font.Key(x, y);
        }
        EXPECT_GT(drawn, 0) << char(c);
    }
}

TEST(DataPack, TilesetCellsOfTheMapsAreDrawnAndThePlatformStopIsInvisible) {
    const Picture tiles = ReadPicture(PackDir() / "data/map/tiles1.png");
    ASSERT_EQ(tiles.width, 320);
    auto drawn = [&](int t) {
        for (int y = t / 16 * 20; y < t / 16 * 20 + 20; ++y) {
            for (int x = t % 16 * 20; x < t % 16 * 20 + 20; ++x) {
                if (!tiles.Key(x, y)) return true;
            }
        }
        return false;
    };
    for (int t : {1,  2,  3,  4,  5,  6,  7,  9,  12, 13, 14,  15,  16,  28,  44,
                  60, 65, 76, 77, 78, 79, 92, 93, 94, 95, 116, 117, 118, 119, 124})
        EXPECT_TRUE(drawn(t)) << "tile " << t;
    // The block switch (off, on), its rails and their end cells.
    for (int t : {108, 109, 110, 111, 125, 126, 127, 141, 142, 143}) EXPECT_TRUE(drawn(t)) << "tile " << t;
    EXPECT_FALSE(drawn(10));
}

// The later areas' tilesets keep the ids the game writes and reads, and add running belts and lava.
TEST(DataPack, LaterTilesetsDrawEveryCellTheGameAndTheirMapsUse) {
    struct Set {
        const char* name;
        std::vector<int> tiles;
    };
    const std::vector<int> common = {1,   2,   3,   4,   5,   6,   7,   9,   12,  13,  14,  15,
                                     16,  28,  44,  60,  65,  76,  77,  78,  79,  92,  93,  94,
                                     95,  108, 109, 110, 111, 116, 117, 118, 119, 124, 125, 126,
                                     127, 141, 142, 143, 20,  21,  22,  23,  36,  37,  38,  39};
    std::vector<int> volcano = common;
    volcano.push_back(25);
    const Set sets[] = {{"tiles2", common}, {"tiles3", volcano}, {"glow", {1, 2, 3, 4, 5}}};
    for (const Set& set : sets) {
        const Picture tiles = ReadPicture(PackDir() / "data/map" / (std::string(set.name) + ".png"));
        ASSERT_EQ(tiles.width, 320) << set.name;
        ASSERT_EQ(tiles.height, 320) << set.name;
        for (int t : set.tiles) {
            bool drawn = false;
            for (int y = t / 16 * 20; y < t / 16 * 20 + 20 && !drawn; ++y) {
                for (int x = t % 16 * 20; x < t % 16 * 20 + 20 && !drawn; ++x) drawn = !tiles.Key(x, y);
            }
            EXPECT_TRUE(drawn) << set.name << " tile " << t;
        }
        if (std::string(set.name) != "glow") {
            bool stopDrawn = false;
            for (int y = 0; y < 20; ++y) {
                for (int x = 200; x < 220; ++x) stopDrawn |= !tiles.Key(x, y);
            }
            EXPECT_FALSE(stopDrawn) << set.name << ": the platform stop must stay invisible";
        }
    }
    // Belt frames differ, so the belts are seen to run.
    const Picture tiles = ReadPicture(PackDir() / "data/map/tiles2.png");
    for (int first : {20, 36}) {
        for (int frame = 1; frame < 4; ++frame) {
            bool differs = false;
            for (int y = 0; y < 20 && !differs; ++y) {
                for (int x = 0; x < 20 && !differs; ++x) {
                    const int a = first, b = first + frame;
                    const size_t pa = (size_t(a / 16 * 20 + y) * tiles.width + a % 16 * 20 + x) * 3;
                    const size_t pb = (size_t(b / 16 * 20 + y) * tiles.width + b % 16 * 20 + x) * 3;
                    differs = !std::equal(&tiles.rgb[pa], &tiles.rgb[pa + 3], &tiles.rgb[pb]);
                }
            }
            EXPECT_TRUE(differs) << "belt " << first << " frame " << frame;
        }
    }
}

TEST(DataPack, KeyNamesAre256CrLfLinesTheBitmapFontCanDraw) {
    const std::vector<uint8_t> bytes = ReadFile(PackDir() / "data/key.txt");
    std::vector<std::string> lines;
    std::string line;
    for (size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\r') {
            ASSERT_LT(i + 1, bytes.size());
            ASSERT_EQ(bytes[i + 1], '\n');
            lines.push_back(line);
            line.clear();
            ++i;
        } else {
            ASSERT_NE(bytes[i], '\n') << "bare LF in line " << lines.size();
            line += char(bytes[i]);
        }
    }
    ASSERT_TRUE(line.empty());
    ASSERT_EQ(lines.size(), 256u);
    for (const std::string& name : lines) {
        EXPECT_LE(name.size(), 11u) << name;
        for (char c : name) EXPECT_TRUE(c == ' ' || (c >= 33 && c <= 96)) << name;
    }
    EXPECT_EQ(lines[0x01], "ESC");
    EXPECT_EQ(lines[0x1C], "ENTER");
    EXPECT_EQ(lines[0x2C], "Z");
    EXPECT_EQ(lines[0xC8], "UP");
    EXPECT_EQ(lines[0xCB], "LEFT");
    EXPECT_EQ(lines[0x00], "");
}

TEST(DataPack, TunesLoadInTheMusicPlayer) {
    for (const char* name :
         {"start", "clear", "boss1", "boss2", "demo2", "miss", "gameover", "opening", "area1", "area2", "area3"}) {
        TuneScore score;
        std::string error;
        EXPECT_TRUE(
            LoadTuneScore((PackDir() / "bgm" / (std::string(name) + ".pttune")).string(), &score, &error))
            << name << ": " << error;
    }
}

TEST(DataPack, SoundEffectsAreOggVorbis) {
    const char* names[] = {"cursol",  "jump",  "break",   "boost",   "fail",   "land",    "knife",
                           "recover", "1up",   "element", "bombget", "bomb",   "damage",  "check",
                           "explode", "slide", "impact",  "invalid", "shot",   "shutter", "switch",
                           "fire",    "cock",  "fire2",   "charge",  "laser",  "open",    "clash",
                           "quake",   "funka", "ufo",     "talk",    "funka2", "return"};
    for (const char* name : names) {
        const std::vector<uint8_t> bytes = ReadFile(PackDir() / "data/se" / (std::string(name) + ".ogg"));
        ASSERT_GT(bytes.size(), 64u) << name;
        EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 4), "OggS") << name;
        EXPECT_EQ(std::string(bytes.begin() + 29, bytes.begin() + 35), "vorbis") << name;
    }
}

// UTF-8 text to code points.
std::vector<char32_t> CodePoints(const std::string& text) {
    std::vector<char32_t> out;
    for (size_t i = 0; i < text.size();) {
        const uint8_t b = uint8_t(text[i]);
        const int extra = b < 0x80 ? 0 : b < 0xE0 ? 1 : b < 0xF0 ? 2 : 3;
        char32_t c = extra == 0 ? b : b & (0x3F >> extra);
        for (int k = 1; k <= extra && i + k < text.size(); ++k) c = (c << 6) | (uint8_t(text[i + k]) & 0x3F);
        out.push_back(c);
        i += extra + 1;
    }
    return out;
}

// The drawn texts: content/texts.txt and the Japanese string literals of the game's sources.
std::set<char32_t> DrawnCharacters() {
    std::set<char32_t> chars;
    std::ifstream texts(KORVALUND_SOURCE_DIR "/content/texts.txt");
    std::string line;
    while (std::getline(texts, line)) {
        if (line.empty() || line[0] == '#') continue;
        for (char32_t c : CodePoints(line)) chars.insert(c);
    }
    const std::regex literal("\"((?:[^\"\\\\\\n]|\\\\.)*)\"");
    for (const auto& entry : fs::recursive_directory_iterator(KORVALUND_SOURCE_DIR "/game")) {
        if (entry.path().extension() != ".cpp" && entry.path().extension() != ".h") continue;
        std::ifstream in(entry.path());
        const std::string source((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        for (auto it = std::sregex_iterator(source.begin(), source.end(), literal);
             it != std::sregex_iterator(); ++it) {
            for (char32_t c : CodePoints((*it)[1].str())) {
                if (c >= 0x3000) chars.insert(c);  // kana, kanji and full-width forms
            }
        }
    }
    return chars;
}

class TextFont : public ::testing::Test {
  protected:
    void SetUp() override {
        bytes_ = ReadFile(PackDir() / "data/k8x12S.ttf");
        ASSERT_EQ(FT_Init_FreeType(&library_), 0);
        ASSERT_EQ(FT_New_Memory_Face(library_, bytes_.data(), FT_Long(bytes_.size()), 0, &face_), 0);
    }
    void TearDown() override {
        if (face_) FT_Done_Face(face_);
        if (library_) FT_Done_FreeType(library_);
    }
    std::vector<uint8_t> bytes_;
    FT_Library library_ = nullptr;
    FT_Face face_ = nullptr;
};

TEST_F(TextFont, FamilyIsK8x12S) {
    EXPECT_STREQ(face_->family_name, "k8x12S");
    EXPECT_TRUE(FT_IS_SCALABLE(face_));
}

TEST_F(TextFont, CoversAsciiAndEveryCharacterOfTheDrawnTexts) {
    std::set<char32_t> chars = DrawnCharacters();
    EXPECT_GT(chars.size(), 200u);  // the dialogue alone holds a few hundred distinct characters
    for (char32_t c = 0x21; c < 0x7F; ++c) chars.insert(c);
    for (char32_t c : chars) EXPECT_NE(FT_Get_Char_Index(face_, c), 0u) << "U+" << std::hex << uint32_t(c);
}

// The rows of a rendered glyph as '#' and '.', or "grey" when a pixel is neither set nor clear.
std::string RenderGlyph(FT_Face face, char32_t c, FT_Int32 target) {
    if (FT_Load_Char(face, c, FT_LOAD_DEFAULT | target) != 0) return "no glyph";
    if (FT_Render_Glyph(face->glyph, FT_LOAD_TARGET_MODE(target) == FT_RENDER_MODE_MONO
                                         ? FT_RENDER_MODE_MONO
                                         : FT_RENDER_MODE_NORMAL) != 0)
        return "no bitmap";
    const FT_Bitmap& bitmap = face->glyph->bitmap;
    std::string rows =
        std::to_string(face->glyph->bitmap_left) + "," + std::to_string(face->glyph->bitmap_top) + "\n";
    for (unsigned y = 0; y < bitmap.rows; ++y) {
        for (unsigned x = 0; x < bitmap.width; ++x) {
            const uint8_t* row = bitmap.buffer + y * bitmap.pitch;
            if (bitmap.pixel_mode == FT_PIXEL_MODE_MONO) {
                rows += (row[x / 8] >> (7 - x % 8)) & 1 ? '#' : '.';
            } else if (row[x] == 0 || row[x] == 255) {
                rows += row[x] ? '#' : '.';
            } else {
                return "grey";
            }
        }
        rows += '\n';
    }
    return rows;
}

// Loaded as the GDI stand-in loads glyphs (hinting on, normal or mono target), every glyph is whole
// pixels on the 12-pixel cell, the same in both targets.
TEST_F(TextFont, GlyphsAreSharpPixelsOnATwelvePixelCell) {
    ASSERT_EQ(FT_Set_Pixel_Sizes(face_, 0, 12), 0);
    EXPECT_EQ(face_->size->metrics.ascender >> 6, 10);
    EXPECT_EQ(-(face_->size->metrics.descender >> 6), 2);
    for (char32_t c : {U'A', U'g', U'精', U'。', U'ド', U'！'}) {
        const std::string normal = RenderGlyph(face_, c, FT_LOAD_TARGET_NORMAL);
        EXPECT_NE(normal, "grey") << "U+" << std::hex << uint32_t(c);
        EXPECT_EQ(RenderGlyph(face_, c, FT_LOAD_TARGET_MONO), normal) << "U+" << std::hex << uint32_t(c);
        ASSERT_EQ(FT_Load_Char(face_, c, FT_LOAD_DEFAULT), 0);
        EXPECT_LE(int(face_->glyph->metrics.height >> 6), 12);
        EXPECT_EQ(face_->glyph->advance.x >> 6, c < 0x80 ? 6 : 12);
    }
}

}  // namespace
