#include "game/scenes/event1_task.h"

#include "game/devices/move_yoko_platform_task.h"
#include "game/devices/shutter_task.h"
#include "game/frame/game_state.h"
#include "game/frame/task_registry.h"
#include "game/map/map_data.h"
#include "game/map/world_tiles.h"
#include "game/sound_text/sound_effects.h"

namespace {

constexpr int kScriptTile = 60;
constexpr int kWriteLayer = 1;
constexpr int kProbeLayer = 0;
constexpr int kPlatformType = 21;

struct Point {
    int x, y;
};
struct Box {
    int x, y, w, h;
};
struct Shutter {
    int x, y, length;
};

constexpr Point kArea1Tiles[] = {{2130, 170}, {2150, 170}, {4970, 190}, {4970, 210},
                                 {8770, 230}, {8790, 230}, {9870, 50}};
constexpr Box kArea1Platforms[] = {{4680, 120, 40, 20}, {4920, 120, 40, 20}, {6040, 180, 40, 20},
                                   {6300, 180, 40, 20}, {9680, 200, 40, 20}, {9840, 140, 40, 20}};
constexpr Point kArea2Tiles[] = {{1070, 210}, {1070, 230},  {2370, 170},
                                 {1070, 570}, {1890, 1170}, {1910, 1170}};
constexpr Shutter kArea2Shutters[] = {
    {380, 1120, 5}, {560, 1120, 5}, {740, 1120, 5}, {1220, 1180, 2}, {2360, 1140, 4}};
constexpr Box kArea2Platforms[] = {{1800, 200, 40, 20}, {2200, 160, 20, 20}};
constexpr Point kArea3Tiles[] = {{2690, 610},  {3530, 1050}, {2070, 1150},
                                 {2090, 1150}, {1450, 50},   {1450, 70}};
constexpr Box kArea3Platforms[] = {{1260, 140, 40, 20}, {1380, 200, 40, 20}};

constexpr int kPlayerOnRightWall = 1;
constexpr int kPlayerOnFloor = 0;

}  // namespace

Event1Task::Event1Task(const MapObjectRecord& record, MapData* map_) : Character(record) {
    map = map_;
    if (map != nullptr) {
        lastCameraX = map->cameraX;
        lastCameraY = map->cameraY;
    }
    drawLayer = 0;
    RegisterInGroup(kGroupNoCollision);
}

void Event1Task::Update() {
    if (map != nullptr) {
        const bool first = counter == 0;
        switch (map->kind) {
            case 1:
                if (first) SetUpArea1();
                break;
            case 2:
                if (first) SetUpArea2();
                GuideArea2();
                break;
            case 3:
                if (first) SetUpArea3();
                map->lockFlags = 0;
                if (first && playerY < 300.0) state = 3;
                GuideArea3();
                break;
            case kBossMapKind:
                if (first) SetUpArea4();
                break;
            default:
                break;
        }
        cameraX = map->cameraX;
        cameraY = map->cameraY;
    }
    ++counter;
    lastCameraX = cameraX;
    lastCameraY = cameraY;
}

void Event1Task::SetUpArea1() {
    for (const Point& p : kArea1Tiles) WriteTile(p.x, p.y);
    for (const Box& b : kArea1Platforms) MakePlatform(b.x, b.y, b.w, b.h);
}

void Event1Task::SetUpArea2() {
    for (const Point& p : kArea2Tiles) WriteTile(p.x, p.y);
    for (const Shutter& s : kArea2Shutters) MakeShutter(s.x, s.y, s.length);
    for (const Box& b : kArea2Platforms) MakePlatform(b.x, b.y, b.w, b.h);
}

void Event1Task::SetUpArea3() {
    for (const Point& p : kArea3Tiles) WriteTile(p.x, p.y);
    for (const Box& b : kArea3Platforms) MakePlatform(b.x, b.y, b.w, b.h);
}

