#include "game/scenes/replay_save_prompt.h"

#include "engine/core/input/input.h"
#include "engine/graphics/graphics.h"
#include "game/scenes/scene_drawing.h"
#include "game/sound_text/text_drawing.h"

namespace {

constexpr int kKeyF4 = 62;

}  // namespace

bool ReplaySaveRequested() {
    return GetKeyState1(kKeyF4) != 0 && replayBuffer.hasData != 0;
}

void ReplaySavePrompt::Begin() {
    step = 0;
    result = -1;
    saved = 1;
}

bool ReplaySavePrompt::Update() {
    if (step == 0) {
        result = SaveReplay(name);
        step = 1;
    }
    saved = result >= 0 ? 1 : 0;
    return ConfirmPressed();
}

void ReplaySavePrompt::Draw() const {
    DrawScreenCover(kBlendAlpha, 224, PackColor(0, 0, 0));
    DrawOutline(51, 101, 351, 181, PackColor(82, 82, 82));
    DrawOutline(50, 100, 350, 180, PackColor(247, 247, 247));
    if (step == 0) {
        DrawFontText(140, 134, "リプレイデータを保存中です……", kFontTextLimit);
    } else if (saved) {
        DrawFontText(60, 114, "リプレイデータを以下のファイルに保存しました。", kFontTextLimit);
        DrawFontText(60, 154, "Korvalund.exeにドラッグ&ドロップで再生できます。", kFontTextLimit);
        DrawFontText(160, 134, name, kFontTextLimit);
    } else {
        DrawFontText(60, 114, "リプレイデータの保存に失敗しました。", kFontTextLimit);
    }
}

bool DrawReplaySaveHint() {
    if (!replayBuffer.hasData) return false;
    DrawRedText(40, 280, "[ PRESS F4 TO SAVE REPLAY DATA ]");
    return true;
}
