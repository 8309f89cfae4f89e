#include "platform/user/winmm.h"

namespace {

constexpr UINT kFinestPeriod = 1;
constexpr UINT kCoarsestPeriod = 1000000;

}  // namespace

MMRESULT WINAPI timeBeginPeriod(UINT period) {
    return period >= kFinestPeriod && period <= kCoarsestPeriod ? TIMERR_NOERROR : TIMERR_NOCANDO;
}

MMRESULT WINAPI timeEndPeriod(UINT period) {
    return timeBeginPeriod(period);
}

MMRESULT WINAPI timeGetDevCaps(LPTIMECAPS caps, UINT size) {
    if (!caps || size < sizeof(TIMECAPS)) return TIMERR_NOCANDO;
    caps->wPeriodMin = kFinestPeriod;
    caps->wPeriodMax = kCoarsestPeriod;
    return TIMERR_NOERROR;
}

MMRESULT WINAPI timeSetEvent(UINT, UINT, LPTIMECALLBACK, DWORD_PTR, UINT) {
    return 0;
}

MMRESULT WINAPI timeKillEvent(UINT) {
    return MMSYSERR_ERROR;
}

MMRESULT WINAPI mciSendCommandA(UINT, UINT, DWORD_PTR, DWORD_PTR) {
    return MCIERR_DEVICE_NOT_INSTALLED;
}
