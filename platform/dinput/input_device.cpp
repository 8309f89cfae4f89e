#include "platform/dinput/input_device.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstring>
#include <deque>
#include <mutex>
#include <set>

#include "platform/com/com_object.h"
#include "platform/com/ole32.h"
#include "platform/dinput/pad_devices.h"
#include "platform/dinput/xinput.h"
#include "platform/host/host.h"
#include "platform/kernel/kernel32.h"
#include "platform/kernel/module_registry.h"

#define DIERR_OBJECTNOTFOUND ((HRESULT)0x80070002)

const DIDATAFORMAT c_dfDIKeyboard = {sizeof(DIDATAFORMAT), 0, 2, 256, 0, nullptr};
const DIDATAFORMAT c_dfDIMouse2 = {sizeof(DIDATAFORMAT), 0, 2, sizeof(DIMOUSESTATE2), 0, nullptr};
const DIDATAFORMAT c_dfDIJoystick = {sizeof(DIDATAFORMAT), 0, 1, sizeof(DIJOYSTATE), 0, nullptr};

namespace {

constexpr char kXInputDeviceName[] = "Controller (XBOX 360 For Windows)";
constexpr DWORD kJoystickAxes = 6;

class InputDevice;

// Every keyboard device, for the host's key events.
struct KeyboardListeners {
    std::mutex mutex;
    std::set<InputDevice*> devices;
    DWORD sequence = 0;
};

KeyboardListeners& Keyboards() {
    static KeyboardListeners* listeners = new KeyboardListeners;
    return *listeners;
}

void OnHostKey(uint8_t dik, bool down);

class PadEffect;

class InputDevice : public ComObject<IDirectInputDevice8A, IID_IDirectInputDevice8A> {
  public:
    InputDevice(InputDeviceKind kind, uint32_t padId, DWORD version)
        : kind_(kind), pad_(padId), version_(version) {
        for (DWORD axis = 0; axis < kJoystickAxes; ++axis) ranges_[axis] = {0, 65535};
        if (kind_ == InputDeviceKind::kKeyboard) {
            HostSetKeyObserver(&OnHostKey);
            std::lock_guard lock(Keyboards().mutex);
            Keyboards().devices.insert(this);
        }
    }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        if (object && iid == IID_IDirectInputDevice7A) {
            *object = static_cast<IDirectInputDevice7A*>(this);
            AddRef();
            return S_OK;
        }
        return ComObject::QueryInterface(iid, object);
    }

    HRESULT STDMETHODCALLTYPE SetProperty(REFGUID property, LPCDIPROPHEADER header) override {
        if (!header || header->dwHeaderSize != sizeof(DIPROPHEADER)) return DIERR_INVALIDPARAM;
        if (property == DIPROP_BUFFERSIZE) return SetBufferSize(header);
        if (property == DIPROP_RANGE || property == DIPROP_DEADZONE) return SetAxisProperty(property, header);
        return DIERR_UNSUPPORTED;
    }

    HRESULT STDMETHODCALLTYPE Acquire() override {
        if (!format_) return DIERR_INVALIDPARAM;
        PadDeviceInfo info;
        if (kind_ == InputDeviceKind::kJoystick && !FindPad(pad_, &info)) return DIERR_INPUTLOST;
        std::lock_guard lock(Keyboards().mutex);
        if (acquired_) return DI_NOEFFECT;
        acquired_ = true;
        return DI_OK;
    }

    HRESULT STDMETHODCALLTYPE Unacquire() override {
        std::lock_guard lock(Keyboards().mutex);
        if (!acquired_) return DI_NOEFFECT;
        acquired_ = false;
        buffer_.clear();
        overflowed_ = false;
        return DI_OK;
    }

