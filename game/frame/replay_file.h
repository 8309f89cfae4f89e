// Replays: the in-memory recording of the current run and the replay files saved from it and played
// back from the command line.
#pragma once

#include <cstdint>
#include <string>

// One hour at 60 frames a second.
constexpr int32_t kReplayCapacity = 216000;
constexpr int kReplayNameSize = 40;
constexpr int kReplayHeaderSize = 69;

struct ReplayBuffer {
    uint8_t hasData;
    uint8_t mode;  // 1 full game, 0 area select
    uint8_t area;
    int32_t seed;
    int32_t lastIndex;
    uint32_t masks[kReplayCapacity];
};

extern ReplayBuffer replayBuffer;

// Starts recording a run: the buffer takes the mode, the area and the seed.
void StartReplayRecording(uint8_t mode, uint8_t area, int32_t seed);
// Writes the buffer to the first free name, leaves the name in name and returns its number (0 for the
// plain name), or -1 when every name is taken.
int SaveReplay(char name[kReplayNameSize]);
// Reads a replay into the buffer and the playback state; false (nothing changed) when path is not one.
bool LoadReplay(const char* path);
// Why LoadReplay would refuse path, as a phrase following the file's name ("cannot be opened: ...");
// empty when it would take it. Changes nothing.
std::string ReplayProblem(const char* path);
