// The records behind HDROP handles.
#pragma once

#include <string>
#include <vector>

#include "platform/user/shell32.h"

HDROP MakeDropHandle(const std::vector<std::string>& files, int x, int y);
// Live drop handles (tests check that DragFinish frees them).
size_t LiveDropHandleCount();
