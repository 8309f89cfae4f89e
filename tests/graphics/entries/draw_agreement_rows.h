// The game's draws as a table of rows, each drawn on a cleared 400 x 300 target in one run of the
// library, and the comparison of two pictures of a row: within one step per channel of the target's
// format, touching the same pixels.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <functional>
#include <initializer_list>
#include <sstream>
#include <string>
#include <vector>

#include "engine/graphics/handles/graphic_loading.h"
#include "engine/graphics/loss/device_restart.h"
#include "tests/graphics/entries/started_graphics.h"

namespace entries_test {

constexpr int kWidth = 400, kHeight = 300;
constexpr double kQuarter = 1.5707963267948966;

struct Sheets {
    int player, common, logo, map;
    int target;
    int sprite;  // many-coloured: see SpriteBmp
};

// A 64 x 48 bitmap (24 bits, bottom-up) whose every texel differs from each of its neighbours by at least
// two steps of a 16-bit target in some channel, so a neighbouring texel never passes for the right one:
// red steps with x, green with y, blue with both. No texel is the transparent green.
inline std::vector<uint8_t> SpriteBmp() {
    constexpr int w = 64, h = 48, stride = w * 3;
    std::vector<uint8_t> bmp(54 + stride * h);
    auto put32 = [&](size_t at, uint32_t v) {
        for (int i = 0; i < 4; ++i) bmp[at + i] = uint8_t(v >> (8 * i));
    };
    bmp[0] = 'B', bmp[1] = 'M';
    put32(2, uint32_t(bmp.size()));
    put32(10, 54);
    put32(14, 40);
    put32(18, w);
    put32(22, h);
    bmp[26] = 1, bmp[28] = 24;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            uint8_t* p = &bmp[54 + size_t(h - 1 - y) * stride + size_t(x) * 3];
            p[2] = uint8_t(x * 2 % 32 * 8 + 4);
            p[1] = uint8_t(y * 2 % 32 * 8 + 4);
            p[0] = uint8_t((x + y) * 3 % 32 * 8 + 4);
        }
    return bmp;
}

// The game's turned pieces: the boss craft's wreck and the turning pieces of the later areas.
constexpr double kTurnedAngles[] = {0.118, 0.452, 3.99, 4.05, 4.11, 4.17, 4.24};

// One row of the table: what it draws on the cleared target, whether the picture is read from the
// screen (the row draws on the back buffer), whether only pixels one inside the outline must agree, the
// pixels whose centre lies on an outline within the sub-pixel grid (null: none), the steps the two
// pictures may differ by, and whether both must touch the same pixels (an add that rounds to nothing on
// one side leaves its pixel untouched there).
struct Row {
    const char* name;
    std::function<void(const Sheets&)> draw;
    bool readScreen = false;
    bool interiorOnly = false;
    std::function<bool(int x, int y)> onOutline = nullptr;
    int steps = 1;
    bool sameTouched = true;
    // Whether the software renderer's 16-bit picture is compared too.
    bool software16 = true;
};

// A draw of the many-coloured sprite's (srcX, srcY, w, h) turned and scaled about (x, y).
struct SpriteDraw {
    int x, y, srcX, srcY, w, h;
    double scale, angle;
    int turn;
};

inline void DrawSprites(const Sheets& s, const std::vector<SpriteDraw>& draws) {
    for (const SpriteDraw& d : draws)
        DrawImagePartRotated(d.x, d.y, d.srcX, d.srcY, d.w, d.h, d.scale, d.angle, s.sprite, 1, d.turn);
}

// The device decides which pixels a turned sprite covers on its corners snapped to 1/256 pixel, the
// software renderer on the exact outline, and both resolve a texel position at 1/256 texel: a pixel whose
// centre lies within 1/256 pixel of a sprite's outline may be covered by one and not the other, or show
// the last texel on one and the one beyond the part on the other. Where the sprite lies: its middle on
// the pixel corner left of and above (x, y), or with an odd side unscaled on the centre of (x, y).
inline bool OnSpriteOutline(const std::vector<SpriteDraw>& draws, int px, int py) {
    for (const SpriteDraw& d : draws) {
        const bool corner = d.scale != 1.0 || (d.w % 2 == 0 && d.h % 2 == 0);
        const double dx = px - d.x + (corner ? 0.5 : 0.0), dy = py - d.y + (corner ? 0.5 : 0.0);
        const double a = float(d.angle), c = std::cos(a), sn = std::sin(a);
        const double along = dx * c + dy * sn, across = dy * c - dx * sn;  // pixels from the middle
        const double halfW = d.w * d.scale / 2, halfH = d.h * d.scale / 2, grid = 1.0 / 256;
        const bool nearW = std::abs(std::abs(along) - halfW) <= grid && std::abs(across) <= halfH + grid;
        const bool nearH = std::abs(std::abs(across) - halfH) <= grid && std::abs(along) <= halfW + grid;
        if (nearW || nearH) return true;
    }
    return false;
}

