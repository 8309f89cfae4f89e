#include "game/scenes/option_screen_task.h"

#include <bit>

#include "engine/core/input/input.h"
#include "engine/graphics/graphics.h"
#include "game/frame/input_mask.h"
#include "game/frame/key_config.h"
#include "game/frame/main_loop.h"
#include "game/frame/settings_file.h"
#include "game/scenes/scene_drawing.h"
#include "game/sound_text/sound_effects.h"
#include "game/sound_text/text_drawing.h"

namespace {

enum OptionState : int32_t { kMenu = 0, kPadButtons = 1, kKeyboardKeys = 2 };
enum OptionItem : uint8_t { kGamepad = 0, kKeyboard, kBgmQuality, kSoundEffect, kScreenMode, kExit };

constexpr int kTextLimit = 120;
constexpr uint32_t kFirstButtonBit = 16;
constexpr int kPadSteps = 5;
constexpr int kKeySteps = 9;

// The pad buttons in the order of the pass.
int32_t* const kPadOrder[kPadSteps] = {&keyConfig.padAttack, &keyConfig.padJump, &keyConfig.padBoost,
                                       &keyConfig.padBomb, &keyConfig.padStart};
// The keyboard keys in the order of the pass.
int32_t* const kKeyOrder[kKeySteps] = {&keyConfig.keyLeft,  &keyConfig.keyRight,  &keyConfig.keyUp,
                                       &keyConfig.keyDown,  &keyConfig.keyAttack, &keyConfig.keyJump,
                                       &keyConfig.keyBoost, &keyConfig.keyBomb,   &keyConfig.keyStart};

constexpr const char* kPadPrompts[kPadSteps + 1] = {"PRESS ATTACK BUTTON",      "PRESS JUMP BUTTON",
                                                    "PRESS BOOST BUTTON",       "PRESS BOMB BUTTON",
                                                    "PRESS START/PAUSE BUTTON", "PRESS ANY BUTTON TO FINISH"};
constexpr const char* kPadLabels[kPadSteps] = {"ATTACK...........", "JUMP.............", "BOOST............",
                                               "BOMB.............", "START/PAUSE......"};
constexpr const char* kKeyPrompts[kKeySteps + 1] = {
    "PRESS LEFT KEY",        "PRESS RIGHT KEY",        "PRESS UP KEY",    "PRESS DOWN KEY",
    "PRESS ATTACK KEY",      "PRESS JUMP KEY",         "PRESS BOOST KEY", "PRESS BOMB KEY",
    "PRESS START/PAUSE KEY", "PRESS ANY KEY TO FINISH"};
constexpr const char* kKeyLabels[kKeySteps] = {"LEFT.............", "RIGHT............", "UP...............",
                                               "DOWN.............", "ATTACK...........", "JUMP.............",
                                               "BOOST............", "BOMB.............", "START/PAUSE......"};

// What the small player picture acts out for a step.
enum PictureAction { kNoPicture, kWalkLeft, kWalkRight, kCrouch, kKnife, kJump, kBoost, kBomb };
constexpr PictureAction kPadPictures[kPadSteps + 1] = {kKnife, kJump, kBoost, kBomb, kNoPicture, kNoPicture};
constexpr PictureAction kKeyPictures[kKeySteps + 1] = {
    kWalkLeft, kWalkRight, kNoPicture, kCrouch, kKnife, kJump, kBoost, kBomb, kNoPicture, kNoPicture};

const char* QualityText(uint8_t quality) {
    switch (quality) {
        case 0:
            return "...OFF";
        case 1:
            return "...LOW";
        case 2:
            return "MIDDLE";
        case 3:
            return "..HIGH";
        default:
            return nullptr;
    }
}

const char* ScreenModeText(int32_t mode) {
    if (mode == 1) return "........WINDOW";
    if (mode == 0) return "...FULL SCREEN";
    return nullptr;
}

// Whether value is one of the first count fields of a pass.
bool AssignedBefore(int32_t* const* order, int count, int32_t value) {
    for (int i = 0; i < count; ++i) {
        if (*order[i] == value) return true;
    }
    return false;
}

void DrawCursorSprite(int frame, int x, int y) {
    DrawImagePart(x, y, frame, 0, 20, 20, commonGraphic, 1, 0);
}

}  // namespace

OptionScreenTask::OptionScreenTask() : Character(-1, 0.0, 0.0) {
    keyNames.Load();
}

