// The DirectInput 7 and 8 system objects: initialisation with their version, device creation and the
// enumeration of game controllers.
#include <vector>

#include "platform/com/class_registry.h"
#include "platform/com/com_object.h"
#include "platform/com/ole32.h"
#include "platform/dinput/dinput.h"
#include "platform/dinput/input_device.h"
#include "platform/dinput/pad_devices.h"
#include "platform/dinput/xinput.h"
#include "platform/kernel/module_registry.h"

namespace {

// What both versions share; `version` is 0 until Initialize succeeds.
struct DirectInputCore {
    DWORD version = 0;

    HRESULT Initialize(DWORD requested, DWORD own, const char* failSwitch) {
        if (IsPlatformCallFailing(failSwitch)) return DIERR_GENERIC;
        if (requested < own) return DIERR_OLDDIRECTINPUTVERSION;
        if (requested > own) return DIERR_BETADIRECTINPUTVERSION;
        version = own;
        return DI_OK;
    }

    HRESULT Create(REFGUID guid, IDirectInputDevice8A** device) {
        if (!device) return DIERR_INVALIDPARAM;
        *device = nullptr;
        if (!version) return DIERR_NOTINITIALIZED;
        InputDeviceKind kind;
        uint32_t pad = 0;
        const char* failSwitch;
        PadDeviceInfo info;
        if (guid == GUID_SysKeyboard) {
            kind = InputDeviceKind::kKeyboard;
            failSwitch = "CreateDevice:Keyboard";
        } else if (guid == GUID_SysMouse) {
            kind = InputDeviceKind::kMouse;
            failSwitch = "CreateDevice:Mouse";
        } else if (PadIdOfGuid(guid, &pad) && FindPad(pad, &info)) {
            kind = InputDeviceKind::kJoystick;
            failSwitch = "CreateDevice:Joystick";
        } else {
            return DIERR_DEVICENOTREG;
        }
        if (IsPlatformCallFailing(failSwitch)) return DIERR_GENERIC;
        *device = MakeInputDevice(kind, pad, version);
        return DI_OK;
    }

    HRESULT Enum(DWORD deviceClass, LPDIENUMDEVICESCALLBACKA callback, LPVOID context) {
        if (!callback) return DIERR_INVALIDPARAM;
        if (!version) return DIERR_NOTINITIALIZED;
        std::vector<std::pair<InputDeviceKind, uint32_t>> devices;
        if (deviceClass == 0) {
            devices.push_back({InputDeviceKind::kKeyboard, 0});
            devices.push_back({InputDeviceKind::kMouse, 0});
        }
        if (deviceClass == 0 || deviceClass == DIDEVTYPE_JOYSTICK)
            for (const PadDeviceInfo& pad : ListPads())
                devices.push_back({InputDeviceKind::kJoystick, pad.id});
        for (const auto& [kind, pad] : devices) {
            DIDEVICEINSTANCEA instance;
            DescribeInputDevice(kind, pad, version, &instance);
            if (callback(&instance, context) == DIENUM_STOP) break;
        }
        return DI_OK;
    }
};

class DirectInput7 : public ComObject<IDirectInput7A, IID_IDirectInput7A> {
  public:
    HRESULT STDMETHODCALLTYPE EnumDevices(DWORD type, LPDIENUMDEVICESCALLBACKA callback, LPVOID context,
                                          DWORD) override {
        return core_.Enum(type, callback, context);
    }
    HRESULT STDMETHODCALLTYPE Initialize(HINSTANCE, DWORD version) override {
        return core_.Initialize(version, 0x700, "DirectInput7Initialize");
    }
    HRESULT STDMETHODCALLTYPE CreateDeviceEx(REFGUID guid, REFIID iid, LPVOID* out,
                                             LPUNKNOWN outer) override {
        if (!out) return DIERR_INVALIDPARAM;
        *out = nullptr;
        if (outer) return CLASS_E_NOAGGREGATION;
        if (iid != IID_IDirectInputDevice7A) return E_NOINTERFACE;
        IDirectInputDevice8A* device = nullptr;
        HRESULT result = core_.Create(guid, &device);
        *out = static_cast<IDirectInputDevice7A*>(device);
        return result;
    }

  private:
    DirectInputCore core_;
};

class DirectInput8 : public ComObject<IDirectInput8A, IID_IDirectInput8A> {
  public:
    HRESULT STDMETHODCALLTYPE CreateDevice(REFGUID guid, LPDIRECTINPUTDEVICE8A* out,
                                           LPUNKNOWN outer) override {
        if (outer) return CLASS_E_NOAGGREGATION;
        return core_.Create(guid, out);
    }
    HRESULT STDMETHODCALLTYPE EnumDevices(DWORD deviceClass, LPDIENUMDEVICESCALLBACKA callback,
                                          LPVOID context, DWORD) override {
        return core_.Enum(deviceClass, callback, context);
    }
    HRESULT STDMETHODCALLTYPE Initialize(HINSTANCE, DWORD version) override {
        return core_.Initialize(version, 0x800, "DirectInput8Initialize");
    }

  private:
    DirectInputCore core_;
};

template <typename Object>
HRESULT MakeObject(REFIID iid, void** object) {
    auto* made = new Object;
    HRESULT result = made->QueryInterface(iid, object);
    made->Release();
    return result;
}

}  // namespace

void RegisterDirectInputModules() {
    RegisterComClass(CLSID_DirectInput, &MakeObject<DirectInput7>);
    RegisterComClass(CLSID_DirectInput8, &MakeObject<DirectInput8>);
    RegisterPlatformModule("xinput1_3.dll",
                           {{"XInputGetState", &XInputGetState}, {"XInputSetState", &XInputSetState}});
    RegisterPlatformModule("xinput9_1_0.dll",
                           {{"XInputGetState", &XInputGetState}, {"XInputSetState", &XInputSetState}});
}
