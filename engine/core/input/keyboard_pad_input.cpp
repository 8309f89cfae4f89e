#include "engine/core/input/keyboard_pad_input.h"

#include <cstdio>
#include <cstring>

#include "engine/core/frame/library_state.h"
#include "engine/core/frame/message_pump.h"
#include "engine/core/frame/millisecond_clock.h"
#include "engine/core/frame/system_functions.h"
#include "engine/core/frame/system_info.h"
#include "engine/core/frame/window_mode.h"
#include "engine/core/frame/window_utils.h"
#include "engine/core/memory/fatal_exit.h"
#include "engine/core/memory/log.h"
#include "platform/com/ole32.h"
#include "platform/kernel/kernel32.h"
#include "platform/kernel/module_registry.h"
#include "platform/user/user32.h"
#include "platform/user/winmm.h"

static_assert(sizeof(PadRawState) == sizeof(DIJOYSTATE), "a pad's raw state is the joystick-state layout");

InputState inputState;

const KeyCodeRow KeyCodeMap[] = {
    {0x41, 0x1E}, {0x42, 0x30}, {0x43, 0x2E},     {0x44, 0x20}, {0x45, 0x12}, {0x46, 0x21}, {0x47, 0x22},
    {0x48, 0x23}, {0x49, 0x17}, {0x4A, 0x24},     {0x4B, 0x25}, {0x4C, 0x26}, {0x4D, 0x32}, {0x4E, 0x31},
    {0x4F, 0x18}, {0x50, 0x19}, {0x51, 0x10},     {0x52, 0x13}, {0x53, 0x1F}, {0x54, 0x14}, {0x55, 0x16},
    {0x56, 0x2F}, {0x57, 0x11}, {0x58, 0x2D},     {0x59, 0x15}, {0x5A, 0x2C}, {0x30, 0x0B}, {0x31, 0x02},
    {0x32, 0x03}, {0x33, 0x04}, {0x34, 0x05},     {0x35, 0x06}, {0x36, 0x07}, {0x37, 0x08}, {0x38, 0x09},
    {0x39, 0x0A}, {0x70, 0x3B}, {0x71, 0x3C},     {0x72, 0x3D}, {0x73, 0x3E}, {0x74, 0x3F}, {0x75, 0x40},
    {0x76, 0x41}, {0x77, 0x42}, {0x78, 0x43},     {0x79, 0x44}, {0x7A, 0x57}, {0x7B, 0x58}, {0x60, 0x52},
    {0x61, 0x4F}, {0x62, 0x50}, {0x63, 0x51},     {0x64, 0x4B}, {0x65, 0x4C}, {0x66, 0x4D}, {0x67, 0x47},
    {0x68, 0x48}, {0x69, 0x49}, {0x6A, 0x37},     {0x6B, 0x4E}, {0x6D, 0x4A}, {0x6E, 0x53}, {0x6F, 0xB5},
    {0x25, 0xCB}, {0x26, 0xC8}, {0x27, 0xCD},     {0x28, 0xD0}, {0x21, 0xC9}, {0x22, 0xD1}, {0x23, 0xCF},
    {0x24, 0xC7}, {0x2D, 0xD2}, {0x2E, 0xD3},     {0x1B, 0x01}, {0x20, 0x39}, {0x08, 0x0E}, {0x09, 0x0F},
    {0x0D, 0x1C}, {0x0D, 0x9C}, {0xA0, 0x2A},     {0xA1, 0x36}, {0xA2, 0x1D}, {0xA3, 0x9D}, {0xA4, 0x38},
    {0xA5, 0xB8}, {0x91, 0x46}, {0x14, 0x3A},     {0x13, 0xC5}, {0xBB, 0x27}, {0xBA, 0x92}, {0xDB, 0x1A},
    {0xDD, 0x1B}, {0xC0, 0x91}, {0xE2, 0x2B},     {0xBC, 0x33}, {0xDE, 0x90}, {0xBD, 0x0C}, {0xDC, 0x7D},
    {0xBE, 0x34}, {0xBF, 0x35}, {0xFFFF, 0xFFFF},
};

