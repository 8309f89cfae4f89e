// A second start of the graphics in one process gives the new device the same states as the first:
// nothing of the blend left set at the end reaches it.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/d3d9/d3d9_control.h"
#include "tests/graphics/entries/started_graphics.h"

namespace entries_test {
namespace {

class GraphicsRestart : public StartedGraphics {
  protected:
    // One start: a grey square drawn subtractively on a blue-grey target; the device's calls and the
    // picture. The blend is left as `leftBlend` at the end.
    std::vector<std::string> SubtractRun(int leftBlend, Picture* picture) {
        D3D9SetTraceEnabled(true);
        D3D9TakeTrace();
        Start(true, 32);
        const int grey = MakeDrawTarget(16, 16, 0);
        EXPECT_EQ(FillGraphicRect(grey, 40, 40, 40, 255, 0), 0);
        const int target = MakeSelectedTarget(64, 64, 100, 150, 200);
        SetBlend(3, 255);
        EXPECT_EQ(DrawImageAt(10, 10, grey, 0), 0);
        *picture = Read(target, 64, 64);
        std::vector<std::string> trace = D3D9TakeTrace();
        SetBlend(leftBlend, 255);
        Stop();
        return trace;
    }
};

TEST_F(GraphicsRestart, BlendLeftAtTheEndDoesNotReachTheNextDevice) {
    Picture first, afterNone, afterSubtract;
    SubtractRun(kBlendNone, &first);
    const std::vector<std::string> clean = SubtractRun(3, &afterNone);
    const std::vector<std::string> stale = SubtractRun(kBlendNone, &afterSubtract);
    EXPECT_EQ(stale, clean);
    for (const Picture* p : {&first, &afterNone, &afterSubtract}) {
        EXPECT_EQ(p->At(12, 12, 0), 60);
        EXPECT_EQ(p->At(12, 12, 1), 110);
        EXPECT_EQ(p->At(12, 12, 2), 160);
    }
}

}  // namespace
}  // namespace entries_test