void Event1Task::SetUpArea4() {
    map->lockFlags = kLockLeft;
    ChangeBgm("./bgm/boss1.pttune", 0);
}

// The first zone whose condition holds applies its guides.
void Event1Task::GuideArea2() {
    const double px = playerX, py = playerY;
    if (py > 140 && px > 720 && px < 960) {
        Pull(kAxisX, kAtMost, 720, 2);
        Pull(kAxisX, kAtLeast, 600, 2);
    } else if (py < 240 && px < 2040) {
        Hold(kAxisY, kAtMost, 0);
    } else if (px > 2040 && py < 600) {
        Hold(kAxisX, kAtMost, 2020);
        Pull(kAxisX, kAtLeast, 1900, 2);
    } else if (px > 1140 && px < 2320 && py < 820) {
        Hold(kAxisY, kAtMost, 600);
    } else if (px > 1200 && px < 2160) {
        if (py < 1070 && map->cameraY > 920) {
            MoveCamera(kAxisY, map->cameraY - 2);
        } else {
            Hold(kAxisY, kAtLeast, 880);
        }
    } else if (px > 2360 && px < 2720 && py > 820) {
        // The top cell of the length-4 shutter: closing or closed narrows the band.
        if (Probe(2370, 1150)) {
            Pull(kAxisX, kAtMost, 2360, 4);
            Pull(kAxisX, kAtLeast, 2340, 4);
        } else {
            Hold(kAxisX, kAtMost, 2360);
        }
    } else if (px > 2360 && py < 820) {
        Hold(kAxisX, kAtLeast, 2340);
        Hold(kAxisY, kAtLeast, 600);
        if (px > 2720 && px < 3440 && map->cameraY > 600) MoveCamera(kAxisY, map->cameraY - 2);
        Hold(kAxisX, kAtMost, 3260);
    } else if (py > 820 && py < 1100) {
        Hold(kAxisX, kAtMost, 3260);
        Hold(kAxisY, kAtLeast, 800);
        Hold(kAxisX, kAtLeast, 2880);
    }
}

void Event1Task::GuideArea3() {
    switch (state) {
        case 0:
            GuideArea3State0();
            break;
        case 1:
            GuideArea3State1();
            break;
        case 2:
            GuideArea3State2();
            break;
        case 3:
            GuideArea3State3();
            break;
        case 4:
            GuideArea3State4();
            break;
        default:
            break;
    }
}

// Camera y eased to 480 with vertical moves locked.
void Event1Task::GuideArea3State0() {
    const double px = playerX;
    EaseY(480);
    map->lockFlags = kLockUp | kLockDown;
    if (Probe(4690, 670) && px > 4680) map->lockFlags |= kLockLeft;
    if (Probe(3450, 610) && px > 3240 && px < 3440) {
        state = 3;
        return;
    }
    if (!Probe(4730, 730) && px >= 4460) state = 1;
}

void Event1Task::GuideArea3State1() {
    const double px = playerX, py = playerY;
    if (px > 4300 && px < 4520 && py > 480 && py < 720) state = 0;
    if ((py > 720 && Probe(4690, 1070)) || (py < 720 && Probe(4690, 670))) map->lockFlags |= kLockLeft;
    if (Probe(4730, 1010) || (px < 4680 && py > 1000)) {
        MoveCamera(kAxisY, map->cameraY + 2);
        map->lockFlags |= kLockUp;
    }
    if (px < 2140) state = 2;
    Clamp(kAxisX, kAtLeast, 1960);
}

void Event1Task::GuideArea3State2() {
    const double px = playerX, py = playerY;
    Clamp(kAxisY, kAtLeast, 700);
    Clamp(kAxisX, kAtLeast, 1960);
    if (px >= 2140 && py > 980) state = 1;
    if (px > 3280 && !Probe(3390, 710)) state = 3;
}

