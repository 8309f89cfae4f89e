// Map files written into the working folder: the header, names, records and layer headers of a map, and
// the tile files its layers name.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tests/game/byte_files.h"

struct LayerSpec {
    std::string tileset = "tiles";
    std::string name = "ground";
    int8_t drawLayer = 20;
    int32_t width = 4, height = 3;
    int8_t parallax = 6;
    std::vector<uint8_t> tiles;  // written to "<name>.lyr" when not empty
};

struct MapSpec {
    int32_t kind = 1;
    int32_t width = 40, height = 30;
    int32_t cameraX = 100, cameraY = 60;
    int32_t offsetX = 80, offsetY = 120;
    uint8_t lockFlags = 0;
    std::string tune = "stage1";
    std::vector<std::string> graphics = {"ufo", "canox"};
    std::vector<std::vector<int32_t>> objects = {{10, 20, 40, 40, 6, 7}};  // x, y, w, h, type, param
    std::vector<LayerSpec> layers = {LayerSpec{}};
};

inline void AppendName(std::vector<uint8_t>& bytes, const std::string& name) {
    bytes.insert(bytes.end(), name.begin(), name.end());
    bytes.push_back(0);
}

inline std::vector<uint8_t> MapBytes(const MapSpec& spec) {
    std::vector<uint8_t> bytes;
    for (int32_t v :
         {spec.kind, spec.width, spec.height, spec.cameraX, spec.cameraY, spec.offsetX, spec.offsetY})
        AppendI32(bytes, v);
    bytes.push_back(spec.lockFlags);
    AppendName(bytes, spec.tune);
    bytes.push_back(static_cast<uint8_t>(spec.graphics.size()));
    for (const std::string& name : spec.graphics) AppendName(bytes, name);
    bytes.push_back(static_cast<uint8_t>(spec.objects.size()));
    for (const auto& record : spec.objects) {
        for (int32_t v : record) AppendI32(bytes, v);
    }
    bytes.push_back(static_cast<uint8_t>(spec.layers.size()));
    for (const LayerSpec& layer : spec.layers) {
        AppendName(bytes, layer.tileset);
        AppendName(bytes, layer.name);
        bytes.push_back(static_cast<uint8_t>(layer.drawLayer));
        AppendI32(bytes, layer.width);
        AppendI32(bytes, layer.height);
        bytes.push_back(static_cast<uint8_t>(layer.parallax));
    }
    return bytes;
}

inline void WriteMap(const std::string& path, const MapSpec& spec) {
    WriteBytes(path, MapBytes(spec));
    for (const LayerSpec& layer : spec.layers) {
        if (!layer.tiles.empty()) WriteBytes("data/map/" + layer.name + ".lyr", layer.tiles);
    }
}

// The small area 1 of the road tests, written as data/map/1.dat: 40 x 15 tiles of the given tileset,
// ground on rows 12 to 14, the player starting at (60, 200), the goal at x 400; and records whose total
// best time (under 600 minutes) opens AREA SELECT.
inline void WriteRoadArea(const std::string& tileset) {
    MapSpec spec;
    spec.kind = 1;
    spec.width = 40;
    spec.height = 15;
    spec.cameraX = 0;
    spec.cameraY = 0;
    spec.offsetX = 60;
    spec.offsetY = 200;
    spec.tune = "area1";
    spec.graphics = {};
    spec.objects = {{400, 180, 60, 60, 7, 0}};
    LayerSpec ground;
    ground.tileset = tileset;
    ground.name = "road_ground";
    ground.width = 40;
    ground.height = 15;
    ground.tiles.assign(40 * 15, 0);
    for (int i = 40 * 12; i < 40 * 15; ++i) ground.tiles[i] = 1;
    spec.layers = {ground};
    WriteMap("data/map/1.dat", spec);
    std::vector<uint8_t> records;
    for (int32_t t : {1000000, 21600000, 21600000, 21600000, 21600000}) AppendI32(records, t);
    WriteBytes("record.dat", records);
}
