// The later areas in the real program on the generated data pack: from the area select (opened by a
// best total time in the records) areas 2, 3 and 4 load in turn, and in each the player takes control
// and runs into the area; F2 returns to the area select between them.
#include <cstdint>
#include <fstream>
#include <string>

#include "game/frame/game_state.h"
#include "game/player/player_task.h"
#include "tests/game/live/live_program.h"

namespace {

// Area play: the map's kind, and "moved" once the player is 200 pixels right of where it started.
std::string DescribeArea() {
    if (FindLiveTask<PlayerTask>() == nullptr) return "no player";
    std::string text = "area " + std::to_string(areaMap.kind);
    if (playerX > areaMap.playerStartX + 200) text += " moved";
    return text;
}

// START skips the opening; DOWN and START open the area select; RIGHT and START choose the next area;
// once the area's card has gone the player runs right, jumping every 40 frames; F2 goes back.
std::string LaterAreasScript() {
    std::string script = "5 down 57\n9 up 57\n90 down 208\n94 up 208\n100 down 57\n104 up 57\n";
    auto at = [&](int frame, const std::string& what) {
        script += std::to_string(frame) + " " + what + "\n";
    };
    const int starts[] = {130, 830, 1530};
    for (int i = 0; i < 3; ++i) {
        const int s = starts[i];
        at(s, "down 205");
        at(s + 4, "up 205");
        at(s + 10, "down 57");
        at(s + 14, "up 57");
        const int run = s + (i == 2 ? 560 : 330);
        at(run, "down 205");
        for (int f = run; f < run + 300; f += 40) {
            at(f + 1, "down 45");
            at(f + 15, "up 45");
        }
        at(run + 300, "up 205");
        if (i < 2) {
            at(s + 660, "down 60");
            at(s + 664, "up 60");
        }
    }
    at(2500, "close");
    return script;
}

class LaterAreasRunTest : public LiveProgramTest {
  protected:
    void SetUp() override {
        LiveProgramTest::SetUp();
        LinkDataPack();
        // A best total time below the unlock time opens the area select on the title.
        std::ofstream records(Path("record.dat"), std::ios::binary);
        const int32_t times[5] = {100000, 20000, 20000, 20000, 20000};
        records.write(reinterpret_cast<const char*>(times), sizeof times);
    }
};

TEST_F(LaterAreasRunTest, AreaSelectPlaysAreasTwoThreeAndFourInTurn) {
    ASSERT_EQ(Run(LaterAreasScript(), "", DescribeArea), 0);
    EXPECT_TRUE(
        HasInOrder(trace_, {"area 2", "area 2 moved", "area 3", "area 3 moved", "area 4", "area 4 moved"}))
        << TraceText();
}

}  // namespace
