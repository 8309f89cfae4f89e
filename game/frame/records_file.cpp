#include "game/frame/records_file.h"

#include "game/frame/binary_file.h"
#include "game/frame/game_state.h"

int32_t bestTimes[kBestTimeCount] = {kNoBestTime, kNoBestTime, kNoBestTime, kNoBestTime, kNoBestTime};
int32_t areaTimes[kAreaTimeCount] = {};

void ResetBestTimes() {
    for (int32_t& time : bestTimes) time = kNoBestTime;
}

void LoadRecords() {
    BinaryFile file(kRecordsFileName, BinaryFile::Mode::kRead);
    for (int32_t& time : bestTimes) {
        if (!file.ReadI32(&time)) return;
    }
}

void SaveRecords() {
    if (playbackFlag) return;
    BinaryFile file(kRecordsFileName, BinaryFile::Mode::kCreateOrTruncate);
    for (int32_t time : bestTimes) {
        if (!file.WriteI32(time)) return;
    }
}