    HRESULT STDMETHODCALLTYPE GetDeviceState(DWORD size, LPVOID state) override {
        if (!format_ || !state || size != format_->dwDataSize) return DIERR_INVALIDPARAM;
        if (!acquired_) return DIERR_NOTACQUIRED;
        switch (kind_) {
            case InputDeviceKind::kKeyboard:
                HostGetKeyboardDikState(static_cast<uint8_t*>(state));
                return DI_OK;
            case InputDeviceKind::kMouse:
                std::memset(state, 0, size);
                return DI_OK;
            case InputDeviceKind::kJoystick:
                return ReadJoystick(static_cast<DIJOYSTATE*>(state));
        }
        return DIERR_GENERIC;
    }

    HRESULT STDMETHODCALLTYPE GetDeviceData(DWORD objectSize, LPDIDEVICEOBJECTDATA data, LPDWORD count,
                                            DWORD flags) override {
        if (!count ||
            (objectSize != sizeof(DIDEVICEOBJECTDATA) && objectSize != sizeof(DIDEVICEOBJECTDATA_DX7)))
            return DIERR_INVALIDPARAM;
        std::lock_guard lock(Keyboards().mutex);
        if (buffer_size_ == 0) return DIERR_NOTBUFFERED;
        if (!acquired_) return DIERR_NOTACQUIRED;
        DWORD wanted = *count;
        DWORD taken = 0;
        for (; taken < wanted && taken < buffer_.size(); ++taken) {
            if (!data) continue;
            auto* out =
                reinterpret_cast<DIDEVICEOBJECTDATA*>(reinterpret_cast<BYTE*>(data) + taken * objectSize);
            std::memcpy(out, &buffer_[taken], objectSize);
        }
        if (!(flags & DIGDD_PEEK)) buffer_.erase(buffer_.begin(), buffer_.begin() + taken);
        *count = taken;
        HRESULT result = overflowed_ ? DI_BUFFEROVERFLOW : DI_OK;
        if (!(flags & DIGDD_PEEK)) overflowed_ = false;
        return result;
    }

    HRESULT STDMETHODCALLTYPE SetDataFormat(LPCDIDATAFORMAT format) override {
        if (acquired_) return DIERR_ACQUIRED;
        const DIDATAFORMAT* expected = kind_ == InputDeviceKind::kKeyboard ? &c_dfDIKeyboard
                                       : kind_ == InputDeviceKind::kMouse  ? &c_dfDIMouse2
                                                                           : &c_dfDIJoystick;
        if (format != expected) return DIERR_INVALIDPARAM;
        format_ = format;
        return DI_OK;
    }

    HRESULT STDMETHODCALLTYPE SetEventNotification(HANDLE event) override {
        if (acquired_) return DIERR_ACQUIRED;
        if (kind_ == InputDeviceKind::kKeyboard && IsPlatformCallFailing("KeyboardEventNotification"))
            return DIERR_GENERIC;
        std::lock_guard lock(Keyboards().mutex);
        event_ = event;
        return kind_ == InputDeviceKind::kJoystick ? DI_POLLEDDEVICE : DI_OK;
    }

    HRESULT STDMETHODCALLTYPE SetCooperativeLevel(HWND, DWORD flags) override {
        bool exclusive = flags & DISCL_EXCLUSIVE, nonExclusive = flags & DISCL_NONEXCLUSIVE;
        bool foreground = flags & DISCL_FOREGROUND, background = flags & DISCL_BACKGROUND;
        if (exclusive == nonExclusive || foreground == background) return DIERR_INVALIDPARAM;
        if (acquired_) return DIERR_ACQUIRED;
        cooperation_ = flags;
        return DI_OK;
    }

    HRESULT STDMETHODCALLTYPE GetDeviceInfo(LPDIDEVICEINSTANCEA instance) override {
        if (!instance || instance->dwSize != sizeof(DIDEVICEINSTANCEA)) return DIERR_INVALIDPARAM;
        DescribeInputDevice(kind_, pad_, version_, instance);
        return DI_OK;
    }

