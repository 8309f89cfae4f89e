// The library's log: "Log.txt" in the log folder, rewritten from empty at every start, with a copy of
// every piece on the debugger output. New lines start with "<ms>:" and one TAB per indent level; a
// progress line ending in "... " is completed by a later write on the same line.
#pragma once

// Log folder (CP932 Windows path); empty until init sets it.
void SetLogFolder(const char* folder);
const char* GetLogFolder();

// Empties the log file, indent 0, and starts the time stamps at 0. Returns 0.
int InitLogOutput();
// Deletes and re-creates the log file (nothing while the file log is off). Returns 0.
int StartLogFile();
// Writes text (line feeds become CR LF). Always -1; nothing at all while winmm is not loaded.
int WriteLogText(const char* text);
int LogText(const char* text);
// Formats (at most 1022 characters are kept), appends "\n" and writes the line.
int LogPrintf(const char* format, ...) __attribute__((format(printf, 1, 2)));
int LogIndentIn();
int LogIndentOut();
// With 0 nothing is written anywhere, the debugger output included. Returns 0.
int SetFileLogEnabled(int enabled);
