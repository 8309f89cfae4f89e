// The stand-in's switches for tests and hosts, and its call trace.
#include "platform/d3d9/d3d9_control.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <mutex>
#include <utility>

#include "platform/d3d9/device_core.h"
#include "platform/kernel/module_registry.h"

#include "platform/d3d9/presented_picture.h"
#include "platform/d3d9/trace.h"
#include "platform/d3d9/yuv_surface.h"

namespace {

// The environment's choice, read once.
D3D9ShaderProfile ShaderProfileFromEnvironment() {
    static const D3D9ShaderProfile chosen = [] {
        D3D9ShaderProfile shaders = D3D9ShaderProfile::kFixed;
        const char* value = std::getenv("KORVALUND_D3D_PROFILE");
        if (value && *value && !D3D9ParseShaderProfile(value, &shaders))
            std::fprintf(stderr,
                         "korvalund: KORVALUND_D3D_PROFILE=%s is none of fixed, sm2, sm3; using fixed\n",
                         value);
        return shaders;
    }();
    return chosen;
}

struct Controls {
    std::mutex mutex;
    D3D9CapabilityProfile profile = D3D9DefaultCapabilityProfile();
    bool ex_available = false;
    bool device_lost = false;
    bool trace_enabled = false;
    bool vertical_blank_jitter = false;
    std::map<std::string, int> failures;
    std::vector<std::string> trace;
};

Controls& State() {
    static Controls controls;
    return controls;
}

}  // namespace

void D3D9ApplyShaderProfile(D3D9CapabilityProfile* profile, D3D9ShaderProfile shaders) {
    const int major = shaders == D3D9ShaderProfile::kSm3 ? 3 : (shaders == D3D9ShaderProfile::kSm2 ? 2 : 0);
    profile->vertex_shader_version = D3DVS_VERSION(major, 0);
    profile->pixel_shader_version = D3DPS_VERSION(major, 0);
}

bool D3D9ParseShaderProfile(const char* name, D3D9ShaderProfile* shaders) {
    static const std::pair<const char*, D3D9ShaderProfile> kNames[] = {{"fixed", D3D9ShaderProfile::kFixed},
                                                                       {"sm2", D3D9ShaderProfile::kSm2},
                                                                       {"sm3", D3D9ShaderProfile::kSm3}};
    for (const auto& [text, value] : kNames) {
        if (std::strcmp(name, text) != 0) continue;
        *shaders = value;
        return true;
    }
    return false;
}

D3D9CapabilityProfile D3D9DefaultCapabilityProfile() {
    D3D9CapabilityProfile profile;
    D3D9ApplyShaderProfile(&profile, ShaderProfileFromEnvironment());
    return profile;
}

void D3D9SetCapabilityProfile(const D3D9CapabilityProfile& profile) {
    std::lock_guard lock(State().mutex);
    State().profile = profile;
}

D3D9CapabilityProfile D3D9GetCapabilityProfile() {
    std::lock_guard lock(State().mutex);
    return State().profile;
}

void D3D9SetExAvailable(bool available) {
    {
        std::lock_guard lock(State().mutex);
        State().ex_available = available;
    }
    EnsurePlatformModulesRegistered();
    SetPlatformExportAbsent("d3d9.dll", "Direct3DCreate9Ex", !available);
}

bool D3D9ExAvailable() {
    std::lock_guard lock(State().mutex);
    return State().ex_available;
}

void D3D9SetVerticalBlankJitter(bool jitter) {
    std::lock_guard lock(State().mutex);
    State().vertical_blank_jitter = jitter;
}

bool D3D9VerticalBlankJitter() {
    std::lock_guard lock(State().mutex);
    return State().vertical_blank_jitter;
}

void D3D9SetDeviceLost(bool lost) {
    {
        std::lock_guard lock(State().mutex);
        State().device_lost = lost;
    }
    if (lost) d3d9::LoseAllDevices();
}

bool D3D9DeviceLostSwitch() {
    std::lock_guard lock(State().mutex);
    return State().device_lost;
}

void D3D9FailCreation(const std::string& method, int count) {
    std::lock_guard lock(State().mutex);
    if (count == 0)
        State().failures.erase(method);
    else
        State().failures[method] = count;
}

bool D3D9TakeCreationFailure(const char* method) {
    if (IsPlatformCallFailing(method)) return true;
    std::lock_guard lock(State().mutex);
    auto found = State().failures.find(method);
    if (found == State().failures.end()) return false;
    if (found->second > 0 && --found->second == 0) State().failures.erase(found);
    return true;
}

void D3D9SetTraceEnabled(bool enabled) {
    std::lock_guard lock(State().mutex);
    State().trace_enabled = enabled;
}

bool D3D9TraceEnabled() {
    std::lock_guard lock(State().mutex);
    return State().trace_enabled;
}

std::vector<std::string> D3D9TakeTrace() {
    std::lock_guard lock(State().mutex);
    return std::exchange(State().trace, {});
}

void d3d9::AppendTrace(std::string line) {
    std::lock_guard lock(State().mutex);
    State().trace.push_back(std::move(line));
}

D3D9PresentedPicture D3D9GetPresentedPicture() {
    return d3d9::CopyPresentedPicture();
}

void D3D9ResetControls() {
    {
        std::lock_guard lock(State().mutex);
        State().profile = D3D9DefaultCapabilityProfile();
        State().ex_available = false;
        State().device_lost = false;
        State().trace_enabled = false;
        State().vertical_blank_jitter = false;
        State().failures.clear();
        State().trace.clear();
    }
    EnsurePlatformModulesRegistered();
    SetPlatformExportAbsent("d3d9.dll", "Direct3DCreate9Ex", true);
    d3d9::ClearPresentedPicture();
    D3D9ResetYuvSurfaceFormats();
}
