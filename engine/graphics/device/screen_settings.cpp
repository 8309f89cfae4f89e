#include "engine/graphics/device/screen_settings.h"

#include "engine/core/frame/library_state.h"
#include "engine/core/helpers/vector_math.h"
#include "engine/graphics/device/device_wrappers.h"
#include "engine/graphics/device/direct3d_system.h"
#include "engine/graphics/draw/render_state_cache.h"
#include "engine/graphics/graphics.h"
#include "engine/graphics/handles/graphic_create_params.h"
#include "engine/graphics/handles/graphic_handles.h"
#include "platform/kernel/kernel32.h"
#include "platform/user/user32.h"

ScreenSettings screenSettings;

namespace {

constexpr int kDefaultWidth = 640;
constexpr int kDefaultHeight = 480;
constexpr int kDefaultColorBits = 16;
constexpr int kTextureStages = 8;
constexpr int kCreateOptionWord = 16;

struct DisplayModeList {
    int count;
    DisplayMode* modes;
};

DisplayModeList displayModeList;

// Counts the modes of 16 bits or more; with a list, stores at most `limit` of them.
int EnumerateModes(DisplayMode* list, int limit) {
    DEVMODEA mode{};
    mode.dmSize = sizeof(mode);
    int count = 0;
    for (DWORD i = 0; EnumDisplaySettingsA(nullptr, i, &mode); ++i) {
        if (mode.dmBitsPerPel < 16) continue;
        if (list != nullptr) {
            if (count >= limit) break;
            list[count] = DisplayMode{int(mode.dmPelsWidth), int(mode.dmPelsHeight), int(mode.dmBitsPerPel),
                                      int(mode.dmDisplayFrequency)};
        }
        ++count;
    }
    return count;
}

void EnsureDisplayModeList() {
    if (displayModeList.modes == nullptr) ListDisplayModes(&displayModeList.count, &displayModeList.modes);
}

}  // namespace

int IsHalfSizeEmulation() {
    return screenSettings.halfSizeByModeSelection || screenSettings.halfSizeByInit ? 1 : 0;
}

int IsHalfSizeFrame() {
    return IsHalfSizeEmulation() && screenSettings.width == 640 && screenSettings.height == 480 ? 1 : 0;
}

int GetScreenSize(int* width, int* height, int* colorBits) {
    const bool half = IsHalfSizeEmulation();
    if (width != nullptr) *width = half ? 320 : screenSettings.width;
    if (height != nullptr) *height = half ? 240 : screenSettings.height;
    if (colorBits != nullptr) *colorBits = GetColorDepth();
    return 0;
}

int SetScreenSize(int width, int height) {
    screenSettings.width = width;
    screenSettings.height = height;
    if (IsHalfSizeEmulation() && width == 640 && height == 480) {
        screenSettings.logicalWidth = 320;
        screenSettings.logicalHeight = 240;
    } else {
        screenSettings.logicalWidth = width != 0 ? width : kDefaultWidth;
        screenSettings.logicalHeight = height != 0 ? height : kDefaultHeight;
    }
    SetProjectionAspect(screenSettings.logicalWidth, screenSettings.logicalHeight);
    return 0;
}

int GetLogicalScreenSize(int* width, int* height) {
    *width = screenSettings.logicalWidth != 0 ? screenSettings.logicalWidth : kDefaultWidth;
    *height = screenSettings.logicalHeight != 0 ? screenSettings.logicalHeight : kDefaultHeight;
    return 0;
}

int GetColorDepth() {
    return screenSettings.colorBits != 0 ? screenSettings.colorBits : kDefaultColorBits;
}

int SetColorDepthSetting(int colorBits) {
    screenSettings.colorBits = colorBits;
    screenSettings.requestedColorBits = colorBits;
    return 0;
}

int GetRequestedColorDepth() {
    return screenSettings.requestedColorBits != 0 ? screenSettings.requestedColorBits : GetColorDepth();
}

int SetRefreshRateSetting(int refreshRate) {
    screenSettings.refreshRate = refreshRate;
    return 0;
}

int IsFullScreenMode() {
    return libraryState.settings.windowMode == 0 ? 1 : 0;
}

int IsSoftwareDrawMode() {
    return Direct3DMode == 0 ? 1 : 0;
}