namespace {

// Pad 1's default keys: {bit, slot 0, slot 1 (0 none)}.
constexpr int kDefaultPadKeys[][3] = {
    {0, 0x50, 0xD0}, {1, 0x4B, 0xCB}, {2, 0x4D, 0xCD}, {3, 0x48, 0xC8}, {4, 0x2C, 0},
    {5, 0x2D, 0},    {6, 0x2E, 0},    {7, 0x1E, 0},    {8, 0x1F, 0},    {9, 0x20, 0},
    {10, 0x10, 0},   {11, 0x11, 0},   {12, 0x01, 0},   {13, 0x39, 0},
};

constexpr DWORD kXInputButtonBits[10] = {XINPUT_GAMEPAD_A,
                                         XINPUT_GAMEPAD_B,
                                         XINPUT_GAMEPAD_X,
                                         XINPUT_GAMEPAD_Y,
                                         XINPUT_GAMEPAD_LEFT_SHOULDER,
                                         XINPUT_GAMEPAD_RIGHT_SHOULDER,
                                         XINPUT_GAMEPAD_BACK,
                                         XINPUT_GAMEPAD_START,
                                         XINPUT_GAMEPAD_LEFT_THUMB,
                                         XINPUT_GAMEPAD_RIGHT_THUMB};

constexpr DWORD kJoypadAxisOffsets[6] = {DIJOFS_X, DIJOFS_Y, DIJOFS_Z, DIJOFS_RX, DIJOFS_RY, DIJOFS_RZ};
constexpr DWORD kPadRangeDeadZone = 3499;

int privateFlagA = 0;
int privateFlagB = 0;

bool UsingDirectInput() {
    return inputState.directInput && inputState.directInput != kInputWithoutDirectInput;
}

IDirectInput7A* DirectInput7() {
    return static_cast<IDirectInput7A*>(inputState.directInput);
}

IDirectInput8A* DirectInput8() {
    return static_cast<IDirectInput8A*>(inputState.directInput);
}

uint32_t NowMs() {
    return uint32_t(GetMillisecondCount());
}

bool Signalled(HANDLE event) {
    return event && WaitForSingleObject(event, 0) == WAIT_OBJECT_0;
}

// A cleared pad state: axes and buttons 0, every hat centred.
void ClearPadState(DIJOYSTATE* state) {
    std::memset(state, 0, sizeof(*state));
    for (DWORD& pov : state->rgdwPOV) pov = 0xFFFFFFFFu;
}

void ReleaseInterface(IUnknown*& object) {
    if (object) object->Release();
    object = nullptr;
}

template <typename Interface>
void Release(Interface*& object) {
    if (object) object->Release();
    object = nullptr;
}

void ReleaseDirectInput() {
    if (!UsingDirectInput()) return;
    IUnknown* object = inputState.directInputVersion == 0 ? static_cast<IUnknown*>(DirectInput7())
                                                          : static_cast<IUnknown*>(DirectInput8());
    ReleaseInterface(object);
    inputState.directInput = nullptr;
}

HRESULT CreateInputDevice(REFGUID guid, IDirectInputDevice7A** device) {
    *device = nullptr;
    if (inputState.directInputVersion == 0)
        return DirectInput7()->CreateDeviceEx(guid, IID_IDirectInputDevice7A,
                                              reinterpret_cast<void**>(device), nullptr);
    IDirectInputDevice8A* device8 = nullptr;
    HRESULT result = DirectInput8()->CreateDevice(guid, &device8, nullptr);
    *device = device8;
    return result;
}

HRESULT CreateDirectInputObject(REFCLSID clsid, REFIID iid, void** object) {
    *object = nullptr;
    if (!systemFunctions.CoCreateInstance) return REGDB_E_CLASSNOTREG;
    return systemFunctions.CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, iid, object);
}

// Step 4 and 5 of the start: DirectInput 7, else 8. True when one was initialised.
bool StartDirectInput() {
    HINSTANCE instance = GetModuleHandleA(nullptr);
    LogText("DirectInput7 の取得中... ");
    void* object = nullptr;
    HRESULT result = CreateDirectInputObject(CLSID_DirectInput, IID_IDirectInput7A, &object);
    if (SUCCEEDED(result)) {
        LogText("成功\n");
        LogIndentIn();
        LogText("引き続き初期化処理... ");
        auto* direct7 = static_cast<IDirectInput7A*>(object);
        const bool initialised = SUCCEEDED(direct7->Initialize(instance, 0x700));
        LogText(initialised ? "初期化成功\n" : "初期化に失敗。");
        LogIndentOut();
        if (initialised) {
            inputState.directInput = direct7;
            inputState.directInputVersion = 0;
            return true;
        }
        direct7->Release();
    } else {
        LogText("取得に失敗。\n");
        LogPrintf("エラーコード 0x%x\n", unsigned(result));
    }
    LogText("DirectInput8 の取得を試みます...");
    result = CreateDirectInputObject(CLSID_DirectInput8, IID_IDirectInput8A, &object);
    if (SUCCEEDED(result)) {
        LogText("成功\n");
        LogText("引き続き初期化処理... ");
        auto* direct8 = static_cast<IDirectInput8A*>(object);
        if (SUCCEEDED(direct8->Initialize(instance, 0x800))) {
            LogText("初期化成功\n");
            inputState.directInput = direct8;
            inputState.directInputVersion = 1;
            return true;
        }
        LogText("初期化に失敗。");
        direct8->Release();
    } else {
        LogText("取得に失敗。");
    }
    LogText("DirectInput を使用しません。\n");
    return false;
}

void LoadXInput() {
    LogText("XInput DLL の読み込み中... ");
    HMODULE module = LoadLibraryA("xinput1_3.dll");
    if (!module) module = LoadLibraryA("xinput9_1_0.dll");
    if (!module) {
        LogText("失敗、XInputは使用しません\n");
        return;
    }
    LogText("成功\n");
    inputState.xinputModule = module;
    inputState.XInputGetState =
        reinterpret_cast<XInputGetStateFunction>(GetProcAddress(module, "XInputGetState"));
    inputState.XInputSetState =
        reinterpret_cast<XInputSetStateFunction>(GetProcAddress(module, "XInputSetState"));
}

