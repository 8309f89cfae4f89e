// The real program: the game's WinMain over the real library and platform, headless on the virtual
// clock with the null audio output, run in a child process in a working folder of its own. Keys come
// from an input script as for the game executable; an observer looks at the game once per frame and
// describes what it sees, and every change of that description is kept, with its frame, as the run's
// trace.
#pragma once

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "game/frame/main_loop.h"
#include "game/frame/task_registry.h"
#include "platform/host/host.h"

// The first living task of class T in any group, or null.
template <class T>
T* FindLiveTask() {
    for (int g = 0; g < kGroupCount; ++g) {
        for (int i = 0; i < taskCounts[g]; ++i) {
            if (auto* task = dynamic_cast<T*>(taskGroups[g][i]); task != nullptr && !task->dead) return task;
        }
    }
    return nullptr;
}

class LiveProgramTest : public ::testing::Test {
  protected:
    using Observer = std::function<std::string()>;

    void SetUp() override {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        folder_ = std::filesystem::temp_directory_path() /
                  ("korvalund_live_" + std::to_string(getpid()) + "_" + info->name());
        std::filesystem::remove_all(folder_);
        std::filesystem::create_directories(folder_);
    }
    void TearDown() override { std::filesystem::remove_all(folder_); }

    // The generated data pack in the working folder. Its maps are linked one by one into a folder of
    // the working folder's own, so that a test can put maps of its own beside them.
    void LinkDataPack() {
        const std::filesystem::path pack = std::filesystem::path(KORVALUND_DATAPACK_DIR);
        std::filesystem::create_directories(folder_ / "data" / "map");
        for (const auto& entry : std::filesystem::directory_iterator(pack / "data")) {
            if (entry.path().filename() != "map")
                std::filesystem::create_symlink(entry.path(), folder_ / "data" / entry.path().filename());
        }
        for (const auto& entry : std::filesystem::directory_iterator(pack / "data" / "map"))
            std::filesystem::create_symlink(entry.path(), folder_ / "data" / "map" / entry.path().filename());
        std::filesystem::create_directory_symlink(pack / "bgm", folder_ / "bgm");
    }

    std::filesystem::path Path(const std::string& name) const { return folder_ / name; }

    // Runs the program with the input script and command line; returns its exit status and leaves the
    // trace in trace_.
    int Run(const std::string& script, const std::string& commandLine, Observer observer) {
        std::ofstream(folder_ / "input.txt") << script;
        std::filesystem::remove(folder_ / "trace.txt");
        pid_t child = fork();
        if (child == 0) RunChild(commandLine, std::move(observer));
        int status = 0;
        waitpid(child, &status, 0);
        ReadTrace();
        return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }

    // The trace as text, for failure messages.
    std::string TraceText() const {
        std::string text;
        for (const std::string& line : trace_) text += line + "\n";
        return text;
    }

    // True when the trace holds lines starting with these texts in this order (not necessarily next
    // to each other).
    static bool HasInOrder(const std::vector<std::string>& trace, const std::vector<std::string>& expected) {
        size_t next = 0;
        for (const std::string& line : trace) {
            const std::string text = line.substr(line.find(' ') + 1);
            if (next < expected.size() && text.rfind(expected[next], 0) == 0) ++next;
        }
        return next == expected.size();
    }

    // The frame of the first trace line starting with this text; -1 when none.
    static int FrameOf(const std::vector<std::string>& trace, const std::string& start) {
        for (const std::string& line : trace) {
            if (line.substr(line.find(' ') + 1).rfind(start, 0) == 0) return std::stoi(line);
        }
        return -1;
    }

    std::vector<std::string> trace_;

  private:
    static inline Observer observer_;
    static inline std::vector<std::string> childTrace_;
    static inline std::string lastSeen_;

    static void Observe(int64_t frame) {
        std::string seen = observer_();
        if (seen == lastSeen_) return;
        lastSeen_ = seen;
        childTrace_.push_back(std::to_string(frame) + " " + seen);
    }

    [[noreturn]] void RunChild(const std::string& commandLine, Observer observer) {
        if (chdir(folder_.c_str()) != 0) _exit(101);
        setenv("KORVALUND_HOST", "headless", 1);
        setenv("KORVALUND_CLOCK", "virtual", 1);
        setenv("KORVALUND_AUDIO", "null", 1);
        setenv("KORVALUND_INPUT", (folder_ / "input.txt").c_str(), 1);
        observer_ = std::move(observer);
        HostSetPumpObserver(Observe);
        std::string line = commandLine;
        const int result = WinMain(nullptr, nullptr, line.data(), 1);
        std::ofstream out(folder_ / "trace.txt");
        for (const std::string& entry : childTrace_) out << entry << "\n";
        out.close();
        _exit(result & 0xff);
    }

    void ReadTrace() {
        trace_.clear();
        std::ifstream in(folder_ / "trace.txt");
        for (std::string line; std::getline(in, line);) trace_.push_back(line);
    }

    std::filesystem::path folder_;
};
