#include "engine/core/frame/library_init.h"

#include <cstring>

#include "engine/core/files/archive_file_set.h"
#include "engine/core/files/file_access.h"
#include "engine/core/frame/com_start.h"
#include "engine/core/frame/library_state.h"
#include "engine/core/frame/main_window.h"
#include "engine/core/frame/message_pump.h"
#include "engine/core/frame/system_functions.h"
#include "engine/core/frame/system_info.h"
#include "engine/core/frame/window_mode.h"
#include "engine/core/input/char_input.h"
#include "engine/core/input/input.h"
#include "engine/core/input/network.h"
#include "engine/core/memory/fatal_exit.h"
#include "engine/core/memory/library_lock.h"
#include "engine/core/memory/log.h"
#include "engine/core/memory/screen_log.h"
#include "engine/core/memory/tracked_allocator.h"
#include "engine/graphics/graphics.h"
#include "engine/graphics/graphics_services.h"
#include "engine/image/soft_image.h"
#include "engine/image/soft_image_handles.h"
#include "engine/sound/sound.h"
#include "engine/text_movie/movie_services.h"
#include "platform/gdi/gdi32.h"
#include "platform/host/host.h"
#include "platform/kernel/kernel32.h"

namespace {

constexpr int kRefusedDepth = 24;

LibrarySettings& Settings() {
    return libraryState.settings;
}
LibraryRunState& Run() {
    return libraryState.run;
}

// Full screen needs a display mode of the screen size; without one the library starts in a window.
void CheckFullScreenSize() {
    if (Settings().windowMode) return;
    if (!PrepareFullScreenSize()) ChangeWindowMode(1);
}

void ReadCurrentFolder() {
    char folder[kFilePathLimit] = "";
    CallFileGetCurrentDir(folder);
    std::memcpy(Settings().currentFolder, folder, sizeof(folder));
    if (!GetLogFolder()[0]) SetLogFolder(Settings().currentFolder);
}

bool RefusesDepth() {
    if (libraryFlags.noWindow) return false;
    int desktopBits = 0;
    HDC dc = GetDC(nullptr);
    desktopBits = GetDeviceCaps(dc, BITSPIXEL) * GetDeviceCaps(dc, PLANES);
    ReleaseDC(nullptr, dc);
    return (Settings().windowMode && desktopBits == kRefusedDepth) || GetColorDepth() == kRefusedDepth;
}

// The end sequence over whatever was started, also when init stops half-way.
void EndModules() {
    SetEndSequenceRunning(true);
    Run().ending = 1;
    DeleteAllSoftImages();
    EndScreenLog();
    ShutdownNetwork();
    EndBackgroundMusic();
    EndModelHandleTypes();
    ShutdownGraphics();
    EndSoftImageModule();
    EndSoftImageType();
    EndMovieHandleType();
    EndInput();
    EndSound();
    FreeAcmFunctions();
    EndMainWindow();
    EndCom();
    libraryFlags.initialised = 0;
    if (!libraryFlags.noWindow) {
        while (PumpMessagesCore() == 0 && !Run().quit && !Run().destroyed) {
        }
    }
    UnregisterClassA(Settings().className, Run().instance);
    HWND window = Settings().mainWindow;
    if (!libraryFlags.noWindow && window && !Settings().useUserWindow) {
        while (IsWindow(window)) {
            DestroyWindow(window);
            Sleep(100);
        }
    }
    Settings().mainWindow = nullptr;
    if (Settings().currentFolder[0]) CallFileSetCurrentDir(Settings().currentFolder);
    EndArchiveLayer();
    DumpTrackedAllocations();
    FreeSystemLibraries();
    SetEndSequenceRunning(false);
}

int FailInit() {
    EndModules();
    libraryFlags.initialising = 0;
    return -1;
}

void FatalEndSequence() {
    LibraryEndCore();
    DeleteLibraryLock();
}

}  // namespace

int ClearEndRequest() {
    return libraryFlags.endRequested = 0, 0;
}
int SetEndRequest() {
    return libraryFlags.endRequested = 1, 0;
}
int IsEndRequested() {
    return libraryFlags.endRequested;
}
int SetAsyncLoadEnabled(int enabled) {
    return libraryFlags.asyncLoad = enabled != 0, 0;
}
int IsAsyncLoadEnabled() {
    return libraryFlags.asyncLoad;
}

int LibraryInitCore() {
    if (libraryFlags.initialised) return 0;
    libraryFlags.initialising = 1;
    ClearEndRequest();
    LoadSystemLibraries();
    CheckFullScreenSize();
    InitYuvToRgbTables();
    InitArchiveLayer();
    SetFileFunctionTable(nullptr);
    ReadCurrentFolder();
    InitLogOutput();
    if (RefusesDepth()) {
        LogText("ＴＶライブラリは２４ビットカラーモードに対応していません\n");
        EndArchiveLayer();
        FreeSystemLibraries();
        libraryFlags.initialising = 0;
        return -1;
    }
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    libraryFlags.counterFrequency = frequency.QuadPart;
    libraryFlags.timerUsable = frequency.QuadPart != 0;
    LogSystemInformation();
    SetRestoreCallback(nullptr);
    InitCom();
    if (CreateMainWindow() == -1) return FailInit();
    if (!libraryFlags.noInput && InitInput() == -1) return FailInit();
    if (!libraryFlags.noSound) {
        LoadAcmFunctions();
        InitSound();
    }
    if (!libraryFlags.noGraphics) {
        InitSoftImageModule();
        RegisterSoftImageType();
        RegisterMovieHandleType();
        if (InitGraphicsSystem() < 0) return FailInit();
    }
    InitCharCodeBuffer();
    libraryFlags.initialised = 1;
    if (!Settings().windowMode && !Settings().useUserWindow)
        BringWindowToForeground(Settings().mainWindow, 1);
    InitScreenLog();
    SelectDrawTarget(kDrawTargetBackBuffer);
    SelectDrawTarget(kDrawTargetFrontScreen);
    if (!libraryFlags.noGraphics) RegisterModelHandleTypes();
    libraryFlags.initialising = 0;
    if (Run().clearClientSizeAtInitEnd) Settings().useClientSize = 0;
    return 0;
}

int LibraryEndCore() {
    if (!libraryFlags.initialised) return 0;
    EndModules();
    return 0;
}

int LibraryInit() {
    if (libraryFlags.initialised) return 0;
    SetFatalExitEndSequence(FatalEndSequence, GetCurrentThreadId());
    TakeLibraryLock();
    const int result = LibraryInitCore();
    ReleaseLibraryLock();
    return result;
}

int LibraryEnd() {
    if (!libraryFlags.initialised) return 0;
    TakeLibraryLock();
    LibraryEndCore();
    ReleaseLibraryLock();
    DeleteLibraryLock();
    return 0;
}

// One pump is one frame of the host's scripted input.
int PumpMessages() {
    HostPumpTick();
    TakeLibraryLock();
    const int result = PumpMessagesCore();
    ReleaseLibraryLock();
    return result;
}