void ReleaseDevice(IDirectInputDevice7A*& device) {
    if (!device) return;
    device->Unacquire();
    Release(device);
}

[[noreturn]] void FailDevices(const char* message) {
    ReleaseDevice(inputState.keyboard);
    ReleaseDevice(inputState.mouse);
    if (inputState.keyboardEvent) CloseHandle(inputState.keyboardEvent);
    inputState.keyboardEvent = nullptr;
    ReleaseDirectInput();
    inputState.starting = 0;
    FatalLibraryExit(message);
}

void StartMouse() {
    LogText("マウスデバイスの初期化... ");
    if (FAILED(CreateInputDevice(GUID_SysMouse, &inputState.mouse)))
        FailDevices("マウスデバイスの取得に失敗しました");
    if (FAILED(inputState.mouse->SetDataFormat(&c_dfDIMouse2)))
        FailDevices("マウスデバイスのデータ形式の設定に失敗しました");
    if (FAILED(inputState.mouse->SetCooperativeLevel(GetMainWindowHandle(),
                                                     DISCL_NONEXCLUSIVE | DISCL_BACKGROUND)))
        FailDevices("マウスデバイスの協調レベルの設定に失敗しました");
    LogText("初期化成功\n");
    inputState.lastKeyboardTime = GetMillisecondCount();
}

// -1 when the keyboard's notification event can't be set up.
int StartKeyboard() {
    LogText("キーボードデバイスの初期化... ");
    IDirectInputDevice7A*& keyboard = inputState.keyboard;
    if (FAILED(CreateInputDevice(GUID_SysKeyboard, &keyboard)))
        FailDevices("キーボードデバイスの取得に失敗しました");
    if (FAILED(keyboard->SetDataFormat(&c_dfDIKeyboard)))
        FailDevices("キーボードデバイスのデータ形式の設定に失敗しました");
    if (FAILED(keyboard->SetCooperativeLevel(GetMainWindowHandle(), DISCL_NONEXCLUSIVE | DISCL_BACKGROUND)))
        FailDevices("キーボードデバイスの協調レベルの設定に失敗しました");
    DIPROPDWORD buffer = {{sizeof(DIPROPDWORD), sizeof(DIPROPHEADER), 0, DIPH_DEVICE}, 100};
    if (FAILED(keyboard->SetProperty(DIPROP_BUFFERSIZE, &buffer.diph)))
        LogText("キーボードのプロパティ設定に失敗しました\n");
    inputState.keyboardEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    HRESULT result = keyboard->SetEventNotification(inputState.keyboardEvent);
    if (result != DI_OK && result != DI_POLLEDDEVICE) {
        LogText("キーボードイベントのセットアップが失敗しました\n");
        inputState.starting = 0;
        return -1;
    }
    if (FAILED(keyboard->Acquire()) && FAILED(keyboard->Acquire()))
        FailDevices("キーボードデバイスの取得に失敗しました");
    LogText("初期化成功\n");
    inputState.lastKeyboardTime = GetMillisecondCount();
    return 0;
}

// Step 8: the pads of the joystick functions.
void StartWithoutDirectInput() {
    LogIndentIn();
    int count = 0;
    for (UINT id = 0; id < kMaxJoypads && systemFunctions.joyGetDevCapsA; ++id) {
        JOYCAPSA caps = {};
        if (systemFunctions.joyGetDevCapsA(id, &caps, sizeof(caps)) != JOYERR_NOERROR) break;
        JoypadRecord& pad = inputState.pads[count++];
        pad.xinputPad = -1;
        pad.hasZAndR = (caps.wCaps & JOYCAPS_HASZ) && (caps.wCaps & JOYCAPS_HASR) ? 1 : 0;
        pad.deadZone = kDefaultPadDeadZone;
        ClearPadState(&pad.state);
    }
    inputState.padCount = count;
    LogPrintf("パッドの数は %d 個です\n", count);
    LogIndentOut();
    inputState.directInput = kInputWithoutDirectInput;
    LogText("入力関連の初期化をしました\n");
}

void SetPadKeyMapDefaults() {
    for (auto& pad : inputState.padKeyMap)
        for (auto& slots : pad) slots[0] = slots[1] = -1;
    for (const auto& row : kDefaultPadKeys) {
        inputState.padKeyMap[0][row[0]][0] = row[1];
        if (row[2]) inputState.padKeyMap[0][row[0]][1] = row[2];
    }
}

// The pump as the input updates run it: true when it reports the program is to stop.
bool PumpStops() {
    return PumpMessagesCore() != 0;
}

