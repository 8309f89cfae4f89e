#include "engine/core/frame/library_state.h"

#include <cstring>

LibraryState libraryState;
LibraryFlags libraryFlags;

void ResetLibraryRunState() {
    std::memset(static_cast<void*>(&libraryState.run), 0, sizeof(libraryState.run));
    libraryState.run.inactiveSince = -1;
}

void ResetLibraryStateForTests() {
    std::memset(static_cast<void*>(&libraryState.settings), 0, sizeof(libraryState.settings));
    ResetLibraryRunState();
    libraryFlags = LibraryFlags{};
}
