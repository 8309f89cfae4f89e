#include "platform/user/dwmapi.h"

HRESULT WINAPI DwmEnableComposition(UINT action) {
    return action == DWM_EC_DISABLECOMPOSITION || action == DWM_EC_ENABLECOMPOSITION ? S_OK : E_INVALIDARG;
}
