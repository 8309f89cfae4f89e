// The device layer on the headless host with the virtual clock: a main window of 800 x 600 in window
// mode, the log written into a fresh folder, and the Direct3D stand-in and every graphics setting reset
// around each test.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "engine/core/frame/library_state.h"
#include "engine/core/frame/system_functions.h"
#include "engine/core/memory/log.h"
#include "engine/graphics/device/device_capabilities.h"
#include "engine/graphics/device/direct3d_system.h"
#include "engine/graphics/device/present_frame.h"
#include "engine/graphics/device/screen_settings.h"
#include "engine/graphics/device/vertical_blank.h"
#include "platform/d3d9/d3d9_control.h"
#include "platform/host/host.h"
#include "platform/kernel/clock.h"
#include "platform/kernel/kernel32.h"
#include "platform/user/user32.h"
#include "platform/user/user_test_support.h"

class DeviceTest : public ::testing::Test {
  protected:
    void SetUp() override {
        SetHostKind(HostKind::kHeadless);
        SetClockMode(ClockMode::kVirtual);
        ResetWindowStandInForTests();
        ResetLibraryStateForTests();
        D3D9ResetControls();
        LoadSystemLibraries();
        // The library's microsecond clock runs on the performance counter, as after init.
        LARGE_INTEGER frequency;
        QueryPerformanceFrequency(&frequency);
        libraryFlags.counterFrequency = frequency.QuadPart;
        libraryFlags.timerUsable = 1;
        char pattern[] = "/tmp/gfx_device_XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        folder_ = pattern;
        SetFileLogEnabled(1);
        SetLogFolder(("C:" + folder_).c_str());
        InitLogOutput();
        libraryState.settings.windowMode = 1;
        libraryState.settings.mainWindow = MakeWindow(800, 600);
        libraryState.run.active = 1;  // as once the window has been shown: no call waits for it
        SetScreenSize(800, 600);
        SetColorDepthSetting(16);
    }
    void TearDown() override {
        ResetDirect3DSystemForTests();
        ResetScreenSettingsForTests();
        ResetPresentRectsForTests();
        verticalBlankTiming = VerticalBlankTiming{-1, 0};
        D3D9ResetControls();
        SetLogFolder("");
        ResetWindowStandInForTests();
        ResetLibraryStateForTests();
        std::string command = "rm -rf '" + folder_ + "'";
        ASSERT_EQ(system(command.c_str()), 0);
    }

    static HWND MakeWindow(int width, int height) {
        WNDCLASSEXA windowClass = {};
        windowClass.cbSize = sizeof(windowClass);
        windowClass.lpfnWndProc = DefWindowProcA;
        windowClass.lpszClassName = "DeviceTestWindow";
        RegisterClassExA(&windowClass);
        RECT frame{0, 0, width, height};
        AdjustWindowRectEx(&frame, WS_POPUP, FALSE, 0);
        return CreateWindowExA(0, "DeviceTestWindow", "device test", WS_POPUP | WS_VISIBLE, 0, 0,
                               frame.right - frame.left, frame.bottom - frame.top, nullptr, nullptr, nullptr,
                               nullptr);
    }

    // The Direct3D object on the loaded module.
    void MakeDirect3D() {
        ASSERT_EQ(LoadDirect3D9Library(), 0);
        ASSERT_EQ(CreateDirect3D9Object(), 0);
    }

    // The log's lines without their time stamps, indents and line ends.
    std::vector<std::string> LogLines() const {
        std::ifstream in(folder_ + "/Log.txt", std::ios::binary);
        std::string log(std::istreambuf_iterator<char>(in), {});
        std::vector<std::string> lines;
        size_t start = 0;
        while (start < log.size()) {
            size_t end = log.find("\r\n", start);
            if (end == std::string::npos) end = log.size();
            std::string line = log.substr(start, end - start);
            size_t colon = line.find(':');
            if (colon != std::string::npos && line.find_first_not_of("0123456789") == colon)
                line = line.substr(colon + 1);
            line.erase(0, line.find_first_not_of('\t'));
            lines.push_back(line);
            start = end + 2;
        }
        return lines;
    }
    bool Logged(const std::string& line) const {
        std::vector<std::string> lines = LogLines();
        return std::find(lines.begin(), lines.end(), line) != lines.end();
    }
    // Each expected line appears, in this order (other lines may come between).
    void ExpectLinesInOrder(const std::vector<std::string>& expected) const {
        std::vector<std::string> lines = LogLines();
        auto at = lines.begin();
        for (const std::string& line : expected) {
            auto found = std::find(at, lines.end(), line);
            ASSERT_NE(found, lines.end()) << "missing or out of order: \"" << line << "\"";
            at = found + 1;
        }
    }

    static int Count(const std::vector<std::string>& trace, const std::string& call) {
        return int(std::count(trace.begin(), trace.end(), call));
    }

    std::string folder_;
};
