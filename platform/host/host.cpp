#include "platform/host/host.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <mutex>
#include <sstream>

#include "platform/host/headless/input_script.h"
#include "platform/host/host_backend.h"
#include "platform/host/picture_stretch.h"

namespace {

struct WindowPicture {
    std::vector<uint32_t> pixels;
    int width = 0;
    int height = 0;
};

struct HostState {
    std::recursive_mutex mutex;
    std::unique_ptr<HostBackend> backend;
    HostKind kind = HostKind::kHeadless;
    std::map<HWND, WindowPicture> pictures;
    std::deque<HostEvent> events;
    uint8_t dik_state[256] = {};
    InputScript script;
    size_t script_next = 0;
    bool script_loaded = false;
    bool script_given = false;  // KORVALUND_INPUT named a readable file, or a test loaded a script
    int64_t frame = 0;
    void (*key_observer)(uint8_t dik, bool down) = nullptr;
    void (*pump_observer)(int64_t frame) = nullptr;
};

HostState& State() {
    static HostState* state = new HostState;
    return *state;
}

bool DisplayExists() {
    const char* x11 = std::getenv("DISPLAY");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    return (x11 && *x11) || (wayland && *wayland);
}

void StartBackend(HostState& state, HostKind kind) {
    if (kind == HostKind::kSdl) {
        state.backend = MakeSdlBackend();
        if (state.backend) {
            state.kind = HostKind::kSdl;
            return;
        }
        std::fprintf(stderr, "korvalund: SDL video could not start; running headless\n");
    }
    state.backend = MakeHeadlessBackend();
    state.kind = HostKind::kHeadless;
}

HostKind KindFromEnvironment() {
    const char* value = std::getenv("KORVALUND_HOST");
    if (value && std::strcmp(value, "headless") == 0) return HostKind::kHeadless;
    if (value && std::strcmp(value, "sdl") == 0) return HostKind::kSdl;
    const HostKind kind = DisplayExists() ? HostKind::kSdl : HostKind::kHeadless;
    if (value && *value) {
        std::fprintf(stderr, "korvalund: KORVALUND_HOST=%s is neither sdl nor headless; using %s\n", value,
                     kind == HostKind::kSdl ? "sdl" : "headless");
    }
    return kind;
}

HostBackend& Backend() {
    HostState& state = State();
    if (!state.backend) StartBackend(state, KindFromEnvironment());
    return *state.backend;
}

void ResizePicture(WindowPicture* picture, int width, int height) {
    width = std::max(width, 0);
    height = std::max(height, 0);
    std::vector<uint32_t> resized(static_cast<size_t>(width) * height, 0xFF000000u);
    int copy_width = std::min(width, picture->width);
    int copy_height = std::min(height, picture->height);
    for (int y = 0; y < copy_height; ++y)
        std::memcpy(&resized[static_cast<size_t>(y) * width],
                    &picture->pixels[static_cast<size_t>(y) * picture->width], copy_width * sizeof(uint32_t));
    picture->pixels.swap(resized);
    picture->width = width;
    picture->height = height;
}

HostPicture ViewOf(WindowPicture& picture) {
    return HostPicture{picture.pixels.data(), picture.width, picture.height, picture.width};
}

void QueueEvent(HostState& state, const HostEvent& event) {
    if (event.kind == HostEventKind::kKey) {
        state.dik_state[event.dik] = event.down ? 0x80 : 0x00;
        if (state.key_observer) state.key_observer(event.dik, event.down);
    }
    state.events.push_back(event);
}

void LoadScriptFromEnvironment(HostState& state) {
    state.script_loaded = true;
    const char* path = std::getenv("KORVALUND_INPUT");
    if (!path || !*path) return;
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        std::fprintf(stderr, "korvalund: KORVALUND_INPUT: can't read \"%s\"; no scripted input\n", path);
        return;
    }
    std::stringstream text;
    text << file.rdbuf();
    HostLoadInputScript(text.str());
    state.script_given = true;
}

HostEvent EventOfAction(const ScriptAction& action) {
    HostEvent event;
    if (action.kind == ScriptActionKind::kClose) {
        event.kind = HostEventKind::kClose;
    } else {
        event.kind = HostEventKind::kKey;
        event.dik = action.dik;
        event.down = action.kind == ScriptActionKind::kKeyDown;
    }
    return event;
}

}  // namespace

