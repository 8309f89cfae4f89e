#include <string>
#include <vector>

#include "game/frame/scene_code.h"
#include "game/player/player_miss_task.h"
#include "game/sound_text/text_drawing.h"
#include "tests/game/player_fixture.h"

namespace {

uint32_t AttackKey() {
    return static_cast<uint32_t>(keyConfig.padAttack);
}
uint32_t StartKey() {
    return static_cast<uint32_t>(keyConfig.padStart);
}

class PlayerDamageTest : public PlayerTest {
  protected:
    PlayerTask* StandingPlayer() {
        BuildFloorMap();
        PlayerTask* player = MakePlayer(100, 160);
        Step(0);
        return player;
    }
    // One frame after the collision pass reported the hit code.
    void StepHit(PlayerTask* player, int code) {
        player->hitCode = code;
        Step(0);
    }
    static int TunesLoaded(const std::string& path) {
        int count = 0;
        for (const auto& call : recording::Named("pxtone_Tune_Load")) count += call.text == path;
        return count;
    }
    static PlayerMissTask* MissTask() {
        for (Character* effect : Effects()) {
            if (auto* miss = dynamic_cast<PlayerMissTask*>(effect)) return miss;
        }
        return nullptr;
    }
};

TEST_F(PlayerDamageTest, EnemyOrHarmfulHitCostsOneHealthAndThrowsThePlayerBack) {
    for (const int code : {2, 4}) {
        ResetGame();
        map_.Unload();
        map_.Clear();
        PlayerTask* player = StandingPlayer();
        StepHit(player, code);
        EXPECT_EQ(playerHealth, 2) << "code " << code;
        EXPECT_EQ(player->knockedBack, 1);
        EXPECT_EQ(player->InvincibleTimer(), 179);
        EXPECT_EQ(player->knockbackSpeed, 1.2);
        EXPECT_EQ(player->x, 100.0 - 1.2);  // facing right, thrown to the left
        EXPECT_LT(player->y, 160.0);
        EXPECT_EQ(player->hitCode, -1);
        EXPECT_EQ(Played(kSeDamage), 1);
    }
}

TEST_F(PlayerDamageTest, OtherHitCodesDoNoHarm) {
    PlayerTask* player = StandingPlayer();
    for (const int code : {0, 1, 3, 5}) StepHit(player, code);
    EXPECT_EQ(playerHealth, 3);
    EXPECT_EQ(player->knockedBack, 0);
}

TEST_F(PlayerDamageTest, KnockbackEndsTwentyFramesAfterTheHitWhileTheBlinkingGoesOn) {
    PlayerTask* player = StandingPlayer();
    StepHit(player, 2);
    std::vector<int> drawn;
    for (int f = 1; f <= 19; ++f) {
        Step(0);
        EXPECT_EQ(player->knockedBack, 1) << "frame " << f;
        drawn.push_back(Drawn(player));
    }
    Step(0);
    EXPECT_EQ(player->knockedBack, 0);
    EXPECT_EQ(player->InvincibleTimer(), 159);
    // Two frames shown, two hidden.
    for (size_t i = 0; i + 4 < drawn.size(); ++i) EXPECT_EQ(drawn[i], drawn[i + 4]);
    int shown = 0;
    for (size_t i = 0; i < 4; ++i) shown += drawn[i];
    EXPECT_EQ(shown, 2);
    Steps(0, 159);
    EXPECT_EQ(player->InvincibleTimer(), 0);
    EXPECT_TRUE(Drawn(player));
}

TEST_F(PlayerDamageTest, HitsWhileInvincibleAreLostNotKept) {
    PlayerTask* player = StandingPlayer();
    for (int f = 0; f < 180; ++f) StepHit(player, 2);
    EXPECT_EQ(playerHealth, 2);
    Step(0);
    EXPECT_EQ(playerHealth, 2);  // the last lost hit did not wait
    StepHit(player, 2);
    EXPECT_EQ(playerHealth, 1);
}

TEST_F(PlayerDamageTest, HitUnderScriptedInputIsDiscarded) {
    PlayerTask* player = StandingPlayer();
    inputEnabled = 0;
    StepHit(player, 2);
    EXPECT_EQ(player->hitCode, -1);
    inputEnabled = 1;
    Step(0);
    EXPECT_EQ(playerHealth, 3);
    EXPECT_EQ(Played(kSeDamage), 0);
}

TEST_F(PlayerDamageTest, FatalHitStopsTheMusicAtOnceAndTheMissTuneWaitsForTheLanding) {
    playerHealth = 1;
    playerStock = 2;
    PlayerTask* player = StandingPlayer();
    std::snprintf(currentTune, sizeof(currentTune), "%s", "./bgm/area1.pttune");
    StepHit(player, 4);
    EXPECT_EQ(recording::Count("pxtone_Tune_Stop"), 1);
    EXPECT_STREQ(currentTune, "");
    EXPECT_EQ(player->knockbackSpeed, 3.0);
    EXPECT_EQ(player->x, 100.0 - 3.0);
    int frames = 1;
    while (player->deathTimer == 0 && frames < 100) {
        EXPECT_EQ(TunesLoaded("./bgm/miss.pttune"), 0);
        Step(0);
        ++frames;
    }
    EXPECT_EQ(frames, 23);  // the throw's landing comes after the 20 frames of knockback
    EXPECT_EQ(player->airborne, 0);
    EXPECT_EQ(TunesLoaded("./bgm/miss.pttune"), 1);
    EXPECT_EQ(player->shape, 0);
    EXPECT_EQ(player->speedX, 0.0);
    EXPECT_EQ(player->w, 43);  // the dying frame
    const double x = player->x;
    Steps(0, 198);
    EXPECT_EQ(player->deathTimer, 199);
    EXPECT_EQ(MissTask(), nullptr);
    EXPECT_EQ(recording::Count("SetSoundVolume"), 0);
    Step(0);
    ASSERT_NE(MissTask(), nullptr);
    EXPECT_EQ(recording::Count("SetSoundVolume"), kSoundEffectCount);
    for (int id = 0; id < kSoundEffectCount; ++id) EXPECT_EQ(soundEffectVolume[id], 0);
    EXPECT_EQ(TunesLoaded("./bgm/gameover.pttune"), 0);
    Steps(0, 50);
    EXPECT_EQ(player->x, x);
    EXPECT_EQ(TunesLoaded("./bgm/miss.pttune"), 1);
    int missTasks = 0;
    for (Character* effect : Effects()) missTasks += dynamic_cast<PlayerMissTask*>(effect) != nullptr;
    EXPECT_EQ(missTasks, 1);
}

TEST_F(PlayerDamageTest, LastLifeLostPlaysTheGameOverTune) {
    playerHealth = 1;
    playerStock = 0;
    PlayerTask* player = StandingPlayer();
    StepHit(player, 2);
    while (player->deathTimer < 200) Step(0);
    EXPECT_EQ(TunesLoaded("./bgm/gameover.pttune"), 1);
    EXPECT_NE(MissTask(), nullptr);
}

class PlayerMissTaskTest : public PlayerTest {
  protected:
    // The game back to its start for the next case, with the test's sound handles.
    static void NextCase() {
        ResetGame();
        for (int id = 0; id < kSoundEffectCount; ++id) {
            soundEffects[id] = kSoundBase + id;
            soundEffectVolume[id] = 255;
        }
    }
};

TEST_F(PlayerMissTaskTest, WithStockLeftTheFadeCompletesAndTheRespawnIsRequested) {
    playerStock = 1;
    auto* miss = new PlayerMissTask();
    EXPECT_EQ(miss->drawLayer, 2);
    EXPECT_EQ(miss->group, kGroupNoCollision);
    std::vector<int> fade, flag;
    for (int f = 0; f <= 180; ++f) {
        Step(0);
        fade.push_back(miss->fadeAlpha);
        flag.push_back(missFlag);
        EXPECT_EQ(miss->lettersShown, 0);
        EXPECT_EQ(miss->dead, f == 180 ? 1 : 0) << "frame " << f;
    }
    EXPECT_EQ(fade[0], 2);
    EXPECT_EQ(fade[126], 254);
    EXPECT_EQ(fade[127], 255);
    EXPECT_EQ(fade[180], 255);
    EXPECT_EQ(flag[175], 0);
    EXPECT_EQ(flag[176], 2);
    EXPECT_EQ(flag[179], 2);
    EXPECT_EQ(flag[180], 1);
}

TEST_F(PlayerMissTaskTest, GameOverLettersFromFrame128AndInputFrom248) {
    struct Case {
        int pressFrame;
        uint32_t key;
        bool accepted;
    };
    for (const Case c :
         {Case{247, AttackKey(), false}, Case{248, AttackKey(), true}, Case{248, StartKey(), true}}) {
        NextCase();
        playerStock = 0;
        SetAllSoundEffectVolumes(0);
        auto* miss = new PlayerMissTask();
        std::vector<int> letters;
        for (int f = 0; f <= c.pressFrame; ++f) {
            Step(f == c.pressFrame ? c.key : 0);
            letters.push_back(miss->lettersShown);
        }
        EXPECT_EQ(letters[127], 0);
        EXPECT_EQ(letters[128], 1);
        EXPECT_EQ(letters[191], 8);
        EXPECT_EQ(letters[192], 9);
        EXPECT_EQ(letters[247], 15);
        EXPECT_EQ(miss->state, c.accepted ? 1 : 0) << "pressed on frame " << c.pressFrame;
        EXPECT_EQ(Played(kSeBreak), c.accepted ? 1 : 0);
        if (!c.accepted) continue;
        EXPECT_EQ(soundEffectVolume[kSeBreak], 255);
        bool restored = false;
        for (const auto& call : recording::Named("SetSoundVolume"))
            restored |= call.args == std::vector<int64_t>{255, kSoundBase + kSeBreak};
        EXPECT_TRUE(restored);
    }
}

TEST_F(PlayerMissTaskTest, ConfirmedGameOverFadesTheTextAndGoesToTheTitle) {
    struct Case {
        uint8_t fullGame;
        int scene;
    };
    for (const Case c : {Case{1, kSceneTitle}, Case{0, kSceneAreaSelect}}) {
        NextCase();
        playerStock = 0;
        fullGameMode = c.fullGame;
        auto* miss = new PlayerMissTask();
        miss->counter = 248;
        miss->fadeAlpha = 255;
        miss->lettersShown = 16;
        Step(AttackKey());
        ASSERT_EQ(miss->state, 1);
        int frames = 0;
        while (!miss->dead && frames < 300) {
            Step(0);
            ++frames;
        }
        EXPECT_EQ(frames, 128);
        EXPECT_EQ(miss->textAlpha, 0);
        EXPECT_EQ(sceneCode, c.scene);
    }
}

TEST_F(PlayerMissTaskTest, DrawsTheBlackCoverThenTheShownLetters) {
    fontGraphic = 9;
    auto* miss = new PlayerMissTask();
    miss->fadeAlpha = 130;
    miss->textAlpha = 200;
    miss->lettersShown = 6;  // "GAME O": the space draws nothing
    recording::Reset();
    miss->Draw();
    const auto& calls = recording::Lib().calls;
    ASSERT_EQ(calls.size(), 10u);
    EXPECT_EQ(calls[0].args, (std::vector<int64_t>{1, 130}));
    EXPECT_EQ(calls[1].name, "DrawBoxShape");
    EXPECT_EQ(calls[1].args, (std::vector<int64_t>{0, 0, 400, 300, 0, 1}));
    EXPECT_EQ(calls[2].args, (std::vector<int64_t>{0, 0}));
    EXPECT_EQ(calls[3].args, (std::vector<int64_t>{1, 200}));
    EXPECT_EQ(calls[4].args[0], 155);
    EXPECT_EQ(calls[4].args[1], 140);
    EXPECT_EQ(calls[8].args[0], 155 + 50);
    EXPECT_EQ(calls[9].args, (std::vector<int64_t>{0, 0}));
    miss->fadeAlpha = 0;
    miss->lettersShown = 0;
    recording::Reset();
    miss->Draw();
    EXPECT_EQ(recording::Count("DrawBoxShape"), 0);
    EXPECT_EQ(recording::Count("DrawImagePart"), 0);
}

}  // namespace
