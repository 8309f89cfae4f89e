// One pump of the main window's messages and the per-frame housekeeping of the modules.
#pragma once

constexpr int kMessagesPerPass = 5;

// 0 to go on, -1 once the program is to quit. Holds the caller while the window is inactive or
// minimised (run-always off) until it is active again, a close is requested or the program quits.
int PumpMessagesCore();
