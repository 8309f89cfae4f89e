// The library started and ended on the headless host with the virtual clock, its log written into a
// fresh folder, and the window stand-in and the library's state reset around every test.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "engine/core/library_init.h"
#include "engine/core/library_state.h"
#include "engine/core/log.h"
#include "engine/core/window_mode.h"
#include "engine/graphics/graphics.h"
#include "engine/graphics/graphics_services.h"
#include "platform/host/host.h"
#include "platform/kernel/clock.h"
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

    std::string folder_;
};