void UpdateJoystickFunctionPad(int index, JoypadRecord& pad) {
    JOYINFOEX info = {};
    info.dwSize = sizeof(info);
    info.dwFlags = JOY_RETURNALL;
    DIJOYSTATE& state = pad.state;
    if (!systemFunctions.joyGetPosEx || systemFunctions.joyGetPosEx(UINT(index), &info) != JOYERR_NOERROR) {
        ClearPadState(&state);
        return;
    }
    state.lX = JoystickFunctionAxis(info.dwXpos, pad.deadZone);
    state.lY = JoystickFunctionAxis(info.dwYpos, pad.deadZone);
    state.lZ = pad.hasZAndR ? JoystickFunctionAxis(info.dwZpos, pad.deadZone) : 0;
    state.lRz = pad.hasZAndR ? JoystickFunctionAxis(info.dwRpos, pad.deadZone) : 0;
    state.lRx = pad.hasZAndR ? JoystickFunctionAxis(info.dwUpos, pad.deadZone) : 0;
    for (int button = 0; button < 24; ++button)
        state.rgbButtons[button] = (info.dwButtons >> button) & 1 ? 0x80 : 0;
}

int UpdateDirectInputPad(JoypadRecord& pad, uint32_t now) {
    if (now == pad.lastUpdateTime && !Signalled(pad.event)) return 0;
    pad.lastUpdateTime = now;
    pad.device->Poll();
    DIJOYSTATE read;
    HRESULT result = pad.device->GetDeviceState(sizeof(read), &read);
    if (FAILED(result)) {
        if (PumpStops() || !inputState.directInput) return -1;
        if (SUCCEEDED(pad.device->Acquire())) {
            if (PumpStops() || !inputState.directInput) return -1;
            result = pad.device->GetDeviceState(sizeof(read), &read);
        }
    }
    if (SUCCEEDED(result)) pad.state = read;
    if (Signalled(pad.event)) ResetEvent(pad.event);
    return 0;
}

void UpdateXInputPad(JoypadRecord& pad) {
    if (!inputState.XInputGetState ||
        inputState.XInputGetState(DWORD(pad.xinputPad), &pad.xinputState) != 0) {
        std::memset(&pad.xinputState, 0, sizeof(pad.xinputState));
        return;
    }
    ConvertXInputState(&pad);
}

int PadIndexOfType(int inputType) {
    return (inputType & ~kInputTypeKeyboard) - 1;
}

bool WindowActive() {
    return libraryState.run.active != 0;
}

// The pumps of the public queries: wait while inactive, and start input when it isn't. True with
// `*result` set when the start answered instead.
bool StartedOrAnswer(int* result) {
    WaitWhileInactive();
    if (inputState.directInput || libraryState.run.closeRequested) return false;
    *result = InitInput();
    return true;
}

}  // namespace

int32_t JoystickFunctionAxis(uint32_t raw, uint32_t deadZone) {
    if (raw == 0) return -1000;
    if (raw == 32767) return 0;
    if (raw == 65535) return 1000;
    uint32_t dz = (deadZone * 32768u) >> 16;
    uint32_t h = 32768u - dz;
    if (raw < h) return -int32_t((h - raw) * 1000u / h);
    if (raw > dz + 32768u) return int32_t(((raw - dz) * 1000u - 32768000u) / h);
    return 0;
}

int32_t XInputStickAxis(int16_t value, uint32_t deadZone, bool inverted) {
    int32_t dz = int16_t((deadZone * 32767u) >> 16);
    int32_t result;
    if (value == -32768) {
        result = -1000;
    } else if (value == 32767) {
        result = 1000;
    } else if (value >= -dz && value <= dz) {
        result = 0;
    } else {
        int32_t moved = value > 0 ? value - dz : value + dz;
        result = moved * 1000 / (32767 - dz);
    }
    return inverted ? -result : result;
}

int32_t XInputTriggerAxis(uint8_t left, uint8_t right, uint32_t deadZone) {
    int32_t t = int32_t((deadZone * 255u) >> 16);
    int32_t z = 0;
    if (left > t) z = (left - t) * 1000 / (255 - t);
    if (right > t) z += (t - right) * 1000 / (255 - t);
    return z;
}

uint32_t XInputPov(uint16_t buttons) {
    bool up = buttons & XINPUT_GAMEPAD_DPAD_UP, down = buttons & XINPUT_GAMEPAD_DPAD_DOWN;
    bool left = buttons & XINPUT_GAMEPAD_DPAD_LEFT, right = buttons & XINPUT_GAMEPAD_DPAD_RIGHT;
    if (up && !left && !right) return 0;
    if (up && right) return 4500;
    if (right && !up && !down) return 9000;
    if (right && down) return 13500;
    if (down && !right && !left) return 18000;
    if (down && left) return 22500;
    if (left && !up && !down) return 27000;
    if (left && up) return 31500;
    return 0xFFFFFFFFu;
}

