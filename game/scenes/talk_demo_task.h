// The dialogue of the story scenes: two portraits that slide in and out, a text box and the lines typed
// letter by letter. Its script index is the task's state; it reads and advances its owner's script step.
#pragma once

#include <cstdint>

#include "game/frame/character.h"
#include "game/scenes/talk_demo_lines.h"

class TalkDemoTask : public Character {
  public:
    TalkDemoTask(double x, double y, MapData* map, int32_t* scriptStep);
    void Update() override;
    void Draw() override;

    int LineIndex() const { return state; }

    int32_t* scriptStep;
    int32_t leftOffset = 80, rightOffset = 80;  // 80: out of the screen
    int32_t speaker = 0;
    int32_t shownBytes = 0;
    int32_t lineLength = 0;
    int32_t extraWait = 0;
    uint8_t typing = 0;
    int32_t blinkCounter = 0;

  private:
    void RunScriptIndex();
    void GoTo(int index);
    void StartLine();
    void TypeLine();
    void EndLine();
    // Moves both portraits by delta within 0 to 80.
    void SlidePortraits(int delta);
    // The slide-out and slide-in pause in the middle of a scene.
    void Intermission(int outStep, int doneStep, int inStep, int nextIndex);
    void DrawPortrait(int side, int offset) const;
    void DrawBox(int lineSpeaker) const;
    void DrawLines(const TalkLine& line) const;

    int32_t ownStep = 0;
};
