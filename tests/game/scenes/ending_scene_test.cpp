// The ending: its director's fade-in, tune and dialogue, the short ending and the full one with the
// hero's return, picture, thanks and credit line; the hero's flight; and the final event's rising player
// figure.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <numbers>
#include <string>
#include <vector>

#include "engine/graphics/graphics.h"
#include "game/frame/scene_code.h"
#include "game/frame/task_factory.h"
#include "game/player/boost_effects.h"
#include "game/scenes/ed_demo_task.h"
#include "game/scenes/ed_yopaga_task.h"
#include "game/scenes/object_task.h"
#include "game/scenes/stage5_player_task.h"
#include "game/scenes/talk_demo_task.h"
#include "tests/game/scenes/story_fixture.h"

namespace {

double Unbits(int64_t bits) {
    double value;
    std::memcpy(&value, &bits, sizeof(value));
    return value;
}

class EndingSceneTest : public StoryTest {
  protected:
    void SetUp() override {
        StoryTest::SetUp();
        MakeMap(6, 41);
    }

    EdDemoTask* Director() { return Only<EdDemoTask>(); }

    // The director alone, the dialogue's step written by the test.
    EdDemoTask* DirectorInState(int state) {
        Frame();
        EdDemoTask* ed = Director();
        ed->state = state;
        ed->counter = 0;
        ed->fadeAlpha = 0;  // faded in, as the dialogue's state leaves it
        return ed;
    }

