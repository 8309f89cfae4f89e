// The library started and ended on the headless host with the virtual clock, its log written into a
// fresh folder, and the window stand-in and the library's state reset around every test.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "engine/core/frame/library_init.h"
#include "engine/core/frame/library_state.h"
#include "engine/core/frame/system_functions.h"
#include "engine/core/frame/window_mode.h"
#include "engine/core/memory/log.h"
#include "engine/graphics/graphics.h"
#include "engine/graphics/graphics_services.h"
#include "platform/host/host.h"
#include "platform/kernel/clock.h"
#include "platform/user/user32.h"
#include "platform/user/user_test_support.h"

class LibraryTest : public ::testing::Test {
  protected:
    void SetUp() override {
        SetHostKind(HostKind::kHeadless);
        SetClockMode(ClockMode::kVirtual);
        ResetWindowStandInForTests();
        ResetLibraryStateForTests();
        char pattern[] = "/tmp/core_init_XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        folder_ = pattern;
        SetFileLogEnabled(1);
        SetLogFolder(("C:" + folder_).c_str());
        SetScreenMode(800, 600, 16, 60);
        SetHalfSizeEmulation(0);
        SetMainWindowText("Korvalund");
    }
    void TearDown() override {
        LibraryEnd();
        HostSetHeadlessDesktopModeForTests(nullptr);
        SetLogFolder("");
        ResetWindowStandInForTests();
        ResetLibraryStateForTests();
        std::string command = "rm -rf '" + folder_ + "'";
        ASSERT_EQ(system(command.c_str()), 0);
    }
    std::string ReadLog() const {
        std::ifstream in(folder_ + "/Log.txt", std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    // The log's lines without their time stamps and line ends.
    std::vector<std::string> LogLines() const {
        std::vector<std::string> lines;
        std::string log = ReadLog();
        size_t start = 0;
        while (start < log.size()) {
            size_t end = log.find("\r\n", start);
            if (end == std::string::npos) end = log.size();
            std::string line = log.substr(start, end - start);
            size_t colon = line.find(':');
            if (colon != std::string::npos && line.find_first_not_of("0123456789") == colon)
                line = line.substr(colon + 1);
            lines.push_back(line);
            start = end + 2;
        }
        return lines;
    }

    // A window of the given class standing for another running copy of the program.
    static HWND CreateOtherCopy(const char* className) {
        WNDCLASSEXA windowClass = {};
        windowClass.cbSize = sizeof(windowClass);
        windowClass.lpfnWndProc = DefWindowProcA;
        windowClass.lpszClassName = className;
        RegisterClassExA(&windowClass);
        return CreateWindowExA(0, className, "other copy", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr,
                               nullptr);
    }
    // Every expected line in order at the start of the log; '*' in an expected line matches any text, and
    // an expected line ending in "..." matches any number of lines (none included).
    static void ExpectLines(const std::vector<std::string>& lines, const std::vector<std::string>& expected) {
        size_t at = 0;
        for (const std::string& pattern : expected) {
            const bool repeats = pattern.size() >= 3 && pattern.compare(pattern.size() - 3, 3, "...") == 0;
            if (repeats) {
                const std::string one = pattern.substr(0, pattern.size() - 3);
                while (at < lines.size() && GlobMatch(one.c_str(), lines[at].c_str())) ++at;
                continue;
            }
            ASSERT_LT(at, lines.size()) << "the log ends before \"" << pattern << "\"";
            EXPECT_TRUE(GlobMatch(pattern.c_str(), lines[at].c_str()))
                << "line " << at << " is \"" << lines[at] << "\", expected \"" << pattern << "\"";
            ++at;
        }
    }
    static bool GlobMatch(const char* pattern, const char* text) {
        if (*pattern == 0) return *text == 0;
        if (*pattern == '*') return GlobMatch(pattern + 1, text) || (*text && GlobMatch(pattern, text + 1));
        return *pattern == *text && GlobMatch(pattern + 1, text + 1);
    }

    std::string folder_;
};
