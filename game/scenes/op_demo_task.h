// The director of the opening: the narration on black, the village at night, the craft arriving, the
// dialogue, the attack with its walkers, quake and explosions, the pictures of the hero's departure, and
// the hand-over to the title. START skips it at any point.
#pragma once

#include <cstdint>

#include "game/frame/character.h"

class DemoUfoTask;
class TalkDemoTask;

class OpDemoTask : public Character {
  public:
    enum OpeningState : int32_t {
        kNarration = 0,
        kArrival = 1,
        kToTheAttack = 2,
        kAttack = 3,
        kToThePrayer = 4,
        kPrayer = 5,
        kToTheDeparture = 6,
        kDeparture = 7,
    };

    OpDemoTask(const MapObjectRecord& record, MapData* map);
    void Update() override;
    void Draw() override;

    int32_t backdropAlpha = 255;
    int32_t curtainAlpha = 255;
    int32_t narrationAlpha = 255;
    int32_t scriptStep = 0;  // shared with the craft and the dialogue
    uint8_t picture1 = 0, picture2 = 0;
    Character* logo = nullptr;
    Character* huts[2] = {};
    DemoUfoTask* ufo = nullptr;
    TalkDemoTask* talk = nullptr;

  private:
    void Narration();
    void Arrival();
    void ToTheAttack();
    void Attack();
    void ToThePrayer();
    void Prayer();
    void ToTheDeparture();
    void Departure();
    // The state's first update then sees the frame counter at 0.
    void Enter(int next);
    void FadeUp();
    void FadeDown();
    void MakeLogo();
    void Shake() const;
    void Explode() const;
};