void Event1Task::GuideArea3State3() {
    const double px = playerX, py = playerY;
    if (px > 3000) Clamp(kAxisY, kAtLeast, 140);
    if (py > 960) state = 1;
    if (px < 3240 && py > 540 && py < 700) {
        state = 0;
        return;
    }
    if (py >= 540 || px >= 3280) return;
    Clamp(kAxisY, kAtMost, 260);
    if (px >= 2920) return;
    EaseY(140);
    map->lockFlags |= kLockUp;
    if (map->cameraY >= 140) map->lockFlags |= kLockDown;
    if (!Probe(2010, 170) && px > 1880 && px < 2040 && playerSurface == kPlayerOnRightWall) state = 4;
    if (px < 1440) state = 4;
}

void Event1Task::GuideArea3State4() {
    const double px = playerX, py = playerY;
    Clamp(kAxisY, kAtMost, 140);
    Clamp(kAxisX, kAtLeast, 880);
    if (px >= 1440 && px < 2400 && py > 200 && playerSurface == kPlayerOnFloor) state = 3;
    if (px < 4020 && py < 220) Clamp(kAxisX, kAtMost, 3700);
    if (px > 2400 && px < 3600) {
        map->lockFlags |= kLockDown;
        return;
    }
    if (px > 4400) {
        MoveCamera(kAxisY, map->cameraY - 2);
        map->lockFlags |= kLockDown;
        if (areaCleared) map->lockFlags |= kLockLeft;
    }
}

// The layer is addressed by the map camera its scroll comes from, so the write meets the cell holding
// the world position whatever the drawing camera holds.
void Event1Task::WriteTile(int wx, int wy) {
    SetWorldTile(map, kWriteLayer, wx, wy, kScriptTile);
}

bool Event1Task::Probe(int wx, int wy) const {
    return WorldTileAt(map, kProbeLayer, wx, wy, false) != 0;
}

void Event1Task::MakePlatform(int wx, int wy, int width, int height) {
    const MapObjectRecord record = {kPlatformType, 0, wx, wy, width, height, 1};
    CreateTask<MoveYokoPlatformTask>(record, map);
}

void Event1Task::MakeShutter(int wx, int wy, int length) {
    CreateTask<ShutterTask>(wx, wy, map, length);
}

int Event1Task::Camera(Axis axis) const {
    return axis == kAxisX ? map->cameraX : map->cameraY;
}

int Event1Task::LastCamera(Axis axis) const {
    return axis == kAxisX ? lastCameraX : lastCameraY;
}

void Event1Task::MoveCamera(Axis axis, int value) {
    if (axis == kAxisX) {
        map->SetCamera(value, map->cameraY);
    } else {
        map->SetCamera(map->cameraX, value);
    }
}

bool Event1Task::Beyond(Limit limit, int value, int bound) const {
    return limit == kAtMost ? value > bound : value < bound;
}

void Event1Task::Hold(Axis axis, Limit limit, int bound) {
    if (Beyond(limit, Camera(axis), bound) && !Beyond(limit, LastCamera(axis), bound))
        MoveCamera(axis, bound);
}

void Event1Task::Pull(Axis axis, Limit limit, int bound, int step) {
    const int now = Camera(axis);
    if (!Beyond(limit, now, bound)) return;
    if (!Beyond(limit, LastCamera(axis), bound)) {
        MoveCamera(axis, bound);
    } else {
        MoveCamera(axis, limit == kAtMost ? now - step : now + step);
    }
}

void Event1Task::Clamp(Axis axis, Limit limit, int bound) {
    if (Beyond(limit, Camera(axis), bound)) MoveCamera(axis, bound);
}

void Event1Task::EaseY(int bound) {
    const int now = map->cameraY;
    if (now < bound - 1) {
        MoveCamera(kAxisY, now + 2);
    } else if (now > bound + 1) {
        MoveCamera(kAxisY, now - 2);
    }
}
