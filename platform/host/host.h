// What the window stand-ins run on: a real window through SDL2, or a headless host that keeps windows as
// records. The window stand-in (platform/user) is the host's only client for windows and events; the GDI
// blits and the Direct3D stand-in show pictures through HostPresent.
//
// Windows are keyed by their HWND. A window's picture is its client area as 32-bit pixels 0xAARRGGBB
// (alpha 0xFF for ordinary windows; a layered window keeps its per-pixel alpha).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/kernel/win_types.h"

enum class HostKind { kSdl, kHeadless };

// KORVALUND_HOST=sdl|headless; without it, SDL when a display exists and SDL's video starts, else
// headless. Decided on first use.
HostKind GetHostKind();
// Tests: picks the host before it is first used. False once a host window exists.
bool SetHostKind(HostKind kind);

// ---- Windows ----

enum class HostShow { kHidden, kShown, kMinimized };

struct HostWindowDesc {
    HWND window = nullptr;
    std::string title;  // CP932
    int x = 0;          // client origin in screen coordinates
    int y = 0;
    int width = 0;  // client size
    int height = 0;
    bool decorated = true;  // a caption and frame (false for pop-up windows)
    bool resizable = false;
    HostShow show = HostShow::kHidden;
};

bool HostCreateWindow(const HostWindowDesc& desc);
void HostDestroyWindow(HWND window);
bool HostHasWindow(HWND window);
void HostSetWindowTitle(HWND window, const std::string& title_cp932);
// Client origin (screen coordinates) and client size; the picture is resized, keeping what fits.
void HostSetWindowGeometry(HWND window, int x, int y, int width, int height);
void HostSetWindowShow(HWND window, HostShow show);
// Full screen: the window covers the display and its picture is scaled to it, aspect kept.
void HostSetWindowFullScreen(HWND window, bool full_screen);
void HostRaiseWindow(HWND window);

// ---- Pictures ----

struct HostPicture {
    uint32_t* pixels = nullptr;
    int width = 0;
    int height = 0;
    int pitch = 0;  // in pixels
};

// The window's client picture, for drawing into it in place. Every lock is paired with an unlock, which
// shows the picture when it changed.
bool HostLockPicture(HWND window, HostPicture* picture);
void HostUnlockPicture(HWND window, bool changed);

// Copies a 32-bit picture (0xXXRRGGBB rows, pitch in bytes) into the window's client area, stretched
// (nearest pixel) to dest (client coordinates; null: at (0, 0) unscaled), clipped to the client area, and
// shows it. keep_alpha keeps the source's alpha bytes (layered windows); otherwise alpha becomes 0xFF.
bool HostPresent(HWND window, const void* pixels, int width, int height, int pitch_bytes, const RECT* dest,
                 bool keep_alpha = false);

// What the window shows, as 0xAARRGGBB pixels. The SDL host reads it back from its renderer.
bool HostReadPicture(HWND window, std::vector<uint32_t>* pixels, int* width, int* height);

// ---- Display ----

struct HostDisplayMode {
    int width = 0;
    int height = 0;
    int bits = 32;  // a 24-bit X visual is 32 bits per pixel
    int frequency = 60;
};

HostDisplayMode HostDesktopMode();
// Tests: the headless host's desktop mode (null: back to 1920 x 1080, 32 bits).
void HostSetHeadlessDesktopModeForTests(const HostDisplayMode* mode);

// ---- Events ----

enum class HostEventKind {
    kKey,          // dik, down
    kText,         // text (CP932 bytes)
    kFocus,        // down: gained (true) or lost
    kClose,        // the user asked to close the window
    kMouseMove,    // x, y (client coordinates)
    kMouseButton,  // button (1 left, 2 right, 3 middle), down, x, y
    kMouseWheel,   // delta (120 per notch; positive away from the user), horizontal
    kResize,       // x, y: new client size
    kMove,         // x, y: new client origin in screen coordinates
    kMinimize,
    kRestore,
    kDropFiles,  // files (CP932 paths), x, y
};

struct HostEvent {
    HostEventKind kind = HostEventKind::kKey;
    HWND window = nullptr;  // null: the window with the keyboard focus, else the foreground window
    uint8_t dik = 0;        // DirectInput key code
    bool down = false;
    int button = 0;
    int x = 0;
    int y = 0;
    int delta = 0;
    bool horizontal = false;
    std::string text;
    std::vector<std::string> files;
};

// Collects what the host has pending (the SDL event queue) into the host's event queue.
void HostPollEvents();
// Takes the oldest queued event.
bool HostNextEvent(HostEvent* event);
// Queues an event as if the host had produced it. On the SDL host, close, focus and key events go
// through SDL's own event queue.
void HostInjectEvent(const HostEvent& event);

// Called once at the start of every pump of the library's message loop, and once for every pass the loop
// spends waiting for its window to become active again: each is one frame of the headless input script
// (KORVALUND_INPUT), whose lines for that frame become events now.
void HostPumpTick();
// Tests: called by every HostPumpTick, after that frame's scripted events were queued, with the frame's
// number. Null: none.
void HostSetPumpObserver(void (*observer)(int64_t frame));
// Pumps counted so far (the frame number the next HostPumpTick delivers).
int64_t HostPumpFrame();
// True when an input script drives this run: KORVALUND_INPUT names a readable file (read now if not yet),
// or a test loaded one.
bool HostHasInputScript();
// Tests: loads an input script from text (replacing the one of KORVALUND_INPUT) and restarts the frame
// count. Returns false and writes the reason to standard error for each bad line (which is skipped).
bool HostLoadInputScript(const std::string& text);

// The keyboard as DirectInput sees it: 256 entries by DirectInput key code, 0x80 = down. Every key
// event the host delivers updates it.
void HostGetKeyboardDikState(uint8_t state[256]);
// True when the host delivers typed text as kText events (SDL); the headless host only has keys.
bool HostProducesTextInput();
// Called (under the host's lock; it must not call the host) for every key event as it changes the key
// state above. Null: none. The DirectInput keyboard's event buffer listens here.
void HostSetKeyObserver(void (*observer)(uint8_t dik, bool down));

// ---- Mouse cursor ----

void HostGetCursorPos(int* x, int* y);  // screen coordinates
void HostSetCursorVisible(bool visible);
// Confines the cursor to a screen rectangle (null: free).
void HostClipCursor(const RECT* rect);

// ---- Clipboard ----

void HostSetClipboardText(const std::string& text_cp932);
bool HostGetClipboardText(std::string* text_cp932);

// ---- Tests ----

// Destroys every host window and clears the event queue, the key state and the clipboard.
void HostResetForTests();
