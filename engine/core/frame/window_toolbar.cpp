#include "engine/core/frame/library_state.h"
#include "engine/core/frame/window_utils.h"

int FindToolbarButton(int id) {
    const LibraryRunState& run = libraryState.run;
    if (!run.toolbarPresent) return -1;
    for (int i = 0; i < run.toolbarButtonCount; ++i)
        if (run.toolbarButtons[i].id == id) return i;
    return -1;
}

int GetToolbarHeight() {
    return libraryState.run.toolbarPresent ? libraryState.run.toolbarHeight : 0;
}

int DeleteAllToolbarButtons() {
    libraryState.run.toolbarButtonCount = 0;
    return 0;
}
