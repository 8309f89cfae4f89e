// The modules that LoadLibraryA can find: each stand-in registers its dll name and entry points here
// (RegisterAllPlatformModules, run once on the first LoadLibraryA or CoCreateInstance). Dll names
// compare ignoring ASCII case, with or without ".dll" and any folder. Tests can make a module or an
// entry point absent, and make a creation call of a stand-in fail.
#pragma once

#include <initializer_list>

#include "platform/kernel/win_types.h"

struct PlatformExport {
    template <typename Function>
    PlatformExport(const char* exportName, Function* function)
        : name(exportName), entry(reinterpret_cast<FARPROC>(function)) {}
    const char* name;
    FARPROC entry;
};

// Adds entry points to a module (creating it on first use); a later entry of the same name replaces
// the earlier one, so several stand-ins may fill one dll.
void RegisterPlatformModule(const char* dllName, std::initializer_list<PlatformExport> exports);
// Calls every stand-in's registration once (defined in platform/platform_modules.cpp).
void RegisterAllPlatformModules();
void EnsurePlatformModulesRegistered();

// Test switches. An absent module fails LoadLibraryA with ERROR_MOD_NOT_FOUND; an absent entry point
// makes GetProcAddress return null.
void SetPlatformModuleAbsent(const char* dllName, bool absent);
void SetPlatformExportAbsent(const char* dllName, const char* exportName, bool absent);
// A named creation call ("Direct3DCreate9", "DirectSoundCreate", ...) that its stand-in makes fail.
// A failing call is named as the call itself ("Direct3DCreate9", "HeapAlloc", "HeapReAlloc" ...).
void SetPlatformCallFailing(const char* callName, bool failing);
bool IsPlatformCallFailing(const char* callName);
// Clears every switch above.
void ResetPlatformTestSwitches();

HMODULE WINAPI LoadLibraryA(LPCSTR fileName);
FARPROC WINAPI GetProcAddress(HMODULE module, LPCSTR procName);
BOOL WINAPI FreeLibrary(HMODULE module);
// The handle of a loaded module (null name: the program itself); null when it is not loaded.
HMODULE WINAPI GetModuleHandleA(LPCSTR moduleName);