    HRESULT STDMETHODCALLTYPE CreateEffect(REFGUID effect, LPCDIEFFECT parameters, IDirectInputEffect** out,
                                           LPUNKNOWN outer) override;

    HRESULT STDMETHODCALLTYPE Poll() override {
        if (kind_ != InputDeviceKind::kJoystick) return DI_NOEFFECT;
        return acquired_ ? DI_OK : DIERR_NOTACQUIRED;
    }

    // Motor 0 low-frequency (constant force), motor 1 high-frequency (sine); 0-65535.
    void SetMotor(int motor, uint16_t speed) {
        motors_[motor] = speed;
        RumblePad(pad_, motors_[0], motors_[1]);
    }

    void OnKey(uint8_t dik, bool down, DWORD sequence) {
        if (!acquired_) return;
        if (event_) SetEvent(event_);
        if (buffer_size_ == 0) return;
        if (buffer_.size() >= buffer_size_) {
            overflowed_ = true;
            return;
        }
        buffer_.push_back(DIDEVICEOBJECTDATA{dik, DWORD(down ? 0x80 : 0), timeGetTime(), sequence, 0});
    }

  protected:
    ~InputDevice() override {
        if (kind_ != InputDeviceKind::kKeyboard) return;
        std::lock_guard lock(Keyboards().mutex);
        Keyboards().devices.erase(this);
    }

  private:
    struct Range {
        LONG min, max;
    };

    HRESULT SetBufferSize(LPCDIPROPHEADER header) {
        if (header->dwSize != sizeof(DIPROPDWORD) || header->dwHow != DIPH_DEVICE) return DIERR_INVALIDPARAM;
        if (acquired_) return DIERR_ACQUIRED;
        if (kind_ != InputDeviceKind::kKeyboard) return DIERR_UNSUPPORTED;
        std::lock_guard lock(Keyboards().mutex);
        buffer_size_ = reinterpret_cast<const DIPROPDWORD*>(header)->dwData;
        return DI_OK;
    }

    HRESULT SetAxisProperty(REFGUID property, LPCDIPROPHEADER header) {
        if (kind_ != InputDeviceKind::kJoystick) return DIERR_UNSUPPORTED;
        bool range = property == DIPROP_RANGE;
        if (header->dwSize != (range ? sizeof(DIPROPRANGE) : sizeof(DIPROPDWORD))) return DIERR_INVALIDPARAM;
        PadDeviceInfo info;
        if (!FindPad(pad_, &info)) return DIERR_INPUTLOST;
        PadJoystickView view = JoystickViewOf(info, PadReading{});
        DWORD first = 0, last = kJoystickAxes - 1;
        if (header->dwHow == DIPH_BYOFFSET) {
            if (header->dwObj % 4 != 0 || header->dwObj / 4 >= kJoystickAxes ||
                !view.hasAxis[header->dwObj / 4])
                return DIERR_OBJECTNOTFOUND;
            first = last = header->dwObj / 4;
        } else if (header->dwHow != DIPH_DEVICE) {
            return DIERR_INVALIDPARAM;
        }
        if (range) {
            const auto* value = reinterpret_cast<const DIPROPRANGE*>(header);
            if (value->lMin >= value->lMax) return DIERR_INVALIDPARAM;
            for (DWORD axis = first; axis <= last; ++axis) ranges_[axis] = {value->lMin, value->lMax};
        } else {
            DWORD zone = reinterpret_cast<const DIPROPDWORD*>(header)->dwData;
            if (zone > 10000) return DIERR_INVALIDPARAM;
            for (DWORD axis = first; axis <= last; ++axis) dead_zones_[axis] = zone;
        }
        return DI_OK;
    }

