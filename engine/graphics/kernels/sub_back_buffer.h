// Moves drawing from the device's back buffer to the sub back buffer, which the flip later stretches
// onto the back buffer.
#pragma once

// 0 on success or when the sub back buffer exists already; -1 when it cannot be made.
int MoveToSubBackBuffer();