void ConvertXInputState(JoypadRecord* pad) {
    const XINPUT_GAMEPAD& gamepad = pad->xinputState.Gamepad;
    DIJOYSTATE& state = pad->state;
    state.lX = XInputStickAxis(gamepad.sThumbLX, pad->deadZone, false);
    state.lY = XInputStickAxis(gamepad.sThumbLY, pad->deadZone, true);
    state.lRx = XInputStickAxis(gamepad.sThumbRX, pad->deadZone, false);
    state.lRy = XInputStickAxis(gamepad.sThumbRY, pad->deadZone, true);
    for (int button = 0; button < 10; ++button)
        state.rgbButtons[button] = gamepad.wButtons & kXInputButtonBits[button] ? 0x80 : 0;
    state.rgdwPOV[0] = XInputPov(gamepad.wButtons);
    state.rgdwPOV[1] = state.rgdwPOV[2] = state.rgdwPOV[3] = 0xFFFFFFFFu;
    state.lZ = XInputTriggerAxis(gamepad.bLeftTrigger, gamepad.bRightTrigger, pad->deadZone);
}

int InitInput() {
    if (inputState.directInput || inputState.starting) return 0;
    inputState.starting = 1;
    static int32_t savedMap[kMaxJoypads][kPadKeyMapButtons][kPadKeyMapSlots];
    std::memcpy(savedMap, inputState.padKeyMap, sizeof(savedMap));
    const int savedMapSet = inputState.padKeyMapSet;
    const int savedNoDirectInput = inputState.noDirectInput;
    std::memset(&inputState, 0, sizeof(inputState));
    std::memcpy(inputState.padKeyMap, savedMap, sizeof(savedMap));
    inputState.padKeyMapSet = savedMapSet;
    inputState.noDirectInput = savedNoDirectInput;
    inputState.starting = 1;

    bool direct = false;
    if (!inputState.noDirectInput) {
        LogText("DirectInput関係初期化処理\n");
        LogIndentIn();
        LoadXInput();
        direct = StartDirectInput();
        if (!direct) {
            LogIndentOut();
            inputState.noDirectInput = 1;
        }
    }
    if (direct) {
        PumpMessagesCore();
        InitJoypads();
        StartMouse();
        if (StartKeyboard() == -1) {
            LogIndentOut();
            return -1;
        }
        LogIndentOut();
        LogText("DirectInput 関連の初期化は正常に終了しました\n");
    } else {
        StartWithoutDirectInput();
    }
    if (!inputState.padKeyMapSet) {
        inputState.padKeyMapSet = 1;
        SetPadKeyMapDefaults();
    }
    inputState.starting = 0;
    return 0;
}

int EndInput() {
    if (!inputState.directInput) return 0;
    if (!UsingDirectInput()) {
        LogText("入力関連の終了処理... 完了\n");
        inputState.directInput = nullptr;
        return 0;
    }
    LogText("DirectInput 関連の終了処理... 完了\n");
    EndJoypads();
    ReleaseDevice(inputState.keyboard);
    if (inputState.keyboardEvent) CloseHandle(inputState.keyboardEvent);
    inputState.keyboardEvent = nullptr;
    ReleaseDevice(inputState.mouse);
    ReleaseDirectInput();
    if (inputState.xinputModule) FreeLibrary(inputState.xinputModule);
    inputState.xinputModule = nullptr;
    inputState.XInputGetState = nullptr;
    inputState.XInputSetState = nullptr;
    return 0;
}

int InitJoypads() {
    if (!UsingDirectInput()) return -1;
    EndJoypads();
    LogText("ジョイパッドの初期化... \n");
    inputState.padCount = 0;
    for (int user = 0; user < 4 && inputState.XInputGetState; ++user) {
        XINPUT_STATE probe;
        if (inputState.XInputGetState(DWORD(user), &probe) != 0) continue;
        LogPrintf("ジョイパッドナンバー %d は Xbox360 Controller です", inputState.padCount);
        JoypadRecord& pad = inputState.pads[inputState.padCount++];
        std::memset(&pad, 0, sizeof(pad));
        pad.xinputPad = user;
        pad.deadZone = kDefaultPadDeadZone;
        pad.vibrationPower = kDefaultVibrationPower;
        ClearPadState(&pad.state);
    }
    if (inputState.padCount < kMaxJoypads) {
        if (inputState.directInputVersion == 0) {
            DirectInput7()->EnumDevices(DIDEVTYPE_JOYSTICK, EnumJoypadCallback, nullptr, DIEDFL_ATTACHEDONLY);
        } else {
            DirectInput8()->EnumDevices(DI8DEVCLASS_GAMECTRL, EnumJoypadCallback, nullptr,
                                        DIEDFL_ATTACHEDONLY);
        }
    }
    LogText("ジョイパッドの初期化は正常に終了しました\n");
    return 0;
}

