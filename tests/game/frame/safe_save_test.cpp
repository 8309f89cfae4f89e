// Saves under faults: a file-size limit (as a full disk, every write beyond it fails) and a temporary
// file that cannot be created. The old settings, records and replays stay byte-identical, no temporary
// file is left, and the failure is reported.
#include <sys/resource.h>

#include <functional>

#include "game/frame/safe_save.h"
#include "tests/game/game_fixture.h"

namespace {

using SafeSaveTest = GameTest;

// The old contents of every file a save could touch, in place before the faulty save.
const std::vector<std::pair<std::string, std::vector<uint8_t>>> kOldFiles = {
    {kSettingsFileName, std::vector<uint8_t>(62, 0x11)},
    {kRecordsFileName, std::vector<uint8_t>(20, 0x22)},
    {"replay.rep", std::vector<uint8_t>(90, 0x33)},
};

void ExpectOldFilesIntact() {
    for (const auto& [name, bytes] : kOldFiles) EXPECT_EQ(ReadBytes(name), bytes) << name;
    for (const auto& entry : std::filesystem::directory_iterator(".")) {
        bool old = false;
        for (const auto& file : kOldFiles) old |= entry.path().filename() == file.first;
        EXPECT_TRUE(old || entry.is_directory()) << "left behind: " << entry.path();
    }
}

struct Save {
    const char* what;
    std::function<bool()> run;  // true when the save reported success
};

const Save kSaves[] = {
    {"settings",
     [] {
         bgmQuality = 1;
         return SaveSettings();
     }},
    {"records",
     [] {
         bestTimes[0] = 1234;
         return SaveRecords();
     }},
    {"replay",
     [] {
         StartReplayRecording(1, 1, 5);
         replayBuffer.lastIndex = 100;
         char name[kReplayNameSize];
         return SaveReplay(name) >= 0;
     }},
};

// Lowers the file-size limit for the scope; writes beyond it fail with EFBIG.
class FileSizeLimit {
  public:
    explicit FileSizeLimit(rlim_t bytes) {
        getrlimit(RLIMIT_FSIZE, &saved_);
        rlimit lowered = saved_;
        lowered.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &lowered);
    }
    ~FileSizeLimit() { setrlimit(RLIMIT_FSIZE, &saved_); }

  private:
    rlimit saved_;
};

TEST_F(SafeSaveTest, AWriteBeyondTheFileSizeLimitKeepsTheOldFiles) {
    for (const Save& save : kSaves) {
        for (const auto& [name, bytes] : kOldFiles) WriteBytes(name, bytes);
        bool saved;
        {
            FileSizeLimit limit(8);  // the process is not killed by SIGXFSZ
            saved = save.run();
        }
        EXPECT_FALSE(saved) << save.what;
        ExpectOldFilesIntact();
    }
}

TEST_F(SafeSaveTest, ATemporaryFileThatCannotBeCreatedKeepsTheOldFiles) {
    for (const Save& save : kSaves) {
        for (const auto& [name, bytes] : kOldFiles) WriteBytes(name, bytes);
        // A folder in the temporary file's place: creating the file fails as in a read-only folder.
        for (const char* blocked : {"setting.dat.tmp", "record.dat.tmp", "replay.rep.tmp"})
            std::filesystem::create_directory(blocked);
        EXPECT_FALSE(save.run()) << save.what;
        ExpectOldFilesIntact();
        for (const char* blocked : {"setting.dat.tmp", "record.dat.tmp", "replay.rep.tmp"})
            std::filesystem::remove(blocked);
    }
}

TEST_F(SafeSaveTest, ASuccessfulSaveReplacesTheFileAndLeavesNoTemporaryFile) {
    for (const auto& [name, bytes] : kOldFiles) WriteBytes(name, bytes);
    for (const Save& save : kSaves) EXPECT_TRUE(save.run()) << save.what;
    EXPECT_EQ(ReadBytes(kSettingsFileName).size(), 62u);
    EXPECT_EQ(ReadBytes(kSettingsFileName)[0], 1);
    EXPECT_EQ(ReadBytes(kRecordsFileName)[0], 1234 & 0xFF);
    EXPECT_EQ(ReadBytes("replay.rep"), kOldFiles[2].second);  // the replay took the next name
    EXPECT_EQ(ReadBytes("replay(2).rep").size(), 69u + 4u * 100u);
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(".")) files += entry.is_regular_file();
    EXPECT_EQ(files, 4);
}

TEST_F(SafeSaveTest, ALinkInTheTemporaryFilesPlaceIsReplacedNotFollowed) {
    const std::vector<uint8_t> other(40, 0x44);
    for (const Save& save : kSaves) {
        for (const auto& [name, bytes] : kOldFiles) WriteBytes(name, bytes);
        WriteBytes("other.dat", other);
        for (const char* link : {"setting.dat.tmp", "record.dat.tmp", "replay.rep.tmp"})
            std::filesystem::create_symlink("other.dat", link);
        EXPECT_TRUE(save.run()) << save.what;
        EXPECT_EQ(ReadBytes("other.dat"), other) << save.what;
        for (const char* saved : {kSettingsFileName, kRecordsFileName, "replay(2).rep"})
            EXPECT_FALSE(std::filesystem::is_symlink(saved)) << save.what << " " << saved;
        for (const auto& entry : std::filesystem::directory_iterator(".")) std::filesystem::remove(entry);
    }
}

TEST_F(SafeSaveTest, TheFailureIsOneLineNamingTheFile) {
    std::filesystem::create_directory("record.dat.tmp");
    ::testing::internal::CaptureStderr();
    SaveRecords();
    std::string said = ::testing::internal::GetCapturedStderr();
    EXPECT_NE(said.find("record.dat"), std::string::npos) << said;
    EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
}

TEST_F(SafeSaveTest, AReplayMovesToTheNextNameOnlyWhenTheNameExists) {
    // A folder named like the replay is a name that exists; the save takes the next one.
    std::filesystem::create_directory("replay.rep");
    StartReplayRecording(1, 1, 5);
    char name[kReplayNameSize];
    EXPECT_EQ(SaveReplay(name), 1);
    EXPECT_STREQ(name, "replay(2).rep");
    // Any other error ends the save at once instead of trying every name.
    std::filesystem::create_directory("replay.rep.tmp");
    EXPECT_EQ(SaveReplay(name), -1);
    EXPECT_FALSE(std::filesystem::exists("replay(3).rep"));
}

}  // namespace
