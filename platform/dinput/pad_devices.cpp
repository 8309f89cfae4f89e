#include "platform/dinput/pad_devices.h"

#include <algorithm>
#include <memory>
#include <mutex>

#include "platform/host/host.h"

namespace {

struct ScriptedPad {
    PadDeviceInfo info;
    PadReading reading;
    uint16_t low = 0;
    uint16_t high = 0;
};

class ScriptedPadBackend : public PadBackend {
  public:
    std::vector<PadDeviceInfo> List() override {
        std::lock_guard lock(mutex_);
        std::vector<PadDeviceInfo> list;
        for (const ScriptedPad& pad : pads_) list.push_back(pad.info);
        return list;
    }
    bool Read(uint32_t id, PadReading* reading) override {
        std::lock_guard lock(mutex_);
        ScriptedPad* pad = Find(id);
        if (pad) *reading = pad->reading;
        return pad != nullptr;
    }
    bool Rumble(uint32_t id, uint16_t low, uint16_t high) override {
        std::lock_guard lock(mutex_);
        ScriptedPad* pad = Find(id);
        if (!pad || !pad->info.rumble) return false;
        pad->low = low;
        pad->high = high;
        return true;
    }

    uint32_t Attach(PadDeviceInfo info) {
        std::lock_guard lock(mutex_);
        info.id = ++last_id_;
        ScriptedPad pad;
        pad.info = info;
        pads_.push_back(pad);
        return info.id;
    }
    void Detach(uint32_t id) {
        std::lock_guard lock(mutex_);
        pads_.erase(std::remove_if(pads_.begin(), pads_.end(),
                                   [id](const ScriptedPad& p) { return p.info.id == id; }),
                    pads_.end());
    }
    void DetachAll() {
        std::lock_guard lock(mutex_);
        pads_.clear();
    }
    void Set(uint32_t id, const PadReading& reading) {
        std::lock_guard lock(mutex_);
        if (ScriptedPad* pad = Find(id)) pad->reading = reading;
    }
    bool Motors(uint32_t id, uint16_t* low, uint16_t* high) {
        std::lock_guard lock(mutex_);
        ScriptedPad* pad = Find(id);
        if (!pad) return false;
        *low = pad->low;
        *high = pad->high;
        return true;
    }

  private:
    ScriptedPad* Find(uint32_t id) {
        for (ScriptedPad& pad : pads_)
            if (pad.info.id == id) return &pad;
        return nullptr;
    }

    std::mutex mutex_;
    std::vector<ScriptedPad> pads_;
    uint32_t last_id_ = 0;
};

ScriptedPadBackend& Scripted() {
    static ScriptedPadBackend* backend = new ScriptedPadBackend;
    return *backend;
}

PadBackend& Backend() {
    static PadBackend* backend = [] {
        PadBackend* sdl = GetHostKind() == HostKind::kSdl ? MakeSdlPadBackend() : nullptr;
        return sdl ? sdl : static_cast<PadBackend*>(&Scripted());
    }();
    return *backend;
}

int16_t Clamp16(int32_t value) {
    return int16_t(std::clamp<int32_t>(value, -32768, 32767));
}

void GamepadJoystickView(const PadReading& reading, PadJoystickView* view) {
    view->axes[0] = reading.axes[kPadLeftX];
    view->axes[1] = reading.axes[kPadLeftY];
    view->axes[2] = Clamp16(int32_t(reading.axes[kPadLeftTrigger]) - reading.axes[kPadRightTrigger]);
    view->axes[3] = reading.axes[kPadRightX];
    view->axes[4] = reading.axes[kPadRightY];
    for (int axis = 0; axis < 5; ++axis) view->hasAxis[axis] = true;
    static constexpr PadButton kOrder[] = {
        kPadA,    kPadB,     kPadX,         kPadY,         kPadLeftShoulder, kPadRightShoulder,
        kPadBack, kPadStart, kPadLeftStick, kPadRightStick};
    view->buttonCount = 10;
    for (int i = 0; i < 10; ++i) view->buttons[i] = reading.buttons[kOrder[i]] ? 1 : 0;
    uint8_t hat =
        (reading.buttons[kPadDpadUp] ? kHatUp : 0) | (reading.buttons[kPadDpadRight] ? kHatRight : 0) |
        (reading.buttons[kPadDpadDown] ? kHatDown : 0) | (reading.buttons[kPadDpadLeft] ? kHatLeft : 0);
    view->hatCount = 1;
    view->hats[0] = HatAngleOf(hat);
}

void PlainJoystickView(const PadDeviceInfo& info, const PadReading& reading, PadJoystickView* view) {
    int axes = std::min(info.axes, 6);
    for (int axis = 0; axis < axes; ++axis) {
        view->axes[axis] = reading.axes[axis];
        view->hasAxis[axis] = true;
    }
    view->buttonCount = std::clamp(info.buttons, 0, kPadMaxButtons);
    for (int i = 0; i < view->buttonCount; ++i) view->buttons[i] = reading.buttons[i] ? 1 : 0;
    view->hatCount = std::clamp(info.hats, 0, kPadMaxHats);
    for (int i = 0; i < view->hatCount; ++i) view->hats[i] = HatAngleOf(reading.hats[i]);
}

}  // namespace

