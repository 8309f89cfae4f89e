// A log written into a fresh folder, with the debugger output captured, for tests that read what the
// library logged.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <fstream>
#include <iterator>
#include <mutex>
#include <string>

#include "engine/core/frame/system_functions.h"
#include "engine/core/memory/log.h"
#include "platform/kernel/debug_output.h"

class LogCapture : public ::testing::Test {
  protected:
    void SetUp() override {
        char pattern[] = "/tmp/core_log_XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        folder_ = pattern;
        LoadSystemLibraries();
        SetFileLogEnabled(1);
        SetLogFolder(("C:" + folder_).c_str());
        SetDebugOutputCapture([this](const std::string& text) {
            std::lock_guard<std::mutex> guard(debugLock_);
            debugOutput_ += text;
        });
        InitLogOutput();
    }
    void TearDown() override {
        SetDebugOutputCapture({});
        SetLogFolder("");
        std::string command = "rm -rf '" + folder_ + "'";
        ASSERT_EQ(system(command.c_str()), 0);
    }
    std::string LogPath() const { return folder_ + "/Log.txt"; }
    std::string ReadLog() const {
        std::ifstream in(LogPath(), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    std::string DebugOutput() {
        std::lock_guard<std::mutex> guard(debugLock_);
        return debugOutput_;
    }

    std::string folder_;
    std::mutex debugLock_;
    std::string debugOutput_;
};
