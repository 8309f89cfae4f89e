// A headless window stand-in with a window class whose procedure records every message it gets.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "platform/user/user32.h"
#include "platform/user/user_test_support.h"

struct RecordedMessage {
    HWND window;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};

class WindowFixture : public ::testing::Test {
  protected:
    static constexpr const char* kClassName = "KorvalundTestClass";
    // The style and ex-style of the library's default window mode.
    static constexpr DWORD kStyle = 0x80CA0000u;
    static constexpr DWORD kExStyle = 0x300u;

    void SetUp() override {
        ResetWindowStandInForTests();
        Current() = this;
        WNDCLASSEXA window_class{};
        window_class.cbSize = sizeof(window_class);
        window_class.style = CS_HREDRAW | CS_VREDRAW;
        window_class.lpfnWndProc = &WindowFixture::Procedure;
        window_class.lpszClassName = kClassName;
        ASSERT_NE(RegisterClassExA(&window_class), 0);
    }

    void TearDown() override {
        ResetWindowStandInForTests();
        Current() = nullptr;
    }

    HWND MakeWindow(DWORD style = kStyle, int width = 200, int height = 100) {
        return CreateWindowExA(kExStyle, kClassName, "test", style, 10, 20, width, height, nullptr, nullptr,
                               nullptr, nullptr);
    }

    std::vector<UINT> MessagesOf(HWND window) const {
        std::vector<UINT> messages;
        for (const RecordedMessage& record : recorded)
            if (record.window == window) messages.push_back(record.message);
        return messages;
    }

    // Takes and dispatches every message of the thread; returns how many there were.
    int PumpAll() {
        MSG msg;
        int count = 0;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
            ++count;
        }
        return count;
    }

    std::vector<RecordedMessage> recorded;
    // Answers a message instead of DefWindowProcA when it returns true.
    std::function<bool(HWND, UINT, WPARAM, LPARAM, LRESULT*)> handler;

  private:
    static WindowFixture*& Current() {
        static WindowFixture* current = nullptr;
        return current;
    }

    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        WindowFixture* self = Current();
        if (!self) return DefWindowProcA(window, message, wParam, lParam);
        self->recorded.push_back(RecordedMessage{window, message, wParam, lParam});
        LRESULT result = 0;
        if (self->handler && self->handler(window, message, wParam, lParam, &result)) return result;
        return DefWindowProcA(window, message, wParam, lParam);
    }
};
