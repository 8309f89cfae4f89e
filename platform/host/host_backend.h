// The part of a host that differs between SDL and headless. host.cpp keeps what both share: pictures,
// the event queue, the key state and the input script.
#pragma once

#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "platform/host/host.h"

class HostBackend {
  public:
    virtual ~HostBackend() = default;

    virtual bool CreateWindow(const HostWindowDesc& desc) = 0;
    virtual void DestroyWindow(HWND window) = 0;
    virtual void SetTitle(HWND window, const std::string& title_cp932) = 0;
    virtual void SetGeometry(HWND window, int x, int y, int width, int height) = 0;
    virtual void SetShow(HWND window, HostShow show) = 0;
    virtual void SetFullScreen(HWND window, bool full_screen) = 0;
    virtual void Raise(HWND window) = 0;
    // Shows a window's picture.
    virtual void Show(HWND window, const HostPicture& picture) = 0;
    // What the window shows, read back from the display where there is one.
    virtual bool ReadBack(HWND window, const HostPicture& picture, std::vector<uint32_t>* pixels, int* width,
                          int* height) = 0;
    virtual HostDisplayMode DesktopMode() = 0;
    // Appends the host's pending events.
    virtual void Poll(std::deque<HostEvent>* events) = 0;
    // Puts an event into the host's own event queue; false when the host has no such event (the caller
    // queues it directly).
    virtual bool InjectNative(const HostEvent& event) = 0;
    virtual bool ProducesTextInput() = 0;
    virtual void GetCursorPos(int* x, int* y) = 0;
    virtual void SetCursorVisible(bool visible) = 0;
    virtual void ClipCursor(const RECT* rect) = 0;
    virtual void SetClipboardText(const std::string& text_cp932) = 0;
    virtual bool GetClipboardText(std::string* text_cp932) = 0;
};

std::unique_ptr<HostBackend> MakeHeadlessBackend();
// Null when SDL's video can't start.
std::unique_ptr<HostBackend> MakeSdlBackend();
