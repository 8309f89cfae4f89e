// Any bytes given as a map file: loaded or refused, never read or written out of bounds. The map may name
// the layer "a", whose tile file holds more bytes than any layer may.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "game/map/map_data.h"

namespace {

// The working folder of this process, removed at exit.
struct FuzzFolder {
    std::filesystem::path path;
    ~FuzzFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path, ignored);
    }
};

std::filesystem::path MakeFolder() {
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("korvalund_map_fuzz_" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder / "data" / "map");
    const std::vector<uint8_t> tiles(kLayerTileCapacity + 100, 1);
    FILE* file = std::fopen((folder / "data" / "map" / "a.lyr").c_str(), "wb");
    if (file != nullptr) {
        std::fwrite(tiles.data(), 1, tiles.size(), file);
        std::fclose(file);
    }
    std::filesystem::current_path(folder);
    return folder;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const FuzzFolder folder{MakeFolder()};
    FILE* file = std::fopen("data/map/fuzz.dat", "wb");
    if (file == nullptr) return 0;
    std::fwrite(data, 1, size, file);
    std::fclose(file);
    static MapData map;
    map.Clear();
    if (map.Load("./data/map/fuzz.dat")) {
        for (int i = 0; i < map.layerCount; ++i) {
            const LayerData& layer = *map.Layer(i);
            if (layer.width < 0 || layer.height < 0 ||
                static_cast<int64_t>(layer.width) * layer.height > kLayerTileCapacity)
                __builtin_trap();
        }
        map.SetCamera(map.playerStartX, map.playerStartY);
        map.UpdateLayerScrolls();
        for (int i = 0; i < map.layerCount; ++i) map.Layer(i)->TileAt(-5, 7, true);
    }
    map.Unload();
    return 0;
}