BOOL CALLBACK EnumJoypadCallback(LPCDIDEVICEINSTANCEA instance, LPVOID) {
    if (inputState.padCount >= kMaxJoypads) return DIENUM_STOP;
    JoypadRecord& pad = inputState.pads[inputState.padCount];
    std::memset(&pad, 0, sizeof(pad));
    pad.xinputPad = -1;
    IDirectInputDevice7A* device = nullptr;
    if (FAILED(CreateInputDevice(instance->guidInstance, &device))) {
        LogText("入力装置の取得に失敗しました\n");
        return DIENUM_CONTINUE;
    }
    DIDEVICEINSTANCEA info = {};
    info.dwSize = sizeof(info);
    device->GetDeviceInfo(&info);
    info.tszInstanceName[MAX_PATH - 1] = 0;
    info.tszProductName[MAX_PATH - 1] = 0;
    if (std::strstr(info.tszInstanceName, "XBOX 360 For Windows")) {
        device->Release();
        return DIENUM_CONTINUE;
    }
    LogText("入力装置を見つけました\n");
    std::memcpy(pad.instanceName, info.tszInstanceName, MAX_PATH);
    std::memcpy(pad.productName, info.tszProductName, MAX_PATH);
    LogIndentIn();
    LogPrintf("デバイスの登録名:%s", pad.instanceName);
    LogPrintf("デバイスの製品登録名:%s", pad.productName);
    LogIndentOut();
    if (FAILED(device->SetDataFormat(&c_dfDIJoystick))) {
        device->Release();
        LogText("ジョイパッドデバイスではありませんでした、又は設定に失敗しました\n");
        return DIENUM_CONTINUE;
    }
    if (FAILED(device->SetCooperativeLevel(GetMainWindowHandle(), DISCL_EXCLUSIVE | DISCL_FOREGROUND)))
        LogText("ジョイパッドデバイスの協調レベルの設定に失敗しました\n");
    for (int axis = 0; axis < 6; ++axis) {
        DIPROPRANGE range = {
            {sizeof(DIPROPRANGE), sizeof(DIPROPHEADER), kJoypadAxisOffsets[axis], DIPH_BYOFFSET},
            -1000,
            1000};
        if (FAILED(device->SetProperty(DIPROP_RANGE, &range.diph))) {
            if (axis == 0) LogText("ジョイパッドデバイスのＸ軸関係の設定に失敗しました\n");
            if (axis == 1) LogText("ジョイパッドデバイスのＹ軸関係の設定に失敗しました\n");
        }
    }
    pad.deadZone = kDefaultPadDeadZone;
    for (int axis = 0; axis < 6; ++axis) {
        DIPROPDWORD zone = {
            {sizeof(DIPROPDWORD), sizeof(DIPROPHEADER), kJoypadAxisOffsets[axis], DIPH_BYOFFSET},
            kPadRangeDeadZone};
        if (FAILED(device->SetProperty(DIPROP_DEADZONE, &zone.diph))) {
            if (axis == 0) LogText("ジョイパッドデバイスのＸ軸の無効ゾーンの設定に失敗しました\n");
            if (axis == 1) LogText("ジョイパッドデバイスのＹ軸の無効ゾーンの設定に失敗しました\n");
        }
    }
    DWORD axes[2] = {DIJOFS_X, DIJOFS_Y};
    LONG direction[2] = {0, 0};
    DIENVELOPE envelope = {sizeof(DIENVELOPE), 0, 500000, 0, 1000000};
    DIPERIODIC periodic = {10000, 0, 0, 1500000};
    DIEFFECT sine = {sizeof(DIEFFECT),
                     DIEFF_POLAR | DIEFF_OBJECTOFFSETS,
                     INFINITE,
                     0,
                     10000,
                     DIEB_NOTRIGGER,
                     0,
                     2,
                     axes,
                     direction,
                     &envelope,
                     sizeof(periodic),
                     &periodic,
                     0};
    device->CreateEffect(GUID_Sine, &sine, &pad.sineEffect, nullptr);
    DICONSTANTFORCE constant = {10000};
    DIEFFECT force = {sizeof(DIEFFECT),
                      DIEFF_CARTESIAN | DIEFF_OBJECTOFFSETS,
                      INFINITE,
                      0,
                      10000,
                      DIEB_NOTRIGGER,
                      0,
                      2,
                      axes,
                      direction,
                      nullptr,
                      sizeof(constant),
                      &constant,
                      0};
    if (FAILED(device->CreateEffect(GUID_ConstantForce, &force, &pad.constantForce, nullptr)))
        LogText("周期的エフェクトの作成に失敗しました。\n");
    pad.vibrationOn = 0;
    pad.vibrationPower = kDefaultVibrationPower;
    pad.motor1Applied = pad.motor2Applied = 0;
    HANDLE event = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    HRESULT result = device->SetEventNotification(event);
    if (result != DI_OK && result != DI_POLLEDDEVICE) {
        LogText("ジョイパッドイベントのセットアップが失敗しました\n");
        Release(pad.sineEffect);
        Release(pad.constantForce);
        device->Release();
        CloseHandle(event);
        std::memset(&pad, 0, sizeof(pad));
        return DIENUM_CONTINUE;
    }
    device->Acquire();
    pad.event = event;
    pad.device = device;
    ClearPadState(&pad.state);
    ++inputState.padCount;
    LogText("ジョイパッドの追加は正常に終了しました\n");
    return inputState.padCount >= kMaxJoypads ? DIENUM_STOP : DIENUM_CONTINUE;
}

