// Any bytes as setting.dat and as record.dat: read field by field, a short file keeps the defaults of
// the fields it lacks, and the values read are the file's own bytes. The files are read by relative
// name, so each input runs inside the fuzz folder.
#include <cstdint>
#include <cstring>

#include "game/frame/records_file.h"
#include "game/frame/settings_file.h"
#include "tests/fuzz_folder.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const FuzzFolder folder("korvalund_saved_files_fuzz");
    if (!folder.Write(kSettingsFileName, data, size) || !folder.Write(kRecordsFileName, data, size)) return 0;
    InFuzzFolder inside(folder);
    ResetSettingsToDefaults();
    LoadSettings();
    if (size >= 1 && bgmQuality != data[0]) __builtin_trap();
    if (size < 6 && screenModeSetting != 1) __builtin_trap();
    ResetBestTimes();
    LoadRecords();
    for (size_t i = 0; i < kBestTimeCount; ++i) {
        int32_t expected = kNoBestTime;
        if (size >= 4 * (i + 1)) std::memcpy(&expected, data + 4 * i, 4);
        if (bestTimes[i] != expected) __builtin_trap();
    }
    return 0;
}
