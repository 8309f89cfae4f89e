// The game's draws give the same picture through the device's texture stages, through the library's
// pixel shaders (on a shader-model-2 and a shader-model-3 device) and through the software renderer:
// the rows of the draw table and the stage configurations the game reaches, at 32 and 16 bits, every
// pixel within one step per channel of the fixed-function picture.
#include <gtest/gtest.h>

#include "engine/graphics/device/builtin_shaders.h"
#include "platform/d3d9/d3d9_control.h"
#include "tests/graphics/entries/draw_agreement_rows.h"

namespace entries_test {
namespace {

enum class Way { kStages, kShaderModel2, kShaderModel3, kSoftware };

const char* Name(Way way) {
    switch (way) {
        case Way::kStages:
            return "texture stages";
        case Way::kShaderModel2:
            return "shader model 2";
        case Way::kShaderModel3:
            return "shader model 3";
        default:
            return "software";
    }
}

// The stage configurations the game reaches beyond the table's rows: alpha and no blending over
// colour-keyed sheets drawn with and without the transparent flag, tinted, and sheets drawn in turn
// under add (whose 16-bit software picture adds up to two steps less on these sheets: not compared).
const std::vector<Row>& GameStageRows() {
    static const std::vector<Row> rows = {
        {"sheet pieces under alpha, tinted, opaque and keyed",
         [](const Sheets& s) {
             SetBlend(kBlendAlpha, 90);
             SetBright(120, 255, 200);
             DrawImagePart(10, 10, 0, 0, 120, 80, s.player, 1, 0);
             DrawImagePart(150, 10, 0, 0, 120, 80, s.player, 0, 0);
         }},
        {"two sheets in turn under add, tinted: the later draws change the texture alone",
         [](const Sheets& s) {
             SetBright(255, 33, 0);
             SetBlend(kBlendAdd, 120);
             for (int i = 0; i < 3; ++i) {
                 DrawImagePart(20 + 90 * i, 100, 20, 220, 40, 80, s.player, 1, 0);
                 DrawImagePart(20 + 90 * i, 200, 0, 0, 60, 60, s.map, 1, 0);
             }
         },
         false, false, nullptr, 1, true, false},
        {"sheet pieces without blending, tinted, opaque and keyed",
         [](const Sheets& s) {
             SetBright(255, 128, 64);
             DrawImagePart(10, 200, 0, 0, 120, 80, s.logo, 1, 0);
             DrawImagePart(150, 200, 0, 0, 120, 80, s.logo, 0, 0);
         }},
    };
    return rows;
}

class ThreeWayAgreement : public RowDrawing, public ::testing::WithParamInterface<int> {
  protected:
    std::vector<Picture> DrawAll(Way way, int bits) {
        D3D9CapabilityProfile profile = D3D9DefaultCapabilityProfile();
        D3D9ApplyShaderProfile(&profile, way == Way::kShaderModel2   ? D3D9ShaderProfile::kSm2
                                         : way == Way::kShaderModel3 ? D3D9ShaderProfile::kSm3
                                                                     : D3D9ShaderProfile::kFixed);
        D3D9SetCapabilityProfile(profile);
        Start(way != Way::kSoftware, bits);
        const bool shaders = way == Way::kShaderModel2 || way == Way::kShaderModel3;
        EXPECT_EQ(GetProgrammableShaderFlag(), shaders ? 1 : 0) << Name(way);  // software: none either
        std::vector<Picture> pictures = DrawTables({&Rows(), &GameStageRows()});
        Stop();
        return pictures;
    }
};

TEST_P(ThreeWayAgreement, StagesShadersAndSoftwareGiveTheSamePicture) {
    const int bits = GetParam();
    std::vector<const Row*> rows;
    for (const std::vector<Row>* table : {&Rows(), &GameStageRows()})
        for (const Row& row : *table) rows.push_back(&row);
    const std::vector<Picture> stages = DrawAll(Way::kStages, bits);
    ASSERT_EQ(stages.size(), rows.size());
    // The table's last row is the cleared target alone: the background of every comparison.
    const Picture& cleared = stages[Rows().size() - 1];
    for (Way way : {Way::kShaderModel2, Way::kShaderModel3, Way::kSoftware}) {
        const std::vector<Picture> other = DrawAll(way, bits);
        ASSERT_EQ(other.size(), rows.size()) << Name(way);
        for (size_t i = 0; i < rows.size(); ++i) {
            if (way == Way::kSoftware && bits == 16 && !rows[i]->software16) continue;
            SCOPED_TRACE(std::string(Name(way)) + ": " + rows[i]->name);
            EXPECT_TRUE(Agree(stages[i], other[i], cleared, *rows[i]));
        }
    }
    for (size_t i = Rows().size(); i < rows.size(); ++i) {
        int touched = 0;
        for (int y = 0; y < stages[i].height; ++y)
            for (int x = 0; x < stages[i].width; ++x) touched += Touched(stages[i], cleared, x, y);
        EXPECT_GT(touched, 0) << rows[i]->name << " draws nothing";
    }
}

INSTANTIATE_TEST_SUITE_P(Depths, ThreeWayAgreement, ::testing::Values(32, 16),
                         [](const ::testing::TestParamInfo<int>& info) {
                             return std::to_string(info.param) + "Bits";
                         });

}  // namespace
}  // namespace entries_test
