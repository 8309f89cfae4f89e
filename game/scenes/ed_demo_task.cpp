#include "game/scenes/ed_demo_task.h"

#include <algorithm>

#include "engine/graphics/graphics.h"
#include "game/frame/game_state.h"
#include "game/frame/input_mask.h"
#include "game/frame/key_config.h"
#include "game/frame/scene_code.h"
#include "game/frame/task_registry.h"
#include "game/map/map_data.h"
#include "game/scenes/ed_yopaga_task.h"
#include "game/scenes/object_task.h"
#include "game/scenes/scene_drawing.h"
#include "game/scenes/talk_demo_task.h"
#include "game/sound_text/sound_effects.h"
#include "game/sound_text/text_drawing.h"

const char* const kEndingCreditLine = "A KORVALUND PRODUCTION";

namespace {

constexpr int kDrawLayer = 6;

constexpr int kSceneryFrame = 40;
constexpr int kTuneFrame = 240;
constexpr const char* kEndingTune = "./bgm/demo2.pttune";
constexpr int kFadeInFrames = 150;
constexpr int kTalkFrame = 220;
constexpr int kTitleFrom = 101;
constexpr int kTitlePeriod = 20;
constexpr int kHeroFrame = 8;
constexpr int kAfterReturnFrame = 30;
constexpr int kPictureFadeFrom = 31;
constexpr int kLinesFrom = 100;
constexpr int kLinePeriod = 10;
constexpr int kThanksFrames = 700;
constexpr int kLineLength = 22;
constexpr int kShortTitleLength = 11;
constexpr int kFullTitleLength = 7;

constexpr int kGlowLow = 40, kGlowHigh = 120;
constexpr int kGlowLayer = 4;  // the fifth tile layer

struct Scenery {
    double x, y;
    int srcX, srcY, width, height, layer;
};
constexpr Scenery kScenery[2] = {{180, 76, 160, 20, 160, 80, 26}, {250, 56, 290, 140, 40, 60, 23}};

// The script steps the dialogue and the hero set, and the ones set here.
enum Step : int32_t {
    kStepShortEnding = 1,
    kStepHeroReturns = 10,
    kStepHeroLanded = 11,
    kStepTalkOn = 12,
    kStepTalkOver = 13,
};

constexpr const char* kThanksLine = "THANK YOU FOR PLAYING!";

void BlackScreen(int alpha) {
    DrawScreenCover(kBlendAlpha, alpha, PackColor(0, 0, 0));
}

bool GoOnPressed() {
    return InputPressed(static_cast<uint32_t>(keyConfig.padAttack)) ||
           InputPressed(static_cast<uint32_t>(keyConfig.padStart));
}

}  // namespace

EdDemoTask::EdDemoTask(const MapObjectRecord& record, MapData* map_) : Character(record) {
    map = map_;
    graphic = map != nullptr ? map->FindGraphic("demo") : 0;
    drawLayer = kDrawLayer;
    shape = 0;
    clearDroppedActors = 0;
    RegisterInGroup(kGroupNoCollision);
}

void EdDemoTask::Opening() {
    if (counter == kSceneryFrame) {
        PlaySoundEffect(kSeFunka2);
        for (int i = 0; i < 2; ++i) {
            const Scenery& piece = kScenery[i];
            if (scenery[i] == nullptr) {
                scenery[i] = CreateTask<ObjectTask>(piece.x, piece.y, piece.srcX, piece.srcY, piece.width,
                                                    piece.height, piece.layer, graphic);
            }
        }
    }
    if (counter >= kTuneFrame) {
        ChangeBgm(kEndingTune, 1);
        state = kDialogue;
        counter = 0;
    }
}

void EdDemoTask::Dialogue() {
    if (fadeAlpha > 0 && counter < kFadeInFrames) fadeAlpha = std::max(0, fadeAlpha - 2);
    if (counter >= kTalkFrame && talk == nullptr) talk = CreateTask<TalkDemoTask>(0.0, 0.0, map, &sceneStep);
    if (sceneStep == kStepShortEnding) {
        state = kShortEnding;
        counter = 0;
        FadeOutBgm();
    } else if (sceneStep == kStepHeroReturns) {
        state = kHeroReturns;
        counter = 0;
    }
}

