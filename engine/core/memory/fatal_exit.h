// The one way out for unrecoverable failures: the message goes to the log, the library's end
// sequence runs (on the main thread, when it is not running already) and the process ends with
// exit code -1.
#pragma once

#include "platform/kernel/win_types.h"

// The end sequence as init installs it (ends the library and releases and deletes the library lock),
// with the thread that may run it.
typedef void (*FatalExitEndSequence)();
void SetFatalExitEndSequence(FatalExitEndSequence endSequence, DWORD mainThreadId);
// The end sequence brackets itself with these, so that a fatal exit inside it does not run it again.
void SetEndSequenceRunning(bool running);

[[noreturn]] void FatalLibraryExit(const char* text);
// At most 1023 characters of the formatted message are kept.
[[noreturn]] void FatalLibraryExitf(const char* format, ...) __attribute__((format(printf, 1, 2)));
