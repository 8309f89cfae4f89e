// DirectInput 7 and 8 as the library uses them: the two system objects made through CoCreateInstance,
// the system keyboard (buffered) and mouse, game controllers as joysticks with ranges, dead zones and
// force-feedback effects. Pads come from the pad devices of platform/dinput/pad_devices.h.
#pragma once

#include "platform/com/unknown.h"
#include "platform/kernel/kernel32.h"

// ---- Results ----

#define DI_OK S_OK
#define DI_NOEFFECT S_FALSE
#define DI_BUFFEROVERFLOW S_FALSE
#define DI_POLLEDDEVICE ((HRESULT)0x00000002)
#define DIERR_OLDDIRECTINPUTVERSION ((HRESULT)0x8007047E)
#define DIERR_BETADIRECTINPUTVERSION ((HRESULT)0x80070481)
#define DIERR_NOTINITIALIZED ((HRESULT)0x80070015)
#define DIERR_ALREADYINITIALIZED ((HRESULT)0x800704DF)
#define DIERR_INVALIDPARAM E_INVALIDARG
#define DIERR_NOTACQUIRED ((HRESULT)0x8007000C)
#define DIERR_INPUTLOST ((HRESULT)0x8007001E)
#define DIERR_ACQUIRED ((HRESULT)0x800700AA)
#define DIERR_DEVICENOTREG ((HRESULT)0x80040154)
#define DIERR_UNSUPPORTED E_NOTIMPL
#define DIERR_NOTBUFFERED ((HRESULT)0x80040207)
#define DIERR_GENERIC E_FAIL

// ---- Flags ----

#define DISCL_EXCLUSIVE 0x00000001
#define DISCL_NONEXCLUSIVE 0x00000002
#define DISCL_FOREGROUND 0x00000004
#define DISCL_BACKGROUND 0x00000008

#define DIEDFL_ALLDEVICES 0x00000000
#define DIEDFL_ATTACHEDONLY 0x00000001
#define DIENUM_STOP 0
#define DIENUM_CONTINUE 1

// Device classes of EnumDevices: DirectInput 7's joystick type and DirectInput 8's game-controller
// class share the value 4.
#define DIDEVTYPE_DEVICE 1
#define DIDEVTYPE_MOUSE 2
#define DIDEVTYPE_KEYBOARD 3
#define DIDEVTYPE_JOYSTICK 4
#define DI8DEVCLASS_ALL 0
#define DI8DEVCLASS_GAMECTRL 4
#define DI8DEVTYPE_MOUSE 0x12
#define DI8DEVTYPE_KEYBOARD 0x13
#define DI8DEVTYPE_GAMEPAD 0x15

#define DIPH_DEVICE 0
#define DIPH_BYOFFSET 1
#define DIGDD_PEEK 0x00000001

#define DIEFF_OBJECTOFFSETS 0x00000002
#define DIEFF_CARTESIAN 0x00000010
#define DIEFF_POLAR 0x00000020
#define DIEB_NOTRIGGER 0xFFFFFFFF
#define DI_FFNOMINALMAX 10000
#define DI_SECONDS 1000000

// Offsets of the joystick state's fields.
#define DIJOFS_X 0
#define DIJOFS_Y 4
#define DIJOFS_Z 8
#define DIJOFS_RX 12
#define DIJOFS_RY 16
#define DIJOFS_RZ 20
#define DIJOFS_SLIDER(n) (24 + (n)*4)
#define DIJOFS_POV(n) (32 + (n)*4)
#define DIJOFS_BUTTON(n) (48 + (n))

// ---- Class, interface and object ids ----

inline constexpr CLSID CLSID_DirectInput = {
    0x25E609E0, 0xB259, 0x11CF, {0xBF, 0xC7, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}};
inline constexpr CLSID CLSID_DirectInput8 = {
    0x25E609E4, 0xB259, 0x11CF, {0xBF, 0xC7, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}};
inline constexpr IID IID_IDirectInput7A = {
    0x9A4CB684, 0x236D, 0x11D3, {0x8E, 0x9D, 0x00, 0xC0, 0x4F, 0x68, 0x44, 0xAE}};
inline constexpr IID IID_IDirectInput8A = {
    0xBF798030, 0x483A, 0x4DA2, {0xAA, 0x99, 0x5D, 0x64, 0xED, 0x36, 0x97, 0x00}};
