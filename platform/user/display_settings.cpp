#include <algorithm>
#include <cstring>
#include <mutex>
#include <optional>

#include "platform/host/host.h"
#include "platform/user/display_state.h"
#include "platform/user/user32.h"
#include "platform/user/window_store.h"
#include "platform/user/window_sync.h"

namespace {

struct DisplayState {
    std::mutex mutex;
    std::optional<DisplayModeInfo> changed;
};

DisplayState& State() {
    static DisplayState* state = new DisplayState;
    return *state;
}

DisplayModeInfo DesktopMode() {
    HostDisplayMode mode = HostDesktopMode();
    return DisplayModeInfo{mode.width, mode.height, mode.bits, mode.frequency};
}

void FillDevMode(const DisplayModeInfo& mode, LPDEVMODEA out) {
    std::memset(out, 0, sizeof(*out));
    std::memcpy(out->dmDeviceName, "DISPLAY", 8);
    out->dmSize = sizeof(DEVMODEA);
    out->dmFields = DM_BITSPERPEL | DM_PELSWIDTH | DM_PELSHEIGHT | DM_DISPLAYFREQUENCY;
    out->dmBitsPerPel = mode.bits;
    out->dmPelsWidth = mode.width;
    out->dmPelsHeight = mode.height;
    out->dmDisplayFrequency = mode.frequency;
}

// The listed mode a request names (fields it leaves out keep the mode in force), if any.
std::optional<DisplayModeInfo> ModeOfRequest(const DEVMODEA& request) {
    DisplayModeInfo wanted = CurrentDisplayMode();
    if (request.dmFields & DM_PELSWIDTH) wanted.width = request.dmPelsWidth;
    if (request.dmFields & DM_PELSHEIGHT) wanted.height = request.dmPelsHeight;
    if (request.dmFields & DM_BITSPERPEL) wanted.bits = request.dmBitsPerPel;
    bool any_frequency = !(request.dmFields & DM_DISPLAYFREQUENCY) || request.dmDisplayFrequency <= 1;
    for (const DisplayModeInfo& mode : DisplayModes()) {
        if (mode.width == wanted.width && mode.height == wanted.height && mode.bits == wanted.bits &&
            (any_frequency || mode.frequency == static_cast<int>(request.dmDisplayFrequency)))
            return mode;
    }
    return std::nullopt;
}

void AnnounceDisplayChange(const DisplayModeInfo& before, const DisplayModeInfo& after) {
    if (before.width == after.width && before.height == after.height && before.bits == after.bits) return;
    RefreshFullScreenWindows();
    std::vector<HWND> windows;
    {
        UserLock lock(UserMutex());
        for (HWND window : AllWindows())
            if (!(FindWindowRecord(window)->style & WS_CHILD)) windows.push_back(window);
    }
    for (HWND window : windows)
        if (IsWindow(window))
            SendMessageA(window, WM_DISPLAYCHANGE, after.bits, MAKELONG(after.width, after.height));
}

}  // namespace

std::vector<DisplayModeInfo> DisplayModes() {
    static constexpr int kSizes[][2] = {{640, 480},   {800, 600},  {1024, 768}, {1280, 720}, {1280, 960},
                                        {1280, 1024}, {1366, 768}, {1600, 900}, {1920, 1080}};
    DisplayModeInfo desktop = DesktopMode();
    std::vector<DisplayModeInfo> modes;
    for (int bits : {16, 32}) {
        std::vector<DisplayModeInfo> sizes;
        for (const auto& size : kSizes) {
            bool fits = size[0] <= desktop.width && size[1] <= desktop.height;
            if (fits || size[0] <= 800)
                sizes.push_back(DisplayModeInfo{size[0], size[1], bits, desktop.frequency});
        }
        sizes.push_back(DisplayModeInfo{desktop.width, desktop.height, bits, desktop.frequency});
        std::sort(sizes.begin(), sizes.end(), [](const DisplayModeInfo& a, const DisplayModeInfo& b) {
            return a.width != b.width ? a.width < b.width : a.height < b.height;
        });
        for (const DisplayModeInfo& mode : sizes)
            if (modes.empty() || modes.back().width != mode.width || modes.back().height != mode.height ||
                modes.back().bits != mode.bits)
                modes.push_back(mode);
    }
    return modes;
}

DisplayModeInfo CurrentDisplayMode() {
    {
        std::lock_guard lock(State().mutex);
        if (State().changed) return *State().changed;
    }
    return DesktopMode();
}

void ResetDisplayModeForTests() {
    std::lock_guard lock(State().mutex);
    State().changed.reset();
}

BOOL WINAPI EnumDisplaySettingsA(LPCSTR, DWORD modeNumber, LPDEVMODEA mode) {
    if (!mode) return FALSE;
    if (modeNumber == ENUM_CURRENT_SETTINGS || modeNumber == ENUM_REGISTRY_SETTINGS) {
        FillDevMode(modeNumber == ENUM_CURRENT_SETTINGS ? CurrentDisplayMode() : DesktopMode(), mode);
        return TRUE;
    }
    std::vector<DisplayModeInfo> modes = DisplayModes();
    if (modeNumber >= modes.size()) return FALSE;
    FillDevMode(modes[modeNumber], mode);
    return TRUE;
}

LONG WINAPI ChangeDisplaySettingsA(LPDEVMODEA mode, DWORD flags) {
    DisplayModeInfo before = CurrentDisplayMode();
    std::optional<DisplayModeInfo> after;
    if (mode) {
        after = ModeOfRequest(*mode);
        if (!after) return DISP_CHANGE_BADMODE;
    }
    if (flags & CDS_TEST) return DISP_CHANGE_SUCCESSFUL;
    DisplayModeInfo desktop = DesktopMode();
    {
        std::lock_guard lock(State().mutex);
        bool is_desktop = after && after->width == desktop.width && after->height == desktop.height &&
                          after->bits == desktop.bits;
        State().changed = is_desktop ? std::nullopt : after;
    }
    AnnounceDisplayChange(before, CurrentDisplayMode());
    return DISP_CHANGE_SUCCESSFUL;
}
