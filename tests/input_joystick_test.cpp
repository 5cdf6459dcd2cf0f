// Joystick bytes from host controllers: direction bits 0 up, 1 down, 2 left,
// 3 right, bit 4 fire, all active low; FFh when nothing is there.
#include <gtest/gtest.h>

#include "machine/machine.h"
#include "platform/headless/headless.h"

namespace {

using platform::ControllerState;
namespace headless = platform::headless;

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

    // One controller in slot 0 (with `axes` axes and `hats` hats) in the given state, then one poll.
    uint8_t poll(const ControllerState& pad, int axes = 2, int hats = 1) {
        headless::SetController(0, true, axes, hats, pad);
        Machine::OpenGameControllers();
        Machine::AcquireGameControllers(true);
        Machine::PollJoysticks();
        return Machine::state.joystick1;
    }

    static ControllerState stick(int x, int y) {
        ControllerState pad;
        pad.x = x;
        pad.y = y;
        return pad;
    }
    static ControllerState hat(uint32_t hundredths) {
        ControllerState pad;
        pad.hat = hundredths;
        return pad;
    }
};

TEST_F(JoystickTest, NoControllerLeavesBothBytesFF) {
    Machine::OpenGameControllers();
    Machine::AcquireGameControllers(true);
    Machine::PollJoysticks();
    EXPECT_EQ(Machine::state.joystick1, 0xFF);
    EXPECT_EQ(Machine::state.joystick2, 0xFF);
}

TEST_F(JoystickTest, StickDirectionsBeyondNinetyPercent) {
    EXPECT_EQ(poll(stick(720, -720)), 0xF6);   // up-right: bits 0 and 3 low
    EXPECT_EQ(poll(stick(0, -720)), 0xFE);     // up
    EXPECT_EQ(poll(stick(0, 720)), 0xFD);      // down
    EXPECT_EQ(poll(stick(-720, 0)), 0xFB);     // left
    EXPECT_EQ(poll(stick(720, 0)), 0xF7);      // right
    EXPECT_EQ(poll(stick(-720, 720)), 0xF9);   // down-left
    EXPECT_EQ(poll(stick(720, 720)), 0xF5);    // down-right
    EXPECT_EQ(poll(stick(-720, -720)), 0xFA);  // up-left
}

TEST_F(JoystickTest, StickBelowThresholdGivesNoDirection) {
    EXPECT_EQ(poll(stick(600, -600)), 0xFF);
    EXPECT_EQ(poll(stick(648, -648)), 0xFF);  // the threshold itself is not beyond it
    EXPECT_EQ(poll(stick(649, 0)), 0xF7);
    // The second controller is missing: its byte stays FFh.
    EXPECT_EQ(Machine::state.joystick2, 0xFF);
}

TEST_F(JoystickTest, HatWindowsInHundredthsOfADegree) {
    EXPECT_EQ(poll(hat(4500)), 0xF6);   // up-right
    EXPECT_EQ(poll(hat(2000)), 0xFF);   // between up and up-right: none
    EXPECT_EQ(poll(hat(35500)), 0xFE);  // just left of up
    EXPECT_EQ(poll(hat(0)), 0xFE);
    EXPECT_EQ(poll(hat(9000)), 0xF7);
    EXPECT_EQ(poll(hat(13500)), 0xF5);
    EXPECT_EQ(poll(hat(18000)), 0xFD);
    EXPECT_EQ(poll(hat(22500)), 0xF9);
    EXPECT_EQ(poll(hat(27000)), 0xFB);
    EXPECT_EQ(poll(hat(31500)), 0xFA);
    EXPECT_EQ(poll(hat(5500)), 0xFF);  // window ends are open
    EXPECT_EQ(poll(hat(0xFFFFFFFFu)), 0xFF);  // centred
}

TEST_F(JoystickTest, AxesWinOverTheHatButHatCountsWhenAxesAreCentred) {
    ControllerState pad = stick(-720, 0);
    pad.hat = 9000;
    EXPECT_EQ(poll(pad), 0xFB);  // left from the stick, hat ignored
    pad.x = 0;
    EXPECT_EQ(poll(pad), 0xF7);  // right from the hat
}

TEST_F(JoystickTest, HatOnlyWhenFewerThanTwoAxes) {
    ControllerState pad = stick(720, -720);
    pad.hat = 18000;
    EXPECT_EQ(poll(pad, 1, 1), 0xFD);  // the full stick is ignored, the hat says down
    pad.hat = 0xFFFFFFFFu;
    EXPECT_EQ(poll(pad, 1, 1), 0xFF);
    // Without a hat the same reading gives nothing.
    pad.hat = 18000;
    EXPECT_EQ(poll(pad, 1, 0), 0xFF);
}

TEST_F(JoystickTest, ButtonsZeroToFiveAreFire) {
    ControllerState pad;
    pad.buttons[3] = true;
    EXPECT_EQ(poll(pad), 0xEF);
    pad.buttons[3] = false;
    pad.buttons[0] = true;
    EXPECT_EQ(poll(pad), 0xEF);
    pad.buttons[0] = false;
    pad.buttons[6] = true;  // not a fire button
    EXPECT_EQ(poll(pad), 0xFF);
    ControllerState both = stick(-720, 720);
    both.buttons[5] = true;
    EXPECT_EQ(poll(both), 0xE9);  // down-left and fire
}

TEST_F(JoystickTest, SecondControllerGoesToJoystickTwo) {
    headless::SetController(0, true, 2, 0, stick(0, 0));
    ControllerState pad = stick(0, 720);
    pad.buttons[1] = true;
    headless::SetController(1, true, 2, 0, pad);
    Machine::OpenGameControllers();
    Machine::AcquireGameControllers(true);
    Machine::PollJoysticks();
    EXPECT_EQ(Machine::state.joystick1, 0xFF);
    EXPECT_EQ(Machine::state.joystick2, 0xED);  // down and fire
    // Closed controllers read nothing.
    Machine::CloseGameControllers();
    Machine::PollJoysticks();
    EXPECT_EQ(Machine::state.joystick2, 0xFF);
}

}  // namespace