    HRESULT ReadJoystick(DIJOYSTATE* state) {
        PadDeviceInfo info;
        PadReading reading;
        if (!FindPad(pad_, &info) || !ReadPad(pad_, &reading)) {
            acquired_ = false;
            return DIERR_INPUTLOST;
        }
        PadJoystickView view = JoystickViewOf(info, reading);
        std::memset(state, 0, sizeof(*state));
        LONG* axes[kJoystickAxes] = {&state->lX,  &state->lY,  &state->lZ,
                                     &state->lRx, &state->lRy, &state->lRz};
        for (DWORD axis = 0; axis < kJoystickAxes; ++axis) {
            if (!view.hasAxis[axis]) continue;
            *axes[axis] =
                ScaleJoystickAxis(view.axes[axis], ranges_[axis].min, ranges_[axis].max, dead_zones_[axis]);
        }
        for (int hat = 0; hat < 4; ++hat)
            state->rgdwPOV[hat] = DWORD(hat < view.hatCount ? view.hats[hat] : -1);
        for (int button = 0; button < view.buttonCount; ++button)
            state->rgbButtons[button] = view.buttons[button] ? 0x80 : 0;
        return DI_OK;
    }

    InputDeviceKind kind_;
    uint32_t pad_;
    DWORD version_;
    const DIDATAFORMAT* format_ = nullptr;
    bool acquired_ = false;
    DWORD cooperation_ = 0;
    HANDLE event_ = nullptr;
    DWORD buffer_size_ = 0;
    std::deque<DIDEVICEOBJECTDATA> buffer_;
    bool overflowed_ = false;
    Range ranges_[kJoystickAxes];
    DWORD dead_zones_[kJoystickAxes] = {};
    uint16_t motors_[2] = {};
};

void OnHostKey(uint8_t dik, bool down) {
    KeyboardListeners& keyboards = Keyboards();
    std::lock_guard lock(keyboards.mutex);
    ++keyboards.sequence;
    for (InputDevice* device : keyboards.devices) device->OnKey(dik, down, keyboards.sequence);
}

// A constant force drives the low-frequency motor, a sine the high-frequency one, at the effect's
// magnitude scaled by its gain.
class PadEffect : public ComObject<IDirectInputEffect, IID_IDirectInputEffect> {
  public:
    PadEffect(InputDevice* device, int motor, uint16_t speed)
        : device_(device), motor_(motor), speed_(speed) {
        device_->AddRef();
    }

    HRESULT STDMETHODCALLTYPE Start(DWORD iterations, DWORD) override {
        if (iterations == 0) return DIERR_INVALIDPARAM;
        playing_ = true;
        device_->SetMotor(motor_, speed_);
        return DI_OK;
    }

    HRESULT STDMETHODCALLTYPE Stop() override {
        if (playing_) device_->SetMotor(motor_, 0);
        playing_ = false;
        return DI_OK;
    }

  protected:
    ~PadEffect() override {
        Stop();
        device_->Release();
    }

  private:
    InputDevice* device_;
    int motor_;
    uint16_t speed_;
    bool playing_ = false;
};

uint16_t MotorSpeed(uint32_t magnitude, DWORD gain) {
    uint64_t level = uint64_t(std::min<uint32_t>(magnitude, DI_FFNOMINALMAX)) *
                     std::min<DWORD>(gain, DI_FFNOMINALMAX) / DI_FFNOMINALMAX;
    return uint16_t(level * 65535 / DI_FFNOMINALMAX);
}

