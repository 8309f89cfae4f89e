// The opening: its director through every state to the title, the skips by START and ATTACK, the attack
// with its walkers, quake and explosions, and the walkers themselves.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <initializer_list>
#include <vector>

#include "game/devices/explode_task.h"
#include "game/frame/scene_code.h"
#include "game/scenes/demo_twigger_task.h"
#include "game/scenes/demo_ufo_task.h"
#include "game/scenes/object_task.h"
#include "game/scenes/op_demo_task.h"
#include "game/scenes/talk_demo_lines.h"
#include "game/scenes/talk_demo_task.h"
#include "tests/game/scenes/story_fixture.h"

namespace {

constexpr int kFrameLimit = 20000;

// Appends value when it differs from the last one recorded.
void Track(std::vector<int>& seen, int value) {
    if (seen.empty() || seen.back() != value) seen.push_back(value);
}

class OpeningDemoTest : public StoryTest {
  protected:
    void SetUp() override {
        StoryTest::SetUp();
        MakeMap(5, 40);
        std::strcpy(currentTune, "");
    }

    OpDemoTask* Director() { return Only<OpDemoTask>(); }

    // Frames without input until the director reaches the state; false when it never does.
    bool RunToState(int state) {
        for (int frame = 0; frame < kFrameLimit; ++frame) {
            if (OpDemoTask* op = Director(); op != nullptr && op->state == state) return true;
            Frame();
            if (sceneCode != kSceneStay) return false;
        }
        return false;
    }

