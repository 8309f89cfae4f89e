#include "game/scenes/op_demo_task.h"

#include <algorithm>

#include "engine/core/helpers/random.h"
#include "engine/graphics/graphics.h"
#include "game/devices/explode_task.h"
#include "game/frame/game_state.h"
#include "game/frame/input_mask.h"
#include "game/frame/key_config.h"
#include "game/frame/scene_code.h"
#include "game/frame/task_registry.h"
#include "game/map/map_data.h"
#include "game/scenes/demo_twigger_task.h"
#include "game/scenes/demo_ufo_task.h"
#include "game/scenes/object_task.h"
#include "game/scenes/scene_drawing.h"
#include "game/scenes/talk_demo_task.h"
#include "game/sound_text/sound_effects.h"
#include "game/sound_text/text_drawing.h"

namespace {

constexpr int kDrawLayer = 6;
constexpr int kPictureLayer = 8;  // behind the dialogue while the pictures show
constexpr int kFadeStep = 5;
constexpr int kFadeUpFrames = 60;
constexpr int kAfterFadeUp = 90;

// The narration.
constexpr int kNarrationComesUp = 400;
constexpr int kNarrationEnds = 800;

// The arrival.
constexpr int kUfoFrame = 20;
constexpr int kTalkFrame = 700;

// The attack.
constexpr int kWalkersUntil = 360;
constexpr int kWalkerPeriod = 120;
constexpr int kSecondWalkerPhase = 60;
constexpr int kQuakeFrom = 400;
constexpr int kQuakeHalfPeriod = 4;
constexpr int kExplodePeriod = 4;
constexpr int kExplodeSoundPeriod = 32;
constexpr int kAttackOverFrame = 460;
constexpr int kExplodeLayer = 7;

// The prayer.
constexpr int kPrayerFrame = 30;

struct Scenery {
    double x, y;
    int srcX, srcY, width, height, layer;
};
constexpr Scenery kLogo = {180, 76, 160, 20, 160, 80, 26};
constexpr Scenery kHuts[2] = {{40, 120, 160, 120, 130, 80, 8}, {220, 120, 160, 120, 130, 80, 12}};

struct Walker {
    int phase, layer;
    double stopX;
};
constexpr Walker kWalkers[2] = {{0, 10, 80.0}, {kSecondWalkerPhase, 13, 260.0}};

struct NarrationLine {
    int x, y;
    const char* text;
};
constexpr NarrationLine kNarrationText[] = {
    {148, 90, "文明社会から遠く離れた地。"},
    {132, 130, "精霊の加護を受けて、大自然とともに"},
    {116, 150, "太古から変わらぬ暮らしを続ける一族がいた。"},
    {164, 190, "ある夜のこと……。"},
};

// The script steps this task waits for or sets.
enum Step : int32_t {
    kStepLanded = 2,
    kStepAttackOver = 3,
    kStepTalkOut = 4,
    kStepPrayer = 5,
    kStepPrayerOver = 6,
    kStepDeparture = 7,
    kStepEnd = 8,
};

void BlackScreen(int alpha) {
    DrawScreenCover(kBlendAlpha, alpha, PackColor(0, 0, 0));
}

template <class T>
void Kill(T*& task) {
    if (task != nullptr) task->dead = 1;
    task = nullptr;
}

Character* MakeScenery(const Scenery& piece, int graphic) {
    return CreateTask<ObjectTask>(piece.x, piece.y, piece.srcX, piece.srcY, piece.width, piece.height,
                                  piece.layer, graphic);
}

}  // namespace

OpDemoTask::OpDemoTask(const MapObjectRecord& record, MapData* map_) : Character(record) {
    map = map_;
    graphic = map != nullptr ? map->FindGraphic("demo") : 0;
    drawLayer = kDrawLayer;
    shape = 0;
    clearDroppedActors = 0;
    RegisterInGroup(kGroupNoCollision);
}

void OpDemoTask::Enter(int next) {
    state = next;
    counter = -1;
}

void OpDemoTask::FadeUp() {
    if (counter < kFadeUpFrames && curtainAlpha < 255) curtainAlpha = std::min(255, curtainAlpha + kFadeStep);
}

void OpDemoTask::FadeDown() {
    curtainAlpha = std::max(0, curtainAlpha - kFadeStep);
}

void OpDemoTask::MakeLogo() {
    if (logo == nullptr) logo = MakeScenery(kLogo, graphic);
}

void OpDemoTask::Narration() {
    if (counter == 0) {
        if (map != nullptr) ChangeBgm(map->tunePath, 1);
        MakeLogo();
    }
    if (counter < kNarrationComesUp) FadeDown();
    if (counter > kNarrationEnds) {
        backdropAlpha = std::max(0, backdropAlpha - kFadeStep);
        narrationAlpha = backdropAlpha;
    }
    // Skipping only once the narration is wholly up, and only forward.
    if (InputPressed(static_cast<uint32_t>(keyConfig.padAttack)) && curtainAlpha == 0 &&
        counter < kNarrationEnds)
        counter = kNarrationEnds;
    if (backdropAlpha == 0) Enter(kArrival);
}