inline constexpr IID IID_IDirectInputDevice7A = {
    0x57D7C6BC, 0x2356, 0x11D3, {0x8E, 0x9D, 0x00, 0xC0, 0x4F, 0x68, 0x44, 0xAE}};
inline constexpr IID IID_IDirectInputDevice8A = {
    0x54D41080, 0xDC15, 0x4833, {0xA4, 0x1B, 0x74, 0x8F, 0x73, 0xA3, 0x81, 0x79}};
inline constexpr IID IID_IDirectInputEffect = {
    0xE7E1F7C0, 0x88D2, 0x11D0, {0x9A, 0xD0, 0x00, 0xA0, 0xC9, 0xA0, 0x6E, 0x35}};
inline constexpr GUID GUID_SysMouse = {
    0x6F1D2B60, 0xD5A0, 0x11CF, {0xBF, 0xC7, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}};
inline constexpr GUID GUID_SysKeyboard = {
    0x6F1D2B61, 0xD5A0, 0x11CF, {0xBF, 0xC7, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}};
inline constexpr GUID GUID_ConstantForce = {
    0x13541C20, 0x8E33, 0x11D0, {0x9A, 0xD0, 0x00, 0xA0, 0xC9, 0xA0, 0x6E, 0x35}};
inline constexpr GUID GUID_Sine = {
    0x13541C23, 0x8E33, 0x11D0, {0x9A, 0xD0, 0x00, 0xA0, 0xC9, 0xA0, 0x6E, 0x35}};

// Property ids are GUID constants here (distinct values in the first field).
inline constexpr GUID DIPROP_BUFFERSIZE = {1, 0, 0, {0, 0, 0, 0, 0, 0, 0, 0}};
inline constexpr GUID DIPROP_RANGE = {4, 0, 0, {0, 0, 0, 0, 0, 0, 0, 0}};
inline constexpr GUID DIPROP_DEADZONE = {5, 0, 0, {0, 0, 0, 0, 0, 0, 0, 0}};

// ---- Data ----

// A data format names the state layout a device answers GetDeviceState with.
struct DIDATAFORMAT {
    DWORD dwSize;
    DWORD dwObjSize;
    DWORD dwFlags;
    DWORD dwDataSize;
    DWORD dwNumObjs;
    void* rgodf;
};
typedef const DIDATAFORMAT* LPCDIDATAFORMAT;
extern const DIDATAFORMAT c_dfDIKeyboard;  // 256 bytes by key code, 0x80 = down
extern const DIDATAFORMAT c_dfDIMouse2;    // DIMOUSESTATE2
extern const DIDATAFORMAT c_dfDIJoystick;  // DIJOYSTATE

struct DIJOYSTATE {
    LONG lX, lY, lZ;
    LONG lRx, lRy, lRz;
    LONG rglSlider[2];
    DWORD rgdwPOV[4];  // hundredths of a degree clockwise from up; 0xFFFFFFFF centred
    BYTE rgbButtons[32];
};

struct DIMOUSESTATE2 {
    LONG lX, lY, lZ;
    BYTE rgbButtons[8];
};

struct DIDEVICEOBJECTDATA_DX7 {
    DWORD dwOfs;
    DWORD dwData;
    DWORD dwTimeStamp;
    DWORD dwSequence;
};
struct DIDEVICEOBJECTDATA {
    DWORD dwOfs;   // the key code for a keyboard
    DWORD dwData;  // 0x80 down, 0 up
    DWORD dwTimeStamp;
    DWORD dwSequence;
    UINT_PTR uAppData;
};
typedef DIDEVICEOBJECTDATA* LPDIDEVICEOBJECTDATA;

struct DIDEVICEINSTANCEA {
    DWORD dwSize;
    GUID guidInstance;
    GUID guidProduct;
    DWORD dwDevType;
    CHAR tszInstanceName[MAX_PATH];
    CHAR tszProductName[MAX_PATH];
    GUID guidFFDriver;
    WORD wUsagePage;
    WORD wUsage;
};
typedef DIDEVICEINSTANCEA* LPDIDEVICEINSTANCEA;
typedef const DIDEVICEINSTANCEA* LPCDIDEVICEINSTANCEA;
typedef BOOL(CALLBACK* LPDIENUMDEVICESCALLBACKA)(LPCDIDEVICEINSTANCEA instance, LPVOID context);