    bool TuneStoppedAndReleased() const {
        return recording::Count("pxtone_Tune_Stop") >= 1 && recording::Count("pxtone_Tune_Release") >= 1 &&
               currentTune[0] == '\0';
    }
};

TEST_F(OpeningDemoTest, RecordFortyMakesTheDirectorOnTheFirstFrameAndClearsTheDroppedActorsFlag) {
    clearDroppedActors = 1;
    Frame();
    OpDemoTask* op = Director();
    ASSERT_NE(op, nullptr);
    EXPECT_EQ(op->group, kGroupNoCollision);
    EXPECT_EQ(op->graphic, kDemoGraphic);
    EXPECT_EQ(clearDroppedActors, 0);
    EXPECT_TRUE(Appended(op, 6));
    // The map's tune, looping, and the logo behind the narration.
    ASSERT_EQ(recording::Named("pxtone_Tune_Load").size(), 1u);
    EXPECT_EQ(recording::Named("pxtone_Tune_Load")[0].text, "./bgm/opening.pttune");
    ASSERT_FALSE(recording::Named("pxtone_Tune_SetLoop").empty());
    EXPECT_EQ(recording::Named("pxtone_Tune_SetLoop")[0].args[0], 1);
    ObjectTask* logo = Only<ObjectTask>();
    ASSERT_NE(logo, nullptr);
    EXPECT_EQ(logo->drawLayer, 26);
    EXPECT_EQ(logo->srcX, 160);
    EXPECT_EQ(logo->srcY, 20);
    EXPECT_EQ(logo->w, 160);
    EXPECT_EQ(logo->h, 80);
}

// Frames the dialogue's lines stay without input, counted from the frame each begins: a character every
// 5 frames from the next frame on, and a line ends once its counter passes its typing time and its wait.
int LinesFrames(std::initializer_list<int> indices) {
    int frames = 0;
    for (int index : indices) {
        const TalkLine* line = FindTalkLine(index);
        frames += 5 * ShiftJisCharacters(line->text) + line->extraWait + 1;
    }
    return frames;
}

// The frames at which the director enters states 1 to 7 without input, and the frame that goes to the
// title, from the scenes' timings. Frame 1 is the director's first update; a state entered on frame E
// runs its counter c on frame E + 1 + c. The director updates before the craft, the craft before the
// dialogue: a step set by a later task is seen by an earlier one on the next frame.
struct OpeningTimeline {
    std::vector<int> entered;
    int title;
};

OpeningTimeline ExpectedTimeline() {
    constexpr int kFade = 255 / 5;                 // updates a fade by 5 takes
    constexpr int kCurtainScene = 1 + 90 + kFade;  // fades up, waits to its counter 90, fades down
    constexpr int kSlideIn = 80 / 2;               // the portraits slide in by 2 a frame
    constexpr int kIntermission = 101;             // the dialogue waits with the portraits out
    const int arrival = 1 + 800 + kFade;           // the backdrop fades from counter 801
    const int talkMade = arrival + 1 + 700;        // and updated on that frame
    const int firstLine = talkMade + kSlideIn - 1;
    const int arrivalWait = firstLine + LinesFrames({1, 2, 3});  // index 4 sets step 1 at its counter 61
    const int landed = arrivalWait + 61 + 1 + 400;  // the craft sees step 1 and sets step 2 400 frames on
    const int toTheAttack = landed + 1;
    const int attack = toTheAttack + kCurtainScene;
    const int attackLine = attack + 1 + 460;  // step 3: the dialogue takes it on the same frame
    const int talkOut = attackLine + LinesFrames({5, 6, 7}) + kIntermission;  // step 4
    const int toThePrayer = talkOut + 1;
    const int prayer = toThePrayer + kCurtainScene;
    const int prayerLine = prayer + 1 + 30 + kSlideIn - 1;  // step 5 at counter 30
    const int prayerOver = prayerLine + LinesFrames({9, 10, 11, 12, 13}) + kIntermission;  // step 6
    const int toTheDeparture = prayerOver + 1;
    const int departure = toTheDeparture + kCurtainScene;  // and step 7
    const int departureLine = departure + kSlideIn - 1;
    const int end = departureLine + LinesFrames({15, 16, 17, 18, 19}) + 1;  // index 20 sets step 8
    // The director's counter stays 0 until it sees step 8; it fades up and leaves on its counter 91.
    return {{arrival, toTheAttack, attack, toThePrayer, prayer, toTheDeparture, departure}, end + 1 + 91};
}

// The whole opening without a key: every state in order and on its frame, every script step in order,
// each opening line of the dialogue in order, and the title at the end with the tune stopped.
TEST_F(OpeningDemoTest, WithoutInputEveryStepAdvancesToTheTitle) {
    std::vector<int> states, steps, lines, entered;
    int frames = 0;
    int ufosMade = 0, walkersMade = 0;
    DemoUfoTask* lastUfo = nullptr;
    while (sceneCode == kSceneStay && frames < kFrameLimit) {
        Frame();
        ++frames;
        OpDemoTask* op = Director();
        ASSERT_NE(op, nullptr);
        if (!states.empty() && states.back() != op->state) entered.push_back(frames);
        Track(states, op->state);
        Track(steps, op->scriptStep);
        if (op->talk != nullptr && FindTalkLine(op->talk->LineIndex()) != nullptr)
            Track(lines, op->talk->LineIndex());
        if (op->ufo != nullptr && op->ufo != lastUfo) {
            ++ufosMade;
            lastUfo = op->ufo;
        }
        for (DemoTwiggerTask* walker : Tasks<DemoTwiggerTask>()) walkersMade += walker->counter == 1;
    }
    EXPECT_EQ(sceneCode, kSceneTitle);
    EXPECT_EQ(states, (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7}));
    EXPECT_EQ(steps, (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7, 8}));
    EXPECT_EQ(lines, (std::vector<int>{1, 2, 3, 5, 6, 7, 9, 10, 11, 12, 13, 15, 16, 17, 18, 19}));
    EXPECT_EQ(ufosMade, 1);
    EXPECT_EQ(walkersMade, 7);
    EXPECT_TRUE(TuneStoppedAndReleased());
    EXPECT_EQ(clearDroppedActors, 0);
    const OpeningTimeline expected = ExpectedTimeline();
    EXPECT_EQ(entered, expected.entered);
    EXPECT_EQ(frames, expected.title);
}

// START ends the opening in whichever state it is, on the frame it is pressed.
class OpeningSkipTest : public OpeningDemoTest, public ::testing::WithParamInterface<int> {};

