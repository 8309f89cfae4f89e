// winmm as the library loads it by name: timer resolution and capabilities, the millisecond clock
// (timeGetTime, from kernel32.h: it runs on the process clock), multimedia timers, joysticks and MCI.
// The joysticks are the pads of platform/dinput (which defines the two joystick functions); there are no
// MCI devices.
#pragma once

#include "platform/kernel/kernel32.h"

typedef UINT MMRESULT;
#define MMSYSERR_NOERROR 0
#define MMSYSERR_ERROR 1
#define MMSYSERR_NODRIVER 6
#define TIMERR_NOERROR 0
#define TIMERR_NOCANDO 97
#define JOYERR_NOERROR 0
#define JOYERR_PARMS 165
#define JOYERR_UNPLUGGED 167
#define MCIERR_DEVICE_NOT_INSTALLED 306

struct TIMECAPS {
    UINT wPeriodMin;
    UINT wPeriodMax;
};
typedef TIMECAPS* LPTIMECAPS;

typedef void(CALLBACK* LPTIMECALLBACK)(UINT timerId, UINT message, DWORD_PTR user, DWORD_PTR reserved1,
                                       DWORD_PTR reserved2);

struct JOYINFOEX {
    DWORD dwSize;
    DWORD dwFlags;
    DWORD dwXpos;
    DWORD dwYpos;
    DWORD dwZpos;
    DWORD dwRpos;
    DWORD dwUpos;
    DWORD dwVpos;
    DWORD dwButtons;
    DWORD dwButtonNumber;
    DWORD dwPOV;
    DWORD dwReserved1;
    DWORD dwReserved2;
};
typedef JOYINFOEX* LPJOYINFOEX;
#define JOY_RETURNALL 0x000000FF
#define JOY_POVCENTERED 0xFFFF

#define JOYCAPS_HASZ 0x0001
#define JOYCAPS_HASR 0x0002
#define JOYCAPS_HASU 0x0004
#define JOYCAPS_HASV 0x0008
#define JOYCAPS_HASPOV 0x0010
#define JOYCAPS_POVCTS 0x0040

struct JOYCAPSA {
    WORD wMid;
    WORD wPid;
    CHAR szPname[32];
    UINT wXmin, wXmax, wYmin, wYmax, wZmin, wZmax;
    UINT wNumButtons;
    UINT wPeriodMin, wPeriodMax;
    UINT wRmin, wRmax, wUmin, wUmax, wVmin, wVmax;
    UINT wCaps;
    UINT wMaxAxes;
    UINT wNumAxes;
    UINT wMaxButtons;
    CHAR szRegKey[32];
    CHAR szOEMVxD[260];
};
typedef JOYCAPSA* LPJOYCAPSA;

MMRESULT WINAPI timeBeginPeriod(UINT period);
MMRESULT WINAPI timeEndPeriod(UINT period);
MMRESULT WINAPI timeGetDevCaps(LPTIMECAPS caps, UINT size);
// No multimedia timers are offered: timeSetEvent returns 0 (failure).
MMRESULT WINAPI timeSetEvent(UINT delay, UINT resolution, LPTIMECALLBACK callback, DWORD_PTR user,
                             UINT flags);
MMRESULT WINAPI timeKillEvent(UINT timerId);
MMRESULT WINAPI joyGetPosEx(UINT joystick, LPJOYINFOEX info);
MMRESULT WINAPI joyGetDevCapsA(UINT_PTR joystick, void* caps, UINT size);
MMRESULT WINAPI mciSendCommandA(UINT device, UINT message, DWORD_PTR flags, DWORD_PTR parameters);
