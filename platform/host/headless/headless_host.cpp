// The headless host: windows are records, nothing is shown, and events come only from injection and the
// input script. Its desktop is 1920 x 1080 at 32 bits and 60 Hz.
#include <algorithm>
#include <map>

#include "platform/host/host_backend.h"

namespace {

constexpr HostDisplayMode kHeadlessDesktop = {1920, 1080, 32, 60};
HostDisplayMode headlessDesktop = kHeadlessDesktop;

class HeadlessBackend : public HostBackend {
  public:
    bool CreateWindow(const HostWindowDesc&) override { return true; }
    void DestroyWindow(HWND) override {}
    void SetTitle(HWND, const std::string&) override {}
    void SetGeometry(HWND, int, int, int, int) override {}
    void SetShow(HWND, HostShow) override {}
    void SetFullScreen(HWND, bool) override {}
    void Raise(HWND) override {}
    void Show(HWND, const HostPicture&) override {}

    bool ReadBack(HWND, const HostPicture& picture, std::vector<uint32_t>* pixels, int* width,
                  int* height) override {
        pixels->assign(picture.pixels, picture.pixels + static_cast<size_t>(picture.pitch) * picture.height);
        *width = picture.width;
        *height = picture.height;
        return true;
    }

    HostDisplayMode DesktopMode() override { return headlessDesktop; }
    void Poll(std::deque<HostEvent>*) override {}
    bool InjectNative(const HostEvent& event) override {
        if (event.kind == HostEventKind::kMouseMove) {
            cursor_x_ = event.x;
            cursor_y_ = event.y;
        }
        return false;
    }
    bool ProducesTextInput() override { return false; }

    void GetCursorPos(int* x, int* y) override {
        *x = cursor_x_;
        *y = cursor_y_;
    }
    void SetCursorVisible(bool) override {}
    void ClipCursor(const RECT* rect) override {
        if (!rect) return;
        cursor_x_ = std::clamp<int>(cursor_x_, rect->left, std::max<int>(rect->left, rect->right - 1));
        cursor_y_ = std::clamp<int>(cursor_y_, rect->top, std::max<int>(rect->top, rect->bottom - 1));
    }
    void SetClipboardText(const std::string& text) override { clipboard_ = text; }
    bool GetClipboardText(std::string* text) override {
        *text = clipboard_;
        return !clipboard_.empty();
    }

  private:
    int cursor_x_ = 0;
    int cursor_y_ = 0;
    std::string clipboard_;
};

}  // namespace

void HostSetHeadlessDesktopModeForTests(const HostDisplayMode* mode) {
    headlessDesktop = mode ? *mode : kHeadlessDesktop;
}

std::unique_ptr<HostBackend> MakeHeadlessBackend() {
    return std::make_unique<HeadlessBackend>();
}
