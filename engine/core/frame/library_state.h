// The library's process-wide state: the life-cycle flags and the state block of the main window. The
// block has two halves: the settings made by setter functions (kept when the window is created) and the
// run state (zero-filled at every window creation).
#pragma once

#include <cstdint>

#include "platform/kernel/win_types.h"
#include "platform/user/user32.h"

constexpr int kActivationRingSize = 512;
constexpr int kDroppedFileLimit = 1000;
constexpr int kMouseClickLimit = 32;
constexpr int kSelectedMenuIdLimit = 64;
constexpr int kMenuItemLimit = 512;
constexpr int kMenuItemNameSize = 128;
constexpr int kToolbarButtonLimit = 64;
constexpr int kExtraWindowLimit = 8;
constexpr int kLibraryPathSize = 260;

typedef void (*ModeChangeCallback)(void* parameter);
typedef void (*ActivationCallback)(int active, void* parameter);
typedef void (*MenuIdCallback)(int id);
typedef void (*MenuNameCallback)(const char* name, int id);
// A hook sees every message first; it sets *handled to take the message, whose result it returns.
typedef LRESULT (*MessageHook)(HWND window, UINT message, WPARAM wParam, LPARAM lParam, int* handled);

struct ActivationRing {
    int active[kActivationRingSize];
    int fromActivateApp[kActivationRingSize];
    int count;
    int readIndex;
    int writeIndex;
};

struct MouseClickRecord {
    int button;  // 1 left, 2 right, 4 middle
    int x;
    int y;
};

struct MenuItemRecord {
    HMENU menu;
    uint16_t position;
    uint16_t id;
    char name[kMenuItemNameSize];
};

struct ToolbarButton {
    int id;
    int kind;  // 3 separator
    int clicked;
};

// Settings: survive the reset of window creation.
struct LibrarySettings {
    int windowMode;  // 1 window, 0 full screen
    int altEnterSwitchesMode;
    ModeChangeCallback modeChangeCallback;
    void* modeChangeParameter;
    ActivationCallback activationCallback;
    void* activationParameter;
    HACCEL accelerator;
    HMENU menu;
    int menuShown;
    MenuIdCallback menuIdCallback;
    MenuNameCallback menuNameCallback;
    int menuHidden;
    int menuAlwaysShown;
    int styleMode;  // 0-10
    HRGN windowRegion;
    int iconId;
    HICON icon;
    int runAlways;
    int allowDoubleStart;
    MessageHook messageHook;
    int positionX, positionY, usePosition;
    int clientWidth, clientHeight, useClientSize;
    int sizeRateOnly;
    int sizable;
    double sizeRateX, sizeRateY;
    int startHidden;
    int startMinimised;
    int userHandlesClose;
    int noQuitMessageOnDestroy;
    int imeWanted;
    int systemKeyLock;
    HWND mainWindow;
    int useUserWindow;
    HWND userWindow;
    WNDPROC userWindowProc;
    HWND dialog;
    int cursorClip;
    int layered;
    int backgroundColourSet;
    int backgroundRed, backgroundGreen, backgroundBlue;
    double memoryTotalMb, memoryFreeMb;
    char currentFolder[kLibraryPathSize];
    char windowText[kLibraryPathSize];
    char className[kLibraryPathSize];
};

// Run state: zero at every window creation.
struct LibraryRunState {
    HINSTANCE instance;
    DWORD windowThreadId;
    RECT windowRect;
    RECT clientRect;  // screen coordinates
    int captionHeight;
    int desktopWidth, desktopHeight, desktopBits;

    // Pump and window life.
    int quit;
    int active;
    int minimised;
    int closeRequested;
    int destroyed;
    int inPump;
    int beingCreated;
    int ending;  // 1 while the end sequence runs, 4 after WM_CLOSE
    int modeSwitchRequested;
    int flipPending;
    int lastThrottledFlip;
    int cursorClipped;
    int stringInputGuard;
    int inactiveSince;  // -1: not waiting
    int painted;
    int inPaint;
    int drawing;
    int displayChanged;
    int graphicsRestartNeeded;
    int compositionOff;

    // Window modes and styles.
    int stylesApplied;
    int modeChangeRunning;
    int clearClientSizeAtInitEnd;
    int cursorVisibleSetting;
    int cursorShown;

    ActivationRing activation;

    char* droppedFiles[kDroppedFileLimit];
    int droppedFileCount;

    int wheelVertical;
    int wheelHorizontal;
    MouseClickRecord clicks[kMouseClickLimit];
    int clickCount;

    MenuItemRecord menuItems[kMenuItemLimit];
    int menuItemCount;
    int selectedMenuIds[kSelectedMenuIdLimit];
    int selectedMenuIdCount;
    int fullScreenMenuCounter;  // 0-5
    int menuAttached;

    int toolbarPresent;
    HWND toolbar;
    ToolbarButton toolbarButtons[kToolbarButtonLimit];
    int toolbarButtonCount;
    int toolbarHeight;

    HWND extraWindows[kExtraWindowLimit];
    int extraWindowCount;

    int savedImageKept;
    int savedImageGraphic;
    void* updateLayeredWindow;
};

struct LibraryState {
    LibrarySettings settings;
    LibraryRunState run;
};

// Life-cycle flags outside the block.
struct LibraryFlags {
    int initialised;
    int initialising;
    int noWindow;
    int noInput;
    int noSound;
    int noGraphics;
    int endRequested;
    int asyncLoad;
    int timerUsable;
    int64_t counterFrequency;
};

extern LibraryState libraryState;
extern LibraryFlags libraryFlags;

// The reset of window creation: the run state becomes zero (the inactive mark -1), settings stay.
void ResetLibraryRunState();
// Tests: settings, run state and life-cycle flags back to their starting values.
void ResetLibraryStateForTests();