TEST_P(OpeningSkipTest, StartGoesToTheTitleWithTheTuneStoppedAndReleased) {
    ASSERT_TRUE(RunToState(GetParam()));
    Frame();
    Frame();
    ASSERT_EQ(sceneCode, kSceneStay);
    ClearCalls();
    Frame(kStart);
    EXPECT_EQ(sceneCode, kSceneTitle);
    EXPECT_EQ(recording::Count("pxtone_Tune_Stop"), 1);
    EXPECT_EQ(recording::Count("pxtone_Tune_Release"), 1);
    EXPECT_EQ(currentTune[0], '\0');
}

INSTANTIATE_TEST_SUITE_P(EveryState, OpeningSkipTest, ::testing::Range(0, 8));

TEST_F(OpeningDemoTest, StartHeldFromBeforeDoesNotSkipAgainstANewPressOnly) {
    Frame(kStart);
    ASSERT_EQ(sceneCode, kSceneTitle);
    sceneCode = kSceneStay;
    Frame(kStart);
    Frame(kStart);
    EXPECT_EQ(sceneCode, kSceneStay);
}

// ATTACK cuts the narration short only once it is wholly up (curtain alpha 0, frame 50 on).
TEST_F(OpeningDemoTest, AttackShortensTheNarrationOnlyOnceItHasFullyAppeared) {
    struct Case {
        int pressFrame;
        int arrivalFrame;  // the frame whose update enters the arrival
    };
    // Without a press the backdrop falls from frame 801 and is gone at 851.
    const Case cases[] = {{10, 851}, {49, 851}, {50, 101}, {200, 251}, {799, 850}, {820, 851}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.pressFrame);
        DeleteAllTasks();
        map_.objects[0].spawned = 0;
        int frame = 0;
        for (; frame < c.pressFrame; ++frame) Frame();
        Frame(kAttack);
        ++frame;
        while (Director()->state == OpDemoTask::kNarration && frame < 2000) {
            Frame();
            ++frame;
        }
        EXPECT_EQ(frame - 1, c.arrivalFrame);
    }
}

TEST_F(OpeningDemoTest, TheNarrationComesUpAndFadesOutWithItsBackdrop) {
    Frame();
    OpDemoTask* op = Director();
    EXPECT_EQ(op->curtainAlpha, 250);
    for (int i = 0; i < 60; ++i) Frame();
    EXPECT_EQ(op->curtainAlpha, 0);
    EXPECT_EQ(op->backdropAlpha, 255);
    ClearCalls();
    op->Draw();
    const std::vector<std::string> texts = FontTexts();
    ASSERT_EQ(texts.size(), 4u);
    EXPECT_EQ(texts[0], "文明社会から遠く離れた地。");
    EXPECT_EQ(texts[3], "ある夜のこと……。");
    EXPECT_EQ(LastCoverAlpha(), 0);  // the curtain, last
    while (op->counter <= 801) Frame();
    EXPECT_EQ(op->backdropAlpha, 250);
    EXPECT_EQ(op->narrationAlpha, 250);
}