void OpDemoTask::Arrival() {
    if (counter == kUfoFrame && ufo == nullptr) ufo = CreateTask<DemoUfoTask>(map, &scriptStep);
    if (counter >= kTalkFrame && talk == nullptr) talk = CreateTask<TalkDemoTask>(0.0, 0.0, map, &scriptStep);
    if (scriptStep == kStepLanded) Enter(kToTheAttack);
}

// Behind the curtain the craft and the sky give way to the village; the dropped walkers go with it.
void OpDemoTask::ToTheAttack() {
    FadeUp();
    if (counter <= kAfterFadeUp) return;
    if (huts[0] == nullptr && huts[1] == nullptr) {
        Kill(logo);
        Kill(ufo);
        for (int i = 0; i < 2; ++i) huts[i] = MakeScenery(kHuts[i], graphic);
    }
    clearDroppedActors = 1;
    FadeDown();
    if (curtainAlpha == 0) {
        clearDroppedActors = 0;
        Enter(kAttack);
    }
}

void OpDemoTask::Shake() const {
    const int sign = 2 * (counter / kQuakeHalfPeriod % 2) - 1;
    quakeY = sign;
    quakeX = GetRandomRange(2) + sign;
}

void OpDemoTask::Explode() const {
    for (int left : {20, 200}) {
        const int ex = left + GetRandomRange(120);
        const int ey = 100 + GetRandomRange(80);
        CreateTask<ExplodeTask>(ex, ey, 0, kExplodeLayer, 0.0, 0.0);
    }
}

void OpDemoTask::Attack() {
    if (counter <= kWalkersUntil) {
        for (const Walker& walker : kWalkers) {
            if (counter % kWalkerPeriod == walker.phase)
                CreateTask<DemoTwiggerTask>(kDemoTwiggerStartX, kDemoTwiggerStartY, map, walker.layer,
                                            walker.stopX);
        }
    }
    if (counter >= kQuakeFrom) {
        Shake();
        if (counter % kExplodePeriod == 0) Explode();
        if ((counter - kQuakeFrom) % kExplodeSoundPeriod == 0) PlaySoundEffect(kSeExplode);
        if (counter == kAttackOverFrame) scriptStep = kStepAttackOver;
    }
    if (scriptStep == kStepTalkOut) Enter(kToThePrayer);
}

void OpDemoTask::ToThePrayer() {
    FadeUp();
    if (counter <= kAfterFadeUp) return;
    if (picture1 == 0) {
        for (Character*& hut : huts) Kill(hut);
        backdropAlpha = 255;
        picture1 = 1;
    }
    FadeDown();
    if (curtainAlpha == 0) Enter(kPrayer);
}

void OpDemoTask::Prayer() {
    if (counter == kPrayerFrame) {
        drawLayer = kPictureLayer;
        scriptStep = kStepPrayer;
    }
    if (scriptStep == kStepPrayerOver) {
        drawLayer = kDrawLayer;
        Enter(kToTheDeparture);
    }
}

void OpDemoTask::ToTheDeparture() {
    FadeUp();
    if (counter <= kAfterFadeUp) return;
    if (picture2 == 0) {
        backdropAlpha = 0;
        picture1 = 0;
        picture2 = 1;
        MakeLogo();
    }
    FadeDown();
    if (curtainAlpha == 0) {
        Enter(kDeparture);
        if (scriptStep == kStepPrayerOver) scriptStep = kStepDeparture;
    }
}

// The counter stays at 0 until the dialogue is over.
void OpDemoTask::Departure() {
    if (scriptStep != kStepEnd) {
        counter = -1;
        return;
    }
    FadeUp();
    if (counter > kAfterFadeUp) {
        StopBgm();
        sceneCode = kSceneTitle;
    }
}

void OpDemoTask::Update() {
    switch (state) {
        case kNarration:
            Narration();
            break;
        case kArrival:
            Arrival();
            break;
        case kToTheAttack:
            ToTheAttack();
            break;
        case kAttack:
            Attack();
            break;
        case kToThePrayer:
            ToThePrayer();
            break;
        case kPrayer:
            Prayer();
            break;
        case kToTheDeparture:
            ToTheDeparture();
            break;
        default:
            Departure();
            break;
    }
    if (InputPressed(static_cast<uint32_t>(keyConfig.padStart))) {
        StopBgm();
        sceneCode = kSceneTitle;
    }
    ++counter;
    AppendToDrawLayer();
}

void OpDemoTask::Draw() {
    BlackScreen(backdropAlpha);
    SetBlend(kBlendAlpha, narrationAlpha);
    for (const NarrationLine& line : kNarrationText)
        DrawFontText(line.x, line.y, line.text, kFontTextLimit - 1);
    SetBlend(kBlendNone, 0);
    if (picture1) DrawImagePart(0, 20, 0, 200, 400, 200, graphic, 1, 0);
    if (picture2) DrawImagePart(170, 140, 320, 0, 60, 60, graphic, 1, 0);
    BlackScreen(curtainAlpha);
}