inline std::vector<SpriteDraw> TurnedSprites(bool offWholePixels) {
    std::vector<SpriteDraw> draws;
    for (int i = 0; i < 7; ++i) {
        const int x = 50 + 100 * (i % 4), y = 60 + 110 * (i / 4);
        if (offWholePixels)
            draws.push_back({x, y, 1, 3, 61, 43, 1.0, kTurnedAngles[i] + 0.0137 * i, 0});
        else
            draws.push_back({x, y, 0, 0, 64, 48, 1.0, kTurnedAngles[i], i % 2});
    }
    return draws;
}

inline Row TurnedSpriteRow(const char* name, bool offWholePixels) {
    const std::vector<SpriteDraw> draws = TurnedSprites(offWholePixels);
    return {name, [draws](const Sheets& s) { DrawSprites(s, draws); }, false, false,
            [draws](int x, int y) { return OnSpriteOutline(draws, x, y); }};
}

// Shrunk as the opening's craft flies off: the bright falls with the scale.
inline Row ShrunkSpriteRow() {
    std::vector<SpriteDraw> draws;
    const double scales[] = {0.14, 0.26, 0.37, 0.5};
    for (int i = 0; i < 4; ++i) {
        draws.push_back({40 + 90 * i, 60, 0, 0, 64, 48, scales[i], 0.0, 0});
        draws.push_back({43 + 90 * i, 150, 0, 0, 63, 47, scales[i], 0.0, 0});
        draws.push_back({41 + 90 * i, 240, 0, 0, 64, 48, scales[i], 0.3, 0});
    }
    return {"many-coloured sprite shrunk under its bright",
            [draws](const Sheets& s) {
                for (const SpriteDraw& d : draws) {
                    const int b = int(d.scale * 255.0);
                    SetBright(b, b, b);
                    DrawSprites(s, {d});
                }
            },
            false, false, [draws](int x, int y) { return OnSpriteOutline(draws, x, y); }};
}

// The boost's after-images: copies of the player's silhouette stacked under add with a rising parameter
// and a red bright. Each add is within one step on each side, so the stack is within one per copy.
constexpr int kStackedCopies = 8;
inline void DrawAdditiveStack(const Sheets& s) {
    SetBright(255, 33, 0);
    for (int i = 0; i < kStackedCopies; ++i) {
        SetBlend(kBlendAdd, 12 + 96 * i / (kStackedCopies - 1));
        DrawImagePart(150 + 3 * i, 120 + i % 3, 0, 0, 40, 40, s.player, 1, i % 2);
    }
}

inline void DrawPlayerPieces(const Sheets& s, int x, int y) {
    DrawImagePart(x, y, 0, 0, 40, 40, s.player, 1, 0);
    DrawImagePart(x + 60, y, 0, 0, 40, 40, s.player, 1, 1);
}

// Pieces of 40x30 and 43x40 at the four right angles, turned and not.
inline void DrawTurnedPieces(const Sheets& s) {
    const struct { int sx, sy, w, h; } pieces[] = {{0, 40, 40, 30}, {200, 100, 43, 40}};
    for (int p = 0; p < 2; ++p)
        for (int turn = 0; turn < 2; ++turn)
            for (int a = 0; a < 4; ++a)
                DrawImagePartRotated(30 + 50 * a + 200 * turn, 40 + 70 * p, pieces[p].sx, pieces[p].sy,
                                     pieces[p].w, pieces[p].h, 1.0, a * kQuarter, s.player, 1, turn);
}

// A loaded graphic drawn opaque, its green (the transparent colour) kept.
inline void DrawLogoOpaque(const Sheets& s) {
    DrawImageAt(30, 40, s.logo, 0);
}