HRESULT STDMETHODCALLTYPE InputDevice::CreateEffect(REFGUID effect, LPCDIEFFECT parameters,
                                                    IDirectInputEffect** out, LPUNKNOWN outer) {
    if (!out) return DIERR_INVALIDPARAM;
    *out = nullptr;
    if (outer) return CLASS_E_NOAGGREGATION;
    if (!parameters || parameters->dwSize != sizeof(DIEFFECT) || !parameters->lpvTypeSpecificParams)
        return DIERR_INVALIDPARAM;
    PadDeviceInfo info;
    if (kind_ != InputDeviceKind::kJoystick || !FindPad(pad_, &info) || !info.rumble)
        return DIERR_UNSUPPORTED;
    uint32_t magnitude = 0;
    int motor = 0;
    if (effect == GUID_ConstantForce && parameters->cbTypeSpecificParams == sizeof(DICONSTANTFORCE)) {
        LONG value = static_cast<const DICONSTANTFORCE*>(parameters->lpvTypeSpecificParams)->lMagnitude;
        magnitude = uint32_t(value < 0 ? -int64_t(value) : value);
    } else if (effect == GUID_Sine && parameters->cbTypeSpecificParams == sizeof(DIPERIODIC)) {
        magnitude = static_cast<const DIPERIODIC*>(parameters->lpvTypeSpecificParams)->dwMagnitude;
        motor = 1;
    } else {
        return DIERR_INVALIDPARAM;
    }
    *out = new PadEffect(this, motor, MotorSpeed(magnitude, parameters->dwGain));
    return DI_OK;
}

}  // namespace

LONG ScaleJoystickAxis(int32_t raw, LONG min, LONG max, DWORD deadZone) {
    int64_t deflection = raw >= 0 ? int64_t(raw) * 10000 / 32767 : int64_t(raw) * 10000 / 32768;
    int64_t zone = std::min<DWORD>(deadZone, 10000);
    int64_t magnitude = deflection < 0 ? -deflection : deflection;
    if (magnitude <= zone) {
        magnitude = 0;
    } else {
        magnitude = (magnitude - zone) * 10000 / (10000 - zone);
    }
    int64_t scaled = deflection < 0 ? -magnitude : magnitude;
    int64_t span = int64_t(max) - min;
    return LONG(min + (scaled + 10000) * span / 20000);
}

GUID PadInstanceGuid(uint32_t padId) {
    return GUID{padId, 0x4B56, 0x5044, {'K', 'O', 'R', 'V', 'P', 'A', 'D', 0}};
}

bool PadIdOfGuid(REFGUID guid, uint32_t* padId) {
    if (guid != PadInstanceGuid(guid.Data1)) return false;
    *padId = guid.Data1;
    return true;
}

void DescribeInputDevice(InputDeviceKind kind, uint32_t padId, DWORD version, DIDEVICEINSTANCEA* instance) {
    std::memset(instance, 0, sizeof(*instance));
    instance->dwSize = sizeof(*instance);
    const char* name = "";
    PadDeviceInfo info;
    switch (kind) {
        case InputDeviceKind::kKeyboard:
            instance->guidInstance = instance->guidProduct = GUID_SysKeyboard;
            instance->dwDevType = version >= 0x800 ? DI8DEVTYPE_KEYBOARD : DIDEVTYPE_KEYBOARD;
            name = "Keyboard";
            break;
        case InputDeviceKind::kMouse:
            instance->guidInstance = instance->guidProduct = GUID_SysMouse;
            instance->dwDevType = version >= 0x800 ? DI8DEVTYPE_MOUSE : DIDEVTYPE_MOUSE;
            name = "Mouse";
            break;
        case InputDeviceKind::kJoystick:
            instance->guidInstance = PadInstanceGuid(padId);
            instance->guidProduct = PadInstanceGuid(0);
            instance->dwDevType = version >= 0x800 ? DI8DEVTYPE_GAMEPAD : DIDEVTYPE_JOYSTICK;
            if (XInputIndexOfPad(padId) >= 0) {
                name = kXInputDeviceName;
            } else if (FindPad(padId, &info)) {
                std::snprintf(instance->tszInstanceName, MAX_PATH, "%s", info.name.c_str());
                std::snprintf(instance->tszProductName, MAX_PATH, "%s", info.name.c_str());
                return;
            }
            break;
    }
    std::snprintf(instance->tszInstanceName, MAX_PATH, "%s", name);
    std::snprintf(instance->tszProductName, MAX_PATH, "%s", name);
}

IDirectInputDevice8A* MakeInputDevice(InputDeviceKind kind, uint32_t padId, DWORD version) {
    return new InputDevice(kind, padId, version);
}
