// Tests: puts the window stand-in back to its starting state (no windows or classes, empty queues, no
// activation, keys up, the desktop's display mode) on the headless host.
#pragma once

void ResetWindowStandInForTests();
// Closes the clipboard whoever holds it open and frees the block it owns (part of the reset above).
void ResetClipboardForTests();
