// The SDL host: every window is an SDL window with a renderer and a streaming texture of its picture
// where the renderer runs on a GPU, and shows its picture in its own window surface otherwise.
#include <map>

#include "platform/host/cp932_text.h"
#include "platform/host/host_backend.h"
#include "platform/host/sdl/sdl_key_map.h"
#include "platform/host/sdl/sdl_library.h"
#include "platform/host/sdl/window_surface.h"

namespace {

struct SdlWindow {
    SDL_Window* window = nullptr;
    SDL_Renderer* renderer = nullptr;  // null: the window surface shows the picture
    SDL_Texture* texture = nullptr;
    int texture_width = 0;
    int texture_height = 0;
};

int HostButtonOf(Uint8 sdl_button) {
    switch (sdl_button) {
        case SDL_BUTTON_LEFT:
            return 1;
        case SDL_BUTTON_RIGHT:
            return 2;
        case SDL_BUTTON_MIDDLE:
            return 3;
        default:
            return 0;
    }
}

class SdlBackend : public HostBackend {
  public:
    ~SdlBackend() override {
        while (!windows_.empty()) DestroyWindow(windows_.begin()->first);
        sdl::QuitSubSystem(SDL_INIT_VIDEO);
    }

    bool CreateWindow(const HostWindowDesc& desc) override {
        Uint32 flags = SDL_WINDOW_HIDDEN;
        if (!desc.decorated) flags |= SDL_WINDOW_BORDERLESS;
        if (desc.resizable) flags |= SDL_WINDOW_RESIZABLE;
        SdlWindow record;
        record.window = sdl::CreateWindow(Cp932ToUtf8(desc.title).c_str(), desc.x, desc.y,
                                          std::max(desc.width, 1), std::max(desc.height, 1), flags);
        if (!record.window) return false;
        record.renderer = sdl::CreateRenderer(record.window, -1, SDL_RENDERER_ACCELERATED);
        if (record.renderer && !RendererIsHardware(record.renderer)) {
            sdl::DestroyRenderer(record.renderer);
            record.renderer = nullptr;
        }
        if (!record.renderer && !sdl::GetWindowSurface(record.window)) {
            record.renderer = sdl::CreateRenderer(record.window, -1, SDL_RENDERER_SOFTWARE);
            if (!record.renderer) {
                sdl::DestroyWindow(record.window);
                return false;
            }
        }
        by_id_[sdl::GetWindowID(record.window)] = desc.window;
        windows_[desc.window] = record;
        SetShow(desc.window, desc.show);
        return true;
    }

    void DestroyWindow(HWND window) override {
        auto found = windows_.find(window);
        if (found == windows_.end()) return;
        SdlWindow& record = found->second;
        by_id_.erase(sdl::GetWindowID(record.window));
        if (record.texture) sdl::DestroyTexture(record.texture);
        if (record.renderer) sdl::DestroyRenderer(record.renderer);
        sdl::DestroyWindow(record.window);
        windows_.erase(found);
    }

    void SetTitle(HWND window, const std::string& title) override {
        if (SdlWindow* record = Find(window)) sdl::SetWindowTitle(record->window, Cp932ToUtf8(title).c_str());
    }

    void SetGeometry(HWND window, int x, int y, int width, int height) override {
        SdlWindow* record = Find(window);
        if (!record || (sdl::GetWindowFlags(record->window) & SDL_WINDOW_FULLSCREEN_DESKTOP)) return;
        sdl::SetWindowPosition(record->window, x, y);
        sdl::SetWindowSize(record->window, std::max(width, 1), std::max(height, 1));
    }

    void SetShow(HWND window, HostShow show) override {
        SdlWindow* record = Find(window);
        if (!record) return;
        switch (show) {
            case HostShow::kHidden:
                sdl::HideWindow(record->window);
                break;
            case HostShow::kShown:
                sdl::ShowWindow(record->window);
                if (sdl::GetWindowFlags(record->window) & SDL_WINDOW_MINIMIZED)
                    sdl::RestoreWindow(record->window);
                break;
            case HostShow::kMinimized:
                sdl::MinimizeWindow(record->window);
                break;
        }
    }