void OptionScreenTask::UpdateMenu() {
    if (InputPressed(kInputUp)) {
        cursor = static_cast<uint8_t>((cursor + 5) % itemCount);
        PlaySoundEffect(kSeCursor);
    } else if (InputPressed(kInputDown)) {
        cursor = static_cast<uint8_t>((cursor + 1) % itemCount);
        PlaySoundEffect(kSeCursor);
    }
    const bool right = InputPressed(kInputRight), left = InputPressed(kInputLeft);
    if (cursor == kBgmQuality && (right || left)) {
        bgmQuality = static_cast<uint8_t>(right ? (bgmQuality + 1) % 4 : (bgmQuality + 3) % 4);
        PlaySoundEffect(kSeJump);
    } else if (cursor == kSoundEffect && (right || left)) {
        soundEffectsOn = soundEffectsOn == 1 ? 0 : 1;
        PlaySoundEffect(kSeJump);
    } else if (cursor == kScreenMode && (right || left)) {
        screenModeSetting = screenModeSetting == 1 ? 0 : 1;
        PlaySoundEffect(kSeJump);
    }
    if (!ConfirmPressed()) return;
    switch (cursor) {
        case kExit:
            ResetBgmQuality();
            PlaySoundEffect(kSeBreak);
            SaveSettings();
            dead = 1;
            break;
        case kScreenMode:
            PlaySoundEffect(kSeBreak);
            ApplyScreenMode(0);
            screenModeChanged = 1;
            Character::LoadCommonGraphics();
            ReloadBitmapFont();
            break;
        case kGamepad:
        case kKeyboard:
            PlaySoundEffect(kSeBreak);
            step = 0;
            released = 0;
            state = cursor == kGamepad ? kPadButtons : kKeyboardKeys;
            break;
        default:
            break;
    }
}

void OptionScreenTask::UpdatePadButtons() {
    const uint32_t m = inputNow;
    if (m == 0) released = 1;
    const bool fresh = m != inputPrev && m != 0 && m >= kFirstButtonBit;
    if (step >= kPadSteps) {
        if (fresh) {
            PlaySoundEffect(kSeBreak);
            state = kMenu;
        }
        return;
    }
    const auto value = static_cast<int32_t>(m);
    if (!fresh || !std::has_single_bit(m) || AssignedBefore(kPadOrder, step, value)) return;
    if (step == 0 && !released) return;
    *kPadOrder[step] = value;
    PlaySoundEffect(kSeJump);
    ++step;
}

void OptionScreenTask::UpdateKeyboardKeys() {
    GetAllKeyStates(keyStates);
    previousKey = currentKey;
    currentKey = FindSinglePressedKey(keyStates);
    if (currentKey == 0) released = 1;
    const bool fresh = currentKey >= 1 && currentKey != previousKey;
    if (step >= kKeySteps) {
        if (fresh) {
            PlaySoundEffect(kSeBreak);
            state = kMenu;
        }
        return;
    }
    if (!fresh || AssignedBefore(kKeyOrder, step, currentKey)) return;
    if (step == 0 && !released) return;
    *kKeyOrder[step] = currentKey;
    PlaySoundEffect(kSeJump);
    ++step;
}

void OptionScreenTask::Update() {
    if (state == kMenu) {
        UpdateMenu();
    } else if (state == kPadButtons) {
        UpdatePadButtons();
    } else if (state == kKeyboardKeys) {
        UpdateKeyboardKeys();
    }
    cursorFrame = (counter / 4 % 4 + 1) * 20;
    ++counter;
}

void OptionScreenTask::DrawMenu() {
    DrawBitmapText(145, 20, "OPTION MENU", kTextLimit);
    DrawBitmapText(60, 50, "GAMEPAD SETTING", kTextLimit);
    DrawBitmapText(60, 70, "KEYBOARD SETTING", kTextLimit);
    DrawBitmapText(60, 90, "BGM QUALITY...........", kTextLimit);
    DrawBitmapText(60, 110, "SOUND EFFECT..........", kTextLimit);
    DrawBitmapText(60, 130, "SCREEN MODE...", kTextLimit);
    DrawBitmapText(60, 150, "EXIT", kTextLimit);
    if (const char* text = QualityText(bgmQuality)) DrawBitmapText(280, 90, text, kTextLimit);
    DrawBitmapText(280, 110, soundEffectsOn != 0 ? "....ON" : "...OFF", kTextLimit);
    if (const char* text = ScreenModeText(screenModeSetting)) DrawBitmapText(200, 130, text, kTextLimit);
    DrawCursorSprite(cursorFrame, 36, 43 + 20 * cursor);
}

