#include <mutex>

#include "platform/user/activation.h"
#include "platform/user/user32.h"

namespace {

struct Parameters {
    std::mutex mutex;
    bool screen_saver_active = true;
    bool ime_enabled = true;
};

Parameters& TheParameters() {
    static Parameters* parameters = new Parameters;
    return *parameters;
}

}  // namespace

BOOL WINAPI SystemParametersInfoA(UINT action, UINT uiParam, PVOID pvParam, UINT) {
    Parameters& parameters = TheParameters();
    std::lock_guard lock(parameters.mutex);
    switch (action) {
        case SPI_SETSCREENSAVEACTIVE:
            parameters.screen_saver_active = uiParam != 0;
            return TRUE;
        case SPI_SETSCREENSAVERRUNNING:
            if (pvParam) *static_cast<BOOL*>(pvParam) = FALSE;
            return TRUE;
        case SPI_GETFOREGROUNDLOCKTIMEOUT:
            if (!pvParam) return FALSE;
            *static_cast<DWORD*>(pvParam) = ForegroundLockTimeout();
            return TRUE;
        case SPI_SETFOREGROUNDLOCKTIMEOUT:
            ForegroundLockTimeout() = static_cast<UINT>(reinterpret_cast<uintptr_t>(pvParam));
            return TRUE;
        default:
            return FALSE;
    }
}

// Returns the previous state.
BOOL WINAPI WINNLSEnableIME(HWND, BOOL enable) {
    Parameters& parameters = TheParameters();
    std::lock_guard lock(parameters.mutex);
    BOOL old = parameters.ime_enabled ? TRUE : FALSE;
    parameters.ime_enabled = enable != FALSE;
    return old;
}