int SetHardwareDrawEnabled(int flag) {
    if (libraryFlags.initialised) return -1;
    screenSettings.softwareOnly = flag ? 0 : 1;
    return 0;
}

int IsHardwareDrawEnabled() {
    return screenSettings.softwareOnly ? 0 : 1;
}
int IsHardwareDrawingEnabled() {
    return IsHardwareDrawEnabled();
}

// The flag of the display-mode selection; graphics init has its own.
int SetHalfSizeEmulation(int flag) {
    screenSettings.halfSizeByModeSelection = flag;
    return 0;
}
int GetHalfSizeEmulation() {
    return screenSettings.halfSizeByModeSelection;
}

int ListDisplayModes(int* count, DisplayMode** list) {
    if (*list != nullptr) HeapFree(GetProcessHeap(), 0, *list);
    *list = nullptr;
    const int found = EnumerateModes(nullptr, 0);
    auto* modes = found > 0
                      ? static_cast<DisplayMode*>(HeapAlloc(GetProcessHeap(), 0, sizeof(DisplayMode) * found))
                      : nullptr;
    if (modes == nullptr) {
        *count = 0;
        return 0;
    }
    // Modes that appeared between the two passes are left out.
    *count = EnumerateModes(modes, found);
    *list = modes;
    return 0;
}

int FreeDisplayModeList() {
    if (displayModeList.modes != nullptr) HeapFree(GetProcessHeap(), 0, displayModeList.modes);
    displayModeList = DisplayModeList{};
    return 0;
}

int GetDisplayModeCount() {
    EnsureDisplayModeList();
    return displayModeList.count;
}

int GetDisplayModeAt(int index, DisplayMode* mode) {
    EnsureDisplayModeList();
    if (index < 0 || index >= displayModeList.count) {
        *mode = DisplayMode{-1, -1, -1, -1};
        return -1;
    }
    *mode = displayModeList.modes[index];
    return 0;
}

int IsDisplayModeListed(int width, int height, int colorBits) {
    EnsureDisplayModeList();
    for (int i = 0; i < displayModeList.count; ++i) {
        const DisplayMode& mode = displayModeList.modes[i];
        if (mode.width == width && mode.height == height && mode.colorBits == colorBits) return 1;
    }
    return 0;
}

int GetGraphicSize(int graphic, int* width, int* height) {
    int w, h;
    if (graphic == kDrawTargetFrontScreen || graphic == kDrawTargetBackBuffer) {
        w = screenSettings.width;
        h = screenSettings.height;
    } else if (GetGraphicEntrySize(graphic, 1, &w, &h) != 0) {
        return -1;
    }
    if (width != nullptr) *width = w;
    if (height != nullptr) *height = h;
    return 0;
}

int GetGraphicTextureSize(int graphic, int* width, int* height) {
    int w, h;
    const int result =
        Direct3DMode ? GetGraphicFirstTextureSize(graphic, &w, &h) : GetGraphicEntrySize(graphic, 0, &w, &h);
    if (result != 0) return -1;
    if (width != nullptr) *width = w;
    if (height != nullptr) *height = h;
    return 0;
}

int SetDialogBoxModeFlag(int flag) {
    screenSettings.dialogBoxMode = flag;
    if (Direct3DMode && HasD3DDevice()) {
        DeviceSetDialogBoxMode(FALSE);
        if (flag) DeviceSetDialogBoxMode(TRUE);
    }
    return 0;
}

int GetDialogBoxModeFlag() {
    return screenSettings.dialogBoxMode;
}

int SetDialogBoxModeSafe(int flag) {
    if (!HasD3DDevice()) return 0;
    if (HasDirect3D9Object()) EndSceneIfBegun();
    return SetDialogBoxModeFlag(flag);
}

int SetGraphicCreateOption(int flag) {
    SetGraphicCreateParamWord(kCreateOptionWord, flag ? 0 : 1);
    return 0;
}

int SetLightingEnabled(int flag) {
    if (!HasD3DDevice()) return 0;
    return SetLightingEnable(flag);
}

int ResetTextureCoordinateIndices() {
    if (!HasD3DDevice()) return 0;
    for (int stage = 0; stage < kTextureStages; ++stage) SetTextureCoordIndex(stage, stage);
    return 0;
}

void ResetScreenSettingsForTests() {
    FreeDisplayModeList();
    screenSettings = ScreenSettings{};
}
