// SDL2 game controllers and joysticks as pads. Device arrival and removal come through SDL's event pump,
// which the SDL host runs; every list refreshes the set of open devices.
#include <algorithm>
#include <map>
#include <mutex>

#include "platform/dinput/pad_devices.h"
#include "platform/host/sdl/sdl_library.h"

namespace {

struct OpenPad {
    PadDeviceInfo info;
    SDL_GameController* controller = nullptr;
    SDL_Joystick* joystick = nullptr;  // the controller's own joystick for a game controller
};

class SdlPadBackend : public PadBackend {
  public:
    std::vector<PadDeviceInfo> List() override {
        std::lock_guard lock(mutex_);
        Refresh();
        std::vector<PadDeviceInfo> list;
        for (const auto& [instance, pad] : pads_) list.push_back(pad.info);
        std::sort(list.begin(), list.end(),
                  [](const PadDeviceInfo& a, const PadDeviceInfo& b) { return a.id < b.id; });
        return list;
    }

    bool Read(uint32_t id, PadReading* reading) override {
        std::lock_guard lock(mutex_);
        OpenPad* pad = Find(id);
        if (!pad || !sdl::JoystickGetAttached(pad->joystick)) return false;
        sdl::JoystickUpdate();
        *reading = PadReading{};
        if (pad->controller) {
            for (int axis = 0; axis < kPadAxisCount; ++axis)
                reading->axes[axis] =
                    sdl::GameControllerGetAxis(pad->controller, SDL_GameControllerAxis(axis));
            for (int button = 0; button < kPadButtonCount; ++button)
                reading->buttons[button] =
                    sdl::GameControllerGetButton(pad->controller, SDL_GameControllerButton(button)) ? 1 : 0;
            return true;
        }
        // The counts were bounded when the pad was opened; bounding them here again lets the compiler see
        // that every write stays inside the reading.
        for (int axis = 0; axis < std::min(pad->info.axes, kPadMaxAxes); ++axis)
            reading->axes[axis] = sdl::JoystickGetAxis(pad->joystick, axis);
        for (int button = 0; button < std::min(pad->info.buttons, kPadMaxButtons); ++button)
            reading->buttons[button] = sdl::JoystickGetButton(pad->joystick, button) ? 1 : 0;
        for (int hat = 0; hat < std::min(pad->info.hats, kPadMaxHats); ++hat)
            reading->hats[hat] = sdl::JoystickGetHat(pad->joystick, hat);
        return true;
    }

    bool Rumble(uint32_t id, uint16_t low, uint16_t high) override {
        std::lock_guard lock(mutex_);
        OpenPad* pad = Find(id);
        if (!pad || !pad->info.rumble) return false;
        // Held until changed: the longest duration SDL takes.
        return sdl::JoystickRumble(pad->joystick, low, high, 0xFFFFFFFFu) == 0;
    }

  private:
    OpenPad* Find(uint32_t id) {
        for (auto& [instance, pad] : pads_)
            if (pad.info.id == id) return &pad;
        return nullptr;
    }

    void Refresh() {
        sdl::JoystickUpdate();
        for (auto it = pads_.begin(); it != pads_.end();) {
            if (sdl::JoystickGetAttached(it->second.joystick)) {
                ++it;
                continue;
            }
            Close(it->second);
            it = pads_.erase(it);
        }
        for (int index = 0; index < sdl::NumJoysticks(); ++index) {
            SDL_JoystickID instance = sdl::JoystickGetDeviceInstanceID(index);
            if (instance < 0 || pads_.count(instance)) continue;
            OpenPad pad;
            if (sdl::IsGameController(index)) {
                pad.controller = sdl::GameControllerOpen(index);
                pad.joystick = pad.controller ? sdl::GameControllerGetJoystick(pad.controller) : nullptr;
            } else {
                pad.joystick = sdl::JoystickOpen(index);
            }
            if (!pad.joystick) continue;
            pad.info.id = ++last_id_;
            pad.info.gamepad = pad.controller != nullptr;
            const char* name =
                pad.controller ? sdl::GameControllerName(pad.controller) : sdl::JoystickName(pad.joystick);
            pad.info.name = name ? name : "Joystick";
            pad.info.axes = std::min(sdl::JoystickNumAxes(pad.joystick), kPadMaxAxes);
            pad.info.buttons = std::min(sdl::JoystickNumButtons(pad.joystick), kPadMaxButtons);
            pad.info.hats = std::min(sdl::JoystickNumHats(pad.joystick), kPadMaxHats);
            pad.info.rumble = sdl::JoystickHasRumble(pad.joystick) == SDL_TRUE;
            pads_[instance] = pad;
        }
    }

    static void Close(OpenPad& pad) {
        if (pad.controller) {
            sdl::GameControllerClose(pad.controller);
        } else if (pad.joystick) {
            sdl::JoystickClose(pad.joystick);
        }
    }

    std::mutex mutex_;
    std::map<SDL_JoystickID, OpenPad> pads_;
    uint32_t last_id_ = 0;
};

}  // namespace

PadBackend* MakeSdlPadBackend() {
    if (!sdl::Load() || sdl::InitSubSystem(SDL_INIT_GAMECONTROLLER) != 0) return nullptr;
    return new SdlPadBackend;
}
