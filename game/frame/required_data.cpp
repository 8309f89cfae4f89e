#include "game/frame/required_data.h"

#include <string>

#include "engine/core/files/file_access.h"
#include "platform/user/user32.h"

namespace {

// The font, the graphics every scene draws with, and the opening map; the area maps are checked as
// they load.
constexpr const char* kRequiredFiles[] = {
    "data/k8x12S.ttf",          "./data/graphics/player.png", "./data/graphics/common.png",
    "./data/graphics/font.png", "./data/graphics/title.png",  "./data/graphics/logo.png",
    "./data/graphics/map.png",  "./data/map/op.dat",
};

}  // namespace

const char* FirstMissingDataFile() {
    for (const char* path : kRequiredFiles)
        if (GetFileSizeByPath(path) <= 0) return path;
    return nullptr;
}

void ReportDataFailure(const char* path, bool missing) {
    std::string text = std::string("The game data file ") + path +
                       (missing ? " was not found." : " is damaged.") +
                       " Run the game from the folder that holds data/ (./run.sh makes it).";
    MessageBoxA(nullptr, text.c_str(), "Korvalund", MB_OK);
}
