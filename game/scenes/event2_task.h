// The final scene after the boss area: a fade-in on a rising shaft that loops every 900 pixels while the
// player figure flies up out of the eruption, then a banner and the results board counting up the four
// area times, the total and the player stock with their bonuses and a new-record flag; START or ATTACK
// fades out and moves the game on.
#pragma once

#include <cstdint>

#include "game/frame/character.h"
#include "game/scenes/scene_drawing.h"

class Event2Task : public Character {
  public:
    enum FinalState : int32_t { kResults = -1, kRising = 0, kBanner = 1, kWaiting = 2, kFadeOut = 3 };
    static constexpr int kRowCount = 5;  // areas 1 to 4, then the total
    static constexpr int kTotalRow = 4;

    Event2Task(const MapObjectRecord& record, MapData* map);
    ~Event2Task() override;
    void Update() override;
    void Draw() override;

    int32_t coverAlpha = 255;
    int32_t fadeOutAlpha = 0;
    int32_t glow = 120;
    uint8_t glowRising = 0;
    uint8_t rowShown[kRowCount] = {};
    FrameTime times[kRowCount] = {};
    int32_t totalTime = 0;
    uint8_t stockShown = 0;
    uint8_t fastTotalBonus = 0;
    uint8_t stockBonus = 0;
    uint8_t newRecord = 0;
    double bannerX = 400.0;

  private:
    void UpdateRising();
    void UpdateBanner();
    void UpdateResults();
    void ShowAreaRow(int area);
    void ShowTotal();
    void ShowStock();
    void MoveGlow();
    void ClimbCamera();
    void DrawBoard() const;
};
