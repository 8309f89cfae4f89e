// Shared pieces of the scene tests: frame-by-frame input, the bitmap text read back from the recorded
// glyph draws, and the whole-screen covers drawn.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "game/frame/character.h"
#include "game/frame/input_mask.h"
#include "game/sound_text/sound_effects.h"
#include "game/sound_text/text_drawing.h"
#include "tests/game/game_fixture.h"

constexpr int kTestFontGraphic = 77;
constexpr int kTestTextFont = 88;
constexpr int kTestCommonGraphic = 66;
constexpr int kTestPlayerGraphic = 55;
constexpr uint32_t kAttack = 16, kJump = 32, kBomb = 64, kStart = 128, kBoost = 512;

class SceneTest : public GameTest {
  protected:
    void SetUp() override {
        GameTest::SetUp();
        fontGraphic = kTestFontGraphic;
        textFont = kTestTextFont;
        commonGraphic = kTestCommonGraphic;
        playerGraphic = kTestPlayerGraphic;
    }
    void TearDown() override {
        GameTest::TearDown();
        fontGraphic = 0;
        textFont = -1;
    }

    // One frame of a task with this frame's input mask.
    static void Step(Character& task, uint32_t mask = 0) {
        inputPrev = inputNow;
        inputNow = mask;
        task.Update();
    }
    static void Steps(Character& task, int frames, uint32_t mask = 0) {
        for (int i = 0; i < frames; ++i) Step(task, mask);
    }
    // A press: one frame with the bits, one without.
    static void Press(Character& task, uint32_t bits) {
        Step(task, bits);
        Step(task, 0);
    }

    // The bitmap text of one row y, glyphs placed by their x (10 pixels a cell, blanks as spaces),
    // starting at the leftmost glyph; the recorded draws since the last clear.
    static std::string RowText(int y) {
        std::map<int64_t, char> glyphs;
        for (const auto& call : recording::Named("DrawImagePart")) {
            if (call.args[6] != kTestFontGraphic || call.args[1] != y) continue;
            glyphs[call.args[0]] = static_cast<char>(33 + call.args[2] / 10 + call.args[3] / 10 * 8);
        }
        if (glyphs.empty()) return "";
        std::string text;
        const int64_t first = glyphs.begin()->first;
        for (const auto& [x, c] : glyphs) {
            const size_t at = static_cast<size_t>((x - first) / 10);
            if (text.size() < at) text.resize(at, ' ');
            text += c;
        }
        return text;
    }
    static int RowStart(int y) {
        int64_t first = -1;
        for (const auto& call : recording::Named("DrawImagePart")) {
            if (call.args[6] != kTestFontGraphic || call.args[1] != y) continue;
            if (first < 0 || call.args[0] < first) first = call.args[0];
        }
        return static_cast<int>(first);
    }
    // The font texts drawn (each once, without the shadow draw).
    static std::vector<std::string> FontTexts() {
        std::vector<std::string> texts;
        for (const auto& call : recording::Named("DrawStringWithFont")) {
            if (call.args[2] == 0xF7F7F7) texts.push_back(call.text);
        }
        return texts;
    }
    // Effect n gets sound handle 1000 + n, every effect audible.
    static void UseTestSoundEffects() {
        for (int id = 0; id < kSoundEffectCount; ++id) {
            soundEffects[id] = 1000 + id;
            soundEffectVolume[id] = 255;
        }
    }
    // The effects played, in order.
    static std::vector<int> EffectsPlayed() {
        std::vector<int> ids;
        for (const auto& call : recording::Named("PlaySoundHandle"))
            ids.push_back(static_cast<int>(call.args[0]) - 1000);
        return ids;
    }
    // How often the effect was played.
    static int CountPlayed(int effect) {
        int n = 0;
        for (int id : EffectsPlayed()) n += id == effect;
        return n;
    }
    static void ClearCalls() { recording::Lib().calls.clear(); }
    // The blend parameter set just before the last filled whole-screen box of the colour.
    static int LastCoverAlpha(uint32_t color = 0) {
        int alpha = -1, blend = -1;
        for (const auto& call : recording::Lib().calls) {
            if (call.name == "SetBlend") blend = static_cast<int>(call.args[1]);
            if (call.name == "DrawBoxShape" && call.args[0] == 0 && call.args[1] == 0 &&
                call.args[2] == 400 && call.args[3] == 300 && call.args[4] == color && call.args[5] == 1)
                alpha = blend;
        }
        return alpha;
    }
};