void OptionScreenTask::DrawPadButtons() {
    DrawBitmapText(125, 20, "GAMEPAD SETTING", kTextLimit);
    DrawBitmapText(60, 50, kPadPrompts[step <= kPadSteps ? step : kPadSteps], kTextLimit);
    for (int i = 0; i < kPadSteps; ++i) {
        const int y = 80 + 20 * i;
        if (i != step || counter % 4 < 2) DrawBitmapText(140, y, kPadLabels[i], kTextLimit);
        const auto bit = static_cast<uint32_t>(*kPadOrder[i]);
        // A button bit below 16 (from a foreign settings file) has no number to show.
        if (bit >= kFirstButtonBit) DrawNumber(std::bit_width(bit / kFirstButtonBit), 2, 310, y);
    }
    SetBlend(kBlendAlpha, 180);
    DrawBoxShape(310, 80 + 20 * step, 400, 180, PackColor(0, 0, 0), 1);
    SetBlend(kBlendNone, 0);
    DrawCursorSprite(cursorFrame, 36, 43);
    DrawPlayerPicture(kPadPictures[step <= kPadSteps ? step : kPadSteps]);
}

void OptionScreenTask::DrawKeyboardKeys() {
    DrawBitmapText(120, 20, "KEYBOARD SETTING", kTextLimit);
    DrawBitmapText(60, 50, kKeyPrompts[step <= kKeySteps ? step : kKeySteps], kTextLimit);
    for (int i = 0; i < kKeySteps; ++i) {
        const int y = 80 + 20 * i;
        if (i != step || counter % 4 < 2) DrawBitmapText(140, y, kKeyLabels[i], kTextLimit);
        DrawBitmapText(310, y, keyNames.Name(*kKeyOrder[i]), kTextLimit);
    }
    SetBlend(kBlendAlpha, 180);
    DrawBoxShape(310, 80 + 20 * step, 400, 300, PackColor(0, 0, 0), 1);
    SetBlend(kBlendNone, 0);
    DrawCursorSprite(cursorFrame, 36, 43);
    DrawPlayerPicture(kKeyPictures[step <= kKeySteps ? step : kKeySteps]);
}

// The player graphic's standing body is an upper piece (x, 0) 40 x 40 over a lower piece 40 x 30.
void OptionScreenTask::DrawPlayerPicture(int action) {
    constexpr int kX = 60, kY = 100;
    const int walk = counter / 6 % 6;
    const auto body = [](int upperX, int lowerX, int lowerY, int turn, int dx = 0) {
        DrawImagePart(kX + dx, kY - 10, upperX, 0, 40, 40, playerGraphic, 1, turn);
        DrawImagePart(kX + dx, kY + 20, lowerX, lowerY, 40, 30, playerGraphic, 1, turn);
    };
    switch (action) {
        case kWalkLeft:
        case kWalkRight: {
            constexpr int kRunUpper[6] = {120, 120, 160, 200, 200, 160};
            body(kRunUpper[walk], walk * 40, 70, action == kWalkLeft ? 1 : 0);
            break;
        }
        case kCrouch:
            DrawImagePart(kX, kY, counter / 6 % 2 * 40, 100, 40, 40, playerGraphic, 1, 0);
            break;
        case kKnife: {
            const int swing = counter % 30;
            body(swing < 4 ? 40 : 80, 0, 40, 0);
            if (swing >= 4 && swing < 10)
                DrawImagePart(kX, kY - 20, (swing - 4) / 2 * 60, 160, 60, 60, playerGraphic, 1, 0);
            break;
        }
        case kJump:
            DrawImagePart(kX, kY - 10 - (counter % 40 < 20 ? counter % 20 : 20 - counter % 20), 0, 0, 40, 40,
                          playerGraphic, 1, 0);
            break;
        case kBoost:
            SetBlend(kBlendAdd, 160);
            for (int i = 2; i >= 1; --i) body(120, 80, 40, 0, -12 * i);
            SetBright(255, 33, 0);
            SetBlend(kBlendAdd, 120);
            body(120, 80, 40, 0);
            SetBlend(kBlendNone, 0);
            SetBright(255, 255, 255);
            break;
        case kBomb:
            body(counter % 30 < 10 ? 40 : 0, 0, 40, 0);
            break;
        default:
            break;
    }
}

void OptionScreenTask::Draw() {
    DrawScreenCover(kBlendAlpha, 255, PackColor(0, 0, 0));
    if (state == kMenu) {
        DrawMenu();
    } else if (state == kPadButtons) {
        DrawPadButtons();
    } else if (state == kKeyboardKeys) {
        DrawKeyboardKeys();
    }
}
