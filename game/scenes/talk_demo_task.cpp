#include "game/scenes/talk_demo_task.h"

#include <algorithm>
#include <cstring>

#include "engine/core/helpers/string_helpers.h"
#include "engine/graphics/graphics.h"
#include "game/frame/game_state.h"
#include "game/frame/input_mask.h"
#include "game/frame/key_config.h"
#include "game/frame/task_registry.h"
#include "game/map/map_data.h"
#include "game/scenes/talk_demo_lines.h"
#include "game/sound_text/sound_effects.h"
#include "game/sound_text/text_drawing.h"

namespace {

constexpr int kEndingMapKind = 6;
constexpr int kPortraitOut = 80;
constexpr int kSlideStep = 2;
constexpr int kFramesPerCharacter = 5;
constexpr int kTalkVolume = 120;
constexpr int kDrawLayer = 7;

// Script indices without a line.
constexpr int kIntro = 0;
constexpr int kWaitForAttack = 4;
constexpr int kFirstIntermission = 8;
constexpr int kSecondIntermission = 14;
constexpr int kOpeningEnd = 20;
constexpr int kEndingEnd = 41;
constexpr int kBranchWait = 52;
constexpr int kBranchEnd = 57;

// Frames the owner's step waits at index 4 before the dialogue lets the arrival go on, and the frames
// an intermission and the branch's end wait with the portraits out.
constexpr int kArrivalDelay = 61;
constexpr int kIntermissionFrames = 101;
constexpr int kBranchEndFrames = 81;

// Layout.
constexpr int kPortraitWidth = 80, kPortraitHeight = 100;
constexpr int kPortraitTop = 200;
constexpr int kRightPortraitX = 320;
constexpr int kBoxBlend = 180;
constexpr int kBoxPiece = 20, kBoxHeight = 60;
constexpr int kBoxLeft = 80, kBoxRight = 300, kBoxTop = 224;
constexpr int kBoxSourceY = 400;
constexpr int kBoxLeftSourceX = 160, kBoxMiddleSourceX = 180, kBoxRightSourceX = 200;
constexpr int kPlateSourceX = 220, kPlateWidth = 80, kPlateHeight = 20;
constexpr int kPlateTop = 204;
constexpr int kLeftPlateX = 84, kRightPlateX = 236;
constexpr int kTextX = 90, kTextTop = 230, kTextLineGap = 20;
constexpr int kPageLines = 3;

// The talking mouth and the closed eyes, laid over a portrait from its talking and blinking copies.
struct Patch {
    int x, y, width, height;  // within the portrait
};
constexpr Patch kMouth = {32, 54, 16, 11};
constexpr Patch kEyes = {24, 38, 32, 10};
constexpr int kTalkingSourceX = 80;
constexpr int kBlinkingSourceY = 400;
constexpr int kMouthPeriod = 12, kMouthOpenFrames = 6;

struct Blink {
    int period, first, last;
};
constexpr Blink kLeftBlink = {140, 70, 77};
constexpr Blink kRightBlink = {160, 120, 127};

int CharacterBytes(const char* text) {
    if (text[0] == '\0') return 0;
    return IsLeadByte(static_cast<unsigned char>(text[0]), CHARSET_SHIFTJIS) && text[1] != '\0' ? 2 : 1;
}

int CharacterCount(const char* text) {
    int count = 0;
    for (int at = 0; text[at] != '\0'; at += CharacterBytes(text + at)) ++count;
    return count;
}

}  // namespace

TalkDemoTask::TalkDemoTask(double x_, double y_, MapData* map_, int32_t* scriptStep_)
    : Character(-1, x_, y_), scriptStep(scriptStep_ != nullptr ? scriptStep_ : &ownStep) {
    map = map_;
    graphic = map != nullptr ? map->FindGraphic("demo") : 0;
    drawLayer = kDrawLayer;
    shape = 0;
    RegisterInGroup(kGroupNoCollision);
}

void TalkDemoTask::GoTo(int index) {
    state = index;
    counter = 0;
    speaker = kSpeakerNone;
    typing = 0;
    shownBytes = 0;
}

void TalkDemoTask::SlidePortraits(int delta) {
    leftOffset = std::clamp(leftOffset + delta, 0, kPortraitOut);
    rightOffset = std::clamp(rightOffset + delta, 0, kPortraitOut);
}

void TalkDemoTask::Intermission(int outStep, int doneStep, int inStep, int nextIndex) {
    int32_t& step = *scriptStep;
    if (step == outStep) {
        SlidePortraits(kSlideStep);
        if (counter >= kIntermissionFrames && leftOffset == kPortraitOut) step = doneStep;
    } else if (step == inStep) {
        SlidePortraits(-kSlideStep);
        if (leftOffset < 1) GoTo(nextIndex);
    }
}

void TalkDemoTask::RunScriptIndex() {
    int32_t& step = *scriptStep;
    switch (state) {
        case kIntro:
            SlidePortraits(-kSlideStep);
            if (leftOffset == 0 && rightOffset == 0) {
                GoTo(map != nullptr && map->kind == kEndingMapKind ? kEndingFirstLine : kOpeningFirstLine);
            }
            break;
        case kWaitForAttack:
            if (step == 0 && counter >= kArrivalDelay) step = 1;
            if (step == 3) GoTo(kWaitForAttack + 1);
            break;
        case kFirstIntermission:
            Intermission(3, 4, 5, kFirstIntermission + 1);
            break;
        case kSecondIntermission:
            Intermission(5, 6, 7, kSecondIntermission + 1);
            break;
        case kOpeningEnd:
            if (step == 7) step = 8;
            break;
        case kEndingEnd:
            if (step == 0) step = 1;
            break;
        case kBranchWait:
            if (step == 0) step = 10;
            if (step == 12) GoTo(kBranchWait + 1);
            break;
        case kBranchEnd:
            SlidePortraits(kSlideStep);
            if (step == 12 && counter >= kBranchEndFrames && leftOffset == kPortraitOut) step = 13;
            break;
        default:
            if (FindTalkLine(state) != nullptr) {
                if (!typing) StartLine();
                TypeLine();
            }
            break;
    }
}

