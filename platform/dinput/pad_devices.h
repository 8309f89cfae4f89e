// The game pads DirectInput, XInput and the winmm joystick functions read: SDL2 game controllers and
// joysticks on the SDL host, scripted pads (driven by tests) on the headless host. Every view of a pad
// (XInput's game pad, a DirectInput joystick, winmm's joystick) is made here from one reading, so all
// three agree.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Buttons of a standard game pad, in SDL's game-controller order.
enum PadButton {
    kPadA,
    kPadB,
    kPadX,
    kPadY,
    kPadBack,
    kPadGuide,
    kPadStart,
    kPadLeftStick,
    kPadRightStick,
    kPadLeftShoulder,
    kPadRightShoulder,
    kPadDpadUp,
    kPadDpadDown,
    kPadDpadLeft,
    kPadDpadRight,
    kPadButtonCount,
};

// Axes of a standard game pad: sticks -32768..32767 with down and right positive, triggers 0..32767.
enum PadAxis {
    kPadLeftX,
    kPadLeftY,
    kPadRightX,
    kPadRightY,
    kPadLeftTrigger,
    kPadRightTrigger,
    kPadAxisCount
};

// Hat bits of a plain joystick's reading.
enum PadHatBits : uint8_t { kHatUp = 1, kHatRight = 2, kHatDown = 4, kHatLeft = 8 };

constexpr int kPadMaxAxes = 8;
constexpr int kPadMaxButtons = 32;
constexpr int kPadMaxHats = 4;

struct PadDeviceInfo {
    uint32_t id = 0;       // unique for as long as the process runs; a re-attached pad gets a new one
    bool gamepad = false;  // standard layout: PadAxis and PadButton index the reading
    std::string name;
    int axes = 0;  // plain joysticks: counts of the reading's entries in use
    int buttons = 0;
    int hats = 0;
    bool rumble = false;
};

struct PadReading {
    int16_t axes[kPadMaxAxes] = {};
    uint8_t buttons[kPadMaxButtons] = {};  // 1 = down
    uint8_t hats[kPadMaxHats] = {};        // PadHatBits
};

// The attached pads in attach order.
std::vector<PadDeviceInfo> ListPads();
bool FindPad(uint32_t id, PadDeviceInfo* info);
// False when the pad is gone.
bool ReadPad(uint32_t id, PadReading* reading);
// Motor speeds 0-65535 (low-frequency, high-frequency); false when the pad is gone or can't rumble.
bool RumblePad(uint32_t id, uint16_t low, uint16_t high);

// The standard game pads take XInput's user indices 0-3 in attach order; 0 when none.
bool XInputPadOf(int userIndex, PadDeviceInfo* info);
// The user index of a standard pad, -1 when it has none.
int XInputIndexOfPad(uint32_t id);

// A pad as a joystick: X, Y, Z, Rx, Ry, Rz in -32768..32767 (down and right positive), hats in hundredths
// of a degree clockwise from up (-1 centred), buttons 1 = down. A standard pad gives its left stick as X
// and Y, its triggers as Z (left positive), its right stick as Rx and Ry, buttons A, B, X, Y, left and
// right shoulder, back, start, left and right stick, and its direction pad as hat 0.
struct PadJoystickView {
    int32_t axes[6] = {};
    bool hasAxis[6] = {};
    int32_t hats[kPadMaxHats] = {-1, -1, -1, -1};
    int hatCount = 0;
    uint8_t buttons[kPadMaxButtons] = {};
    int buttonCount = 0;
};
PadJoystickView JoystickViewOf(const PadDeviceInfo& info, const PadReading& reading);
// Hundredths of a degree for a set of hat bits; -1 when centred or contradictory.
int32_t HatAngleOf(uint8_t hatBits);

// ---- Scripted pads (the headless host's pads) ----

// Attaches a pad; returns its id. Its reading starts centred.
uint32_t AttachScriptedPad(const PadDeviceInfo& info);
void DetachScriptedPad(uint32_t id);
void SetScriptedPadReading(uint32_t id, const PadReading& reading);
// The last motor speeds sent to the pad.
bool ScriptedPadRumble(uint32_t id, uint16_t* low, uint16_t* high);
void DetachAllScriptedPads();

// ---- Back ends ----

class PadBackend {
  public:
    virtual ~PadBackend() = default;
    virtual std::vector<PadDeviceInfo> List() = 0;
    virtual bool Read(uint32_t id, PadReading* reading) = 0;
    virtual bool Rumble(uint32_t id, uint16_t low, uint16_t high) = 0;
};
PadBackend* MakeSdlPadBackend();  // null when SDL's game-controller subsystem can't start