struct DIPROPHEADER {
    DWORD dwSize;
    DWORD dwHeaderSize;
    DWORD dwObj;  // an offset with DIPH_BYOFFSET, 0 with DIPH_DEVICE
    DWORD dwHow;
};
typedef const DIPROPHEADER* LPCDIPROPHEADER;
struct DIPROPDWORD {
    DIPROPHEADER diph;
    DWORD dwData;
};
struct DIPROPRANGE {
    DIPROPHEADER diph;
    LONG lMin;
    LONG lMax;
};

struct DIENVELOPE {
    DWORD dwSize;
    DWORD dwAttackLevel;
    DWORD dwAttackTime;
    DWORD dwFadeLevel;
    DWORD dwFadeTime;
};
struct DICONSTANTFORCE {
    LONG lMagnitude;
};
struct DIPERIODIC {
    DWORD dwMagnitude;
    LONG lOffset;
    DWORD dwPhase;
    DWORD dwPeriod;
};
struct DIEFFECT {
    DWORD dwSize;
    DWORD dwFlags;
    DWORD dwDuration;
    DWORD dwSamplePeriod;
    DWORD dwGain;
    DWORD dwTriggerButton;
    DWORD dwTriggerRepeatInterval;
    DWORD cAxes;
    LPDWORD rgdwAxes;
    LPLONG rglDirection;
    DIENVELOPE* lpEnvelope;
    DWORD cbTypeSpecificParams;
    LPVOID lpvTypeSpecificParams;
    DWORD dwStartDelay;
};
typedef const DIEFFECT* LPCDIEFFECT;

// ---- Interfaces ----

struct IDirectInputEffect : IUnknown {
    STDMETHOD(Start)(DWORD iterations, DWORD flags) = 0;
    STDMETHOD(Stop)() = 0;
};
typedef IDirectInputEffect* LPDIRECTINPUTEFFECT;

struct IDirectInputDevice7A : IUnknown {
    STDMETHOD(SetProperty)(REFGUID property, LPCDIPROPHEADER header) = 0;
    STDMETHOD(Acquire)() = 0;
    STDMETHOD(Unacquire)() = 0;
    STDMETHOD(GetDeviceState)(DWORD size, LPVOID state) = 0;
    // Buffered key events, oldest first; a null `data` with flags 0 discards `*count` events.
    STDMETHOD(GetDeviceData)(DWORD objectSize, LPDIDEVICEOBJECTDATA data, LPDWORD count, DWORD flags) = 0;
    STDMETHOD(SetDataFormat)(LPCDIDATAFORMAT format) = 0;
    STDMETHOD(SetEventNotification)(HANDLE event) = 0;
    STDMETHOD(SetCooperativeLevel)(HWND window, DWORD flags) = 0;
    STDMETHOD(GetDeviceInfo)(LPDIDEVICEINSTANCEA instance) = 0;
    STDMETHOD(CreateEffect)
    (REFGUID effect, LPCDIEFFECT parameters, IDirectInputEffect** out, LPUNKNOWN outer) = 0;
    STDMETHOD(Poll)() = 0;
};
typedef IDirectInputDevice7A* LPDIRECTINPUTDEVICE7A;
struct IDirectInputDevice8A : IDirectInputDevice7A {};
typedef IDirectInputDevice8A* LPDIRECTINPUTDEVICE8A;

struct IDirectInput7A : IUnknown {
    STDMETHOD(EnumDevices)
    (DWORD deviceType, LPDIENUMDEVICESCALLBACKA callback, LPVOID context, DWORD flags) = 0;
    STDMETHOD(Initialize)(HINSTANCE instance, DWORD version) = 0;
    STDMETHOD(CreateDeviceEx)(REFGUID device, REFIID iid, LPVOID* out, LPUNKNOWN outer) = 0;
};
typedef IDirectInput7A* LPDIRECTINPUT7A;

struct IDirectInput8A : IUnknown {
    STDMETHOD(CreateDevice)(REFGUID device, LPDIRECTINPUTDEVICE8A* out, LPUNKNOWN outer) = 0;
    STDMETHOD(EnumDevices)
    (DWORD deviceClass, LPDIENUMDEVICESCALLBACKA callback, LPVOID context, DWORD flags) = 0;
    STDMETHOD(Initialize)(HINSTANCE instance, DWORD version) = 0;
};
typedef IDirectInput8A* LPDIRECTINPUT8A;

// Test switches (SetPlatformCallFailing): "DirectInput7Initialize", "DirectInput8Initialize" fail
// Initialize; "CreateDevice:Mouse", "CreateDevice:Keyboard", "CreateDevice:Joystick" fail device
// creation; "KeyboardEventNotification" fails the keyboard's SetEventNotification.