    void SetFullScreen(HWND window, bool full_screen) override {
        if (SdlWindow* record = Find(window))
            sdl::SetWindowFullscreen(record->window, full_screen ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0);
    }

    void Raise(HWND window) override {
        if (SdlWindow* record = Find(window)) sdl::RaiseWindow(record->window);
    }

    void Show(HWND window, const HostPicture& picture) override {
        SdlWindow* record = Find(window);
        if (!record) return;
        if (!record->renderer) {
            if (DrawOnWindowSurface(record->window, picture)) sdl::UpdateWindowSurface(record->window);
            return;
        }
        if (Render(record, picture)) sdl::RenderPresent(record->renderer);
    }

    bool ReadBack(HWND window, const HostPicture& picture, std::vector<uint32_t>* pixels, int* width,
                  int* height) override {
        SdlWindow* record = Find(window);
        if (record && !record->renderer) return ReadBackSurface(record, picture, pixels, width, height);
        if (!record || !Render(record, picture)) return false;
        if (sdl::GetRendererOutputSize(record->renderer, width, height) != 0) return false;
        pixels->assign(static_cast<size_t>(*width) * *height, 0);
        int result = sdl::RenderReadPixels(record->renderer, nullptr, SDL_PIXELFORMAT_ARGB8888,
                                           pixels->data(), *width * 4);
        sdl::RenderPresent(record->renderer);
        return result == 0;
    }

    HostDisplayMode DesktopMode() override {
        SDL_DisplayMode mode;
        if (sdl::GetDesktopDisplayMode(0, &mode) != 0) return HostDisplayMode{};
        int bytes = SDL_BYTESPERPIXEL(mode.format);
        return HostDisplayMode{mode.w, mode.h, bytes == 2 ? 16 : 32,
                               mode.refresh_rate > 0 ? mode.refresh_rate : 60};
    }

    void Poll(std::deque<HostEvent>* events) override {
        SDL_Event event;
        while (sdl::PollEvent(&event)) Translate(event, events);
    }

    bool InjectNative(const HostEvent& event) override {
        HWND target = event.window ? event.window : FocusWindow();
        SdlWindow* record = Find(target);
        if (!record) return false;
        SDL_Event sdl_event{};
        Uint32 id = sdl::GetWindowID(record->window);
        switch (event.kind) {
            case HostEventKind::kKey: {
                SDL_Scancode scancode = SdlScancodeOfDik(event.dik);
                if (scancode == SDL_SCANCODE_UNKNOWN) return false;
                sdl_event.type = event.down ? SDL_KEYDOWN : SDL_KEYUP;
                sdl_event.key.windowID = id;
                sdl_event.key.state = event.down ? SDL_PRESSED : SDL_RELEASED;
                sdl_event.key.keysym.scancode = scancode;
                sdl_event.key.keysym.sym = sdl::GetKeyFromScancode(scancode);
                break;
            }
            case HostEventKind::kClose:
            case HostEventKind::kFocus:
                sdl_event.type = SDL_WINDOWEVENT;
                sdl_event.window.windowID = id;
                sdl_event.window.event = event.kind == HostEventKind::kClose ? SDL_WINDOWEVENT_CLOSE
                                         : event.down                        ? SDL_WINDOWEVENT_FOCUS_GAINED
                                                                             : SDL_WINDOWEVENT_FOCUS_LOST;
                break;
            default:
                return false;
        }
        return sdl::PushEvent(&sdl_event) == 1;
    }

    bool ProducesTextInput() override { return true; }

    void GetCursorPos(int* x, int* y) override { sdl::GetGlobalMouseState(x, y); }

    void SetCursorVisible(bool visible) override { sdl::ShowCursor(visible ? SDL_ENABLE : SDL_DISABLE); }

    void ClipCursor(const RECT* rect) override {
        for (auto& [hwnd, record] : windows_) {
            if (!rect) {
                sdl::SetWindowMouseRect(record.window, nullptr);
                continue;
            }
            int x = 0, y = 0;
            sdl::GetWindowPosition(record.window, &x, &y);
            SDL_Rect local{rect->left - x, rect->top - y, rect->right - rect->left, rect->bottom - rect->top};
            sdl::SetWindowMouseRect(record.window, &local);
        }
    }

