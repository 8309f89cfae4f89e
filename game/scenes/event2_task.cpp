#include "game/scenes/event2_task.h"

#include <algorithm>
#include <climits>
#include <cstring>

#include "engine/graphics/graphics.h"
#include "game/frame/game_state.h"
#include "game/frame/records_file.h"
#include "game/frame/scene_code.h"
#include "game/frame/task_factory.h"
#include "game/frame/task_registry.h"
#include "game/map/map_data.h"
#include "game/sound_text/sound_effects.h"
#include "game/sound_text/text_drawing.h"

namespace {

constexpr int kFadeStep = 5;
constexpr int kQuakePeriod = 6;
constexpr int kMagmaFrame = 250;
constexpr int kRisingFrames = 500;
constexpr int kMagmaX = 120;
constexpr double kMagmaSpeed = -8.0;
constexpr int kBannerWaitFrames = 40;
constexpr double kBannerStop = 72.0;
constexpr double kBannerSpeed = -8.0;
constexpr double kBannerBrake = 0.5;
constexpr int kResultsStart = -20;
constexpr int kAreaRowFrames[kAreaTimeCount] = {60, 100, 140, 180};
constexpr int kTotalRollStart = 260;
constexpr int kTotalFrame = 350;
constexpr int kStockFrame = 430;
constexpr int kRollStep = 11;
constexpr int32_t kFastTotal = 10800;  // 3 minutes
constexpr int32_t kStockForBonus = 15;
constexpr int kGlowLow = 40;
constexpr int kGlowHigh = 120;
constexpr int kLoopHeight = 900;
constexpr int kLoopTop = 40;
constexpr int kBannerY = 40;

constexpr const char* kAreaLabels[kAreaTimeCount] = {"AREA 1    :  .", "AREA 2    :  .", "AREA 3    :  .",
                                                     "AREA 4    :  ."};

void DrawText(int x, int y, const char* text) {
    DrawBitmapText(x, y, text, static_cast<int>(std::strlen(text)));
}

}  // namespace

Event2Task::Event2Task(const MapObjectRecord& record, MapData* map_) : Character(record) {
    map = map_;
    drawLayer = 1;
    graphic = LoadGraphFile("./data/graphics/logo.png", 0);
    RegisterInGroup(kGroupSceneControl);
}

Event2Task::~Event2Task() {
    FreeGraphic(graphic, 0);
}

void Event2Task::Update() {
    switch (state) {
        case kRising:
            UpdateRising();
            break;
        case kBanner:
            UpdateBanner();
            break;
        case kResults:
            UpdateResults();
            break;
        case kWaiting:
            if (ConfirmPressed()) state = kFadeOut;
            break;
        case kFadeOut:
            fadeOutAlpha += kFadeStep;
            if (fadeOutAlpha >= 255) {
                sceneCode = kSceneNextArea;
                dead = 1;
            }
            break;
        default:
            break;
    }
    bannerX += param;
    MoveGlow();
    ClimbCamera();
    ++counter;
    y = 0.0;
    AppendToDrawLayer();
}

void Event2Task::UpdateRising() {
    coverAlpha = std::max(0, coverAlpha - kFadeStep);
    if (counter == 0) CreateStage5PlayerTask(map);
    if (counter == kMagmaFrame) {
        const int top = map != nullptr ? map->cameraY : cameraY;
        CreateFunkaMagmaTask(kMagmaX, top + 300, map, kMagmaSpeed);
    }
    if (counter % kQuakePeriod == 0) PlaySoundEffect(kSeQuake);
    if (counter == kRisingFrames) {
        counter = 0;
        state = kBanner;
    }
}

void Event2Task::UpdateBanner() {
    if (coverAlpha < 255) {
        coverAlpha = std::min(255, coverAlpha + kFadeStep);
        counter = 0;
    }
    if (counter <= kBannerWaitFrames) return;
    if (bannerX > kBannerStop) {
        param = kBannerSpeed;
        return;
    }
    param += kBannerBrake;
    if (param >= 0.0) {
        param = 0.0;
        counter = kResultsStart;
        state = kResults;
    }
}

