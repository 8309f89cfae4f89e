// Creation of the task classes the main loop starts by name, and of the map's object types.
#pragma once

#include "game/character.h"
#include "game/map_data.h"

// Each returns the new task (registered in its group), or null when the registry refused it.
Character* CreateTitleScreenTask();
Character* CreatePlayerTask(MapData* map);
Character* CreateStageStartTask(MapData* map);
// The task of a map-object record by its type; null for types that create nothing.
Character* SpawnMapObject(MapData* map, MapObjectRecord* record);
// The clear board's finale: a quake of the duration and strength, and a magma eruption at (x, y).
Character* CreateQuakeTask(int duration, int strength);
Character* CreateFunkaMagmaTask(double x, double y, MapData* map, double speed);