int EndJoypads() {
    if (!UsingDirectInput()) return -1;
    for (int index = 0; index < inputState.padCount; ++index) {
        JoypadRecord& pad = inputState.pads[index];
        if (!pad.device) continue;
        pad.device->Unacquire();
        pad.device->SetEventNotification(nullptr);
        for (IDirectInputEffect** effect : {&pad.constantForce, &pad.sineEffect}) {
            if (*effect) (*effect)->Stop();
            Release(*effect);
        }
        Release(pad.device);
        if (pad.event) CloseHandle(pad.event);
    }
    std::memset(inputState.pads, 0, sizeof(inputState.pads));
    inputState.padCount = 0;
    return 0;
}

int UpdateKeyboardState(int pumpFirst) {
    if (inputState.updating) return 0;
    inputState.updating = 1;
    struct Guard {
        ~Guard() { inputState.updating = 0; }
    } guard;
    const bool directKeyboard =
        UsingDirectInput() && inputState.keyboard && GetSystemInformation().osVersionCode < OS_WINVISTA;
    const int now = GetMillisecondCount();
    if (directKeyboard) {
        if (now == inputState.lastKeyboardTime && !Signalled(inputState.keyboardEvent)) return 0;
        if (pumpFirst && PumpStops()) return 0;
        if (!inputState.directInput || !inputState.keyboard) return 0;
        if (FAILED(inputState.keyboard->GetDeviceState(256, inputState.keyboardState))) {
            if (FAILED(inputState.keyboard->Acquire())) return 0;
            if (FAILED(inputState.keyboard->GetDeviceState(256, inputState.keyboardState))) return 0;
        }
        inputState.lastKeyboardTime = now;
        if (Signalled(inputState.keyboardEvent)) ResetEvent(inputState.keyboardEvent);
        BYTE keys[256];
        if (GetKeyboardState(keys)) inputState.keyboardState[0x36] = keys[VK_RSHIFT];
        return 1;
    }
    const DWORD windowThread = libraryState.run.windowThreadId;
    if (windowThread && GetCurrentThreadId() != windowThread) return 0;
    if (now == inputState.lastKeyboardTime) return 0;
    inputState.lastKeyboardTime = now;
    if (pumpFirst && PumpStops()) return 0;
    BYTE keys[256] = {};
    GetKeyboardState(keys);
    std::memset(inputState.keyboardState, 0, sizeof(inputState.keyboardState));
    for (const KeyCodeRow* row = KeyCodeMap; row->virtualKey != 0xFFFF; ++row)
        inputState.keyboardState[row->dik] = keys[row->virtualKey];
    return 1;
}

int UpdateJoypadState(int padIndex) {
    if (padIndex < 0 || padIndex >= kMaxJoypads) return -1;
    JoypadRecord& pad = inputState.pads[padIndex];
    const uint32_t now = NowMs();
    if (pad.xinputPad < 0 && pad.device) return UpdateDirectInputPad(pad, now);
    if (now == pad.lastUpdateTime) return 0;
    pad.lastUpdateTime = now;
    if (!UsingDirectInput()) {
        UpdateJoystickFunctionPad(padIndex, pad);
    } else if (pad.xinputPad >= 0) {
        UpdateXInputPad(pad);
    }
    return 0;
}

int GetKeyState1(int keyCode) {
    int started;
    if (StartedOrAnswer(&started)) return started;
    if (keyCode < 0 || keyCode > 255) return 0;
    UpdateKeyboardState(1);
    return inputState.keyboardState[keyCode] & 0x80 ? 1 : 0;
}

int GetAllKeyStates(char* states) {
    int started;
    if (StartedOrAnswer(&started)) return started;
    UpdateKeyboardState(1);
    for (int key = 0; key < 256; ++key) states[key] = inputState.keyboardState[key] & 0x80 ? 1 : 0;
    return 0;
}

int GetPadButtonMask(int inputType) {
    int started;
    if (StartedOrAnswer(&started)) return started;
    const int index = PadIndexOfType(inputType);
    const bool withKeys = inputType & kInputTypeKeyboard;
    if (index < -1 || index >= kMaxJoypads) return 0;
    if (index >= inputState.padCount && inputState.padCount != 0 && !withKeys) return 0;
    uint32_t mask = 0;
    if (index >= 0 && index < inputState.padCount) {
        UpdateJoypadState(index);
        const DIJOYSTATE& state = inputState.pads[index].state;
        if (state.lX < 0) mask |= 2;
        if (state.lX > 0) mask |= 4;
        if (state.lY < 0) mask |= 8;
        if (state.lY > 0) mask |= 1;
        for (int button = 0; button < 24; ++button)
            if (state.rgbButtons[button] & 0x80) mask |= 1u << (4 + button);
    }
    if (withKeys) {
        UpdateKeyboardState(1);
        const auto& row = inputState.padKeyMap[index < 0 ? 0 : index];
        for (int bit = 0; bit < kPadKeyMapButtons; ++bit) {
            for (int slot = 0; slot < kPadKeyMapSlots; ++slot) {
                const int32_t key = row[bit][slot];
                if (key <= 0 || key > 255 || !(inputState.keyboardState[key] & 0x80)) continue;
                mask |= 1u << bit;
                break;
            }
        }
    }
    return int(mask);
}

