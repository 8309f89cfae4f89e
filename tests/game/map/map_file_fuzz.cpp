// Any bytes given as a map file: loaded or refused, never read or written out of bounds. The map may name
// the layer "a", whose tile file holds more bytes than any layer may. The map reads its layers by
// relative names, so each input runs inside the fuzz folder and the working directory comes back after.
#include <cstdint>
#include <vector>

#include "game/map/map_data.h"
#include "tests/fuzz_folder.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const FuzzFolder folder("korvalund_map_fuzz");
    static const bool layerWritten = [] {
        const std::vector<uint8_t> tiles(kLayerTileCapacity + 100, 1);
        return folder.Write("data/map/a.lyr", tiles.data(), tiles.size());
    }();
    if (!layerWritten) return 0;
    if (!folder.Write("data/map/fuzz.dat", data, size)) return 0;
    InFuzzFolder inside(folder);
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