    void SetClipboardText(const std::string& text) override {
        sdl::SetClipboardText(Cp932ToUtf8(text).c_str());
    }

    bool GetClipboardText(std::string* text) override {
        if (!sdl::HasClipboardText()) return false;
        char* utf8 = sdl::GetClipboardText();
        if (!utf8) return false;
        *text = Utf8ToCp932(utf8);
        sdl::free(utf8);
        return true;
    }

  private:
    SdlWindow* Find(HWND window) {
        auto found = windows_.find(window);
        return found == windows_.end() ? nullptr : &found->second;
    }

    HWND WindowOfId(Uint32 id) {
        auto found = by_id_.find(id);
        return found == by_id_.end() ? nullptr : found->second;
    }

    HWND FocusWindow() {
        if (SDL_Window* focus = sdl::GetKeyboardFocus())
            if (HWND window = WindowOfId(sdl::GetWindowID(focus))) return window;
        return windows_.empty() ? nullptr : windows_.begin()->first;
    }

    static bool ReadBackSurface(SdlWindow* record, const HostPicture& picture, std::vector<uint32_t>* pixels,
                                int* width, int* height) {
        SDL_Surface* surface = DrawOnWindowSurface(record->window, picture);
        if (!surface) return false;
        *width = surface->w;
        *height = surface->h;
        pixels->assign(static_cast<size_t>(*width) * *height, 0);
        const int result =
            sdl::ConvertPixels(*width, *height, surface->format->format, surface->pixels, surface->pitch,
                               SDL_PIXELFORMAT_ARGB8888, pixels->data(), *width * 4);
        sdl::UpdateWindowSurface(record->window);
        return result == 0;
    }

    // Draws the picture into the renderer's back buffer (not yet presented).
    bool Render(SdlWindow* record, const HostPicture& picture) {
        if (picture.width <= 0 || picture.height <= 0) return false;
        if (!record->texture || record->texture_width != picture.width ||
            record->texture_height != picture.height) {
            if (record->texture) sdl::DestroyTexture(record->texture);
            record->texture = sdl::CreateTexture(record->renderer, SDL_PIXELFORMAT_ARGB8888,
                                                 SDL_TEXTUREACCESS_STREAMING, picture.width, picture.height);
            if (!record->texture) return false;
            sdl::SetTextureBlendMode(record->texture, SDL_BLENDMODE_NONE);
            record->texture_width = picture.width;
            record->texture_height = picture.height;
            sdl::RenderSetLogicalSize(record->renderer, picture.width, picture.height);
        }
        sdl::UpdateTexture(record->texture, nullptr, picture.pixels, picture.pitch * 4);
        sdl::SetRenderDrawColor(record->renderer, 0, 0, 0, 255);
        sdl::RenderClear(record->renderer);
        sdl::RenderCopy(record->renderer, record->texture, nullptr, nullptr);
        return true;
    }