// The first draw after a restart is the graphic the last draw before it used, drawn opaque.
inline void RestartThenDrawLogoOpaque(const Sheets& s) {
    SetBlend(kBlendAlpha, 200);
    DrawImageAt(100, 100, s.logo, 1);
    SetBlend(kBlendNone, 0);
    const int mode = Direct3DMode;
    ASSERT_EQ(RestartGraphicsKeepMode(), 0);
    ASSERT_EQ(Direct3DMode, mode) << "the restart keeps the way of drawing";
    ClearDrawTarget(nullptr);
    DrawLogoOpaque(s);
}

inline const std::vector<Row>& Rows() {
    static const std::vector<Row> rows = {
        // First: nothing is drawn between the start and this row.
        {"loaded graphic opaque as the first draw after the start", DrawLogoOpaque},
        {"part at a point, turn 0 and 1", [](const Sheets& s) { DrawPlayerPieces(s, 37, 41); }},
        {"part cut by the left and bottom edges",
         [](const Sheets& s) {
             DrawImagePart(-7, 285, 0, 0, 40, 40, s.player, 1, 0);
             DrawImagePart(-7, 20, 0, 0, 40, 40, s.player, 1, 1);
             DrawImagePart(180, 285, 40, 0, 40, 40, s.player, 1, 1);
         }},
        {"tile under alpha and bright",
         [](const Sheets& s) {
             SetBlend(kBlendAlpha, 160);
             SetBright(200, 160, 120);
             for (int i = 0; i < 6; ++i)
                 DrawImagePart(20 + 30 * i, 100 + 7 * i, 0, 0, 20, 20, s.common, 1, 0);
         }},
        {"burst turned a quarter under add and bright",
         [](const Sheets& s) {
             SetBright(255, 33, 0);
             SetBlend(kBlendAdd, 120);
             DrawImagePartRotated(200, 150, 20, 220, 40, 80, 1.0, kQuarter, s.player, 1, 1);
         }},
        {"pieces at right angles", DrawTurnedPieces},
        {"digit scaled",
         [](const Sheets& s) {
             DrawImagePartRotated(100, 150, 0, 120, 40, 60, 1.5, 0.0, s.logo, 1, 0);
             DrawImagePartRotated(300, 150, 0, 120, 40, 60, 0.5, 0.0, s.logo, 1, 0);
         }},
        {"loaded graphic opaque as the first draw after a restart", RestartThenDrawLogoOpaque},
        TurnedSpriteRow("many-coloured sprite turned", false),
        TurnedSpriteRow("many-coloured sprite turned off whole pixels", true),
        ShrunkSpriteRow(),
        {"single add under bright",
         [](const Sheets& s) {
             SetBright(255, 33, 0);
             SetBlend(kBlendAdd, 108);
             DrawImagePart(150, 120, 0, 0, 40, 40, s.player, 1, 0);
         },
         false, false, nullptr, 1, false},
        {"stack of adds under bright", DrawAdditiveStack, false, false, nullptr, kStackedCopies, false},
        {"one-colour sprite at 0.3",
         [](const Sheets&) {
             const int solid = MakeDrawTarget(120, 60, 0);
             FillGraphicRect(solid, 200, 100, 50, 255, 0);
             DrawImageRotated(200, 150, 1.0, 0.3, solid, 0, 0);
             FreeGraphic(solid, 0);
         },
         false, true},
        {"map on the target, target doubled on the back buffer",
         [](const Sheets& s) {
             DrawImageStretched(0, 60, kWidth, 160, s.map, 1);
             SelectDrawTarget(kDrawTargetBackBuffer);
             ClearDrawTarget(nullptr);
             DrawImageStretched(0, 0, 2 * kWidth, 2 * kHeight, s.target, 0);
         },
         true},
        {"boxes",
         [](const Sheets&) {
             SetBlend(kBlendAlpha, 224);
             DrawBoxShape(0, 0, kWidth, kHeight, PackColor(0, 0, 0), 1);
             SetBlend(kBlendAdd, 128);
             DrawBoxShape(40, 50, 160, 130, PackColor(255, 255, 255), 1);
             SetBlend(kBlendNone, 0);
             DrawBoxShape(200, 60, 330, 210, PackColor(255, 0, 0), 0);
         }},
        {"circles under add",
         [](const Sheets&) {
             SetBlend(kBlendAdd, 120);
             const uint32_t colour = PackColor(250, 200, 90);
             DrawCircleShape(30, 30, 0, colour, 1);
             DrawCircleShape(80, 60, 4, colour, 1);
             DrawCircleShape(150, 120, 13, colour, 1);
             DrawCircleShape(260, 200, 10, colour, 0);
         }},
        {"thin lines",
         [](const Sheets&) {
             const uint32_t colour = PackColor(90, 255, 160);
             DrawLineShape(10, 10, 130, 97, colour, 1);
             DrawLineShape(200, 10, 200, 230, colour, 1);
             DrawLineShape(220, 250, 390, 250, colour, 1);
         }},
        {"clear after a draw",
         [](const Sheets& s) {
             DrawPlayerPieces(s, 100, 100);
             ClearDrawTarget(nullptr);
         }},
    };
    return rows;
}

