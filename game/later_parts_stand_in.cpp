// Stand-ins for the parts of the game that the frame calls but that are built later: the task classes
// the main loop creates (title screen, player, stage start, the map's object types), map loading, sound
// effects and music, text drawing and the music player. Each does the least that lets the main loop
// run; replace them piece by piece as the real ones arrive.
#include <cstdio>
#include <cstring>

#include "engine/core/window_mode.h"
#include "engine/graphics/graphics.h"
#include "game/game_state.h"
#include "game/input_mask.h"
#include "game/key_config.h"
#include "game/map_data.h"
#include "game/music_player.h"
#include "game/scene_code.h"
#include "game/sound_effects.h"
#include "game/task_factory.h"
#include "game/task_registry.h"
#include "game/text_drawing.h"

int32_t solidBoxCount = 0;
HANDLE memoryFont = nullptr;

namespace {

int32_t fontGraphic = 0;

// The title screen stand-in: START (or 600 idle frames, which go to the opening demo) ends it.
class TitleScreenStandIn : public Character {
  public:
    TitleScreenStandIn() { RegisterInGroup(kGroupNoCollision); }
    void Update() override {
        if (InputPressed(static_cast<uint32_t>(keyConfig.padStart))) {
            fullGameMode = sceneCode == kSceneAreaSelect ? 0 : 1;
            areaNumber = 1;
            dead = 1;
        } else if (++counter >= 600) {
            sceneCode = kSceneOpeningDemo;
            dead = 1;
        }
    }
    void Draw() override { DrawBitmapText(155, 140, "KORVALUND", 9); }
};

// A task that only holds its place in a group.
class PlaceholderTask : public Character {
  public:
    PlaceholderTask(MapData* map_, int group_) {
        map = map_;
        RegisterInGroup(group_);
    }
};

}  // namespace

Character* CreateTitleScreenTask() {
    return CreateTask<TitleScreenStandIn>();
}
Character* CreatePlayerTask(MapData* map) {
    return CreateTask<PlaceholderTask>(map, kGroupPlayer);
}
Character* CreateStageStartTask(MapData* map) {
    return CreateTask<PlaceholderTask>(map, kGroupSceneControl);
}
Character* SpawnMapObject(MapData*, MapObjectRecord*) {
    return nullptr;
}

void MapData::Clear() {
    std::memset(static_cast<void*>(this), 0, sizeof(*this));
    width = 320;
    height = 240;
}

bool MapData::Load(const char* mapPath) {
    std::snprintf(path, sizeof(path), "%s", mapPath);
    SetMainWindowText("Error : MapData::Load() : File not found");
    return false;
}

void MapData::Unload() {
    graphicCount = objectCount = layerCount = 0;
    cameraX = cameraY = 0;
    solidBoxCount = 0;
}

void MapData::RegisterLayers() {
    for (int i = 0; i < layerCount; ++i) RegisterDrawLayer(&layers[i], layers[i].drawLayer);
}

void MapData::SetCamera(int x, int y) {
    cameraX = x;
    cameraY = y;
    UpdateLayerScrolls();
}

void MapData::UpdateLayerScrolls() {
    for (int i = 0; i < layerCount; ++i) {
        layers[i].scrollX = cameraX * layers[i].parallax / 6;
        layers[i].scrollY = cameraY * layers[i].parallax / 6;
    }
}

void MapData::SpawnObjectsInView() {
    for (int i = 0; i < objectCount; ++i) {
        MapObjectRecord& record = objects[i];
        if (record.type < 0 || record.spawned) continue;
        const bool inView = cameraX < record.x + record.w && cameraY < record.y + record.h &&
                            cameraX + 400 > record.x && cameraY + 300 > record.y;
        if (!inView && i != 0) continue;
        SpawnMapObject(this, &record);
        record.spawned = 1;
    }
}

void LayerData::Draw() {}

void LoadSoundEffects() {}
void PlaySoundEffect(int) {}
void StopAllSoundEffects() {}
void SetAllSoundEffectVolumes(int) {}
void ChangeBgm(const char*, int) {}
void StopBgm() {
    currentTune[0] = '\0';
}

void ReloadBitmapFont() {
    if (fontGraphic != 0) FreeGraphic(fontGraphic, 0);
    fontGraphic = LoadGraphFile("./data/graphics/font.png", 0);
}

void DrawBitmapText(int x, int y, const char* text, int maxChars) {
    for (int i = 0; i < maxChars && text[i] != '\0'; ++i) {
        const int c = static_cast<unsigned char>(text[i]);
        if (c < 33 || c > 96) continue;
        DrawImagePart(x + 10 * i, y, (c - 33) % 8 * 10, (c - 33) / 8 * 10, 10, 10, fontGraphic, 1, 0);
    }
}

void LoadTextFont() {}
void RemoveTextFont() {}

int pxtone_Ready(HWND, int, int, int, float, int, void*) {
    return 1;
}
int pxtone_Release() {
    return 1;
}
int pxtone_Tune_SetVolume(float) {
    return 1;
}
int pxtone_Tune_Stop() {
    return 1;
}
int pxtone_Tune_Release() {
    return 1;
}
