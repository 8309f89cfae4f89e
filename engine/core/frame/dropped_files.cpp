#include "engine/core/frame/library_state.h"
#include "engine/core/frame/window_utils.h"
#include "engine/core/memory/tracked_allocator.h"
#include "platform/user/shell32.h"

// Keeps the names while fewer than the limit are listed; the rest of a drop is left out.
int AddDroppedFiles(HDROP drop) {
    LibraryRunState& run = libraryState.run;
    UINT count = DragQueryFileA(drop, 0xFFFFFFFFu, nullptr, 0);
    for (UINT i = 0; i < count && run.droppedFileCount < kDroppedFileLimit; ++i) {
        UINT length = DragQueryFileA(drop, i, nullptr, 0);
        char* name = static_cast<char*>(TrackedAlloc(length + 1, __FILE__, __LINE__));
        if (!name) break;
        DragQueryFileA(drop, i, name, length + 1);
        run.droppedFiles[run.droppedFileCount++] = name;
    }
    DragFinish(drop);
    return 0;
}

int GetDroppedFileCount() {
    return libraryState.run.droppedFileCount;
}

const char* GetDroppedFileName(int index) {
    const LibraryRunState& run = libraryState.run;
    return index >= 0 && index < run.droppedFileCount ? run.droppedFiles[index] : nullptr;
}

int FreeDroppedFileList() {
    LibraryRunState& run = libraryState.run;
    for (int i = 0; i < run.droppedFileCount; ++i) {
        TrackedFree(run.droppedFiles[i]);
        run.droppedFiles[i] = nullptr;
    }
    run.droppedFileCount = 0;
    return 0;
}