inline std::string PackFile(const char* name) {
    return std::string("C:") + KORVALUND_DATAPACK_DIR + "/data/graphics/" + name;
}

// Every row of the tables drawn in one run of the library that the caller started, each on the target
// cleared with the default blend and bright, and read back.
class RowDrawing : public StartedGraphics {
  protected:
    static std::vector<Picture> DrawTables(std::initializer_list<const std::vector<Row>*> tables) {
        std::vector<Picture> pictures;
        static const std::vector<uint8_t> sprite = SpriteBmp();
        SetTransparentColour(0, 255, 0);
        Sheets sheets{LoadGraphFile(PackFile("player.png").c_str(), 0),
                      LoadGraphFile(PackFile("common.png").c_str(), 0),
                      LoadGraphFile(PackFile("logo.png").c_str(), 0),
                      LoadGraphFile(PackFile("map.png").c_str(), 0),
                      -1,
                      LoadGraphFromMemory(sprite.data(), int(sprite.size()))};
        for (const std::vector<Row>* table : tables)
            for (const Row& row : *table) {
                if (sheets.target == -1) sheets.target = MakeSelectedTarget(kWidth, kHeight, 24, 56, 104);
                SelectDrawTarget(sheets.target);
                SetClipRect(0, 0, kWidth, kHeight);
                SetBlend(kBlendNone, 0);
                SetBright(255, 255, 255);
                ClearDrawTarget(nullptr);
                row.draw(sheets);
                const int scale = row.readScreen ? 2 : 1;
                pictures.push_back(
                    Read(row.readScreen ? -1 : sheets.target, kWidth * scale, kHeight * scale));
            }
        for (int handle :
             {sheets.player, sheets.common, sheets.logo, sheets.map, sheets.target, sheets.sprite})
            EXPECT_GE(handle, 0);
        return pictures;
    }
};

inline bool Touched(const Picture& p, const Picture& cleared, int x, int y) {
    for (int c = 0; c < 3; ++c)
        if (p.At(x, y, c) != cleared.At(x % cleared.width, y % cleared.height, c)) return true;
    return false;
}

// Touched, and so is every neighbour.
inline bool Inside(const Picture& p, const Picture& cleared, int x, int y) {
    for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx) {
            const int nx = x + dx, ny = y + dy;
            if (nx < 0 || ny < 0 || nx >= p.width || ny >= p.height || !Touched(p, cleared, nx, ny))
                return false;
        }
    return true;
}

// The places where the two pictures disagree, the first few described.
inline ::testing::AssertionResult Agree(const Picture& device, const Picture& soft, const Picture& cleared,
                                        const Row& row) {
    if (device.width != soft.width || device.height != soft.height ||
        device.levels.size() != soft.levels.size())
        return ::testing::AssertionFailure() << "pictures of different sizes";
    int faults = 0;
    std::ostringstream out;
    for (int y = 0; y < device.height; ++y)
        for (int x = 0; x < device.width; ++x) {
            const bool a = Touched(device, cleared, x, y), b = Touched(soft, cleared, x, y);
            if (row.onOutline && row.onOutline(x, y)) continue;
            bool fault =
                row.sameTouched && a != b && (!row.interiorOnly || Inside(a ? device : soft, cleared, x, y));
            for (int c = 0; c < 3 && ((a && b) || !row.sameTouched); ++c)
                fault |= std::abs(device.At(x, y, c) - soft.At(x, y, c)) > row.steps;
            if (!fault) continue;
            if (++faults <= 8)
                out << " (" << x << "," << y << ") device " << device.At(x, y, 0) << "/" << device.At(x, y, 1)
                    << "/" << device.At(x, y, 2) << (a ? "" : " untouched") << ", software "
                    << soft.At(x, y, 0) << "/" << soft.At(x, y, 1) << "/" << soft.At(x, y, 2)
                    << (b ? "" : " untouched") << ";";
        }
    if (faults == 0) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << faults << " pixels disagree:" << out.str();
}

}  // namespace entries_test