void Event2Task::UpdateResults() {
    for (int area = 0; area < kAreaTimeCount; ++area) {
        if (counter == kAreaRowFrames[area]) ShowAreaRow(area);
    }
    if (counter >= kTotalRollStart) rowShown[kTotalRow] = 1;
    if (counter >= kTotalRollStart && counter < kTotalFrame && counter % 2 == 0) {
        PlaySoundEffect(kSeCursor);
        FrameTime& t = times[kTotalRow];
        t = {(t.minutes + kRollStep) % 60, (t.seconds + kRollStep) % 60, (t.frames + kRollStep) % 60};
    }
    if (counter == kTotalFrame) ShowTotal();
    if (counter == kStockFrame) {
        ShowStock();
        counter = 0;
        state = kWaiting;
    }
}

void Event2Task::ShowAreaRow(int area) {
    rowShown[area] = 1;
    PlaySoundEffect(kSeElement);
    times[area] = SplitFrameTime(areaTimes[area]);
}

// The sum is taken in 64 bits and held at the largest time, so four long runs cannot wrap to a small one.
void Event2Task::ShowTotal() {
    int64_t sum = 0;
    for (int32_t time : areaTimes) sum += time;
    totalTime = static_cast<int32_t>(std::clamp<int64_t>(sum, INT32_MIN, INT32_MAX));
    times[kTotalRow] = SplitFrameTime(totalTime);
    if (totalTime < kFastTotal) {
        PlaySoundEffect(kSe1Up);
        fastTotalBonus = 1;
        finalEventFlag = 1;
    } else {
        PlaySoundEffect(kSeElement);
    }
    if (totalTime < bestTimes[0]) {
        bestTimes[0] = totalTime;
        newRecord = 1;
    }
}

void Event2Task::ShowStock() {
    stockShown = 1;
    if (playerStock >= kStockForBonus) {
        PlaySoundEffect(kSe1Up);
        stockBonus = 1;
        finalEventFlag = 1;
    } else {
        PlaySoundEffect(kSeElement);
    }
}

void Event2Task::MoveGlow() {
    if (!glowRising) {
        --glow;
        if (glow <= kGlowLow) glowRising = 1;
    } else {
        ++glow;
        if (glow >= kGlowHigh) glowRising = 0;
    }
}

// While the screen is not yet black the view climbs the shaft; near its top it jumps 900 pixels down
// together with every task, so the climb never ends.
void Event2Task::ClimbCamera() {
    if (map == nullptr) return;
    if (coverAlpha < 255) map->SetCamera(0, map->cameraY - (counter % 2 == 0 ? 6 : 7));
    if (map->cameraY < kLoopTop) {
        map->lockFlags = 0;
        map->SetCamera(0, map->cameraY + kLoopHeight);
        map->lockFlags = kLockDown;
        ShiftAllTasks(0.0, kLoopHeight);
    }
}

void Event2Task::Draw() {
    DrawScreenCover(kBlendAdd, glow, PackColor(255, 0, 0));
    DrawScreenCover(kBlendAlpha, coverAlpha, PackColor(0, 0, 0));
    const int bx = static_cast<int>(bannerX);
    DrawImagePart(bx, kBannerY, 160, 0, 90, 40, graphic, 1, 0);
    DrawImagePart(bx + 98, kBannerY, 0, 0, 120, 40, graphic, 1, 0);
    DrawImagePart(bx + 220, kBannerY, 0, 40, 160, 40, graphic, 1, 0);
    DrawBoard();
    DrawScreenCover(kBlendAlpha, fadeOutAlpha, PackColor(0, 0, 0));
}

void Event2Task::DrawBoard() const {
    const bool blinkOn = (counter / 8) % 2 == 0;
    for (int area = 0; area < kAreaTimeCount; ++area) {
        if (!rowShown[area]) continue;
        const int rowY = 90 + 20 * (area + 1);
        DrawText(120, rowY, kAreaLabels[area]);
        DrawFrameTime(times[area], 200, rowY);
    }
    if (rowShown[kTotalRow]) {
        DrawText(80, 200, "TOTAL TIME    :  .");
        DrawFrameTime(times[kTotalRow], 200, 200);
        if (fastTotalBonus && blinkOn) DrawRedText(300, 200, "GREAT!!");
    }
    if (stockShown) {
        DrawText(60, 230, "PLAYER STOCK");
        DrawNumber(playerStock, 2, 230, 230);
        if (stockBonus && blinkOn) DrawRedText(300, 230, "GREAT!!");
    }
    if (newRecord && !playbackFlag && blinkOn) DrawRedText(145, 260, "NEW RECORD!");
}
