// Creation of the task classes the main loop starts by name, and of the map's object types.
#pragma once

#include "game/frame/character.h"
#include "game/map/map_data.h"

// Each returns the new task (registered in its group), or null when the registry refused it.
Character* CreateTitleScreenTask();
Character* CreatePlayerTask(MapData* map);
Character* CreateStageStartTask(MapData* map);
// The task of a map-object record by its type; null for types that create nothing.
Character* SpawnMapObject(MapData* map, MapObjectRecord* record);
// Shakes the picture for duration + 1 frames: up and down when vertical is 1, else sideways.
Character* CreateQuakeTask(int duration, int vertical);
// The eruption's magma column with its top at (x, y), rising speed pixels a frame (negative: upward).
Character* CreateFunkaMagmaTask(int x, int y, MapData* map, double speed);
// The boss's falling fire shot, moving speedX pixels a frame sideways; it raises a fire pillar where it
// lands.
Character* CreateFirePillarBulletTask(int x, int y, MapData* map, double speedX);

// The effects the player leaves (all in update group 6, without collision).
// A burst over the player of the given boost level; a follow-up burst spawns no further one.
Character* CreateBoostEffectTask(int surface, int flip, int followUp, int boostLevel);
// The caption that rises above the player for boost levels 2 to 4.
Character* CreateBoostTextTask(int boostLevel);
// A fading after-image of the player's sprite: one piece (srcX, srcY) or the upper piece (srcX, 0) and the
// lower piece (lowerSrcX, lowerSrcY).
Character* CreateBoostShadowTask(double x, double y, int surface, int flip, int srcX, int srcY, int lowerSrcX,
                                 int lowerSrcY, int twoPiece);
// The dust puff of a slide, at its top-left corner.
Character* CreateSlideSmorkTask(int x, int y);
// A 10 x 10 piece falling under gravity; it keeps its velocity in real1 (x) and real2 (y).
Character* CreateFallingObjectTask(int x, int y, int graphic, int srcX, int srcY, int drawLayer,
                                   double speedX, double speedY, double angle, double spin);
// A walker dropped at (x, y): it falls, drifting by speedX, lands and walks left without looking ahead;
// it ends left of the view or when clearDroppedActors is set.
Character* CreateTwiggerTaskAt(double x, double y, MapData* map, double speedX);
// An enemy bullet (update group 4) flying at (speedX, speedY) from its top-left corner (x, y).
Character* CreateEnemyBulletTask(double x, double y, MapData* map, double speedX, double speedY);
// An enemy bullet flying at speed from its centre (x + 10, y + 10) toward the aim point turned by angle
// (radians) about that centre, with carrySpeed added to its horizontal speed.
Character* CreateAimedEnemyBulletTask(double x, double y, MapData* map, double aimX, double aimY,
                                      double speed, double angle, double carrySpeed);
// The final event's player figure rising out of the eruption.
Character* CreateStage5PlayerTask(MapData* map);
