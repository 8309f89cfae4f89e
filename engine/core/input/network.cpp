// The per-pump and end-time parts of the socket layer. Nothing starts the layer: no network window, no
// socket, handle type 10 never registered. So the pump and the end find it stopped and return at once,
// and a socket notification finds no handle for its socket.
#include "engine/core/input/network.h"

#include "engine/core/memory/log.h"

int PumpNetworkWindow(int) {
    return 0;
}

int ShutdownNetwork() {
    return 0;
}

LRESULT HandleSocketMessage(HWND, UINT, WPARAM, LPARAM) {
    LogText("通信エラー No.1\n");
    return 0;
}
