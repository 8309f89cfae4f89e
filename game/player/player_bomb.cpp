// The bomb: a screen-wide blast that also breaks every breakable block in view.
#include "engine/sound/sound.h"
#include "game/devices/falling_object_task.h"
#include "game/frame/game_state.h"
#include "game/frame/input_mask.h"
#include "game/frame/key_config.h"
#include "game/frame/only_collision_task.h"
#include "game/frame/task_factory.h"
#include "game/frame/task_registry.h"
#include "game/map/world_tiles.h"
#include "game/player/player_task.h"
#include "game/sound_text/sound_effects.h"

namespace {

constexpr int kBombQuakeFrames = 12;
constexpr int kDebrisGroupLimit = 180;
// The sweep's points: the centres of the 20-pixel cells from (-20, -20) to (400, 300) of the screen.
constexpr int kSweepFirst = -20;
constexpr int kSweepLastX = 400;
constexpr int kSweepLastY = 300;

uint32_t BombButton() {
    return static_cast<uint32_t>(keyConfig.padBomb);
}

bool InsideLayer(const LayerData& layer, int x, int y) {
    const int64_t lx = int64_t{x} + layer.scrollX, ly = int64_t{y} + layer.scrollY;
    return lx >= 0 && ly >= 0 && lx < int64_t{layer.width} * kTileSize &&
           ly < int64_t{layer.height} * kTileSize;
}

}  // namespace

void PlayerTask::UseBomb() {
    if (bombHeld != 1 || !InputPressed(BombButton())) return;
    CreateTask<OnlyCollisionTask>();
    CreateQuakeTask(kBombQuakeFrames, 1);
    bombHeld = 0;
    PlaySoundEffect(kSeBomb);
    BreakBlocksInView();
}

// Points beyond the layer's edges would read the edge tiles repeated outward, which cannot be cleared:
// only points inside the layer count.
void PlayerTask::BreakBlocksInView() {
    LayerData* layer = map != nullptr ? map->Layer(0) : nullptr;
    if (layer == nullptr) return;
    for (int py = kSweepFirst; py <= kSweepLastY; py += kTileSize) {
        for (int px = kSweepFirst; px <= kSweepLastX; px += kTileSize) {
            const int sx = px + kTileSize / 2, sy = py + kTileSize / 2;
            if (!InsideLayer(*layer, sx, sy) || layer->TileAt(sx, sy, false) != kBreakableTile) continue;
            layer->SetTile(sx, sy, 0);
            int cornerX = 0, cornerY = 0;
            WorldTileCorner(map, 0, sx + map->cameraX, sy + map->cameraY, &cornerX, &cornerY);
            CreateBlockDebris(cornerX, cornerY, kDebrisGroupLimit);
            PlaySoundEffect(kSeBreak);
        }
    }
}
