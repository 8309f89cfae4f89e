// The game's picture in the real program: what each Present shows is the game's 400 x 300 draw target
// doubled pixel for pixel, and once the opening draws its scene the frame is not one colour.
#include <string>

#include "platform/d3d9/d3d9_control.h"
#include "tests/game/live/live_program.h"

namespace {

// "none" before the first Present; else whether the picture is 800 x 600 made of uniform 2 x 2 blocks,
// and whether it holds more than one colour.
std::string DescribePicture() {
    const D3D9PresentedPicture picture = D3D9GetPresentedPicture();
    if (picture.present_count == 0) return "none";
    if (picture.width != 800 || picture.height != 600)
        return "size " + std::to_string(picture.width) + "x" + std::to_string(picture.height);
    bool doubled = true, oneColour = true;
    const uint32_t first = picture.pixels[0];
    for (UINT y = 0; y < 600 && doubled; y += 2) {
        for (UINT x = 0; x < 800; x += 2) {
            const uint32_t p = picture.pixels[y * 800 + x];
            if (picture.pixels[y * 800 + x + 1] != p || picture.pixels[(y + 1) * 800 + x] != p ||
                picture.pixels[(y + 1) * 800 + x + 1] != p) {
                doubled = false;
                break;
            }
            if (p != first) oneColour = false;
        }
    }
    return std::string(doubled ? "doubled" : "not doubled") + (oneColour ? " one colour" : " picture");
}

class PictureRunTest : public LiveProgramTest {
  protected:
    void SetUp() override {
        LiveProgramTest::SetUp();
        LinkDataPack();
    }
};

TEST_F(PictureRunTest, EveryPresentShowsTheDoubledTargetAndTheOpeningIsNotOneColour) {
    ASSERT_EQ(Run("1000 close\n", "", DescribePicture), 0);
    for (const std::string& line : trace_) {
        const std::string text = line.substr(line.find(' ') + 1);
        EXPECT_TRUE(text == "none" || text.rfind("doubled", 0) == 0) << TraceText();
    }
    EXPECT_GE(FrameOf(trace_, "doubled picture"), 0) << TraceText();
    RecordProperty("firstPictureFrame", FrameOf(trace_, "doubled picture"));
}

}  // namespace