int GetPadRawState(int inputType, PadRawState* state) {
    int started;
    if (StartedOrAnswer(&started)) return started;
    const int index = PadIndexOfType(inputType);
    if (index < 0 || index >= inputState.padCount) {
        if (state) ClearPadState(reinterpret_cast<DIJOYSTATE*>(state));
        return -1;
    }
    UpdateJoypadState(index);
    if (state) std::memcpy(state, &inputState.pads[index].state, sizeof(*state));
    return 0;
}

int OnInputActivationChange() {
    if (!UsingDirectInput()) return 0;
    const DWORD level =
        WindowActive() ? DISCL_EXCLUSIVE | DISCL_FOREGROUND : DISCL_NONEXCLUSIVE | DISCL_BACKGROUND;
    for (int index = 0; index < inputState.padCount; ++index) {
        IDirectInputDevice7A* device = inputState.pads[index].device;
        if (!device) continue;
        device->Unacquire();
        device->SetCooperativeLevel(GetMainWindowHandle(), level);
        device->Acquire();
    }
    if (inputState.keyboard) {
        inputState.keyboard->Unacquire();
        inputState.keyboard->Acquire();
    }
    return 0;
}

int ApplyJoypadVibration() {
    if (!UsingDirectInput()) return 0;
    const bool active = WindowActive();
    for (int index = 0; index < inputState.padCount; ++index) {
        JoypadRecord& pad = inputState.pads[index];
        const bool xinput = pad.xinputPad >= 0;
        if (!active) {
            if (xinput && (pad.motor1Applied || pad.motor2Applied) && inputState.XInputSetState) {
                XINPUT_VIBRATION off = {0, 0};
                inputState.XInputSetState(DWORD(pad.xinputPad), &off);
            }
            if (!xinput) {
                if (pad.motor1Applied && pad.constantForce) pad.constantForce->Stop();
                if (pad.motor2Applied && pad.sineEffect) pad.sineEffect->Stop();
            }
            pad.motor1Applied = pad.motor2Applied = 0;
            continue;
        }
        const uint32_t motor1 = pad.vibrationOn ? 1 : 0;
        const uint32_t motor2 = pad.vibrationOn && pad.vibrationPower > 5000 ? 1 : 0;
        const bool changed1 = motor1 != pad.motor1Applied, changed2 = motor2 != pad.motor2Applied;
        if (xinput) {
            if ((changed1 || changed2) && inputState.XInputSetState) {
                XINPUT_VIBRATION speeds = {0, 0};
                if (changed1 && motor1)
                    speeds.wLeftMotorSpeed =
                        pad.vibrationPower > 5000 ? 65535 : WORD(int64_t(pad.vibrationPower) * 65535 / 5000);
                if (changed2 && motor2)
                    speeds.wRightMotorSpeed = WORD((int64_t(pad.vibrationPower) - 5000) * 65535 / 5000);
                inputState.XInputSetState(DWORD(pad.xinputPad), &speeds);
            }
        } else {
            if (changed1 && pad.constantForce)
                motor1 ? pad.constantForce->Start(1, 0) : pad.constantForce->Stop();
            if (changed2 && pad.sineEffect) motor2 ? pad.sineEffect->Start(1, 0) : pad.sineEffect->Stop();
        }
        pad.motor1Applied = motor1;
        pad.motor2Applied = motor2;
    }
    return 0;
}

int StopPadVibration(int inputType) {
    const int index = PadIndexOfType(inputType);
    if (index < 0 || index >= inputState.padCount) return 0;
    JoypadRecord& pad = inputState.pads[index];
    if (pad.xinputPad < 0 && (!pad.device || !pad.constantForce)) return 0;
    if (!pad.vibrationOn) return 0;
    pad.vibrationOn = 0;
    pad.vibrationPower = kDefaultVibrationPower;
    ApplyJoypadVibration();
    return 0;
}

int UpdatePadVibrationTimers() {
    if (!UsingDirectInput()) return 0;
    const uint32_t now = NowMs();
    for (int index = 0; index < inputState.padCount; ++index) {
        JoypadRecord& pad = inputState.pads[index];
        if (!pad.vibrationOn || pad.vibrationDuration < 0) continue;
        if (pad.xinputPad < 0 && !pad.device) continue;
        if (now != pad.lastVibrationTime) {
            if (now < pad.lastVibrationTime) pad.lastVibrationTime = now;
            pad.vibrationElapsed += now - pad.lastVibrationTime;
            pad.lastVibrationTime = now;
        }
        if (pad.vibrationElapsed >= uint32_t(pad.vibrationDuration)) StopPadVibration(index + 1);
    }
    ApplyJoypadVibration();
    return 0;
}

int PrivateMessageFlagAOn() {
    privateFlagA = 1;
    return 0;
}
int PrivateMessageFlagAOff() {
    privateFlagA = 0;
    return 0;
}
int PrivateMessageFlagBOn() {
    privateFlagB = 1;
    return 0;
}
int PrivateMessageFlagBOff() {
    privateFlagB = 0;
    return 0;
}
