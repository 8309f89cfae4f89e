// The window stand-in's records: window classes and windows, under one lock. A record is only read or
// changed under the lock; window procedures are always called with the lock released.
#pragma once

#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/user/user32.h"

struct WindowClassRecord {
    std::string name;
    ATOM atom = 0;
    UINT style = 0;
    WNDPROC procedure = nullptr;
    HINSTANCE instance = nullptr;
    HICON icon = nullptr;
    HCURSOR cursor = nullptr;
    HBRUSH background = nullptr;
};

struct WindowRecord {
    HWND handle = nullptr;
    std::string class_name;
    WNDPROC procedure = nullptr;
    HBRUSH background = nullptr;
    DWORD style = 0;
    DWORD ex_style = 0;
    std::string text;
    HWND parent = nullptr;
    HMENU menu = nullptr;
    HINSTANCE instance = nullptr;
    LONG id = 0;
    LONG_PTR user_data = 0;
    RECT rect{};  // the whole window, screen coordinates
    DWORD thread_id = 0;
    bool minimized = false;
    bool destroying = false;
    bool invalid = false;  // needs painting
    bool erase = false;    // background to be erased at the next BeginPaint
    RECT invalid_rect{};   // client coordinates
    HRGN region = nullptr;
    bool host_window = false;
    bool full_screen = false;
};

std::recursive_mutex& UserMutex();
using UserLock = std::lock_guard<std::recursive_mutex>;

// Classes (names compare ignoring ASCII case).
WindowClassRecord* FindClassRecord(LPCSTR name_or_atom);
std::map<std::string, WindowClassRecord>& ClassRecords();

// Windows. Handles are never reused within a process.
WindowRecord* FindWindowRecord(HWND window);
WindowRecord* AddWindowRecord();
void RemoveWindowRecord(HWND window);
// Every live window, in creation order.
std::vector<HWND> AllWindows();

// Frame sizes around the client area for a style: how far each edge of the window lies outside the
// client rectangle.
RECT FrameInsets(DWORD style, DWORD ex_style, bool menu);
RECT ClientRectInScreen(const WindowRecord& record);
int ClientWidth(const WindowRecord& record);
int ClientHeight(const WindowRecord& record);

std::string UpperAscii(std::string text);