    // The end title drawn now.
    std::string Title(EdDemoTask& ed) {
        ClearCalls();
        ed.Draw();
        return RowText(130);
    }
};

TEST_F(EndingSceneTest, RecordFortyOneMakesTheDirectorWhichClearsTheDroppedActorsFlag) {
    clearDroppedActors = 1;
    Frame();
    EdDemoTask* ed = Director();
    ASSERT_NE(ed, nullptr);
    EXPECT_EQ(clearDroppedActors, 0);
    EXPECT_EQ(ed->graphic, kDemoGraphic);
    EXPECT_TRUE(Appended(ed, 6));
    EXPECT_EQ(ed->fadeAlpha, 255);
    EXPECT_EQ(ed->coverAlpha, 0);
}

// The eruption's sound and the scenery at 40, the ending's tune at 240, the fade-in by 2 a frame, and the
// dialogue from 220 of the second state, starting at the ending's first line.
TEST_F(EndingSceneTest, TheSceneFadesInWithItsTuneAndTheDialogueBegins) {
    Frame();
    EdDemoTask* ed = Director();
    while (ed->counter <= 40) Frame();
    EXPECT_EQ(EffectsPlayed(), (std::vector<int>{kSeFunka2}));
    const std::vector<ObjectTask*> scenery = Tasks<ObjectTask>();
    ASSERT_EQ(scenery.size(), 2u);
    EXPECT_EQ((std::vector<int>{scenery[0]->srcX, scenery[0]->srcY, scenery[0]->drawLayer}),
              (std::vector<int>{160, 20, 26}));
    EXPECT_EQ((std::vector<int>{scenery[1]->srcX, scenery[1]->srcY, scenery[1]->w, scenery[1]->h,
                                scenery[1]->drawLayer}),
              (std::vector<int>{290, 140, 40, 60, 23}));
    while (ed->state == EdDemoTask::kOpening) Frame();
    ASSERT_EQ(recording::Named("pxtone_Tune_Load").size(), 1u);
    EXPECT_EQ(recording::Named("pxtone_Tune_Load")[0].text, "./bgm/demo2.pttune");
    EXPECT_EQ(ed->fadeAlpha, 255);
    Frame();
    EXPECT_EQ(ed->fadeAlpha, 253);
    while (ed->counter < 220) Frame();
    EXPECT_EQ(ed->fadeAlpha, 0);
    EXPECT_EQ(Tasks<TalkDemoTask>().size(), 0u);
    Frame();
    TalkDemoTask* talk = Only<TalkDemoTask>();
    ASSERT_NE(talk, nullptr);
    for (int f = 0; f < 41; ++f) Frame();
    EXPECT_EQ(talk->LineIndex(), 22);
    EXPECT_EQ(Tasks<TalkDemoTask>().size(), 1u);
}

// The short ending: the title's 11 characters one every 20 frames from 120 of its state; a key held
// from before does nothing, a new press once all are shown fades to the title.
TEST_F(EndingSceneTest, TheShortEndingShowsElevenCharactersThenANewPressGoesToTheTitle) {
    EdDemoTask* ed = DirectorInState(EdDemoTask::kDialogue);
    ed->sceneStep = 1;
    ClearCalls();
    Step(*ed);
    EXPECT_EQ(ed->state, EdDemoTask::kShortEnding);
    EXPECT_EQ(recording::Count("pxtone_Tune_Fadeout"), 1);
    std::vector<int> revealed;
    for (int f = 0; f < 400; ++f) {
        const int before = ed->titleShown;
        Step(*ed, kAttack);
        if (ed->titleShown != before) revealed.push_back(ed->counter - 1);
    }
    ASSERT_EQ(revealed.size(), 11u);
    EXPECT_EQ(revealed.front(), 120);
    EXPECT_EQ(revealed.back(), 320);
    EXPECT_EQ(ed->coverAlpha, 255);
    EXPECT_EQ(Title(*ed), "THE END...?");
    EXPECT_EQ(RowStart(130), 145);
    EXPECT_EQ(ed->state, EdDemoTask::kShortEnding);  // ATTACK was held all along
    Step(*ed);
    Step(*ed, kStart);
    EXPECT_EQ(ed->state, EdDemoTask::kToTitle);
    int frames = 0;
    while (sceneCode == kSceneStay && frames < 100) {
        Step(*ed);
        ++frames;
    }
    EXPECT_EQ(sceneCode, kSceneTitle);
    EXPECT_EQ(frames, 52);  // 51 steps of 5 to 255, then the frame that finds it there
}

TEST_F(EndingSceneTest, APressBeforeTheTitleIsWholeDoesNothing) {
    EdDemoTask* ed = DirectorInState(EdDemoTask::kShortEnding);
    while (ed->titleShown < 10) Press(*ed, kAttack);
    EXPECT_EQ(ed->state, EdDemoTask::kShortEnding);
    while (ed->titleShown < 11) Step(*ed);
    Press(*ed, kAttack);
    EXPECT_EQ(ed->state, EdDemoTask::kToTitle);
}

// With the bonus flag the end title is "THE END" at x 165; in the short ending its 11 counts show it
// whole from the seventh on.
TEST_F(EndingSceneTest, TheBonusFlagShowsTheEndWithoutTheQuestion) {
    finalEventFlag = 1;
    EdDemoTask* ed = DirectorInState(EdDemoTask::kShortEnding);
    while (ed->titleShown < 3) Step(*ed);
    EXPECT_EQ(Title(*ed), "THE");
    EXPECT_EQ(RowStart(130), 165);
    while (ed->titleShown < 11) Step(*ed);
    EXPECT_EQ(Title(*ed), "THE END");
}

// The full ending: the hero at 8, step 11 -> 12 after 30 frames, at step 13 the fade to the picture, the
// thanks then the credit line one character every 10 frames, the music fading after 700, the picture
// fading out and "THE END" in 7 characters, then a new press to the title.
TEST_F(EndingSceneTest, TheFullEndingShowsTheHeroThePictureTheLinesAndTheEnd) {
    finalEventFlag = 1;
    EdDemoTask* ed = DirectorInState(EdDemoTask::kDialogue);
    ed->sceneStep = 10;
    Step(*ed);
    ASSERT_EQ(ed->state, EdDemoTask::kHeroReturns);
    Steps(*ed, 7);
    EXPECT_EQ(Tasks<EdYopagaTask>().size(), 0u);
    Step(*ed);
    ASSERT_NE(Only<EdYopagaTask>(), nullptr);
    EXPECT_EQ(ed->hero, Only<EdYopagaTask>());
    Steps(*ed, 20);
    EXPECT_EQ(Tasks<EdYopagaTask>().size(), 1u);
    ed->sceneStep = 11;
    Step(*ed);
    ASSERT_EQ(ed->state, EdDemoTask::kAfterReturn);
    Steps(*ed, 29);
    EXPECT_EQ(ed->sceneStep, 11);
    Step(*ed);
    EXPECT_EQ(ed->sceneStep, 12);
    ed->sceneStep = 13;
    int frames = 0;
    while (ed->state == EdDemoTask::kAfterReturn && frames < 100) {
        Step(*ed);
        ++frames;
    }
    EXPECT_EQ(frames, 51);
    EXPECT_EQ(ed->picture, 1);
    EXPECT_EQ(ed->coverAlpha, 255);
    EXPECT_EQ(ed->fadeAlpha, 255);
    Steps(*ed, 30);  // counters 1 to 30
    EXPECT_EQ(ed->fadeAlpha, 255);
    Step(*ed);
    EXPECT_EQ(ed->fadeAlpha, 250);
    std::vector<int> thanks, credits;
    ClearCalls();
    while (ed->state == EdDemoTask::kThanks) {
        const int t = ed->thanksShown, c = ed->creditShown;
        Step(*ed);
        if (ed->thanksShown != t) thanks.push_back(ed->counter - 1);
        if (ed->creditShown != c) credits.push_back(ed->counter - 1);
    }
    ASSERT_EQ(thanks.size(), 22u);
    ASSERT_EQ(credits.size(), 22u);
    EXPECT_EQ(thanks.front(), 100);
    EXPECT_EQ(thanks.back(), 310);
    EXPECT_EQ(credits.front(), 320);
    EXPECT_EQ(credits.back(), 530);
    EXPECT_EQ(recording::Count("pxtone_Tune_Fadeout"), 1);
    // The last frame of the thanks drew both lines whole over the picture.
    ed->state = EdDemoTask::kThanks;
    ClearCalls();
    ed->Draw();
    EXPECT_EQ(RowText(240), "THANK YOU FOR PLAYING!");
    EXPECT_EQ(RowText(270), std::string(kEndingCreditLine));
    EXPECT_LE(std::strlen(kEndingCreditLine), 22u);
    ed->state = EdDemoTask::kTheEnd;
    // The picture fades out by 2 a frame, then the title comes on black.
    EXPECT_EQ(ed->fadeAlpha, 0);
    for (int f = 0; f < 127; ++f) Step(*ed);
    EXPECT_EQ(ed->fadeAlpha, 254);
    EXPECT_EQ(ed->picture, 1);
    Step(*ed);
    Step(*ed);
    EXPECT_EQ(ed->picture, 0);
    EXPECT_EQ(ed->fadeAlpha, 0);
    EXPECT_EQ(ed->coverAlpha, 255);
    EXPECT_EQ(ed->thanksShown, 0);
    while (ed->titleShown < 7) Step(*ed, kAttack);
    for (int f = 0; f < 100; ++f) Step(*ed, kAttack);
    EXPECT_EQ(ed->titleShown, 7);
    EXPECT_EQ(Title(*ed), "THE END");
    EXPECT_EQ(ed->state, EdDemoTask::kTheEnd);
    Step(*ed);
    Step(*ed, kAttack);
    EXPECT_EQ(ed->state, EdDemoTask::kToTitle);
}

// The whole ending with its dialogue and hero, a key pressed every other frame: the short ending without
// the flag, the full one with it, each to the title.
TEST_F(EndingSceneTest, BothEndingsRunThroughToTheTitle) {
    struct Case {
        uint8_t flag;
        std::vector<int> states;
    };
    const Case cases[] = {{0, {0, 1, 2, 3}}, {1, {0, 1, 10, 11, 12, 13, 3}}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.flag);
        DeleteAllTasks();
        map_.objects[0].spawned = 0;
        sceneCode = kSceneStay;
        finalEventFlag = c.flag;
        std::vector<int> states;
        for (int f = 0; f < 20000 && sceneCode == kSceneStay; ++f) {
            Frame(f % 2 == 0 ? kAttack : 0);
            if (states.empty() || states.back() != Director()->state) states.push_back(Director()->state);
        }
        EXPECT_EQ(sceneCode, kSceneTitle);
        EXPECT_EQ(states, c.states);
        EXPECT_EQ(Tasks<EdYopagaTask>().size(), c.flag);
    }
}

