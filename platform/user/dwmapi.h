// Desktop composition switch ("dwmapi.dll"): there is no compositor to switch; the call succeeds.
#pragma once

#include "platform/kernel/win_types.h"

#define DWM_EC_DISABLECOMPOSITION 0
#define DWM_EC_ENABLECOMPOSITION 1

HRESULT WINAPI DwmEnableComposition(UINT action);