    void Translate(const SDL_Event& sdl_event, std::deque<HostEvent>* events) {
        HostEvent event;
        switch (sdl_event.type) {
            case SDL_WINDOWEVENT:
                event.window = WindowOfId(sdl_event.window.windowID);
                if (!TranslateWindowEvent(sdl_event.window, &event)) return;
                break;
            case SDL_KEYDOWN:
            case SDL_KEYUP:
                event.kind = HostEventKind::kKey;
                event.window = WindowOfId(sdl_event.key.windowID);
                event.dik = DikOfSdlScancode(sdl_event.key.keysym.scancode);
                event.down = sdl_event.type == SDL_KEYDOWN;
                if (event.dik == 0) return;
                break;
            case SDL_TEXTINPUT:
                event.kind = HostEventKind::kText;
                event.window = WindowOfId(sdl_event.text.windowID);
                event.text = Utf8ToCp932(sdl_event.text.text);
                break;
            case SDL_MOUSEMOTION:
                event.kind = HostEventKind::kMouseMove;
                event.window = WindowOfId(sdl_event.motion.windowID);
                event.x = sdl_event.motion.x;
                event.y = sdl_event.motion.y;
                break;
            case SDL_MOUSEBUTTONDOWN:
            case SDL_MOUSEBUTTONUP:
                event.kind = HostEventKind::kMouseButton;
                event.window = WindowOfId(sdl_event.button.windowID);
                event.button = HostButtonOf(sdl_event.button.button);
                event.down = sdl_event.type == SDL_MOUSEBUTTONDOWN;
                event.x = sdl_event.button.x;
                event.y = sdl_event.button.y;
                if (event.button == 0) return;
                break;
            case SDL_MOUSEWHEEL: {
                int sign = sdl_event.wheel.direction == SDL_MOUSEWHEEL_FLIPPED ? -1 : 1;
                event.kind = HostEventKind::kMouseWheel;
                event.window = WindowOfId(sdl_event.wheel.windowID);
                event.horizontal = sdl_event.wheel.y == 0;
                event.delta = sign * 120 * (event.horizontal ? sdl_event.wheel.x : sdl_event.wheel.y);
                break;
            }
            case SDL_DROPBEGIN:
                dropping_ = true;
                dropped_.clear();
                return;
            case SDL_DROPFILE:
                if (sdl_event.drop.file) {
                    dropped_.push_back(Utf8ToCp932(sdl_event.drop.file));
                    sdl::free(sdl_event.drop.file);
                }
                drop_window_ = WindowOfId(sdl_event.drop.windowID);
                if (dropping_) return;
                [[fallthrough]];
            case SDL_DROPCOMPLETE:
                dropping_ = false;
                if (dropped_.empty()) return;
                event.kind = HostEventKind::kDropFiles;
                event.window = drop_window_;
                event.files.swap(dropped_);
                sdl::GetMouseState(&event.x, &event.y);
                break;
            default:
                return;
        }
        events->push_back(std::move(event));
    }

    static bool TranslateWindowEvent(const SDL_WindowEvent& window_event, HostEvent* event) {
        switch (window_event.event) {
            case SDL_WINDOWEVENT_CLOSE:
                event->kind = HostEventKind::kClose;
                return true;
            case SDL_WINDOWEVENT_FOCUS_GAINED:
            case SDL_WINDOWEVENT_FOCUS_LOST:
                event->kind = HostEventKind::kFocus;
                event->down = window_event.event == SDL_WINDOWEVENT_FOCUS_GAINED;
                return true;
            case SDL_WINDOWEVENT_SIZE_CHANGED:
                event->kind = HostEventKind::kResize;
                event->x = window_event.data1;
                event->y = window_event.data2;
                return true;
            case SDL_WINDOWEVENT_MOVED:
                event->kind = HostEventKind::kMove;
                event->x = window_event.data1;
                event->y = window_event.data2;
                return true;
            case SDL_WINDOWEVENT_MINIMIZED:
                event->kind = HostEventKind::kMinimize;
                return true;
            case SDL_WINDOWEVENT_RESTORED:
            case SDL_WINDOWEVENT_MAXIMIZED:
                event->kind = HostEventKind::kRestore;
                return true;
            default:
                return false;
        }
    }

    std::map<HWND, SdlWindow> windows_;
    std::map<Uint32, HWND> by_id_;
    bool dropping_ = false;
    std::vector<std::string> dropped_;
    HWND drop_window_ = nullptr;
};

}  // namespace

std::unique_ptr<HostBackend> MakeSdlBackend() {
    if (!sdl::Load()) return nullptr;
    sdl::SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    sdl::SetHint(SDL_HINT_VIDEO_ALLOW_SCREENSAVER, "1");
    // A window surface is used only where no GPU renders: SDL is not to put one behind it either.
    sdl::SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    if (sdl::InitSubSystem(SDL_INIT_VIDEO) != 0) return nullptr;
    sdl::EventState(SDL_DROPFILE, SDL_ENABLE);
    sdl::StartTextInput();
    return std::make_unique<SdlBackend>();
}
