// The boss arena's shutter gate: a column of n tiles under its point that closes behind the player tile
// by tile (tiles 116 to 119 are its frames) and opens at once when the player goes back.
#pragma once

#include <cstdint>

#include "game/frame/character.h"

constexpr int kShutterFirstTile = 116;
constexpr int kShutterLastTile = 119;

class ShutterTask : public Character {
  public:
    enum ShutterState : int32_t { kWatching = 0, kClosing = 1, kOpening = 2 };

    ShutterTask(int x, int y, MapData* map, int n);
    void Update() override;

    uint8_t closed = 0;
    int32_t length = 0;
    int32_t cellsClosed = 0;  // cells filled by the closing under way

  private:
    int TileAtPoint(int dy) const;
    void SetTileAtPoint(int dy, int id);
    bool InsideLayer(int dy) const;
    void Watch();
    void Close();
    void Open();
};
