// DirectSound as the library calls it: the device object, primary and secondary buffers, the
// capabilities record and device enumeration. Behind it runs a software mixer (sound_mixer.h) that
// plays into one of the audio outputs (audio_output.h).
#pragma once

#include "platform/com/unknown.h"
#include "platform/dsound/wave_format.h"
#include "platform/kernel/win_types.h"

// {47D4D946-62E8-11CF-93BC-444553540000}
inline constexpr CLSID CLSID_DirectSound = {
    0x47D4D946, 0x62E8, 0x11CF, {0x93, 0xBC, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}};
// {279AFA83-4981-11CE-A521-0020AF0BE560}
inline constexpr IID IID_IDirectSound = {
    0x279AFA83, 0x4981, 0x11CE, {0xA5, 0x21, 0x00, 0x20, 0xAF, 0x0B, 0xE5, 0x60}};
// {279AFA85-4981-11CE-A521-0020AF0BE560}
inline constexpr IID IID_IDirectSoundBuffer = {
    0x279AFA85, 0x4981, 0x11CE, {0xA5, 0x21, 0x00, 0x20, 0xAF, 0x0B, 0xE5, 0x60}};

#define DS_OK S_OK
#define DSERR_ALLOCATED ((HRESULT)0x8878000A)
#define DSERR_CONTROLUNAVAIL ((HRESULT)0x8878001E)
#define DSERR_INVALIDPARAM E_INVALIDARG
#define DSERR_INVALIDCALL ((HRESULT)0x88780032)
#define DSERR_GENERIC E_FAIL
#define DSERR_PRIOLEVELNEEDED ((HRESULT)0x88780046)
#define DSERR_OUTOFMEMORY E_OUTOFMEMORY
#define DSERR_BADFORMAT ((HRESULT)0x88780064)
#define DSERR_NODRIVER ((HRESULT)0x88780078)
#define DSERR_ALREADYINITIALIZED ((HRESULT)0x88780082)
#define DSERR_NOAGGREGATION ((HRESULT)0x80040110)
#define DSERR_UNINITIALIZED ((HRESULT)0x887800AA)
#define DSERR_NOINTERFACE E_NOINTERFACE

#define DSSCL_NORMAL 1
#define DSSCL_PRIORITY 2
#define DSSCL_EXCLUSIVE 3
#define DSSCL_WRITEPRIMARY 4

#define DSCAPS_PRIMARYMONO 0x00000001
#define DSCAPS_PRIMARYSTEREO 0x00000002
#define DSCAPS_PRIMARY8BIT 0x00000004
#define DSCAPS_PRIMARY16BIT 0x00000008
#define DSCAPS_CONTINUOUSRATE 0x00000010
#define DSCAPS_EMULDRIVER 0x00000020
#define DSCAPS_SECONDARYMONO 0x00000100
#define DSCAPS_SECONDARYSTEREO 0x00000200
#define DSCAPS_SECONDARY8BIT 0x00000400
#define DSCAPS_SECONDARY16BIT 0x00000800

#define DSBCAPS_PRIMARYBUFFER 0x00000001
#define DSBCAPS_STATIC 0x00000002
#define DSBCAPS_LOCHARDWARE 0x00000004
#define DSBCAPS_LOCSOFTWARE 0x00000008
#define DSBCAPS_CTRL3D 0x00000010
#define DSBCAPS_CTRLFREQUENCY 0x00000020
#define DSBCAPS_CTRLPAN 0x00000040
#define DSBCAPS_CTRLVOLUME 0x00000080
#define DSBCAPS_CTRLPOSITIONNOTIFY 0x00000100
#define DSBCAPS_STICKYFOCUS 0x00004000
#define DSBCAPS_GLOBALFOCUS 0x00008000
#define DSBCAPS_GETCURRENTPOSITION2 0x00010000

#define DSBPLAY_LOOPING 0x00000001

#define DSBSTATUS_PLAYING 0x00000001
#define DSBSTATUS_BUFFERLOST 0x00000002
#define DSBSTATUS_LOOPING 0x00000004

#define DSBLOCK_FROMWRITECURSOR 0x00000001
#define DSBLOCK_ENTIREBUFFER 0x00000002

#define DSBVOLUME_MIN (-10000)
#define DSBVOLUME_MAX 0
#define DSBPAN_LEFT (-10000)
#define DSBPAN_CENTER 0
#define DSBPAN_RIGHT 10000
#define DSBFREQUENCY_ORIGINAL 0
#define DSBFREQUENCY_MIN 100
#define DSBFREQUENCY_MAX 200000
#define DSBSIZE_MIN 4
#define DSBSIZE_MAX 0x0FFFFFFF

typedef const GUID* LPCGUID;
typedef GUID* LPGUID;

