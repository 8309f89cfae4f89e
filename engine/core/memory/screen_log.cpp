#include "engine/core/memory/screen_log.h"

#include <cstring>

#include "engine/core/memory/handle_manager.h"
#include "engine/text_movie/font_handles.h"

ScreenLogState screenLog = {0, 16, -1, 0, 0, {}, 0, 0, nullptr, nullptr};

void SetScreenLogDisplayQueries(ScreenLogDisplayQuery isDisplayReady, ScreenLogDisplayQuery screenHeight) {
    screenLog.isDisplayReady = isDisplayReady;
    screenLog.screenHeight = screenHeight;
}

int InitScreenLog() {
    if (!screenLog.isDisplayReady || !screenLog.isDisplayReady()) return -1;
    if (screenLog.started) return 0;
    screenLog.started = 1;
    screenLog.fontSize = 16;
    screenLog.fontHandle = -1;
    screenLog.needsFont = 1;
    CreateScreenLogFont();
    screenLog.shown = 0;
    ClearScreenLog();
    return 0;
}

int EndScreenLog() {
    if (screenLog.fontHandle >= 0) DeleteHandle(screenLog.fontHandle);
    screenLog.fontHandle = -1;
    screenLog.started = 0;
    return 0;
}

int CreateScreenLogFont() {
    if (!screenLog.needsFont) return 0;
    FontCreateSettings settings;
    GetFontCreateSettings(&settings);
    screenLog.fontHandle =
        CreateFontHandleCore(settings, nullptr, screenLog.fontSize, 4, 1, -1, -1, 0, -1, 0);
    SetFontDeletedFlag(screenLog.fontHandle, &screenLog.needsFont);
    screenLog.needsFont = 0;
    return 0;
}

int SetScreenLogFontSize(int size) {
    screenLog.fontSize = size < 0 ? 16 : size;
    if (screenLog.fontHandle >= 0) DeleteHandle(screenLog.fontHandle);
    screenLog.fontHandle = -1;
    screenLog.needsFont = 1;
    return CreateScreenLogFont();
}

int ClearScreenLog() {
    std::memset(screenLog.lines, 0, sizeof(screenLog.lines));
    screenLog.line = 0;
    screenLog.column = 0;
    return 0;
}

int ClearScreenLogPublic() {
    ClearScreenLog();
    screenLog.shown = 0;
    return 0;
}

int GetScreenLogShownFlag() {
    return screenLog.shown;
}
