#include "game/frame/records_file.h"

#include "game/frame/binary_file.h"
#include "game/frame/game_state.h"
#include "game/frame/safe_save.h"

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

bool SaveRecords() {
    if (playbackFlag) return true;
    FileImage file;
    for (int32_t time : bestTimes) file.WriteI32(time);
    return ReplaceFileSafely(kRecordsFileName, file);
}