struct DSCAPS {
    DWORD dwSize;
    DWORD dwFlags;
    DWORD dwMinSecondarySampleRate;
    DWORD dwMaxSecondarySampleRate;
    DWORD dwPrimaryBuffers;
    DWORD dwMaxHwMixingAllBuffers;
    DWORD dwMaxHwMixingStaticBuffers;
    DWORD dwMaxHwMixingStreamingBuffers;
    DWORD dwFreeHwMixingAllBuffers;
    DWORD dwFreeHwMixingStaticBuffers;
    DWORD dwFreeHwMixingStreamingBuffers;
    DWORD dwMaxHw3DAllBuffers;
    DWORD dwMaxHw3DStaticBuffers;
    DWORD dwMaxHw3DStreamingBuffers;
    DWORD dwFreeHw3DAllBuffers;
    DWORD dwFreeHw3DStaticBuffers;
    DWORD dwFreeHw3DStreamingBuffers;
    DWORD dwTotalHwMemBytes;
    DWORD dwFreeHwMemBytes;
    DWORD dwMaxContigFreeHwMemBytes;
    DWORD dwUnlockTransferRateHwBuffers;
    DWORD dwPlayCpuOverheadSwBuffers;
    DWORD dwReserved1;
    DWORD dwReserved2;
};
static_assert(sizeof(DSCAPS) == 96);
typedef DSCAPS* LPDSCAPS;

// 36 bytes on 32-bit Windows; the format pointer makes it 40 here. Callers set dwSize to sizeof.
struct DSBUFFERDESC {
    DWORD dwSize;
    DWORD dwFlags;
    DWORD dwBufferBytes;
    DWORD dwReserved;
    LPWAVEFORMATEX lpwfxFormat;
    GUID guid3DAlgorithm;
};
typedef DSBUFFERDESC* LPDSBUFFERDESC;
typedef const DSBUFFERDESC* LPCDSBUFFERDESC;

struct IDirectSoundBuffer : IUnknown {
    STDMETHOD(GetCurrentPosition)(LPDWORD playCursor, LPDWORD writeCursor) = 0;
    STDMETHOD(GetFormat)(LPWAVEFORMATEX format, DWORD sizeAllocated, LPDWORD sizeWritten) = 0;
    STDMETHOD(GetVolume)(LPLONG volume) = 0;
    STDMETHOD(GetPan)(LPLONG pan) = 0;
    STDMETHOD(GetFrequency)(LPDWORD frequency) = 0;
    STDMETHOD(GetStatus)(LPDWORD status) = 0;
    STDMETHOD(Lock)
    (DWORD offset, DWORD bytes, LPVOID* audio1, LPDWORD bytes1, LPVOID* audio2, LPDWORD bytes2,
     DWORD flags) = 0;
    STDMETHOD(Play)(DWORD reserved, DWORD priority, DWORD flags) = 0;
    STDMETHOD(SetCurrentPosition)(DWORD newPosition) = 0;
    STDMETHOD(SetFormat)(LPCWAVEFORMATEX format) = 0;
    STDMETHOD(SetVolume)(LONG volume) = 0;
    STDMETHOD(SetPan)(LONG pan) = 0;
    STDMETHOD(SetFrequency)(DWORD frequency) = 0;
    STDMETHOD(Stop)() = 0;
    STDMETHOD(Unlock)(LPVOID audio1, DWORD bytes1, LPVOID audio2, DWORD bytes2) = 0;
};
typedef IDirectSoundBuffer* LPDIRECTSOUNDBUFFER;

struct IDirectSound : IUnknown {
    STDMETHOD(CreateSoundBuffer)(LPCDSBUFFERDESC desc, LPDIRECTSOUNDBUFFER* buffer, LPUNKNOWN outer) = 0;
    STDMETHOD(GetCaps)(LPDSCAPS caps) = 0;
    STDMETHOD(DuplicateSoundBuffer)(LPDIRECTSOUNDBUFFER original, LPDIRECTSOUNDBUFFER* duplicate) = 0;
    STDMETHOD(SetCooperativeLevel)(HWND window, DWORD level) = 0;
    STDMETHOD(Initialize)(LPCGUID device) = 0;
};
typedef IDirectSound* LPDIRECTSOUND;

typedef BOOL(CALLBACK* LPDSENUMCALLBACKA)(LPGUID guid, LPCSTR description, LPCSTR module, LPVOID context);

// Creates an initialised device object (the device GUID must be null: there is one device).
HRESULT WINAPI DirectSoundCreate(LPCGUID device, LPDIRECTSOUND* directSound, LPUNKNOWN outer);
// Calls back once for the primary sound driver (null GUID) and once for the device.
HRESULT WINAPI DirectSoundEnumerateA(LPDSENUMCALLBACKA callback, LPVOID context);

// The class factory behind CLSID_DirectSound: an object that still needs Initialize.
HRESULT CreateDirectSoundInstance(REFIID iid, void** object);
// Registers CLSID_DirectSound with the COM class registry and "DSOUND.DLL" with the module registry.
void RegisterDirectSoundModule();
