// Placeholder for the network remnant until it lands: it is never started, so every call returns at
// once. The network module deletes this file.
#include "engine/core/network.h"

int PumpNetworkWindow(int) {
    return 0;
}
int ShutdownNetwork() {
    return 0;
}
LRESULT HandleSocketMessage(HWND, UINT, WPARAM, LPARAM) {
    return 0;
}
