#include "engine/core/memory/log.h"

#include <atomic>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <string>

#include "engine/core/frame/millisecond_clock.h"
#include "engine/core/frame/system_functions.h"
#include "engine/core/helpers/string_helpers.h"
#include "engine/core/memory/tracked_allocator.h"
#include "platform/kernel/kernel32.h"

namespace {

constexpr size_t kLocalBufferText = 255;  // texts up to this length use the stack buffer

struct LogState {
    std::atomic<int> noLogFile{0};
    char folder[MAX_PATH] = "";
    std::atomic<int> startTime{0};
    std::atomic<int> indent{0};
    std::atomic<int> lineOpen{0};
};

LogState logState;

// Whether a CP932 text ends in a backslash that is a character of its own (not a trail byte).
bool EndsInSeparator(const char* text) {
    bool last = false;
    for (const char* p = text; *p;) {
        if (IsLeadByte(static_cast<unsigned char>(*p)) && p[1]) {
            last = false;
            p += 2;
        } else {
            last = *p == '\\';
            p += 1;
        }
    }
    return last;
}

std::string LogFilePath() {
    std::string path = logState.folder;
    if (!EndsInSeparator(logState.folder)) path += '\\';
    return path + "Log.txt";
}

// Copies text turning each line feed into CR LF, up to the first line feed that already follows a
// carriage return: from there on the text is copied as it stands. out holds 2 x length + 1 bytes.
void ConvertLineEnds(const char* text, char* out) {
    for (const char* p = text; *p; ++p) {
        if (*p == '\n') {
            if (p > text && p[-1] == '\r') {
                std::strcpy(out, p);
                return;
            }
            *out++ = '\r';
        }
        *out++ = *p;
    }
    *out = 0;
}

void WritePiece(HANDLE file, const char* piece) {
    DWORD written = 0;
    WriteFile(file, piece, DWORD(std::strlen(piece)), &written, nullptr);
    OutputDebugStringA(piece);
}

void AppendToFile(const char* original, const char* converted) {
    HANDLE file = CreateFileA(LogFilePath().c_str(), GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    SetFilePointer(file, 0, nullptr, FILE_END);
    if (!logState.lineOpen) {
        char stamp[16];
        std::snprintf(stamp, sizeof(stamp),
                      "%d:", MillisecondsBetween(logState.startTime, GetMillisecondCount()));
        WritePiece(file, stamp);
        for (int i = 0; i < logState.indent; ++i) WritePiece(file, "\t");
    }
    WritePiece(file, converted);
    size_t length = std::strlen(original);
    logState.lineOpen = length > 0 && original[length - 1] != '\n';
    CloseHandle(file);
}

}  // namespace

void SetLogFolder(const char* folder) {
    std::snprintf(logState.folder, sizeof(logState.folder), "%s", folder ? folder : "");
}

const char* GetLogFolder() {
    return logState.folder;
}

int InitLogOutput() {
    StartLogFile();
    logState.indent = 0;
    logState.lineOpen = 0;
    logState.startTime = GetMillisecondCount();
    return 0;
}

int StartLogFile() {
    if (logState.noLogFile || !logState.folder[0]) return 0;
    std::string path = LogFilePath();
    DeleteFileA(path.c_str());
    HANDLE file =
        CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
    return 0;
}

int WriteLogText(const char* text) {
    if (!text || !systemFunctions.winmm) return -1;
    if (logState.noLogFile || !logState.folder[0]) return -1;
    size_t length = std::strlen(text);
    char local[2 * kLocalBufferText + 1];
    char* converted = local;
    if (length > kLocalBufferText) {
        converted = static_cast<char*>(TrackedAlloc(2 * length + 1, nullptr, 0));
        if (!converted) return -1;
    }
    ConvertLineEnds(text, converted);
    AppendToFile(text, converted);
    if (converted != local) TrackedFree(converted);
    return -1;
}

int LogText(const char* text) {
    return WriteLogText(text);
}

int LogPrintf(const char* format, ...) {
    char line[1024];
    va_list args;
    va_start(args, format);
    std::vsnprintf(line, 1023, format, args);
    va_end(args);
    std::strcat(line, "\n");
    return WriteLogText(line);
}

int LogIndentIn() {
    ++logState.indent;
    return 0;
}

int LogIndentOut() {
    int indent = logState.indent;
    while (indent > 0 && !logState.indent.compare_exchange_weak(indent, indent - 1)) {
    }
    return 0;
}

int SetFileLogEnabled(int enabled) {
    logState.noLogFile = enabled ? 0 : 1;
    return 0;
}