std::vector<PadDeviceInfo> ListPads() {
    return Backend().List();
}

bool FindPad(uint32_t id, PadDeviceInfo* info) {
    for (const PadDeviceInfo& pad : ListPads()) {
        if (pad.id != id) continue;
        *info = pad;
        return true;
    }
    return false;
}

bool ReadPad(uint32_t id, PadReading* reading) {
    return Backend().Read(id, reading);
}

bool RumblePad(uint32_t id, uint16_t low, uint16_t high) {
    return Backend().Rumble(id, low, high);
}

bool XInputPadOf(int userIndex, PadDeviceInfo* info) {
    int index = 0;
    for (const PadDeviceInfo& pad : ListPads()) {
        if (!pad.gamepad) continue;
        if (index == userIndex) {
            *info = pad;
            return true;
        }
        if (++index >= 4) break;
    }
    return false;
}

int XInputIndexOfPad(uint32_t id) {
    int index = 0;
    for (const PadDeviceInfo& pad : ListPads()) {
        if (!pad.gamepad) continue;
        if (pad.id == id) return index;
        if (++index >= 4) break;
    }
    return -1;
}

int32_t HatAngleOf(uint8_t bits) {
    switch (bits & 0x0F) {
        case kHatUp:
            return 0;
        case kHatUp | kHatRight:
            return 4500;
        case kHatRight:
            return 9000;
        case kHatRight | kHatDown:
            return 13500;
        case kHatDown:
            return 18000;
        case kHatDown | kHatLeft:
            return 22500;
        case kHatLeft:
            return 27000;
        case kHatLeft | kHatUp:
            return 31500;
        default:
            return -1;
    }
}

PadJoystickView JoystickViewOf(const PadDeviceInfo& info, const PadReading& reading) {
    PadJoystickView view;
    if (info.gamepad) {
        GamepadJoystickView(reading, &view);
    } else {
        PlainJoystickView(info, reading, &view);
    }
    return view;
}

uint32_t AttachScriptedPad(const PadDeviceInfo& info) {
    return Scripted().Attach(info);
}

void DetachScriptedPad(uint32_t id) {
    Scripted().Detach(id);
}

void SetScriptedPadReading(uint32_t id, const PadReading& reading) {
    Scripted().Set(id, reading);
}

bool ScriptedPadRumble(uint32_t id, uint16_t* low, uint16_t* high) {
    return Scripted().Motors(id, low, high);
}

void DetachAllScriptedPads() {
    Scripted().DetachAll();
}
