// Any bytes given as a replay on the command line: loaded or refused, never read or written out of
// bounds.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "game/frame/game_state.h"
#include "game/frame/replay_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::string path = "/tmp/korvalund_replay_fuzz_" + std::to_string(::getpid()) + ".rep";
    FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) return 0;
    std::fwrite(data, 1, size, file);
    std::fclose(file);
    if (LoadReplay(path.c_str()) && (playbackLength < 0 || playbackLength > kReplayCapacity))
        __builtin_trap();
    std::remove(path.c_str());
    return 0;
}
