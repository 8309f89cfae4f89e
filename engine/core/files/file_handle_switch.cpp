// The file-handle calls that follow the library's asynchronous-loading switch.
#include "engine/core/files/file_access.h"

// The switch belongs to the library's settings (library init); declared here until its header
// carries it.
int IsAsyncLoadEnabled();

int OpenFileHandle(const char* path, int backgroundFlag) {
    return OpenFileHandleCore(path, backgroundFlag, IsAsyncLoadEnabled());
}

int ReadFileHandle(void* buffer, int size, int handle) {
    return ReadFileHandleSyncOrAsync(handle, buffer, size, IsAsyncLoadEnabled());
}
