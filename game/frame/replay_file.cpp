#include "game/frame/replay_file.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "game/frame/binary_file.h"
#include "game/frame/game_state.h"
#include "game/frame/key_config.h"
#include "game/frame/safe_save.h"

ReplayBuffer replayBuffer = {};

namespace {

constexpr char kMagic[3] = {'K', 'V', 'R'};
constexpr int kNameAttempts = 9999;

// The key assignment in the order of the replay file.
int32_t* const kReplayOrder[] = {
    &keyConfig.padAttack, &keyConfig.padJump,  &keyConfig.padStart, &keyConfig.padBoost, &keyConfig.padBomb,
    &keyConfig.keyDown,   &keyConfig.keyLeft,  &keyConfig.keyRight, &keyConfig.keyUp,    &keyConfig.keyAttack,
    &keyConfig.keyJump,   &keyConfig.keyStart, &keyConfig.keyBoost, &keyConfig.keyBomb,
};
constexpr int kKeyFieldCount = sizeof(kReplayOrder) / sizeof(kReplayOrder[0]);

void FormatReplayName(char name[kReplayNameSize], int n) {
    if (replayBuffer.mode == 1) {
        if (n == 0) {
            std::snprintf(name, kReplayNameSize, "replay.rep");
        } else {
            std::snprintf(name, kReplayNameSize, "replay(%d).rep", n + 1);
        }
    } else if (n == 0) {
        std::snprintf(name, kReplayNameSize, "area%d.rep", replayBuffer.area);
    } else {
        std::snprintf(name, kReplayNameSize, "area%d(%d).rep", replayBuffer.area, n + 1);
    }
}

void WriteReplay(FileImage& file) {
    const int32_t count =
        replayBuffer.lastIndex < kReplayCapacity - 1 ? replayBuffer.lastIndex : kReplayCapacity - 1;
    file.WriteBytes(kMagic, sizeof(kMagic));
    file.WriteI32(count);
    file.WriteI32(replayBuffer.seed);
    file.WriteU8(replayBuffer.mode);
    file.WriteU8(replayBuffer.area);
    for (const int32_t* field : kReplayOrder) file.WriteI32(*field);
    for (int32_t i = 0; i < count; ++i) file.WriteU32(replayBuffer.masks[i]);
}

// What a replay file holds, read whole before anything live changes.
struct ReplayContents {
    int32_t count;
    int32_t seed;
    uint8_t mode;
    uint8_t area;
    int32_t keys[kKeyFieldCount];
    std::unique_ptr<uint32_t[]> masks;
};

bool ReadHeader(BinaryFile& file, ReplayContents* contents) {
    char magic[3];
    if (!file.ReadBytes(magic, 3) || std::memcmp(magic, kMagic, 3) != 0) return false;
    if (!file.ReadI32(&contents->count) || !file.ReadI32(&contents->seed) || !file.ReadU8(&contents->mode) ||
        !file.ReadU8(&contents->area)) {
        return false;
    }
    for (int32_t& key : contents->keys) {
        if (!file.ReadI32(&key)) return false;
    }
    return true;
}

// Reads path whole into contents; returns why it is not a replay, or an empty text when it is one.
std::string ReadReplay(const char* path, ReplayContents* contents) {
    errno = 0;
    BinaryFile file(path, BinaryFile::Mode::kRead);
    if (!file.IsOpen()) return std::string("cannot be opened: ") + std::strerror(errno);
    if (!ReadHeader(file, contents)) return "is not a replay (no replay header)";
    if (contents->count < 0 || contents->count > kReplayCapacity) {
        return "is not a replay (its frame count " + std::to_string(contents->count) + " is outside 0 to " +
               std::to_string(kReplayCapacity) + ")";
    }
    contents->masks = std::make_unique<uint32_t[]>(static_cast<size_t>(contents->count) + 1);
    for (int32_t i = 0; i < contents->count; ++i) {
        if (!file.ReadU32(&contents->masks[i])) {
            return "is cut short (" + std::to_string(i) + " of its " + std::to_string(contents->count) +
                   " frames)";
        }
    }
    return "";
}

}  // namespace

void StartReplayRecording(uint8_t mode, uint8_t area, int32_t seed) {
    replayBuffer.hasData = 1;
    replayBuffer.mode = mode;
    replayBuffer.area = area;
    replayBuffer.lastIndex = 0;
    replayBuffer.seed = seed;
}

int SaveReplay(char name[kReplayNameSize]) {
    FileImage file;
    WriteReplay(file);
    FormatReplayName(name, 0);
    const std::string temporary = TemporaryNameFor(name);
    if (WriteTemporaryFile(temporary, file) != 0) return -1;
    // Only a name that exists moves the save on to the next one; any other error ends it.
    for (int n = 0; n < kNameAttempts; ++n) {
        FormatReplayName(name, n);
        int error = MoveTemporaryFile(temporary, name, false);
        if (error == 0) return n;
        if (error != EEXIST) break;
    }
    unlink(temporary.c_str());
    return -1;
}

std::string ReplayProblem(const char* path) {
    ReplayContents contents;
    return ReadReplay(path, &contents);
}

bool LoadReplay(const char* path) {
    ReplayContents contents;
    if (!ReadReplay(path, &contents).empty()) return false;
    std::memcpy(replayBuffer.masks, contents.masks.get(),
                sizeof(uint32_t) * static_cast<size_t>(contents.count));
    playbackLength = contents.count;
    replaySeed = contents.seed;
    fullGameMode = contents.mode;
    areaNumber = static_cast<int8_t>(contents.area);
    for (int i = 0; i < kKeyFieldCount; ++i) *kReplayOrder[i] = contents.keys[i];
    if (contents.mode == 0) {
        runTimerStopped = 1;
    } else {
        areaNumber = 1;
    }
    return true;
}
