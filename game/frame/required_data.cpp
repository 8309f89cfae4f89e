#include "game/frame/required_data.h"

#include "platform/kernel/kernel32.h"

namespace {

// The font, the graphics every scene draws with, and the opening map; the rest loads per area.
constexpr const char* kRequiredFiles[] = {
    "data/k8x12S.ttf",          "./data/graphics/player.png", "./data/graphics/common.png",
    "./data/graphics/font.png", "./data/graphics/title.png",  "./data/graphics/logo.png",
    "./data/graphics/map.png",  "./data/map/op.dat",
};

constexpr const char* kHint = " Run the game from the folder that holds data/ (./run.sh makes it).";

bool IsFolder(const char* path) {
    const DWORD attributes = GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// An empty file counts as missing: every required file has content.
bool HasContent(const char* path) {
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD high = 0;
    const DWORD low = GetFileSize(file, &high);
    CloseHandle(file);
    return low != INVALID_FILE_SIZE && (low != 0 || high != 0);
}

}  // namespace

std::string RequiredDataProblem() {
    if (!IsFolder("data")) return std::string("the data folder data/ was not found.") + kHint;
    for (const char* path : kRequiredFiles) {
        if (!HasContent(path))
            return std::string("the data file ") + path + " was not found or is empty." + kHint;
    }
    return {};
}

std::string MapFileProblem(const char* path) {
    if (GetFileAttributesA(path) == INVALID_FILE_ATTRIBUTES) return {};
    return std::string("the map file ") + path + " is empty, cut short or damaged.";
}
