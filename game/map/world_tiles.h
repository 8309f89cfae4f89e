// Tile lookups and writes at world positions: a layer is addressed in its own scrolled space, which is the
// world position less the map camera (the tile probes address layer 0 the same way).
#pragma once

#include "game/map/map_data.h"

// The tile of layer i at a world position (as LayerData::TileAt); 0 when the map has no layer i.
int WorldTileAt(const MapData* map, int layer, int x, int y, bool checkBoxes);
// Writes the tile of layer i at a world position; nothing without layer i or outside the layer.
void SetWorldTile(MapData* map, int layer, int x, int y, int id);
// The world position of the top-left corner of layer i's tile cell holding (x, y).
void WorldTileCorner(const MapData* map, int layer, int x, int y, int* cornerX, int* cornerY);
