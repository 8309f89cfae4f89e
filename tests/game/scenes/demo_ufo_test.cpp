// The opening's craft: its approach and swing, the descent, the landing with hatch and walkers, the
// hand-over of the script step, the hum's volume rule and its drawing.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "game/enemies/twigger_task.h"
#include "game/scenes/demo_ufo_task.h"
#include "tests/game/scenes/story_fixture.h"

namespace {

double Unbits(int64_t bits) {
    double value;
    std::memcpy(&value, &bits, sizeof(value));
    return value;
}

class DemoUfoTest : public StoryTest {
  protected:
    void SetUp() override {
        StoryTest::SetUp();
        MakeMap(5, -1);
        ufo_ = CreateTask<DemoUfoTask>(&map_, &step_);
        ASSERT_NE(ufo_, nullptr);
    }
    // The hum lets go: its sound has ended.
    static void HumEnds() {
        auto& playing = recording::Lib().playingSounds;
        std::erase(playing, 1000 + kSeUfo);
    }

    int32_t step_ = 0;
    DemoUfoTask* ufo_ = nullptr;
};

TEST_F(DemoUfoTest, ItStartsSmallAndFarRightOfTheMiddle) {
    EXPECT_EQ(ufo_->x, 200.0);
    EXPECT_EQ(ufo_->y, 60.0);
    EXPECT_EQ(ufo_->SpeedX(), 4.0);
    EXPECT_EQ(ufo_->scale, 0.0);
    EXPECT_EQ(ufo_->graphic, kUfoGraphic);
    EXPECT_EQ(ufo_->drawLayer, 12);
    EXPECT_EQ(ufo_->group, kGroupNoCollision);
}

// It rises 0.2 a frame, swings about x 200 and grows to 0.8; once out at the top it comes down at full
// size over the middle and stops at y 50.
TEST_F(DemoUfoTest, ItSwingsAndRisesOutThenDescendsAtFullSize) {
    double left = 200.0, right = 200.0;
    int frames = 0;
    while (ufo_->state == DemoUfoTask::kApproaching && frames < 2000) {
        const double before = ufo_->y;
        Step(*ufo_);
        ++frames;
        if (ufo_->state == DemoUfoTask::kApproaching) {
            EXPECT_NEAR(ufo_->y, before - 0.2, 1e-9);
            EXPECT_LE(ufo_->scale, 0.8 + 1e-9);
        }
        left = std::min(left, ufo_->x);
        right = std::max(right, ufo_->x);
    }
    ASSERT_EQ(ufo_->state, DemoUfoTask::kDescending);
    EXPECT_LT(left, 150.0);
    EXPECT_GT(right, 250.0);
    EXPECT_NEAR(right - 200.0, 200.0 - left, 20.0);
    EXPECT_EQ(ufo_->x, 200.0);
    EXPECT_EQ(ufo_->scale, 1.0);
    EXPECT_EQ(ufo_->SpeedY(), 1.0);
    for (int f = 0; f < 200; ++f) Step(*ufo_);
    EXPECT_GE(ufo_->y, 50.0);
    EXPECT_LT(ufo_->y, 51.0);
    EXPECT_EQ(ufo_->state, DemoUfoTask::kDescending);
}

// The hum restarts whenever it has ended, at the volume of the craft's size then; while it plays its
// volume is left alone.
TEST_F(DemoUfoTest, TheHumTakesTheCraftsSizeOnlyWhenItRestarts) {
    Steps(*ufo_, 2);  // scale 0.002 (volume 0: silent, so tried again), then 0.004 (volume 1)
    ASSERT_EQ(VolumesSet(kSeUfo), (std::vector<int>{0, 1}));
    ASSERT_EQ(EffectsPlayed(), (std::vector<int>{kSeUfo}));
    ClearCalls();
    Steps(*ufo_, 100);
    EXPECT_TRUE(VolumesSet(kSeUfo).empty());
    EXPECT_EQ(recording::Count("PlaySoundHandle"), 0);
    HumEnds();
    Step(*ufo_);
    const int expected = static_cast<int>(ufo_->scale * 255.0);
    EXPECT_EQ(VolumesSet(kSeUfo), (std::vector<int>{expected}));
    EXPECT_EQ(soundEffectVolume[kSeUfo], expected);
    EXPECT_EQ(EffectsPlayed(), (std::vector<int>{kSeUfo}));
}

TEST_F(DemoUfoTest, TheHumStopsBeingRestartedOnceLanded) {
    while (ufo_->state == DemoUfoTask::kApproaching) Step(*ufo_);
    while (ufo_->y < 50.0) Step(*ufo_);
    HumEnds();
    ClearCalls();
    Steps(*ufo_, 30);
    EXPECT_TRUE(EffectsPlayed().empty());
}

// At step 1 it opens its hatch (with the open sound), drops a walker every 60 frames from 20 to 380 below
// its hull, and at 400 hands the scene on with step 2.
TEST_F(DemoUfoTest, LandedItOpensTheHatchDropsWalkersAndHandsOn) {
    while (ufo_->state == DemoUfoTask::kApproaching) Step(*ufo_);
    while (ufo_->SpeedY() != 0.0) Step(*ufo_);
    step_ = 1;
    Step(*ufo_);
    ASSERT_EQ(ufo_->state, DemoUfoTask::kLanded);
    ClearCalls();
    std::vector<int> hatch, drops;
    size_t tasks = AllTasks().size();
    for (int counter = 1; counter <= 400; ++counter) {
        Step(*ufo_);
        hatch.push_back(ufo_->hatch);
        if (AllTasks().size() > tasks) {
            drops.push_back(counter);
            const std::vector<TwiggerTask*> walkers = Tasks<TwiggerTask>();
            ASSERT_EQ(walkers.size(), drops.size());
            EXPECT_EQ(walkers.back()->x, ufo_->x - 20);
            EXPECT_EQ(walkers.back()->y, ufo_->y - 15);
            EXPECT_EQ(walkers.back()->SpeedX(), 0.0);
            tasks = AllTasks().size();
        }
        if (counter < 400) {
            EXPECT_EQ(step_, 1);
        }
    }
    EXPECT_EQ((std::vector<int>(hatch.begin(), hatch.begin() + 16)),
              (std::vector<int>{0, 0, 40, 40, 40, 80, 80, 80, 120, 120, 120, 160, 160, 160, 200, 200}));
    EXPECT_EQ(hatch.back(), 200);
    EXPECT_EQ(drops, (std::vector<int>{20, 80, 140, 200, 260, 320, 380}));
    EXPECT_EQ(EffectsPlayed(), (std::vector<int>{kSeOpen}));
    EXPECT_EQ(step_, 2);
    EXPECT_EQ(ufo_->state, DemoUfoTask::kDone);
    Steps(*ufo_, 100);
    EXPECT_EQ(AllTasks().size(), tasks);
}

TEST_F(DemoUfoTest, InFlightItIsDrawnDimmedAndScaledLandedInThreePieces) {
    Steps(*ufo_, 50);
    ClearCalls();
    ufo_->Draw();
    const int bright = static_cast<int>(ufo_->scale * 255.0);
    ASSERT_EQ(recording::Named("SetBright").size(), 2u);
    EXPECT_EQ(recording::Named("SetBright")[0].args, (std::vector<int64_t>{bright, bright, bright}));
    EXPECT_EQ(recording::Named("SetBright")[1].args, (std::vector<int64_t>{255, 255, 255}));
    auto rotated = recording::Named("DrawImagePartRotated");
    ASSERT_EQ(rotated.size(), 1u);
    EXPECT_EQ(rotated[0].args[0], static_cast<int>(ufo_->x));
    EXPECT_EQ(rotated[0].args[2], 180);
    EXPECT_EQ(rotated[0].args[3], 80);
    EXPECT_EQ(Unbits(rotated[0].args[6]), ufo_->scale);
    while (ufo_->state == DemoUfoTask::kApproaching) Step(*ufo_);
    step_ = 1;
    Steps(*ufo_, 20);
    ClearCalls();
    ufo_->Draw();
    auto parts = recording::Named("DrawImagePart");
    ASSERT_EQ(parts.size(), 3u);
    const int x = static_cast<int>(ufo_->x), y = static_cast<int>(ufo_->y);
    EXPECT_EQ(parts[0].args, (std::vector<int64_t>{x - 30, y + 5, 120, 200, 60, 30, kUfoGraphic, 1, 0}));
    EXPECT_EQ(parts[1].args, (std::vector<int64_t>{x - 60, y - 15, 0, 0, 120, 50, kUfoGraphic, 1, 0}));
    EXPECT_EQ(parts[2].args, (std::vector<int64_t>{x - 60, y - 35, 0, 60, 120, 30, kUfoGraphic, 1, 0}));
}

}  // namespace
