#include "platform/kernel/module_registry.h"

#include <atomic>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>

#include "platform/kernel/kernel32.h"

namespace {

struct Module {
    std::string name;
    std::map<std::string, FARPROC> exports;
    int loadCount = 0;
};

struct Registry {
    std::mutex lock;
    std::map<std::string, std::unique_ptr<Module>> modules;
    std::set<std::string> absentModules;
    std::set<std::pair<std::string, std::string>> absentExports;
    std::set<std::string> failingCalls;
    Module program;  // the handle of the program itself
};

Registry& Modules() {
    static Registry* registry = new Registry;
    return *registry;
}

// "C:\Windows\System32\WINMM.DLL" and "winmm" both become "winmm.dll".
std::string ModuleKey(const char* dllName) {
    std::string name = dllName ? dllName : "";
    size_t slash = name.find_last_of("\\/");
    if (slash != std::string::npos) name.erase(0, slash + 1);
    for (char& c : name)
        if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
    if (name.find('.') == std::string::npos) name += ".dll";
    return name;
}

Module* FindLoaded(Registry& registry, HMODULE handle) {
    for (auto& entry : registry.modules)
        if (reinterpret_cast<HMODULE>(entry.second.get()) == handle && entry.second->loadCount > 0)
            return entry.second.get();
    return nullptr;
}

}  // namespace

void RegisterPlatformModule(const char* dllName, std::initializer_list<PlatformExport> exports) {
    Registry& registry = Modules();
    std::lock_guard<std::mutex> guard(registry.lock);
    std::unique_ptr<Module>& module = registry.modules[ModuleKey(dllName)];
    if (!module) {
        module = std::make_unique<Module>();
        module->name = ModuleKey(dllName);
    }
    for (const PlatformExport& entry : exports) module->exports[entry.name] = entry.entry;
}

void EnsurePlatformModulesRegistered() {
    static std::once_flag once;
    std::call_once(once, RegisterAllPlatformModules);
}

void SetPlatformModuleAbsent(const char* dllName, bool absent) {
    Registry& registry = Modules();
    std::lock_guard<std::mutex> guard(registry.lock);
    if (absent) {
        registry.absentModules.insert(ModuleKey(dllName));
    } else {
        registry.absentModules.erase(ModuleKey(dllName));
    }
}

void SetPlatformExportAbsent(const char* dllName, const char* exportName, bool absent) {
    Registry& registry = Modules();
    std::lock_guard<std::mutex> guard(registry.lock);
    auto key = std::make_pair(ModuleKey(dllName), std::string(exportName));
    if (absent) {
        registry.absentExports.insert(key);
    } else {
        registry.absentExports.erase(key);
    }
}

namespace {
// Calls such as HeapAlloc ask on every use: with no switch set the answer needs no lock.
std::atomic<size_t> failingCallCount{0};
}  // namespace

void SetPlatformCallFailing(const char* callName, bool failing) {
    Registry& registry = Modules();
    std::lock_guard<std::mutex> guard(registry.lock);
    if (failing) {
        registry.failingCalls.insert(callName);
    } else {
        registry.failingCalls.erase(callName);
    }
    failingCallCount = registry.failingCalls.size();
}

bool IsPlatformCallFailing(const char* callName) {
    if (failingCallCount == 0) return false;
    Registry& registry = Modules();
    std::lock_guard<std::mutex> guard(registry.lock);
    return registry.failingCalls.count(callName) != 0;
}

void ResetPlatformTestSwitches() {
    Registry& registry = Modules();
    std::lock_guard<std::mutex> guard(registry.lock);
    registry.absentModules.clear();
    registry.absentExports.clear();
    registry.failingCalls.clear();
    failingCallCount = 0;
}

HMODULE WINAPI LoadLibraryA(LPCSTR fileName) {
    if (!fileName) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    EnsurePlatformModulesRegistered();
    Registry& registry = Modules();
    std::lock_guard<std::mutex> guard(registry.lock);
    std::string key = ModuleKey(fileName);
    auto found = registry.modules.find(key);
    if (found == registry.modules.end() || registry.absentModules.count(key)) {
        SetLastError(ERROR_MOD_NOT_FOUND);
        return nullptr;
    }
    ++found->second->loadCount;
    return reinterpret_cast<HMODULE>(found->second.get());
}

FARPROC WINAPI GetProcAddress(HMODULE handle, LPCSTR procName) {
    Registry& registry = Modules();
    std::lock_guard<std::mutex> guard(registry.lock);
    Module* module = FindLoaded(registry, handle);
    if (!module) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    // Lookups by ordinal (a value below 65536 in place of a name) find nothing here.
    if (reinterpret_cast<uintptr_t>(procName) < 65536) {
        SetLastError(ERROR_PROC_NOT_FOUND);
        return nullptr;
    }
    auto found = module->exports.find(procName);
    if (found == module->exports.end() || registry.absentExports.count({module->name, procName})) {
        SetLastError(ERROR_PROC_NOT_FOUND);
        return nullptr;
    }
    return found->second;
}

BOOL WINAPI FreeLibrary(HMODULE handle) {
    Registry& registry = Modules();
    std::lock_guard<std::mutex> guard(registry.lock);
    Module* module = FindLoaded(registry, handle);
    if (!module) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    --module->loadCount;
    return TRUE;
}

HMODULE WINAPI GetModuleHandleA(LPCSTR moduleName) {
    Registry& registry = Modules();
    if (!moduleName) return reinterpret_cast<HMODULE>(&registry.program);
    std::lock_guard<std::mutex> guard(registry.lock);
    auto found = registry.modules.find(ModuleKey(moduleName));
    if (found == registry.modules.end() || found->second->loadCount == 0) {
        SetLastError(ERROR_MOD_NOT_FOUND);
        return nullptr;
    }
    return reinterpret_cast<HMODULE>(found->second.get());
}