// The glow of the fifth tile layer's red swings between 40 and 120; a map without that layer is left
// alone.
TEST_F(EndingSceneTest, TheGlowSwingsTheFifthLayersRed) {
    Frame();
    EdDemoTask* ed = Director();
    std::vector<int> reds;
    for (int f = 0; f < 300; ++f) {
        Step(*ed);
        reds.push_back(map_.layers[4].tintRed);
    }
    EXPECT_EQ(reds[0], 42);  // its first frame went with the spawn
    EXPECT_EQ(*std::max_element(reds.begin(), reds.end()), 120);
    EXPECT_EQ(*std::min_element(reds.begin(), reds.end()), 40);
    EXPECT_EQ(reds[78], 120);
    EXPECT_EQ(reds[79], 119);
    EXPECT_EQ(map_.layers[3].tintRed, 255);
    map_.layerCount = 3;
    Steps(*ed, 10);
    EXPECT_EQ(ed->glow, ed->glowRising ? reds.back() + 10 : reds.back() - 10);
}

// The hero rises to (200, -40) in 120 frames as he grows, comes down at 1 a frame to 170, then his glow
// shrinks by 2 to nothing and the director hears of it.
TEST_F(EndingSceneTest, TheHeroRisesAwayComesDownAndLands) {
    int32_t step = 10;
    EdYopagaTask* hero = CreateTask<EdYopagaTask>(&map_, &step);
    ASSERT_NE(hero, nullptr);
    EXPECT_EQ(hero->x, 270.0);
    EXPECT_EQ(hero->y, 81.0);
    EXPECT_EQ(hero->drawLayer, 11);
    Step(*hero);
    EXPECT_NEAR(hero->SpeedX(), -70.0 / 120, 1e-12);
    EXPECT_NEAR(hero->SpeedY(), -121.0 / 120, 1e-12);
    int frames = 1;
    while (hero->state == EdYopagaTask::kRising && frames < 300) {
        if (hero->counter == 8) {
            ClearCalls();
            Step(*hero);
            EXPECT_EQ(EffectsPlayed(), (std::vector<int>{kSeReturn}));
        } else {
            Step(*hero);
        }
        ++frames;
        if (hero->state == EdYopagaTask::kRising) {
            EXPECT_NEAR(hero->scale, (hero->counter - 1) * 0.006, 1e-12);
            EXPECT_NEAR(hero->glowRadius, hero->scale * 40, 1e-12);
        }
    }
    EXPECT_GE(frames, 121);
    EXPECT_LE(frames, 122);
    EXPECT_NEAR(hero->x, 200.0, 1e-9);
    EXPECT_EQ(hero->scale, 1.0);
    EXPECT_EQ(hero->glowRadius, 40.0);
    while (hero->y < 170.0) Step(*hero);
    EXPECT_EQ(hero->srcY, 60);
    int shrinking = 0;
    while (hero->state == EdYopagaTask::kComingDown && shrinking < 100) {
        Step(*hero);
        ++shrinking;
        EXPECT_EQ(hero->y, 170.0);
        EXPECT_EQ(hero->srcY, 0);
    }
    EXPECT_EQ(shrinking, 20);
    EXPECT_EQ(step, 11);
    EXPECT_EQ(hero->glowRadius, 0.0);
    ClearCalls();
    hero->Draw();
    EXPECT_EQ(recording::Count("DrawCircleShape"), 0);
}

