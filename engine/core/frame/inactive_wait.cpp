#include "engine/core/frame/library_state.h"
#include "engine/core/frame/message_pump.h"
#include "engine/core/frame/millisecond_clock.h"
#include "engine/core/frame/window_utils.h"
#include "engine/graphics/graphics.h"
#include "engine/graphics/graphics_services.h"

// Shows the screen image kept at deactivation for one flip, leaving the draw screen as it was.
int RestoreScreenFromSavedImage() {
    LibraryRunState& run = libraryState.run;
    if (run.ending) return 0;
    if (!run.savedImageKept || !IsGraphicAlive(run.savedImageGraphic)) return -1;
    LibrarySettings& settings = libraryState.settings;
    const int runAlways = settings.runAlways;
    settings.runAlways = 1;
    const int target = GetDrawTargetHandle(), filter = GetTextureFilterMode(), vsync = IsWaitVerticalSync();
    SelectDrawTarget(kDrawTargetBackBuffer);
    SetTextureFilterMode(1);
    SetWaitVerticalSync(0);
    int width, height, imageWidth, imageHeight;
    GetLogicalScreenSize(&width, &height);
    int screen = MakeDrawTarget(width, height, 0);
    if (screen != -1) CopyDrawScreenToGraphic(0, 0, width, height, screen);
    GetGraphicSize(run.savedImageGraphic, &imageWidth, &imageHeight);
    if (imageWidth == width && imageHeight == height) {
        DrawImageAt(0, 0, run.savedImageGraphic, 0);
    } else {
        DrawImageStretched(0, 0, width, height, run.savedImageGraphic, 0);
    }
    FlipFrameEntry();
    if (screen != -1) {
        DrawImageAt(0, 0, screen, 0);
        FreeGraphic(screen, 0);
    }
    SelectDrawTarget(target);
    SetTextureFilterMode(filter);
    SetWaitVerticalSync(vsync);
    settings.runAlways = runAlways;
    return 0;
}

int ShouldWaitWhileInactive() {
    const LibraryRunState& run = libraryState.run;
    const LibrarySettings& settings = libraryState.settings;
    return !run.drawing && !run.inPaint && (!run.active || run.minimised) && !settings.useUserWindow &&
           settings.mainWindow != nullptr && !settings.runAlways;
}

int WaitWhileInactive() {
    LibraryRunState& run = libraryState.run;
    if (!ShouldWaitWhileInactive() || run.quit) return 0;
    run.inactiveSince = GetMillisecondCount();
    while (PumpMessagesCore() == 0 && (!run.active || run.minimised)) {
    }
    return 0;
}
