#include "platform/com/ole32.h"

#include <cstdlib>
#include <cstring>
#include <map>
#include <mutex>

#include "platform/com/class_registry.h"
#include "platform/kernel/module_registry.h"

namespace {

struct GuidLess {
    bool operator()(const GUID& a, const GUID& b) const { return std::memcmp(&a, &b, sizeof(GUID)) < 0; }
};

struct ClassRegistry {
    std::mutex lock;
    std::map<GUID, ComClassFactory, GuidLess> factories;
    std::map<GUID, HRESULT, GuidLess> failing;
};

ClassRegistry& Classes() {
    static ClassRegistry* registry = new ClassRegistry;
    return *registry;
}

thread_local int initializeDepth = 0;

}  // namespace

void RegisterComClass(REFCLSID clsid, ComClassFactory factory) {
    ClassRegistry& registry = Classes();
    std::lock_guard<std::mutex> guard(registry.lock);
    registry.factories[clsid] = factory;
}

void SetComClassFailing(REFCLSID clsid, bool failing, HRESULT error) {
    ClassRegistry& registry = Classes();
    std::lock_guard<std::mutex> guard(registry.lock);
    if (failing) {
        registry.failing[clsid] = error;
    } else {
        registry.failing.erase(clsid);
    }
}

int GetComInitializeDepth() {
    return initializeDepth;
}

HRESULT WINAPI CoInitializeEx(LPVOID, DWORD) {
    return initializeDepth++ == 0 ? S_OK : S_FALSE;
}

HRESULT WINAPI CoInitialize(LPVOID reserved) {
    return CoInitializeEx(reserved, COINIT_APARTMENTTHREADED);
}

void WINAPI CoUninitialize() {
    if (initializeDepth > 0) --initializeDepth;
}

// Creation does not insist on CoInitializeEx having run on the calling thread: the library starts
// COM once on its main thread and its loading threads create objects too.
HRESULT WINAPI CoCreateInstance(REFCLSID clsid, LPUNKNOWN outer, DWORD, REFIID iid, LPVOID* object) {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (outer) return CLASS_E_NOAGGREGATION;
    EnsurePlatformModulesRegistered();
    ComClassFactory factory = nullptr;
    {
        ClassRegistry& registry = Classes();
        std::lock_guard<std::mutex> guard(registry.lock);
        auto failing = registry.failing.find(clsid);
        if (failing != registry.failing.end()) return failing->second;
        auto found = registry.factories.find(clsid);
        if (found == registry.factories.end()) return REGDB_E_CLASSNOTREG;
        factory = found->second;
    }
    HRESULT result = factory(iid, object);
    if (FAILED(result)) *object = nullptr;
    return result;
}

LPVOID WINAPI CoTaskMemAlloc(SIZE_T bytes) {
    return std::malloc(bytes ? bytes : 1);
}

void WINAPI CoTaskMemFree(LPVOID memory) {
    std::free(memory);
}

void WINAPI CoFreeUnusedLibraries() {}

void RegisterComModules() {
    RegisterPlatformModule("ole32.dll", {
                                            {"CoCreateInstance", &CoCreateInstance},
                                            {"CoTaskMemAlloc", &CoTaskMemAlloc},
                                            {"CoTaskMemFree", &CoTaskMemFree},
                                            {"CoInitializeEx", &CoInitializeEx},
                                            {"CoFreeUnusedLibraries", &CoFreeUnusedLibraries},
                                            {"CoUninitialize", &CoUninitialize},
                                        });
}