TEST_F(EndingSceneTest, TheHeroIsDrawnScaledInsideHisGlow) {
    int32_t step = 10;
    EdYopagaTask* hero = CreateTask<EdYopagaTask>(&map_, &step);
    Steps(*hero, 51);
    ClearCalls();
    hero->Draw();
    auto rotated = recording::Named("DrawImagePartRotated");
    ASSERT_EQ(rotated.size(), 1u);
    EXPECT_EQ(rotated[0].args[0], static_cast<int>(hero->x));
    EXPECT_EQ(rotated[0].args[1], static_cast<int>(hero->y));
    EXPECT_EQ((std::vector<int64_t>{rotated[0].args[2], rotated[0].args[3], rotated[0].args[4]}),
              (std::vector<int64_t>{320, 60, 60}));
    EXPECT_EQ(Unbits(rotated[0].args[6]), hero->scale);
    auto circles = recording::Named("DrawCircleShape");
    ASSERT_EQ(circles.size(), 1u);
    EXPECT_EQ(circles[0].args[0], static_cast<int>(hero->x) - 1);
    EXPECT_EQ(circles[0].args[2], static_cast<int>(hero->glowRadius));
    EXPECT_EQ(circles[0].args[3], PackColor(82, 231, 50));
    auto blends = recording::Named("SetBlend");
    ASSERT_EQ(blends.size(), 2u);
    EXPECT_EQ(blends[0].args, (std::vector<int64_t>{2, 120}));
    EXPECT_EQ(blends[1].args, (std::vector<int64_t>{0, 0}));
}

