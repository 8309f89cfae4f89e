#include "engine/core/memory/fatal_exit.h"

#include <unistd.h>

#include <atomic>
#include <cstdarg>
#include <cstdio>

#include "engine/core/memory/log.h"
#include "platform/kernel/kernel32.h"

namespace {

std::atomic<FatalExitEndSequence> endSequence{nullptr};
std::atomic<DWORD> mainThreadId{0};
std::atomic<bool> endSequenceRunning{false};

}  // namespace

void SetFatalExitEndSequence(FatalExitEndSequence sequence, DWORD threadId) {
    endSequence = sequence;
    mainThreadId = threadId;
}

void SetEndSequenceRunning(bool running) {
    endSequenceRunning = running;
}

// On a worker thread the end sequence would wait for that worker to end itself, and inside the end
// sequence it would re-enter: in both cases the process ends right after the message.
void FatalLibraryExit(const char* text) {
    LogText(text);
    LogText("\n");
    FatalExitEndSequence sequence = endSequence;
    if (sequence && GetCurrentThreadId() == mainThreadId && !endSequenceRunning.exchange(true)) sequence();
    _exit(-1);
}

void FatalLibraryExitf(const char* format, ...) {
    char message[1024];
    va_list args;
    va_start(args, format);
    std::vsnprintf(message, sizeof(message), format, args);
    va_end(args);
    FatalLibraryExit(message);
}
