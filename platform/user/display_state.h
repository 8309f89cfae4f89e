// The display modes offered and the mode in force. The host's desktop is the mode at start; a change
// is recorded (and shown by making screen-covering pop-up windows full screen), never made on the
// real display.
#pragma once

#include <vector>

struct DisplayModeInfo {
    int width = 0;
    int height = 0;
    int bits = 32;
    int frequency = 60;
};

// Every mode, 16-bit ones first, each depth by ascending size. 640x480 and 800x600 are always there;
// other common sizes up to the desktop's.
std::vector<DisplayModeInfo> DisplayModes();
// The mode in force: the one set by ChangeDisplaySettingsA, else the desktop's.
DisplayModeInfo CurrentDisplayMode();
void ResetDisplayModeForTests();