// The final event's player figure: it rises 7.5 a frame until it is at -300, its flame cycles 40, 80, 120,
// 80 every 3 frames, it leaves an after-image each frame and keeps the camera on the map's.
TEST_F(EndingSceneTest, TheRisingPlayerFigureFliesUpWithItsFlameAndAfterImages) {
    map_.cameraX = 12;
    map_.cameraY = 1300;
    Stage5PlayerTask* figure = static_cast<Stage5PlayerTask*>(CreateStage5PlayerTask(&map_));
    ASSERT_NE(figure, nullptr);
    EXPECT_EQ(figure->x, 220.0);
    EXPECT_EQ(figure->y, 1600.0);
    EXPECT_EQ(figure->drawLayer, 9);
    const int flames[] = {40, 80, 120, 80};
    for (int f = 0; f < 24; ++f) {
        const size_t shadows = Tasks<BoostShadowTask>().size();
        Step(*figure);
        EXPECT_EQ(figure->y, 1600.0 - 7.5 * (f + 1));
        EXPECT_EQ(figure->flameSrcX, flames[f / 3 % 4]) << f;
        ASSERT_EQ(Tasks<BoostShadowTask>().size(), shadows + 1);
        BoostShadowTask* shadow = Tasks<BoostShadowTask>().back();
        EXPECT_GE(shadow->x, figure->x - 2);
        EXPECT_LE(shadow->x, figure->x + 2);
        EXPECT_GE(shadow->y, figure->y - 2);
        EXPECT_LE(shadow->y, figure->y + 2);
        EXPECT_EQ(shadow->twoPiece, 1);
        EXPECT_EQ(cameraX, 12);
        EXPECT_EQ(cameraY, 1300);
    }
    figure->y = -295.0;
    Step(*figure);
    EXPECT_EQ(figure->y, -302.5);
    Step(*figure);
    EXPECT_EQ(figure->y, -302.5);
    ClearCalls();
    figure->y = 1400.0;
    figure->Draw();
    auto rotated = recording::Named("DrawImagePartRotated");
    ASSERT_EQ(rotated.size(), 2u);
    EXPECT_EQ((std::vector<int64_t>{rotated[0].args[0], rotated[0].args[1], rotated[0].args[2],
                                    rotated[0].args[3]}),
              (std::vector<int64_t>{220 + 10 - 12, 1400 + 20 - 1300, 120, 0}));
    EXPECT_EQ((std::vector<int64_t>{rotated[1].args[0], rotated[1].args[1], rotated[1].args[3],
                                    rotated[1].args[4], rotated[1].args[5]}),
              (std::vector<int64_t>{220 + 35 - 12, 1400 + 20 - 1300, 40, 40, 30}));
    EXPECT_EQ(Unbits(rotated[0].args[7]), -std::numbers::pi / 2);
}

}  // namespace
