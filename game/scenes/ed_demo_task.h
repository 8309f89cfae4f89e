// The director of the ending: it fades the ending map in, starts its tune, lets the dialogue decide the
// ending, and shows the short ending ("THE END...?") or the full one (the hero's return, the picture,
// the thanks and the credit line, then "THE END"); a new press of ATTACK or START goes to the title.
#pragma once

#include <cstdint>

#include "game/frame/character.h"

class TalkDemoTask;
class EdYopagaTask;

class EdDemoTask : public Character {
  public:
    enum EndingState : int32_t {
        kOpening = 0,
        kDialogue = 1,
        kShortEnding = 2,
        kToTitle = 3,
        kHeroReturns = 10,
        kAfterReturn = 11,
        kThanks = 12,
        kTheEnd = 13,
    };

    EdDemoTask(const MapObjectRecord& record, MapData* map);
    void Update() override;
    void Draw() override;

    int32_t coverAlpha = 0;
    int32_t fadeAlpha = 255;
    int32_t glow = 40;
    uint8_t glowRising = 1;
    int32_t sceneStep = 0;  // shared with the dialogue and the hero
    uint8_t picture = 0;
    int32_t titleShown = 0, thanksShown = 0, creditShown = 0;
    Character* scenery[2] = {};
    EdYopagaTask* hero = nullptr;
    TalkDemoTask* talk = nullptr;

  private:
    void Opening();
    void Dialogue();
    void ShortEnding();
    void ToTitle();
    void HeroReturns();
    void AfterReturn();
    void Thanks();
    void TheEnd();
    // Reveals one more title character every 20 frames up to limit; once whole, a new press of ATTACK or
    // START goes on to the title.
    void RevealTitle(int limit);
    void Glow();
};

// The last line of the full ending's credits.
extern const char* const kEndingCreditLine;
