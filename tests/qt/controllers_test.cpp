// Game controllers through SDL, end to end with an SDL virtual joystick: the
// axes scaled to -720..720, the hat in hundredths of a degree, the buttons,
// down to the machine's joystick byte (active low: 0 up, 1 down, 2 left,
// 3 right, 4 fire).
#define SDL_MAIN_HANDLED
#include <SDL.h>

#include <QtTest>

#include "machine/machine.h"
#include "platform/platform.h"
#include "qt_tests.h"

class ControllerTest : public QObject {
    Q_OBJECT
    SDL_Joystick* pad = nullptr;
    int index = -1;

    uint8_t pollWith(Sint16 x, Sint16 y, Uint8 hat, int button) {
        SDL_JoystickSetVirtualAxis(pad, 0, x);
        SDL_JoystickSetVirtualAxis(pad, 1, y);
        SDL_JoystickSetVirtualHat(pad, 0, hat);
        for (int b = 0; b < 8; ++b) SDL_JoystickSetVirtualButton(pad, b, b == button);
        Machine::PollJoysticks();
        return Machine::state.joystick1;
    }

private slots:
    void initTestCase() {
        QVERIFY(SDL_InitSubSystem(SDL_INIT_JOYSTICK) == 0);
        index = SDL_JoystickAttachVirtual(SDL_JOYSTICK_TYPE_GAMECONTROLLER, 2, 8, 1);
        if (index < 0) QSKIP("this SDL has no virtual joysticks");
        pad = SDL_JoystickOpen(index);
        QVERIFY(pad);
        Machine::OpenGameControllers();
        Machine::AcquireGameControllers(true);
    }

    void axesHatAndButtonsBecomeTheJoystickByte() {
        QCOMPARE(int(pollWith(0, 0, SDL_HAT_CENTERED, -1)), 0xFF);
        QCOMPARE(int(pollWith(32767, -32768, SDL_HAT_CENTERED, -1)), 0xF6);  // full up-right
        QCOMPARE(int(pollWith(-32768, 32767, SDL_HAT_CENTERED, -1)), 0xF9);  // full down-left
        QCOMPARE(int(pollWith(26000, 0, SDL_HAT_CENTERED, -1)), 0xFF);       // 79 %: no direction
        QCOMPARE(int(pollWith(0, 0, SDL_HAT_RIGHTUP, -1)), 0xF6);            // hat at 4500
        QCOMPARE(int(pollWith(0, 0, SDL_HAT_LEFT, -1)), 0xFB);
        QCOMPARE(int(pollWith(0, 0, SDL_HAT_CENTERED, 3)), 0xEF);            // button 3 alone
        QCOMPARE(int(Machine::state.joystick2), 0xFF);                      // no second controller
    }

    void cleanupTestCase() {
        Machine::CloseGameControllers();
        Machine::PollJoysticks();
        QCOMPARE(int(Machine::state.joystick1), 0xFF);
        if (pad) SDL_JoystickClose(pad);
        if (index >= 0) SDL_JoystickDetachVirtual(index);
        SDL_QuitSubSystem(SDL_INIT_JOYSTICK);
    }
};

std::vector<std::unique_ptr<QObject>> makeControllerTests() {
    std::vector<std::unique_ptr<QObject>> tests;
    tests.push_back(std::make_unique<ControllerTest>());
    return tests;
}

#include "controllers_test.moc"
