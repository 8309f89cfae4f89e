// DirectDraw 7 as the library uses it: the object made through COM, waiting for the vertical blank.
#pragma once

#include "platform/com/unknown.h"

#define DD_OK S_OK
#define DDERR_ALREADYINITIALIZED ((HRESULT)0x88760005)
#define DDERR_NOTINITIALIZED ((HRESULT)0x800401F0)
#define DDERR_INVALIDPARAMS E_INVALIDARG

#define DDSCL_FULLSCREEN 0x00000001L
#define DDSCL_ALLOWREBOOT 0x00000002L
#define DDSCL_NOWINDOWCHANGES 0x00000004L
#define DDSCL_NORMAL 0x00000008L
#define DDSCL_EXCLUSIVE 0x00000010L
#define DDSCL_MULTITHREADED 0x00000400L
#define DDSCL_FPUSETUP 0x00000800L
#define DDSCL_FPUPRESERVE 0x00001000L

#define DDWAITVB_BLOCKBEGIN 0x00000001L
#define DDWAITVB_BLOCKBEGINEVENT 0x00000002L
#define DDWAITVB_BLOCKEND 0x00000004L

struct IDirectDraw7 : IUnknown {
    STDMETHOD(Initialize)(GUID* driver) = 0;
    STDMETHOD(SetCooperativeLevel)(HWND window, DWORD flags) = 0;
    STDMETHOD(WaitForVerticalBlank)(DWORD flags, HANDLE event) = 0;
};
typedef IDirectDraw7* LPDIRECTDRAW7;

// {3C305196-50DB-11D3-9CFE-00C04FD930C5}
inline constexpr CLSID CLSID_DirectDraw7 = {
    0x3C305196, 0x50DB, 0x11D3, {0x9C, 0xFE, 0x00, 0xC0, 0x4F, 0xD9, 0x30, 0xC5}};
// {15E65EC0-3B9C-11D2-B92F-00609797EA5B}
inline constexpr IID IID_IDirectDraw7 = {
    0x15E65EC0, 0x3B9C, 0x11D2, {0xB9, 0x2F, 0x00, 0x60, 0x97, 0x97, 0xEA, 0x5B}};

// The class factory function behind CLSID_DirectDraw7 (registered with the COM class registry).
HRESULT CreateDirectDraw7Object(REFIID riid, void** object);
