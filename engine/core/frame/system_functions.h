// Windows functions the library calls through pointers looked up by name at init, so that the
// program starts where a module or a function is missing: every pointer stays null then, and its
// users test it (or its module's handle) before calling.
#pragma once

#include "platform/com/unknown.h"
#include "platform/kernel/win_types.h"
#include "platform/user/winmm.h"

typedef void(CALLBACK* SystemTimerCallback)(UINT timerId, UINT message, DWORD_PTR user, DWORD_PTR reserved1,
                                            DWORD_PTR reserved2);

struct SystemFunctionTable {
    // "ws2_32.dll": the network code casts these to its own declarations.
    HMODULE ws2_32;
    FARPROC WSAGetLastError, WSAStartup, WSACleanup, WSAAsyncSelect, getaddrinfo, gethostbyaddr,
        gethostbyname, gethostname, ntohs, htons, connect, socket, send, sendto, recvfrom, accept,
        closesocket, shutdown, listen, bind, inet_addr, recv;

    // "Imm32.dll"
    HMODULE imm32;
    HIMC(WINAPI* ImmGetContext)(HWND window);
    BOOL(WINAPI* ImmReleaseContext)(HWND window, HIMC context);
    BOOL(WINAPI* ImmGetOpenStatus)(HIMC context);
    BOOL(WINAPI* ImmGetConversionStatus)(HIMC context, LPDWORD conversion, LPDWORD sentence);
    BOOL(WINAPI* ImmNotifyIME)(HIMC context, DWORD action, DWORD index, DWORD value);
    BOOL(WINAPI* ImmSetOpenStatus)(HIMC context, BOOL open);
    DWORD(WINAPI* ImmGetCandidateListA)(HIMC context, DWORD index, void* list, DWORD bufferLength);
    LONG(WINAPI* ImmGetCompositionStringA)(HIMC context, DWORD index, LPVOID buffer, DWORD bufferLength);
    BOOL(WINAPI* ImmSetCompositionStringA)
    (HIMC context, DWORD index, LPVOID composition, DWORD compositionLength, LPVOID reading,
     DWORD readingLength);

    // "winmm.dll"
    HMODULE winmm;
    UINT(WINAPI* timeSetEvent)
    (UINT delay, UINT resolution, SystemTimerCallback callback, DWORD_PTR user, UINT flags);
    UINT(WINAPI* timeKillEvent)(UINT timerId);
    UINT(WINAPI* timeBeginPeriod)(UINT period);
    UINT(WINAPI* timeEndPeriod)(UINT period);
    DWORD(WINAPI* timeGetTime)();
    // Declared with the functions' own types: a call through a pointer of another type is undefined.
    UINT(WINAPI* timeGetDevCaps)(LPTIMECAPS caps, UINT size);
    UINT(WINAPI* joyGetPosEx)(UINT joystick, LPJOYINFOEX info);
    UINT(WINAPI* joyGetDevCapsA)(UINT_PTR joystick, void* caps, UINT size);
    DWORD(WINAPI* mciSendCommandA)(UINT device, UINT message, DWORD_PTR flags, DWORD_PTR parameters);

    // "ole32.dll"
    HMODULE ole32;
    HRESULT(WINAPI* CoCreateInstance)
    (REFCLSID clsid, LPUNKNOWN outer, DWORD context, REFIID iid, LPVOID* object);
    LPVOID(WINAPI* CoTaskMemAlloc)(SIZE_T bytes);
    void(WINAPI* CoTaskMemFree)(LPVOID memory);
    HRESULT(WINAPI* CoInitializeEx)(LPVOID reserved, DWORD coInit);
    void(WINAPI* CoFreeUnusedLibraries)();
    void(WINAPI* CoUninitialize)();

    // "comctl32.dll"
    HMODULE comctl32;
    void(WINAPI* InitCommonControls)();

    // "dwmapi.dll"
    HMODULE dwmapi;
    HRESULT(WINAPI* DwmEnableComposition)(UINT action);

    // "User32.dll"
    HMODULE user32;
    BOOL(WINAPI* WINNLSEnableIME)(HWND window, BOOL enable);
};

extern SystemFunctionTable systemFunctions;

// Loads every module and looks up every function; does nothing when already loaded. 0.
int LoadSystemLibraries();
// Frees every loaded module and clears its handle and pointers. 0.
int FreeSystemLibraries();