void TalkDemoTask::StartLine() {
    const TalkLine* line = FindTalkLine(state);
    speaker = line->speaker;
    lineLength = static_cast<int32_t>(std::strlen(line->text));
    extraWait = line->extraWait;
    shownBytes = 0;
    typing = 1;
}

// One character every 5 frames, every frame while ATTACK is held; once the line is whole it stays until
// ATTACK is pressed anew or its time is up. Holding ATTACK through a line within a page moves on at once.
void TalkDemoTask::TypeLine() {
    const TalkLine* line = FindTalkLine(state);
    const uint32_t attack = static_cast<uint32_t>(keyConfig.padAttack);
    const int typingFrames = CharacterCount(line->text) * kFramesPerCharacter;
    if (shownBytes < lineLength) {
        if (InputHeld(attack))
            counter += (kFramesPerCharacter - counter % kFramesPerCharacter) % kFramesPerCharacter;
        if (counter % kFramesPerCharacter == 0) {
            shownBytes += CharacterBytes(line->text + shownBytes);
            SetSoundEffectVolume(kSeTalk, kTalkVolume);
            PlaySoundEffect(kSeTalk);
        }
        return;
    }
    if (extraWait == kShortWait && InputHeld(attack) && counter > typingFrames) extraWait = 0;
    if (InputPressed(attack) || counter > typingFrames + extraWait) EndLine();
}

void TalkDemoTask::EndLine() {
    const int next = state == kBranchFromLine && finalEventFlag == 1 ? kBranchFirstLine : state + 1;
    GoTo(next);
}

void TalkDemoTask::Update() {
    RunScriptIndex();
    ++counter;
    ++blinkCounter;
    AppendToDrawLayer();
}

void TalkDemoTask::DrawPortrait(int side, int offset) const {
    const bool left = side == kSpeakerLeft;
    const int px = left ? -offset : kRightPortraitX + offset;
    const int py = kPortraitTop + offset;
    const int sourceY = left ? 0 : kPortraitHeight;
    DrawImagePart(px, py, 0, sourceY, kPortraitWidth, kPortraitHeight, graphic, 1, 0);
    if (typing && speaker == side && shownBytes < lineLength && counter % kMouthPeriod < kMouthOpenFrames) {
        DrawImagePart(px + kMouth.x, py + kMouth.y, kTalkingSourceX + kMouth.x, sourceY + kMouth.y,
                      kMouth.width, kMouth.height, graphic, 1, 0);
    }
    const Blink& blink = left ? kLeftBlink : kRightBlink;
    const int phase = blinkCounter % blink.period;
    if (offset == 0 && phase >= blink.first && phase <= blink.last) {
        const int blinkSourceX = left ? 0 : kPortraitWidth;
        DrawImagePart(px + kEyes.x, py + kEyes.y, blinkSourceX + kEyes.x, kBlinkingSourceY + kEyes.y,
                      kEyes.width, kEyes.height, graphic, 1, 0);
    }
}

void TalkDemoTask::DrawBox(int lineSpeaker) const {
    SetBlend(kBlendAlpha, kBoxBlend);
    DrawImagePart(kBoxLeft, kBoxTop, kBoxLeftSourceX, kBoxSourceY, kBoxPiece, kBoxHeight, graphic, 1, 0);
    for (int x = kBoxLeft + kBoxPiece; x < kBoxRight; x += kBoxPiece)
        DrawImagePart(x, kBoxTop, kBoxMiddleSourceX, kBoxSourceY, kBoxPiece, kBoxHeight, graphic, 1, 0);
    DrawImagePart(kBoxRight, kBoxTop, kBoxRightSourceX, kBoxSourceY, kBoxPiece, kBoxHeight, graphic, 1, 0);
    const bool left = lineSpeaker == kSpeakerLeft;
    DrawImagePart(left ? kLeftPlateX : kRightPlateX, kPlateTop, kPlateSourceX,
                  kBoxSourceY + (left ? 0 : kPlateHeight), kPlateWidth, kPlateHeight, graphic, 1, 0);
    SetBlend(kBlendNone, 0);
}

// The page's earlier lines in full above the line being typed.
void TalkDemoTask::DrawLines(const TalkLine& line) const {
    const TalkLine* page[kPageLines] = {};
    int count = 0;
    for (int index = PreviousTalkIndex(state); count < kPageLines - 1; index = PreviousTalkIndex(index)) {
        const TalkLine* earlier = FindTalkLine(index);
        if (earlier == nullptr || earlier->extraWait != kShortWait) break;
        page[count++] = earlier;
    }
    for (int i = 0; i < count; ++i)
        DrawFontText(kTextX, kTextTop + kTextLineGap * i, page[count - 1 - i]->text, kFontTextLimit - 1);
    DrawFontText(kTextX, kTextTop + kTextLineGap * count, line.text, shownBytes);
}

void TalkDemoTask::Draw() {
    DrawPortrait(kSpeakerLeft, leftOffset);
    DrawPortrait(kSpeakerRight, rightOffset);
    const TalkLine* line = FindTalkLine(state);
    if (line == nullptr) return;
    DrawBox(line->speaker);
    DrawLines(*line);
}
