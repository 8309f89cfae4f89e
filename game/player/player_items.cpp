// Items: tiles of the item layer under nine points of the player's box.
#include "game/frame/game_state.h"
#include "game/map/world_tiles.h"
#include "game/player/player_task.h"
#include "game/sound_text/sound_effects.h"

namespace {

constexpr int kItemLayer = 1;
constexpr int kItemColumn = 12;  // items are the tiles of column 12 in the first four rows
constexpr int kItemColumns = 16;
constexpr int kLastItem = 60;
constexpr int kHarmfulTile = 16;
constexpr int kHitHarmful = 4;

constexpr int kElement = 12;
constexpr int kBomb = 28;
constexpr int kExtraLife = 44;
constexpr int kRecovery = 60;

constexpr int kElementsPerLife = 100;
constexpr int kMaxBoostEnergy = 150;
constexpr int kMaxHealth = 3;

}  // namespace

// Top row first, left to right; an item is cleared at the first point that finds it.
void PlayerTask::PickUpItems() {
    for (int j = 0; j <= 2; ++j) {
        for (int i = 0; i <= 2; ++i) {
            const int px = static_cast<int>(x + boxX + i * boxW / 2);
            const int py = static_cast<int>(y + boxY + j * boxH / 2);
            const int tile = WorldTileAt(map, kItemLayer, px, py, false);
            if (tile % kItemColumns == kItemColumn && tile <= kLastItem) {
                SetWorldTile(map, kItemLayer, px, py, 0);
                CollectItem(tile);
            } else if (tile == kHarmfulTile) {
                hitCode = kHitHarmful;  // taken by the damage check of the next update
            }
        }
    }
}

void PlayerTask::CollectItem(int tile) {
    switch (tile) {
        case kElement:
            if (++elementCount >= kElementsPerLife) {
                ++playerStock;
                elementCount = 0;
                PlaySoundEffect(kSe1Up);
            } else {
                PlaySoundEffect(kSeElement);
            }
            if (++boostEnergy > kMaxBoostEnergy) boostEnergy = kMaxBoostEnergy;
            break;
        case kBomb:
            if (bombHeld == 0) PlaySoundEffect(kSeBombGet);
            bombHeld = 1;
            break;
        case kExtraLife:
            ++playerStock;
            PlaySoundEffect(kSe1Up);
            break;
        case kRecovery:
            if (++health > kMaxHealth) health = kMaxHealth;
            PlaySoundEffect(kSeRecover);
            break;
        default:
            break;
    }
}
