// The draw work of a game frame through the library on the Direct3D stand-in, once with the
// fixed-function stages (profile fixed) and once with the library's pixel shaders (profile sm3): the
// 400 x 300 target cleared, 300 map tiles of 20 x 20, 40 colour-keyed sprites under the game's three
// blend modes, white and tinted, 10 translucent effects, and the target doubled onto the back buffer,
// drawn out to the device. The ratio of the two decides the stand-in's default profile.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>

#include "engine/core/frame/library_state.h"
#include "engine/core/frame/system_functions.h"
#include "engine/graphics/device/builtin_shaders.h"
#include "engine/graphics/device/graphics_init.h"
#include "engine/graphics/device/screen_settings.h"
#include "engine/graphics/draw/scene_latch.h"
#include "engine/graphics/draw/vertex_batch.h"
#include "engine/graphics/graphics.h"
#include "platform/d3d9/d3d9_control.h"
#include "platform/host/host.h"
#include "platform/kernel/clock.h"
#include "platform/user/user32.h"
#include "platform/user/user_test_support.h"

namespace {

struct Frame {
    int target = -1, tiles = -1, sprites = -1, effects = -1;
};

HWND MakeWindow() {
    WNDCLASSEXA windowClass = {};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.lpszClassName = "FrameBenchWindow";
    RegisterClassExA(&windowClass);
    return CreateWindowExA(0, "FrameBenchWindow", "frame bench", WS_POPUP | WS_VISIBLE, 0, 0, 800, 600,
                           nullptr, nullptr, nullptr, nullptr);
}

// The library's graphics started headless in window mode at 32 bits with the profile's shaders.
bool Start(D3D9ShaderProfile shaders, Frame* f) {
    SetHostKind(HostKind::kHeadless);
    SetClockMode(ClockMode::kVirtual);
    ResetWindowStandInForTests();
    ResetLibraryStateForTests();
    D3D9ResetControls();
    D3D9CapabilityProfile profile = D3D9DefaultCapabilityProfile();
    D3D9ApplyShaderProfile(&profile, shaders);
    D3D9SetCapabilityProfile(profile);
    LoadSystemLibraries();
    libraryState.settings.windowMode = 1;
    libraryState.settings.mainWindow = MakeWindow();
    libraryState.run.active = 1;
    const HostDisplayMode desktop = {1920, 1080, 32, 60};
    HostSetHeadlessDesktopModeForTests(&desktop);
    SetScreenMode(800, 600, 32, 60);
    SetHardwareDrawEnabled(1);
    if (InitGraphicsSystem() != 0) return false;
    libraryFlags.initialised = 1;
    f->target = MakeDrawTarget(400, 300, 0);
    f->tiles = MakeDrawTarget(256, 256, 0);
    f->sprites = MakeDrawTarget(256, 256, 0);
    f->effects = MakeDrawTarget(128, 128, 1);
    FillGraphicRect(f->tiles, 40, 90, 160, 255, 0);
    FillGraphicRect(f->sprites, 200, 120, 60, 255, 0);
    FillGraphicRect(f->effects, 250, 200, 90, 140, 0);
    return f->target >= 0 && f->tiles >= 0 && f->sprites >= 0 && f->effects >= 0;
}

void Stop() {
    ShutdownGraphics();
    libraryFlags.initialised = 0;
    HostSetHeadlessDesktopModeForTests(nullptr);
    D3D9ResetControls();
}

void DrawFrame(const Frame& f) {
    SelectDrawTarget(f.target);
    SetClipRect(0, 0, 400, 300);
    SetBlend(kBlendNone, 0);
    SetBright(255, 255, 255);
    ClearDrawTarget(nullptr);
    for (int i = 0; i < 300; ++i)
        DrawImagePart(i % 20 * 20, i / 20 * 20, i % 12 * 20, i % 7 * 20, 20, 20, f.tiles, 1, 0);
    const int modes[3] = {kBlendNone, kBlendAlpha, kBlendAdd};
    for (int i = 0; i < 40; ++i) {
        SetBlend(modes[i % 3], 160);
        SetBright(255, i % 2 ? 255 : 160, i % 2 ? 255 : 80);
        DrawImagePart(13 * i % 360, 7 * i % 260, 40 * (i % 6), 0, 40, 40, f.sprites, 1, i % 2);
    }
    SetBright(255, 255, 255);
    SetBlend(kBlendAlpha, 200);
    for (int i = 0; i < 10; ++i) DrawImagePart(37 * i % 360, 23 * i % 260, 0, 0, 40, 40, f.effects, 1, 0);
    SelectDrawTarget(kDrawTargetBackBuffer);
    SetBlend(kBlendNone, 0);
    DrawImageStretched(0, 0, 800, 600, f.target, 0);
    FlushVertexBatch(0);
    EndSceneIfBegun();
}

void BM_GameFrameDraws(benchmark::State& state) {
    const bool shaders = state.range(0) != 0;
    Frame f;
    if (!Start(shaders ? D3D9ShaderProfile::kSm3 : D3D9ShaderProfile::kFixed, &f) ||
        GetProgrammableShaderFlag() != int(shaders)) {
        state.SkipWithError("graphics did not start with the profile");
        Stop();
        return;
    }
    for (auto _ : state) DrawFrame(f);
    Stop();
    state.SetLabel(shaders ? "shaders (sm3)" : "stages (fixed)");
}
BENCHMARK(BM_GameFrameDraws)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

}  // namespace
