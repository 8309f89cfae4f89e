// The script of the four playable areas: on its first update it writes the area's fixed tiles and makes
// its platforms and shutters (and in the boss area locks the camera's left move and starts the boss
// tune); in areas 2 and 3 it then keeps the camera inside bands that depend on where the player is. Every
// update ends by handing the map camera to the drawing camera. It draws nothing.
#pragma once

#include <cstdint>

#include "game/frame/character.h"

class Event1Task : public Character {
  public:
    enum Axis : int { kAxisX = 0, kAxisY = 1 };
    // Which side of a bound the camera is kept on.
    enum Limit : int { kAtMost = 0, kAtLeast = 1 };

    Event1Task(const MapObjectRecord& record, MapData* map);
    void Update() override;

    // The map camera as it stood at the end of the previous update.
    int32_t lastCameraX = 0, lastCameraY = 0;

  private:
    void SetUpArea1();
    void SetUpArea2();
    void SetUpArea3();
    void SetUpArea4();
    void GuideArea2();
    void GuideArea3();
    void GuideArea3State0();
    void GuideArea3State1();
    void GuideArea3State2();
    void GuideArea3State3();
    void GuideArea3State4();

    // Tile 60 into tile layer 1 at a world position; nothing outside the layer.
    void WriteTile(int wx, int wy);
    // Whether tile layer 0 holds a tile at a world position (no solid-box check).
    bool Probe(int wx, int wy) const;
    void MakePlatform(int wx, int wy, int width, int height);
    void MakeShutter(int wx, int wy, int length);

    int Camera(Axis axis) const;
    int LastCamera(Axis axis) const;
    void MoveCamera(Axis axis, int value);
    bool Beyond(Limit limit, int value, int bound) const;
    // A camera pushed across the bound this frame is stopped on it; one already beyond is left alone.
    void Hold(Axis axis, Limit limit, int bound);
    // As Hold, and a camera already beyond is brought back by step a frame.
    void Pull(Axis axis, Limit limit, int bound, int step);
    // A camera beyond the bound is put on it.
    void Clamp(Axis axis, Limit limit, int bound);
    // The camera y moves 2 a frame toward the bound, resting within 1 of it.
    void EaseY(int bound);
};
