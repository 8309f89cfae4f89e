// The option screen, a child of the title: music quality, sound effects, window or full screen, and the
// assignment of the five pad buttons and the nine keyboard keys; the settings are saved when it is left.
#pragma once

#include <cstdint>

#include "game/frame/character.h"
#include "game/scenes/key_names.h"

class OptionScreenTask : public Character {
  public:
    OptionScreenTask();
    void Update() override;
    void Draw() override;

    uint8_t itemCount = 6;
    uint8_t cursor = 0;
    int32_t cursorFrame = 160;
    int32_t step = 0;
    uint8_t released = 0;
    char keyStates[kKeyCodeCount] = {};
    KeyNames keyNames;
    int32_t currentKey = 0, previousKey = 0;
    uint8_t screenModeChanged = 0;

  private:
    void UpdateMenu();
    void UpdatePadButtons();
    void UpdateKeyboardKeys();
    void DrawMenu();
    void DrawPadButtons();
    void DrawKeyboardKeys();
    void DrawPlayerPicture(int action);
};