void EdDemoTask::RevealTitle(int limit) {
    if (counter % kTitlePeriod == 0 && titleShown < limit) ++titleShown;
    if (titleShown >= limit && GoOnPressed()) {
        state = kToTitle;
        counter = 0;
    }
}

void EdDemoTask::ShortEnding() {
    coverAlpha = std::min(255, coverAlpha + 2);
    if (counter >= kTitleFrom) RevealTitle(kShortTitleLength);
}

void EdDemoTask::ToTitle() {
    if (fadeAlpha >= 255) {
        sceneCode = kSceneTitle;
        return;
    }
    fadeAlpha = std::min(255, fadeAlpha + 5);
}

void EdDemoTask::HeroReturns() {
    if (counter == kHeroFrame && hero == nullptr) hero = CreateTask<EdYopagaTask>(map, &sceneStep);
    if (sceneStep == kStepHeroLanded) {
        state = kAfterReturn;
        counter = 0;
    }
}

void EdDemoTask::AfterReturn() {
    if (counter >= kAfterReturnFrame && sceneStep == kStepHeroLanded) sceneStep = kStepTalkOn;
    if (sceneStep != kStepTalkOver) return;
    fadeAlpha = std::min(255, fadeAlpha + 5);
    if (fadeAlpha == 255) {
        picture = 1;
        coverAlpha = 255;
        state = kThanks;
        counter = 0;
    }
}

void EdDemoTask::Thanks() {
    if (counter >= kPictureFadeFrom) fadeAlpha = std::max(0, fadeAlpha - 5);
    if (counter >= kLinesFrom && counter % kLinePeriod == 0) {
        if (thanksShown < kLineLength) {
            ++thanksShown;
        } else if (creditShown < kLineLength) {
            ++creditShown;
        }
    }
    if (counter > kThanksFrames) {
        state = kTheEnd;
        counter = 0;
        FadeOutBgm();
    }
}

// The picture fades out first; then the black screen shows the end title.
void EdDemoTask::TheEnd() {
    if (fadeAlpha < 255 && picture) {
        fadeAlpha = std::min(255, fadeAlpha + 2);
        return;
    }
    coverAlpha = 255;
    fadeAlpha = 0;
    picture = 0;
    thanksShown = creditShown = 0;
    RevealTitle(kFullTitleLength);
}

void EdDemoTask::Glow() {
    if (glowRising) {
        if (++glow >= kGlowHigh) glowRising = 0;
    } else {
        if (--glow <= kGlowLow) glowRising = 1;
    }
    LayerData* layer = map != nullptr ? map->Layer(kGlowLayer) : nullptr;
    if (layer != nullptr) layer->tintRed = static_cast<uint8_t>(glow);
}

void EdDemoTask::Update() {
    switch (state) {
        case kOpening:
            Opening();
            break;
        case kDialogue:
            Dialogue();
            break;
        case kShortEnding:
            ShortEnding();
            break;
        case kToTitle:
            ToTitle();
            break;
        case kHeroReturns:
            HeroReturns();
            break;
        case kAfterReturn:
            AfterReturn();
            break;
        case kThanks:
            Thanks();
            break;
        case kTheEnd:
            TheEnd();
            break;
        default:
            break;
    }
    Glow();
    ++counter;
    AppendToDrawLayer();
}

void EdDemoTask::Draw() {
    BlackScreen(coverAlpha);
    if (picture) DrawImagePart(0, 20, 0, 200, 400, 200, graphic, 1, 0);
    if (thanksShown > 0) DrawBitmapText(90, 240, kThanksLine, thanksShown);
    if (creditShown > 0) DrawBitmapText(90, 270, kEndingCreditLine, creditShown);
    if (titleShown > 0) {
        if (finalEventFlag == 0) {
            DrawBitmapText(145, 130, "THE END...?", titleShown);
        } else {
            DrawBitmapText(165, 130, "THE END", titleShown);
        }
    }
    BlackScreen(fadeAlpha);
}
