// The game's draws as a table of rows, each drawn on a cleared 400 x 300 target in one run of the
// library, and the comparison of two pictures of a row: within one step per channel of the target's
// format, touching the same pixels.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <initializer_list>
#include <sstream>
#include <string>
#include <vector>

#include "tests/graphics/entries/started_graphics.h"

namespace entries_test {

constexpr int kWidth = 400, kHeight = 300;
constexpr double kQuarter = 1.5707963267948966;

struct Sheets {
    int player, common, logo, map;
    int target;
};

// One row of the table: what it draws on the cleared target, whether the picture is read from the
// screen (the row draws on the back buffer) and whether only pixels one inside the outline must agree.
struct Row {
    const char* name;
    std::function<void(const Sheets&)> draw;
    bool readScreen = false;
    bool interiorOnly = false;
    // Whether the software renderer's 16-bit picture is compared too.
    bool software16 = true;
};

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

inline const std::vector<Row>& Rows() {
    static const std::vector<Row> rows = {
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
        SetTransparentColour(0, 255, 0);
        Sheets sheets{LoadGraphFile(PackFile("player.png").c_str(), 0),
                      LoadGraphFile(PackFile("common.png").c_str(), 0),
                      LoadGraphFile(PackFile("logo.png").c_str(), 0),
                      LoadGraphFile(PackFile("map.png").c_str(), 0), -1};
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
        for (int handle : {sheets.player, sheets.common, sheets.logo, sheets.map, sheets.target})
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
                                        bool interiorOnly) {
    if (device.width != soft.width || device.height != soft.height ||
        device.levels.size() != soft.levels.size())
        return ::testing::AssertionFailure() << "pictures of different sizes";
    int faults = 0;
    std::ostringstream out;
    for (int y = 0; y < device.height; ++y)
        for (int x = 0; x < device.width; ++x) {
            const bool a = Touched(device, cleared, x, y), b = Touched(soft, cleared, x, y);
            bool fault = a != b && (!interiorOnly || Inside(a ? device : soft, cleared, x, y));
            for (int c = 0; c < 3 && a && b; ++c)
                fault |= std::abs(device.At(x, y, c) - soft.At(x, y, c)) > 1;
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
