// Drawing the on-screen log (kept apart: it is the one piece that needs the text drawing calls).
#include "engine/core/memory/screen_log.h"
#include "engine/text_movie/fonts.h"

int DrawScreenLog() {
    if (!screenLog.screenHeight || screenLog.fontSize <= 0) return 0;
    int lines = screenLog.screenHeight() / screenLog.fontSize;
    if (lines > kScreenLogLines) lines = kScreenLogLines;
    for (int i = 0; i < lines; ++i)
        DrawStringWithFont(0, i * screenLog.fontSize, screenLog.lines[i], 0xFFFFFFu, screenLog.fontHandle, 0u,
                           0);
    return 0;
}
