// SDL2, loaded when the SDL host, the SDL audio output or the SDL pads first need it instead of at
// program start: a run on the headless host never maps SDL2 and the libraries it brings along.
// sdl::CreateWindow(...) calls SDL_CreateWindow(...) once sdl::Load() has succeeded.
#pragma once

#include <SDL2/SDL.h>

// Every SDL2 function the platform calls, without its SDL_ prefix: the subsystems; windows, renderers,
// textures and window surfaces; events, keyboard, mouse and clipboard; audio; game controllers and joysticks.
// clang-format off
#define KORVALUND_SDL_FUNCTIONS(X) \
    X(InitSubSystem) X(QuitSubSystem) X(SetHint) X(GetError) X(free) \
    X(CreateWindow) X(DestroyWindow) X(GetWindowID) X(GetWindowFlags) X(GetWindowPosition) \
    X(SetWindowPosition) X(SetWindowSize) X(SetWindowTitle) X(SetWindowFullscreen) X(SetWindowMouseRect) \
    X(ShowWindow) X(HideWindow) X(MinimizeWindow) X(RestoreWindow) X(RaiseWindow) X(GetDesktopDisplayMode) \
    X(CreateRenderer) X(DestroyRenderer) X(GetRendererOutputSize) X(RenderSetLogicalSize) \
    X(SetRenderDrawColor) X(RenderClear) X(RenderCopy) X(RenderPresent) X(RenderReadPixels) \
    X(CreateTexture) X(DestroyTexture) X(UpdateTexture) X(SetTextureBlendMode) \
    X(GetRendererInfo) X(GL_GetProcAddress) X(GetWindowSurface) X(UpdateWindowSurface) \
    X(CreateRGBSurfaceWithFormatFrom) X(FreeSurface) X(SetSurfaceBlendMode) X(FillRect) X(MapRGB) \
    X(UpperBlit) X(UpperBlitScaled) X(ConvertPixels) \
    X(PollEvent) X(PushEvent) X(EventState) X(GetKeyFromScancode) X(GetKeyboardFocus) X(StartTextInput) \
    X(GetMouseState) X(GetGlobalMouseState) X(ShowCursor) \
    X(GetClipboardText) X(SetClipboardText) X(HasClipboardText) \
    X(OpenAudioDevice) X(CloseAudioDevice) X(PauseAudioDevice) \
    X(NumJoysticks) X(IsGameController) X(GameControllerOpen) X(GameControllerClose) \
    X(GameControllerName) X(GameControllerGetJoystick) X(GameControllerGetAxis) X(GameControllerGetButton) \
    X(JoystickOpen) X(JoystickClose) X(JoystickName) X(JoystickGetAttached) X(JoystickGetDeviceInstanceID) \
    X(JoystickNumAxes) X(JoystickNumButtons) X(JoystickNumHats) X(JoystickGetAxis) X(JoystickGetButton) \
    X(JoystickGetHat) X(JoystickHasRumble) X(JoystickRumble) X(JoystickUpdate)
// clang-format on

namespace sdl {

#define KORVALUND_SDL_POINTER(name) extern decltype(&::SDL_##name) name;
KORVALUND_SDL_FUNCTIONS(KORVALUND_SDL_POINTER)
#undef KORVALUND_SDL_POINTER

// Loads SDL2 and every function above, once, whichever thread comes first. False when the library or
// one of the functions cannot be found (the pointers are then not to be called).
bool Load();

}  // namespace sdl
