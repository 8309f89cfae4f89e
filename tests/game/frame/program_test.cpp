// The real program, headless with a virtual clock, in a working folder of its own.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "tests/game/byte_files.h"

namespace fs = std::filesystem;

namespace {

// The settings file a first start writes.
const std::vector<uint8_t> kDefaultSettings = {
    0x03, 0x01, 0x01, 0x00, 0x00, 0x00,  // music quality, effects on, screen mode
    16,   0,    0,    0,    32,   0,    0, 0, 0,   2, 0, 0, 64,  0, 0, 0, 128, 0, 0, 0,  // pad bits
    203,  0,    0,    0,    205,  0,    0, 0, 200, 0, 0, 0, 208, 0, 0, 0, 44,  0, 0, 0,
    45,   0,    0,    0,    46,   0,    0, 0, 30,  0, 0, 0, 57,  0, 0, 0};  // key codes

class ProgramTest : public ::testing::Test {
  protected:
    void SetUp() override {
        folder_ =
            fs::temp_directory_path() / ("korvalund_program_" + std::to_string(getpid()) + "_" +
                                         ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(folder_);
        fs::create_directories(folder_);
        fs::create_directory_symlink(fs::path(KORVALUND_DATAPACK_DIR) / "data", folder_ / "data");
        fs::create_directory_symlink(fs::path(KORVALUND_DATAPACK_DIR) / "bgm", folder_ / "bgm");
    }
    void TearDown() override { fs::remove_all(folder_); }

    // Runs the program with an input script (none: no KORVALUND_INPUT) and arguments, headless with a
    // virtual clock and the null sound output unless environment_ says otherwise, started through
    // wrapper_ when one is set; returns its exit status. What it wrote to standard error is left in
    // stderr.txt. A run is bounded at 60 s by an alarm, which then shows as status 128 + SIGALRM.
    int Run(const std::optional<std::string>& script, const std::vector<std::string>& args) {
        if (script) std::ofstream(folder_ / "input.txt") << *script;
        pid_t child = fork();
        if (child == 0) {
            if (chdir(folder_.c_str()) != 0) _exit(101);
            if (!std::freopen("stderr.txt", "w", stderr)) _exit(103);
            alarm(60);
            setenv("KORVALUND_HOST", "headless", 1);
            setenv("KORVALUND_CLOCK", "virtual", 1);
            setenv("KORVALUND_AUDIO", "null", 1);
            unsetenv("DISPLAY");
            unsetenv("WAYLAND_DISPLAY");
            for (const auto& [name, value] : environment_) setenv(name.c_str(), value.c_str(), 1);
            if (script) {
                setenv("KORVALUND_INPUT", (folder_ / "input.txt").c_str(), 1);
            } else {
                unsetenv("KORVALUND_INPUT");
            }
            // LeakSanitizer cannot run under a tracing wrapper (it needs ptrace itself).
            if (!wrapper_.empty()) setenv("ASAN_OPTIONS", "detect_leaks=0", 1);
            std::vector<char*> argv;
            for (const std::string& w : wrapper_) argv.push_back(const_cast<char*>(w.c_str()));
            argv.push_back(const_cast<char*>(KORVALUND_GAME_EXE));
            for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
            argv.push_back(nullptr);
            execv(argv[0], argv.data());
            _exit(102);
        }
        int status = 0;
        waitpid(child, &status, 0);
        return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }

    std::string ErrorText() const {
        std::ifstream file(folder_ / "stderr.txt");
        return std::string(std::istreambuf_iterator<char>(file), {});
    }

    fs::path folder_;
    std::vector<std::pair<std::string, std::string>> environment_;
    std::vector<std::string> wrapper_;  // a program, and its arguments, that starts the game
};

TEST_F(ProgramTest, EscHeldFromTheFirstFrameEndsAndWritesTheDefaultFiles) {
    ASSERT_EQ(Run("0 down 1\n", {}), 0);  // DirectInput code 1: Esc

    EXPECT_EQ(ReadBytes(folder_ / "setting.dat"), kDefaultSettings);

    std::vector<uint8_t> expectedRecords;
    for (int i = 0; i < 5; ++i) AppendI32(expectedRecords, 21600000);
    EXPECT_EQ(ReadBytes(folder_ / "record.dat"), expectedRecords);
}

TEST_F(ProgramTest, ReplayOnTheCommandLinePlaysAndEndsWithoutWritingFiles) {
    std::vector<uint8_t> replay = {'K', 'V', 'R'};
    const int frames = 300;
    AppendI32(replay, frames);
    AppendI32(replay, 123);  // seed
    replay.push_back(0);     // area-select mode
    replay.push_back(1);     // area 1
    for (int v : {16, 32, 128, 512, 64, 208, 203, 205, 200, 44, 45, 57, 46, 30}) AppendI32(replay, v);
    for (int i = 0; i < frames; ++i) AppendI32(replay, i < 150 ? 4 : 0);  // run right, then stand
    ASSERT_EQ(replay.size(), 69u + 4u * frames);
    std::ofstream(folder_ / "run.rep", std::ios::binary)
        .write(reinterpret_cast<const char*>(replay.data()), static_cast<std::streamsize>(replay.size()));

    // The replay's end has to end the program; the late close only bounds a run that ignored the replay
    // (it would then write the settings, which the checks below catch).
    ASSERT_EQ(Run("20000 close\n", {"run.rep"}), 0);
    EXPECT_FALSE(fs::exists(folder_ / "setting.dat"));
    EXPECT_FALSE(fs::exists(folder_ / "record.dat"));
}

TEST_F(ProgramTest, BundledDemoReplayPlaysToItsEnd) {
    fs::copy_file(fs::path(KORVALUND_DATAPACK_DIR) / "demo.rep", folder_ / "demo.rep");
    ASSERT_EQ(Run("100000 close\n", {"demo.rep"}), 0);
    EXPECT_FALSE(fs::exists(folder_ / "setting.dat"));
}

// The demo replay played twice on the virtual clock with its sound captured: the two captures are the
// same bytes (the end must not move the clock by however long a thread took to stop), and they last
// the replay's frames, not a clock run away from them.
TEST_F(ProgramTest, TwoSoundCapturesOfTheDemoReplayAreByteIdentical) {
    fs::copy_file(fs::path(KORVALUND_DATAPACK_DIR) / "demo.rep", folder_ / "demo.rep");
    const std::vector<uint8_t> replay = ReadBytes(folder_ / "demo.rep");
    ASSERT_GE(replay.size(), 7u);
    const uint32_t frames = uint32_t(replay[3]) | uint32_t(replay[4]) << 8 | uint32_t(replay[5]) << 16 |
                            uint32_t(replay[6]) << 24;
    std::vector<uint8_t> captures[2];
    for (int i = 0; i < 2; ++i) {
        const fs::path wav = folder_ / ("capture" + std::to_string(i) + ".wav");
        environment_ = {{"KORVALUND_AUDIO", "capture:" + wav.string()}};
        ASSERT_EQ(Run("100000 close\n", {"demo.rep"}), 0) << ErrorText();
        captures[i] = ReadBytes(wav);
    }
    ASSERT_GT(captures[0].size(), 46u);
    EXPECT_TRUE(captures[0] == captures[1])
        << captures[0].size() << " and " << captures[1].size() << " bytes";
    // 44100 frames of 4 bytes a second after the 46-byte header; a game frame is 1/60 s.
    const double seconds = double(captures[0].size() - 46) / (44100.0 * 4);
    EXPECT_GE(seconds, frames / 60.0);
    EXPECT_LT(seconds, frames / 60.0 + 1.0);
}

TEST_F(ProgramTest, ScriptedCloseEndsTheProgram) {
    EXPECT_EQ(Run("120 close\n", {}), 0);
    EXPECT_TRUE(fs::exists(folder_ / "setting.dat"));
}

// The data folder, or one file the game cannot run without, missing or empty: one line naming it on
// standard error, status 2, and the game never starts (it writes no settings).
TEST_F(ProgramTest, MissingRequiredDataIsNamedAndEndsTheProgram) {
    struct Case {
        const char* file;  // under data/; null: the whole folder is missing
        bool empty;        // left as an empty file instead of removed
        const char* named;
    };
    const Case cases[] = {
        {nullptr, false, "data folder data/ was not found"},
        {"k8x12S.ttf", false, "data/k8x12S.ttf was not found"},
        {"graphics/player.png", true, "data/graphics/player.png was not found or is empty"},
        {"map/op.dat", false, "data/map/op.dat was not found"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.named);
        fs::remove(folder_ / "data");
        fs::remove(folder_ / "setting.dat");
        if (c.file != nullptr) {
            // A copy of the pack's data made of links, less the one file.
            const fs::path pack = fs::path(KORVALUND_DATAPACK_DIR) / "data";
            for (const auto& entry : fs::recursive_directory_iterator(pack)) {
                const fs::path target = folder_ / "data" / fs::relative(entry.path(), pack);
                if (entry.is_directory())
                    fs::create_directories(target);
                else
                    fs::create_symlink(entry.path(), target);
            }
            fs::remove(folder_ / "data" / c.file);
            if (c.empty) std::ofstream(folder_ / "data" / c.file);
        }
        EXPECT_EQ(Run("100000 close\n", {}), 2);
        const std::string said = ErrorText();
        EXPECT_NE(said.find(c.named), std::string::npos) << said;
        EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
        EXPECT_FALSE(fs::exists(folder_ / "setting.dat"));
        fs::remove_all(folder_ / "data");
    }
}

// The first area's map cut short or empty when the game reaches it: one line naming the file and the
// status of missing data; the program ends instead of playing on a map without layers.
TEST_F(ProgramTest, AnAreaMapThatCannotBeReadIsNamedAndEndsTheProgram) {
    const std::string script =
        "5 down 57\n9 up 57\n"    // START skips the opening
        "90 down 57\n94 up 57\n"  // GAME START: the first area's map loads
        "3000 close\n";
    const struct {
        const char* what;
        size_t keep;  // the bytes of the map kept
    } cases[] = {{"cut to 100 bytes", 100}, {"empty", 0}};
    const fs::path pack = fs::path(KORVALUND_DATAPACK_DIR) / "data";
    const std::vector<uint8_t> map = ReadBytes(pack / "map" / "1.dat");
    ASSERT_GT(map.size(), 100u);
    for (const auto& c : cases) {
        fs::remove(folder_ / "data");
        for (const auto& entry : fs::recursive_directory_iterator(pack)) {
            const fs::path relative = fs::relative(entry.path(), pack);
            const fs::path target = folder_ / "data" / relative;
            if (entry.is_directory())
                fs::create_directories(target);
            else if (relative != fs::path("map/1.dat"))
                fs::create_symlink(entry.path(), target);
        }
        WriteBytes(folder_ / "data" / "map" / "1.dat", {map.begin(), map.begin() + long(c.keep)});
        EXPECT_EQ(Run(script, {}), 2) << c.what;
        const std::string said = ErrorText();
        EXPECT_NE(said.find("map file ./data/map/1.dat is empty, cut short or damaged"), std::string::npos)
            << c.what << ": " << said;
        EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << c.what << ": " << said;
        fs::remove_all(folder_ / "data");
    }
}

TEST_F(ProgramTest, ReplayArgumentThatIsNoReplayIsNamedOnOneLine) {
    std::ofstream(folder_ / "garbage.rep") << "these bytes are not a replay\n";
    const struct {
        const char* what;
        const char* file;
        std::optional<std::string> script;
        int status;
        const char* reason;
    } cases[] = {
        // Headless with no input script: nothing could end the run, so the program ends at once.
        {"missing, nothing to end the run", "nosuch.rep", std::nullopt, 2, "cannot be opened"},
        {"garbage, nothing to end the run", "garbage.rep", std::nullopt, 2, "is not a replay"},
        // With an input script the game starts after the line, and the script's close ends it.
        {"garbage, scripted close", "garbage.rep", "120 close\n", 0, "is not a replay"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Run(c.script, {c.file}), c.status) << c.what;
        const std::string error = ErrorText();
        EXPECT_EQ(std::count(error.begin(), error.end(), '\n'), 1) << c.what << ": " << error;
        EXPECT_NE(error.find(std::string("\"") + c.file + "\" " + c.reason), std::string::npos)
            << c.what << ": " << error;
        // Only a game that started writes its settings when it ends.
        EXPECT_EQ(fs::exists(folder_ / "setting.dat"), c.status == 0) << c.what;
        fs::remove(folder_ / "setting.dat");
    }
}

TEST_F(ProgramTest, UnknownEnvironmentValueIsNamedOnOneLineAndTheRunGoesOn) {
    const struct {
        const char* name;
        const char* line;
    } cases[] = {
        {"KORVALUND_CLOCK",
         "korvalund: KORVALUND_CLOCK=bogus is neither real nor virtual; using the real clock\n"},
        {"KORVALUND_HOST", "korvalund: KORVALUND_HOST=bogus is neither sdl nor headless; using headless\n"},
        {"KORVALUND_AUDIO",
         "korvalund: KORVALUND_AUDIO=bogus is not sdl, null or capture:<file.wav>; using the null output\n"},
    };
    for (const auto& c : cases) {
        environment_ = {{c.name, "bogus"}};
        EXPECT_EQ(Run("10 close\n", {}), 0) << c.name;
        EXPECT_EQ(ErrorText(), c.line);
        EXPECT_TRUE(fs::exists(folder_ / "setting.dat")) << c.name;
        fs::remove(folder_ / "setting.dat");
    }
}

// Saves hit by a fault: the process killed at a save's write (as by a crash or power cut), every write
// failing as on a full disk, or no file creatable as in a read-only folder. The game saves a replay at
// the title (F4), then Esc ends it and it saves its settings and records. The old settings, records and
// replay stay byte-identical, no new replay appears, and each failed settings or records save is one
// line on standard error.
TEST_F(ProgramTest, AFaultAtTheSavesKeepsTheOldFiles) {
    const std::string script =
        "5 down 57\n9 up 57\n"      // START skips the opening
        "90 down 57\n94 up 57\n"    // GAME START
        "250 down 57\n254 up 57\n"  // START skips the map picture
        "400 down 60\n404 up 60\n"  // F2: back to the title, the replay recorded
        "600 down 62\n604 up 62\n"  // F4: save the replay
        "700 down 1\n";             // Esc: the program ends and saves
    const std::vector<std::string> kAllTemporaries = {"setting.dat.tmp", "record.dat.tmp", "replay.rep.tmp"};
    const std::vector<std::pair<const char*, std::vector<uint8_t>>> oldFiles = {
        {"setting.dat", kDefaultSettings},
        {"record.dat", std::vector<uint8_t>(20, 0x7F)},
        {"replay.rep", std::vector<uint8_t>(90, 0x33)},
    };
    const struct {
        const char* what;
        const char* trace;  // empty: no fault, the control run
        const char* inject;
        std::vector<std::string> temporaries;  // where the fault strikes
        int status;
        size_t lines;
        bool newReplay;
    } cases[] = {
        {"no fault", "", "", {}, 0, 0, true},
        {"killed at the replay's write", "write", "signal=KILL", {"replay.rep.tmp"}, 128 + 9, 0, false},
        {"killed at the settings' write",
         "write",
         "signal=KILL",
         {"setting.dat.tmp", "record.dat.tmp"},
         128 + 9,
         0,
         true},
        {"full disk", "write", "error=ENOSPC", kAllTemporaries, 0, 2, false},
        {"read-only folder", "openat", "error=EROFS", kAllTemporaries, 0, 2, false},
    };
    for (const auto& c : cases) {
        for (const auto& entry : fs::directory_iterator(folder_))
            if (entry.is_regular_file()) fs::remove(entry.path());
        for (const auto& [name, bytes] : oldFiles) WriteBytes(folder_ / name, bytes);
        wrapper_.clear();
        if (*c.trace) {
            // The game opens its temporary files by these relative names; writes are matched by file.
            wrapper_ = {"/usr/bin/strace",
                        "-f",
                        "-o",
                        "/dev/null",
                        "-e",
                        std::string("trace=") + c.trace,
                        "-e",
                        std::string("inject=") + c.trace + ":" + c.inject};
            for (const std::string& temporary : c.temporaries) {
                wrapper_.push_back("-P");
                wrapper_.push_back(std::string(c.trace) == "openat" ? temporary
                                                                    : (folder_ / temporary).string());
            }
        }
        EXPECT_EQ(Run(script, {}), c.status) << c.what;
        EXPECT_EQ(ReadBytes(folder_ / "replay.rep"), oldFiles[2].second) << c.what;  // never overwritten
        EXPECT_EQ(fs::exists(folder_ / "replay(2).rep"), c.newReplay) << c.what;
        if (*c.trace) {
            for (const auto& [name, bytes] : oldFiles) EXPECT_EQ(ReadBytes(folder_ / name), bytes) << c.what;
        }
        if (c.status == 0) {
            for (const std::string& temporary : kAllTemporaries)
                EXPECT_FALSE(fs::exists(folder_ / temporary)) << c.what << ": " << temporary;
        }
        std::ifstream in(folder_ / "stderr.txt");
        size_t lines = 0;
        for (std::string line; std::getline(in, line);)
            lines += line.find("could not save") != std::string::npos;
        EXPECT_EQ(lines, c.lines) << c.what;
    }
}

}  // namespace
