// The game's draws give the same picture through the device and through the software renderer: every
// row is drawn on a cleared 400 x 300 target once with Direct3D and once with hardware drawing off, at
// one colour depth, and the two read-backs agree within one step per channel of the target's format
// and touch the same pixels.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/graphics/entries/draw_agreement_rows.h"

namespace entries_test {
namespace {

class DrawAgreement : public RowDrawing, public ::testing::WithParamInterface<int> {
  protected:
    // Every row drawn in one run of the library, Direct3D or software, at the given depth.
    std::vector<Picture> DrawRows(bool direct3D, int bits) {
        Start(direct3D, bits);
        std::vector<Picture> pictures = DrawTables({&Rows()});
        Stop();
        return pictures;
    }
};

TEST_P(DrawAgreement, DeviceAndSoftwareGiveTheSamePicture) {
    const int bits = GetParam();
    const std::vector<Picture> device = DrawRows(true, bits);
    const std::vector<Picture> soft = DrawRows(false, bits);
    ASSERT_EQ(device.size(), Rows().size());
    ASSERT_EQ(soft.size(), Rows().size());
    // The last row is the cleared target alone: the background of every comparison.
    const Picture& cleared = device.back();
    EXPECT_TRUE(Agree(cleared, soft.back(), cleared, Rows().back())) << "the clear";
    for (size_t i = 0; i < Rows().size(); ++i) {
        const Row& row = Rows()[i];
        SCOPED_TRACE(row.name);
        EXPECT_TRUE(Agree(device[i], soft[i], cleared, row));
        int touched = 0;
        for (int y = 0; y < device[i].height; ++y)
            for (int x = 0; x < device[i].width; ++x) touched += Touched(device[i], cleared, x, y);
        if (i + 1 < Rows().size()) {
            EXPECT_GT(touched, 0) << "the row draws nothing";
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Depths, DrawAgreement, ::testing::Values(32, 16),
                         [](const ::testing::TestParamInfo<int>& info) {
                             return std::to_string(info.param) + "Bits";
                         });

}  // namespace
}  // namespace entries_test