HostKind GetHostKind() {
    std::lock_guard lock(State().mutex);
    Backend();
    return State().kind;
}

bool SetHostKind(HostKind kind) {
    HostState& state = State();
    std::lock_guard lock(state.mutex);
    if (!state.pictures.empty()) return false;
    if (state.backend && state.kind == kind) return true;
    state.backend.reset();
    StartBackend(state, kind);
    return state.kind == kind;
}

bool HostCreateWindow(const HostWindowDesc& desc) {
    HostState& state = State();
    std::lock_guard lock(state.mutex);
    if (!desc.window || state.pictures.count(desc.window)) return false;
    WindowPicture& picture = state.pictures[desc.window];
    ResizePicture(&picture, desc.width, desc.height);
    if (!Backend().CreateWindow(desc)) {
        state.pictures.erase(desc.window);
        return false;
    }
    return true;
}

void HostDestroyWindow(HWND window) {
    HostState& state = State();
    std::lock_guard lock(state.mutex);
    if (!state.pictures.erase(window)) return;
    Backend().DestroyWindow(window);
}

bool HostHasWindow(HWND window) {
    std::lock_guard lock(State().mutex);
    return State().pictures.count(window) != 0;
}

void HostSetWindowTitle(HWND window, const std::string& title_cp932) {
    std::lock_guard lock(State().mutex);
    if (State().pictures.count(window)) Backend().SetTitle(window, title_cp932);
}

void HostSetWindowGeometry(HWND window, int x, int y, int width, int height) {
    HostState& state = State();
    std::lock_guard lock(state.mutex);
    auto found = state.pictures.find(window);
    if (found == state.pictures.end()) return;
    if (found->second.width != width || found->second.height != height)
        ResizePicture(&found->second, width, height);
    Backend().SetGeometry(window, x, y, std::max(width, 0), std::max(height, 0));
}

void HostSetWindowShow(HWND window, HostShow show) {
    std::lock_guard lock(State().mutex);
    if (State().pictures.count(window)) Backend().SetShow(window, show);
}

void HostSetWindowFullScreen(HWND window, bool full_screen) {
    std::lock_guard lock(State().mutex);
    if (State().pictures.count(window)) Backend().SetFullScreen(window, full_screen);
}

void HostRaiseWindow(HWND window) {
    std::lock_guard lock(State().mutex);
    if (State().pictures.count(window)) Backend().Raise(window);
}

bool HostLockPicture(HWND window, HostPicture* picture) {
    HostState& state = State();
    std::lock_guard lock(state.mutex);
    auto found = state.pictures.find(window);
    if (found == state.pictures.end()) return false;
    *picture = ViewOf(found->second);
    return true;
}

void HostUnlockPicture(HWND window, bool changed) {
    HostState& state = State();
    std::lock_guard lock(state.mutex);
    auto found = state.pictures.find(window);
    if (found == state.pictures.end() || !changed) return;
    Backend().Show(window, ViewOf(found->second));
}

bool HostPresent(HWND window, const void* pixels, int width, int height, int pitch_bytes, const RECT* dest,
                 bool keep_alpha) {
    if (!pixels || width <= 0 || height <= 0) return false;
    HostState& state = State();
    std::lock_guard lock(state.mutex);
    auto found = state.pictures.find(window);
    if (found == state.pictures.end()) return false;
    WindowPicture& picture = found->second;
    const RECT target = dest ? *dest : RECT{0, 0, width, height};
    const StretchSource source{static_cast<const uint8_t*>(pixels), width, height, pitch_bytes};
    const StretchTarget into{picture.pixels.data(), picture.width, picture.height};
    if (!StretchPicture(source, target, into, keep_alpha ? 0 : 0xFF000000u)) return false;
    Backend().Show(window, ViewOf(picture));
    return true;
}

bool HostReadPicture(HWND window, std::vector<uint32_t>* pixels, int* width, int* height) {
    HostState& state = State();
    std::lock_guard lock(state.mutex);
    auto found = state.pictures.find(window);
    if (found == state.pictures.end()) return false;
    return Backend().ReadBack(window, ViewOf(found->second), pixels, width, height);
}

