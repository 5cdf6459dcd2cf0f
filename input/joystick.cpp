// The two joysticks: host game controllers reduced to the machine's joystick
// byte (bit 0 up, 1 down, 2 left, 3 right, 4 fire; active low, bits 5-7 set).
#include <cstdint>

#include "machine/machine.h"
#include "platform/platform.h"

namespace Machine {

namespace {

constexpr int kAxisRange = 720;      // axes report -720..720
constexpr int kAxisThreshold = 648;  // 90 % of the range before a direction counts
constexpr int kFireButtons = 6;      // buttons 0-5 are all fire
constexpr uint8_t kFireBit = 0x10;
constexpr uint8_t kNothing = 0xFF;

struct Slot {
    bool present = false;
    bool usable = false;
    int axes = 0;
    int hats = 0;
};

Slot slots[2];

// Bits (active high) for direction codes 0 up .. 7 up-left, 8 none.
constexpr uint8_t kDirectionBits[9] = {0x01, 0x09, 0x08, 0x0A, 0x02, 0x06, 0x04, 0x05, 0x00};
constexpr int kNone = 8;

int directionFromAxes(int32_t x, int32_t y) {
    bool right = x > kAxisThreshold, left = x < -kAxisThreshold;
    bool up = y < -kAxisThreshold, down = y > kAxisThreshold;
    if (up) return right ? 1 : left ? 7 : 0;
    if (down) return right ? 3 : left ? 5 : 4;
    if (right) return 2;
    if (left) return 6;
    return kNone;
}

// Hat in hundredths of a degree clockwise from up; each direction owns an
// open window around its angle, anything between (or centred) is none.
int directionFromHat(uint32_t hat) {
    if ((hat > 35000 && hat < 36000) || hat < 1000) return 0;
    struct Window {
        uint32_t low, high;
        int code;
    };
    static constexpr Window kWindows[] = {
        {3500, 5500, 1},   {8000, 10000, 2},  {12500, 14500, 3}, {17000, 19000, 4},
        {21500, 23500, 5}, {26000, 28000, 6}, {30500, 32500, 7},
    };
    for (const Window& w : kWindows)
        if (hat > w.low && hat < w.high) return w.code;
    return kNone;
}

bool opened = false, acquired = false;

uint8_t readSlot(int index) {
    const Slot& slot = slots[index];
    if (!slot.present || !slot.usable) return kNothing;
    platform::ControllerState pad;
    platform::HostResult result = platform::ControllerRead(index, &pad);
    if (result == platform::HostResult::Lost) {
        if (!platform::ControllerAcquire(index, true)) return kNothing;
        result = platform::ControllerRead(index, &pad);
    }
    if (result != platform::HostResult::Ok) return kNothing;
    int direction = kNone;
    if (slot.axes >= 2) direction = directionFromAxes(pad.x, pad.y);
    if (direction == kNone && slot.hats >= 1) direction = directionFromHat(pad.hat);
    uint8_t bits = kDirectionBits[direction];
    for (int b = 0; b < kFireButtons; ++b)
        if (pad.buttons[b]) bits |= kFireBit;
    return uint8_t(~bits);
}

}  // namespace

void OpenGameControllers() {
    opened = true;
    int found = platform::ControllersOpen();
    for (int i = 0; i < 2; ++i) {
        slots[i] = Slot{};
        slots[i].present = i < found;
        if (!slots[i].present) continue;
        int axes = 0, hats = 0;
        slots[i].usable = platform::ControllerPrepare(i, -kAxisRange, kAxisRange, &axes, &hats);
        if (slots[i].usable) {
            slots[i].axes = axes;
            slots[i].hats = hats;
        }
    }
}

void AcquireGameControllers(bool active) {
    acquired = active;
    for (int i = 0; i < 2; ++i)
        if (slots[i].present) platform::ControllerAcquire(i, active);
}

void PollJoysticks() {
    // Plugged in or pulled out since the last frame: enumerate again, keeping the window's acquisition.
    if (opened && platform::ControllersChanged()) {
        OpenGameControllers();
        AcquireGameControllers(acquired);
    }
    state.joystick1 = readSlot(0);
    state.joystick2 = readSlot(1);
}

void CloseGameControllers() {
    for (int i = 0; i < 2; ++i) {
        if (slots[i].present) platform::ControllerAcquire(i, false);
        slots[i] = Slot{};
    }
    platform::ControllersClose();
    opened = false;
}

}  // namespace Machine
