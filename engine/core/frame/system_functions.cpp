#include "engine/core/frame/system_functions.h"

#include <cstring>

#include "platform/kernel/module_registry.h"

SystemFunctionTable systemFunctions;

namespace {

struct FunctionSlot {
    const char* name;
    void* pointer;  // address of the table field
};

template <typename Pointer>
FunctionSlot Slot(const char* name, Pointer* field) {
    return {name, static_cast<void*>(field)};
}

// One module of the table: its handle and its functions in lookup order.
struct ModuleEntry {
    const char* dllName;
    HMODULE* handle;
    std::initializer_list<FunctionSlot> functions;
};

template <typename Body>
void ForEachModule(Body body) {
    SystemFunctionTable& t = systemFunctions;
    const ModuleEntry modules[] = {
        {"ws2_32.dll",
         &t.ws2_32,
         {Slot("WSAGetLastError", &t.WSAGetLastError),
          Slot("WSAStartup", &t.WSAStartup),
          Slot("WSACleanup", &t.WSACleanup),
          Slot("WSAAsyncSelect", &t.WSAAsyncSelect),
          Slot("getaddrinfo", &t.getaddrinfo),
          Slot("gethostbyaddr", &t.gethostbyaddr),
          Slot("gethostbyname", &t.gethostbyname),
          Slot("gethostname", &t.gethostname),
          Slot("ntohs", &t.ntohs),
          Slot("htons", &t.htons),
          Slot("connect", &t.connect),
          Slot("socket", &t.socket),
          Slot("send", &t.send),
          Slot("sendto", &t.sendto),
          Slot("recvfrom", &t.recvfrom),
          Slot("accept", &t.accept),
          Slot("closesocket", &t.closesocket),
          Slot("shutdown", &t.shutdown),
          Slot("listen", &t.listen),
          Slot("bind", &t.bind),
          Slot("inet_addr", &t.inet_addr),
          Slot("recv", &t.recv)}},
        {"Imm32.dll",
         &t.imm32,
         {Slot("ImmGetContext", &t.ImmGetContext), Slot("ImmReleaseContext", &t.ImmReleaseContext),
          Slot("ImmGetOpenStatus", &t.ImmGetOpenStatus),
          Slot("ImmGetConversionStatus", &t.ImmGetConversionStatus), Slot("ImmNotifyIME", &t.ImmNotifyIME),
          Slot("ImmSetOpenStatus", &t.ImmSetOpenStatus),
          Slot("ImmGetCandidateListA", &t.ImmGetCandidateListA),
          Slot("ImmGetCompositionStringA", &t.ImmGetCompositionStringA),
          Slot("ImmSetCompositionStringA", &t.ImmSetCompositionStringA)}},
        {"winmm.dll",
         &t.winmm,
         {Slot("timeSetEvent", &t.timeSetEvent), Slot("timeKillEvent", &t.timeKillEvent),
          Slot("timeBeginPeriod", &t.timeBeginPeriod), Slot("timeEndPeriod", &t.timeEndPeriod),
          Slot("timeGetTime", &t.timeGetTime), Slot("timeGetDevCaps", &t.timeGetDevCaps),
          Slot("joyGetPosEx", &t.joyGetPosEx), Slot("joyGetDevCapsA", &t.joyGetDevCapsA),
          Slot("mciSendCommandA", &t.mciSendCommandA)}},
        {"ole32.dll",
         &t.ole32,
         {Slot("CoCreateInstance", &t.CoCreateInstance), Slot("CoTaskMemAlloc", &t.CoTaskMemAlloc),
          Slot("CoTaskMemFree", &t.CoTaskMemFree), Slot("CoInitializeEx", &t.CoInitializeEx),
          Slot("CoFreeUnusedLibraries", &t.CoFreeUnusedLibraries),
          Slot("CoUninitialize", &t.CoUninitialize)}},
        {"comctl32.dll", &t.comctl32, {Slot("InitCommonControls", &t.InitCommonControls)}},
        {"dwmapi.dll", &t.dwmapi, {Slot("DwmEnableComposition", &t.DwmEnableComposition)}},
        {"User32.dll", &t.user32, {Slot("WINNLSEnableIME", &t.WINNLSEnableIME)}},
    };
    for (const ModuleEntry& module : modules) body(module);
}

// Every pointer field has the size of FARPROC; the table stores what GetProcAddress returned.
void StoreFunction(const FunctionSlot& slot, FARPROC function) {
    static_assert(sizeof(FARPROC) == sizeof(void*));
    std::memcpy(slot.pointer, &function, sizeof(function));
}

}  // namespace

// Whether the table is filled. Winsock is absent here, so the ws2_32 handle cannot tell.
static bool systemLibrariesLoaded = false;

int LoadSystemLibraries() {
    if (systemLibrariesLoaded) return 0;
    systemLibrariesLoaded = true;
    ForEachModule([](const ModuleEntry& module) {
        *module.handle = LoadLibraryA(module.dllName);
        for (const FunctionSlot& slot : module.functions)
            StoreFunction(slot, *module.handle ? GetProcAddress(*module.handle, slot.name) : nullptr);
    });
    return 0;
}

int FreeSystemLibraries() {
    static const char* const kFreeOrder[] = {"dwmapi.dll", "User32.dll", "ws2_32.dll",  "Imm32.dll",
                                             "winmm.dll",  "ole32.dll",  "comctl32.dll"};
    for (const char* dllName : kFreeOrder) {
        ForEachModule([dllName](const ModuleEntry& module) {
            if (std::strcmp(module.dllName, dllName) != 0 || !*module.handle) return;
            FreeLibrary(*module.handle);
            *module.handle = nullptr;
            for (const FunctionSlot& slot : module.functions) StoreFunction(slot, nullptr);
        });
    }
    systemLibrariesLoaded = false;
    return 0;
}