HostDisplayMode HostDesktopMode() {
    std::lock_guard lock(State().mutex);
    return Backend().DesktopMode();
}

void HostPollEvents() {
    HostState& state = State();
    std::lock_guard lock(state.mutex);
    std::deque<HostEvent> fresh;
    Backend().Poll(&fresh);
    for (const HostEvent& event : fresh) QueueEvent(state, event);
}

bool HostNextEvent(HostEvent* event) {
    HostState& state = State();
    std::lock_guard lock(state.mutex);
    if (state.events.empty()) return false;
    *event = std::move(state.events.front());
    state.events.pop_front();
    return true;
}

void HostInjectEvent(const HostEvent& event) {
    HostState& state = State();
    std::lock_guard lock(state.mutex);
    if (!Backend().InjectNative(event)) QueueEvent(state, event);
}

void HostPumpTick() {
    HostState& state = State();
    int64_t frame = 0;
    void (*observer)(int64_t) = nullptr;
    {
        std::lock_guard lock(state.mutex);
        if (!state.script_loaded) LoadScriptFromEnvironment(state);
        const std::vector<ScriptAction>& actions = state.script.actions;
        while (state.script_next < actions.size() && actions[state.script_next].frame <= state.frame)
            HostInjectEvent(EventOfAction(actions[state.script_next++]));
        frame = state.frame++;
        observer = state.pump_observer;
    }
    // Outside the lock: the observer may inject events or read pictures.
    if (observer) observer(frame);
}

void HostSetPumpObserver(void (*observer)(int64_t frame)) {
    std::lock_guard lock(State().mutex);
    State().pump_observer = observer;
}

bool HostHasInputScript() {
    HostState& state = State();
    std::lock_guard lock(state.mutex);
    if (!state.script_loaded) LoadScriptFromEnvironment(state);
    return state.script_given;
}

int64_t HostPumpFrame() {
    std::lock_guard lock(State().mutex);
    return State().frame;
}

bool HostLoadInputScript(const std::string& text) {
    HostState& state = State();
    std::lock_guard lock(state.mutex);
    state.script = ParseInputScript(text);
    state.script_next = 0;
    state.script_loaded = true;
    state.script_given = true;
    state.frame = 0;
    for (const std::string& error : state.script.errors)
        std::fprintf(stderr, "korvalund: input script %s (line skipped)\n", error.c_str());
    return state.script.errors.empty();
}

void HostGetKeyboardDikState(uint8_t out[256]) {
    std::lock_guard lock(State().mutex);
    std::memcpy(out, State().dik_state, 256);
}

void HostSetKeyObserver(void (*observer)(uint8_t dik, bool down)) {
    std::lock_guard lock(State().mutex);
    State().key_observer = observer;
}

bool HostProducesTextInput() {
    std::lock_guard lock(State().mutex);
    return Backend().ProducesTextInput();
}

void HostGetCursorPos(int* x, int* y) {
    std::lock_guard lock(State().mutex);
    Backend().GetCursorPos(x, y);
}

void HostSetCursorVisible(bool visible) {
    std::lock_guard lock(State().mutex);
    Backend().SetCursorVisible(visible);
}

void HostClipCursor(const RECT* rect) {
    std::lock_guard lock(State().mutex);
    Backend().ClipCursor(rect);
}

void HostSetClipboardText(const std::string& text_cp932) {
    std::lock_guard lock(State().mutex);
    Backend().SetClipboardText(text_cp932);
}

bool HostGetClipboardText(std::string* text_cp932) {
    std::lock_guard lock(State().mutex);
    return Backend().GetClipboardText(text_cp932);
}

void HostResetForTests() {
    HostState& state = State();
    std::lock_guard lock(state.mutex);
    while (!state.pictures.empty()) HostDestroyWindow(state.pictures.begin()->first);
    std::deque<HostEvent> drained;
    if (state.backend) state.backend->Poll(&drained);
    state.events.clear();
    std::memset(state.dik_state, 0, sizeof(state.dik_state));
    if (state.backend) state.backend->SetClipboardText("");
    state.script = InputScript{};
    state.script_next = 0;
    state.script_loaded = false;
    state.script_given = false;
    state.frame = 0;
}
