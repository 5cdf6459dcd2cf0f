// Joystick bytes from host controllers: direction bits 0 up, 1 down, 2 left,
// 3 right, bit 4 fire, all active low; FFh when nothing is there.
#include <gtest/gtest.h>

#include "machine/machine.h"
#include "platform/headless/headless.h"

namespace {

using platform::ControllerState;
namespace headless = platform::headless;
constexpr uint32_t kCentred = 0xFFFFFFFFu;

class JoystickTest : public ::testing::Test {
protected:
    void SetUp() override {
        headless::ResetAll();
        Machine::state.joystick1 = 0x00;
        Machine::state.joystick2 = 0x00;
    }
    void TearDown() override {
        Machine::CloseGameControllers();
        headless::ResetAll();
    }
    static void openAndPoll() {
        Machine::OpenGameControllers();
        Machine::AcquireGameControllers(true);
        Machine::PollJoysticks();
    }
};

// One controller in slot 0 (two axes and a hat unless a row says less); the
// stick is past 90 % at 649 of 720.
TEST_F(JoystickTest, SticksHatsAndButtons) {
    struct Row {
        int x, y;
        uint32_t hat;
        uint8_t expected;
        int fireButton = -1, axes = 2, hats = 1;
    };
    const Row rows[] = {
        {0, -720, kCentred, 0xFE}, {0, 720, kCentred, 0xFD}, {-720, 0, kCentred, 0xFB}, {720, 0, kCentred, 0xF7},
        {720, 720, kCentred, 0xF5},
        {648, -648, kCentred, 0xFF},  // the threshold itself is not beyond it
        {649, 0, kCentred, 0xF7},
        // Hat windows in hundredths of a degree; their ends are open.
        {0, 0, 4500, 0xF6}, {0, 0, 2000, 0xFF}, {0, 0, 35500, 0xFE}, {0, 0, 0, 0xFE}, {0, 0, 9000, 0xF7},
        {0, 0, 13500, 0xF5}, {0, 0, 18000, 0xFD}, {0, 0, 22500, 0xF9}, {0, 0, 27000, 0xFB}, {0, 0, 31500, 0xFA},
        {0, 0, 5500, 0xFF}, {0, 0, kCentred, 0xFF},
        // Axes win over the hat; the hat counts when they are centred.
        {-720, 0, 9000, 0xFB},
        // Fewer than two axes: hat only; no hat then nothing.
        {720, -720, 18000, 0xFD, -1, 1}, {720, -720, kCentred, 0xFF, -1, 1}, {720, -720, 18000, 0xFF, -1, 1, 0},
        // Buttons 0-5 are fire.
        {0, 0, kCentred, 0xEF, 3}, {0, 0, kCentred, 0xEF, 0}, {0, 0, kCentred, 0xFF, 6},
        {-720, 720, kCentred, 0xE9, 5},  // down-left and fire
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(::testing::Message() << r.x << "," << r.y << " hat " << r.hat << " axes " << r.axes
                                          << " hats " << r.hats << " button " << r.fireButton);
        ControllerState pad;
        pad.x = r.x;
        pad.y = r.y;
        pad.hat = r.hat;
        if (r.fireButton >= 0) pad.buttons[r.fireButton] = true;
        headless::SetController(0, true, r.axes, r.hats, pad);
        openAndPoll();
        EXPECT_EQ(Machine::state.joystick1, r.expected);
        EXPECT_EQ(Machine::state.joystick2, 0xFF);  // the second controller is missing
    }
}

TEST_F(JoystickTest, SecondControllerGoesToJoystickTwo) {
    headless::SetController(0, true, 2, 0, ControllerState{});
    ControllerState pad;
    pad.y = 720;
    pad.buttons[1] = true;
    headless::SetController(1, true, 2, 0, pad);
    openAndPoll();
    EXPECT_EQ(Machine::state.joystick1, 0xFF);
    EXPECT_EQ(Machine::state.joystick2, 0xED);  // down and fire
}

TEST_F(JoystickTest, PluggedInAfterStartAndPulledOut) {
    openAndPoll();
    ControllerState pad;
    pad.x = -720;
    pad.buttons[0] = true;
    const struct { bool present; uint8_t expected; } steps[] = {{true, 0xEB}, {false, 0xFF}, {true, 0xEB}};
    for (const auto& s : steps) {
        headless::SetController(0, s.present, 2, 0, pad);
        Machine::PollJoysticks();
        EXPECT_EQ(Machine::state.joystick1, s.expected) << "present " << s.present;
    }
}

}  // namespace