// The attack: walkers every 60 frames until 360, alternating two lines; from 400 the quake and two
// explosions every 4 frames, the explosion sound every 32; at 460 the dialogue's step 3.
TEST_F(OpeningDemoTest, TheAttackSendsWalkersThenShakesAndExplodes) {
    ASSERT_TRUE(RunToState(OpDemoTask::kAttack));
    OpDemoTask* op = Director();
    ASSERT_EQ(op->counter, 0);
    struct Made {
        int frame, layer;
        double stopX;
    };
    std::vector<Made> made;
    std::vector<int> shakes;
    int explosions = 0;
    ClearCalls();
    for (int f = 0; f <= 470; ++f) {
        const size_t before = Tasks<ExplodeTask>().size();
        inputPrev = inputNow;
        inputNow = 0;
        ClearDrawLayers();
        SweepDeadTasks();
        UpdateAllTasks();
        if (f >= 400 && f < 408) shakes.push_back(quakeY);
        if (f >= 400) {
            EXPECT_GE(quakeX, -1) << f;
            EXPECT_LE(quakeX, 3) << f;
        } else {
            EXPECT_EQ(quakeX, 0) << f;
        }
        quakeX = quakeY = 0;
        for (DemoTwiggerTask* walker : Tasks<DemoTwiggerTask>()) {
            if (walker->counter == 1) {
                made.push_back({f, walker->drawLayer, walker->stopX});
                EXPECT_EQ(walker->x, 399.0);  // entered at 400 and walked once
                EXPECT_EQ(walker->y, 160.0);
            }
        }
        const std::vector<ExplodeTask*> puffs = Tasks<ExplodeTask>();
        if (puffs.size() > before) {
            EXPECT_EQ(f % 4, 0) << f;
            EXPECT_GE(f, 400);
            explosions += static_cast<int>(puffs.size() - before);
        }
        if (f == 459) {
            EXPECT_EQ(op->scriptStep, 2);
        } else if (f == 460) {
            EXPECT_EQ(op->scriptStep, 3);
        }
    }
    ASSERT_EQ(made.size(), 7u);
    for (size_t i = 0; i < made.size(); ++i) {
        EXPECT_EQ(made[i].frame, static_cast<int>(60 * i));
        EXPECT_EQ(made[i].layer, i % 2 == 0 ? 10 : 13);
        EXPECT_EQ(made[i].stopX, i % 2 == 0 ? 80.0 : 260.0);
    }
    EXPECT_EQ(shakes, (std::vector<int>{-1, -1, -1, -1, 1, 1, 1, 1}));
    EXPECT_EQ(explosions, 2 * 18);  // frames 400, 404, ..., 468
    for (ExplodeTask* puff : Tasks<ExplodeTask>()) {
        EXPECT_EQ(puff->drawLayer == 7 || puff->drawLayer == 0, true);
        const bool left = puff->x < 200;
        EXPECT_GE(puff->x, left ? 20 : 200);
        EXPECT_LE(puff->x, left ? 140 : 320);
        EXPECT_GE(puff->y, 100);
        EXPECT_LE(puff->y, 180);
    }
    int explodeSounds = 0;
    for (int id : EffectsPlayed()) explodeSounds += id == kSeExplode;
    EXPECT_EQ(explodeSounds, 3);  // frames 400, 432, 464
}

TEST_F(OpeningDemoTest, BehindTheCurtainTheCraftAndLogoGoTheHutsComeAndDroppedActorsAreCleared) {
    ASSERT_TRUE(RunToState(OpDemoTask::kToTheAttack));
    OpDemoTask* op = Director();
    for (int f = 0; f <= 90; ++f) Frame();
    EXPECT_EQ(op->curtainAlpha, 255);
    EXPECT_NE(Only<DemoUfoTask>(), nullptr);
    Frame();
    EXPECT_EQ(op->ufo, nullptr);
    EXPECT_EQ(Tasks<DemoUfoTask>().size(), 0u);
    const std::vector<ObjectTask*> scenery = Tasks<ObjectTask>();
    ASSERT_EQ(scenery.size(), 2u);
    EXPECT_EQ(scenery[0]->srcX, 160);
    EXPECT_EQ(scenery[0]->srcY, 120);
    EXPECT_EQ(clearDroppedActors, 1);
    EXPECT_EQ(op->curtainAlpha, 250);
    while (op->state == OpDemoTask::kToTheAttack) Frame();
    EXPECT_EQ(op->curtainAlpha, 0);
    EXPECT_EQ(clearDroppedActors, 0);
}

// Frames 0, 40, 80, 40 of eight updates each while it walks left; gone once past its stop line.
TEST_F(OpeningDemoTest, ADemoWalkerAnimatesAndEndsPastItsStopLine) {
    DemoTwiggerTask* walker = CreateTask<DemoTwiggerTask>(100.0, 160.0, &map_, 13, 90.0);
    ASSERT_NE(walker, nullptr);
    EXPECT_EQ(walker->graphic, kTwiggerGraphic);
    EXPECT_EQ(walker->flip, 1);
    const int frames[] = {0, 40, 80, 40, 0};
    for (int f = 0; f < 40; ++f) {
        ClearDrawLayers();
        walker->Update();
        EXPECT_EQ(walker->srcX, frames[f / 8]) << f;
        EXPECT_EQ(walker->x, 99.0 - f);
        EXPECT_TRUE(Appended(walker, 13));
        EXPECT_EQ(walker->dead, walker->x < 90.0) << f;
    }
}

}  // namespace
