// The on-screen log: a buffer of 80 text lines drawn over the screen with its own edged font when
// its shown flag is set (nothing in the library sets it).
#pragma once

inline constexpr int kScreenLogLines = 80;
inline constexpr int kScreenLogLineBytes = 255;

// The graphics module installs what the log needs of the display: whether it is ready, and the
// screen height. Until then the log cannot start and draws nothing.
typedef int (*ScreenLogDisplayQuery)();
void SetScreenLogDisplayQueries(ScreenLogDisplayQuery isDisplayReady, ScreenLogDisplayQuery screenHeight);

// -1 while the display is not ready; 0 (also when started already).
int InitScreenLog();
int EndScreenLog();
int CreateScreenLogFont();
// A negative size becomes 16; the font is made again.
int SetScreenLogFontSize(int size);
int ClearScreenLog();
int ClearScreenLogPublic();
int DrawScreenLog();
int GetScreenLogShownFlag();

// The state, for the drawing code and tests.
struct ScreenLogState {
    int started;
    int fontSize;
    int fontHandle;  // -1: none
    int needsFont;   // set by the font module when the font is deleted
    int shown;
    char lines[kScreenLogLines][kScreenLogLineBytes];
    int line;
    int column;
    ScreenLogDisplayQuery isDisplayReady;
    ScreenLogDisplayQuery screenHeight;
};
extern ScreenLogState screenLog;
