// Host keys by position: X keycodes (evdev + 8) into Windows virtual-key
// codes of the US layout, and the 256-entry key state.
#include <QKeyEvent>
#include <QtTest>

#include "platform/platform.h"
#include "platform/qt/qt_host.h"
#include "qt_tests.h"

namespace {

QKeyEvent keyWithScanCode(int qtKey, quint32 scanCode, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    return QKeyEvent(QEvent::KeyPress, qtKey, modifiers, scanCode, 0, 0);
}

bool down(uint8_t vk) {
    uint8_t state[256];
    platform::GetKeyboardState(state);
    return (state[vk] & 0x80) != 0;
}

}  // namespace

class KeyTest : public QObject {
    Q_OBJECT
private slots:
    void init() { platform::qt::ReleaseAllKeys(); }

    void positionsOfTheUsLayout_data() {
        QTest::addColumn<uint>("keycode");
        QTest::addColumn<uint>("vk");
        const uint table[][2] = {
            {38, 0x41}, {10, 0x31}, {19, 0x30}, {20, 0xBD}, {21, 0xBB}, {34, 0xDB}, {35, 0xDD}, {47, 0xBA},
            {48, 0xDE}, {59, 0xBC}, {49, 0xC0}, {51, 0xDC}, {61, 0xBF}, {60, 0xBE}, {50, 0xA0}, {62, 0xA1},
            {37, 0xA2}, {105, 0xA3}, {64, 0xA4}, {67, 0x70}, {76, 0x79}, {75, 0x78}, {95, 0x7A}, {96, 0x7B},
            {110, 0x24}, {115, 0x23}, {112, 0x21}, {117, 0x22}, {111, 0x26}, {116, 0x28}, {113, 0x25},
            {114, 0x27}, {22, 0x08}, {23, 0x09}, {36, 0x0D}, {65, 0x20}, {118, 0x2D}, {119, 0x2E},
            {9, 0x1B}, {52, 0x5A}, {58, 0x4D}, {24, 0x51}, {66, 0x14}, {0, 0x00}, {300, 0x00},
        };
        for (const auto& row : table)
            QTest::addRow("keycode %u", row[0]) << row[0] << row[1];
    }
    void positionsOfTheUsLayout() {
        QFETCH(uint, keycode);
        QFETCH(uint, vk);
        QCOMPARE(uint(platform::qt::VirtualKeyForScanCode(keycode)), vk);
    }

    void positionWinsOverTheCharacter() {
        // A host layout that puts Z where the US layout has Y (keycode 29) still gives the Y key.
        QKeyEvent z = keyWithScanCode(Qt::Key_Z, 29);
        QCOMPARE(int(platform::qt::VirtualKeyFor(z)), 0x59);
        // Shift+2 reports '@' or '"' depending on the layout; the key is still 2.
        QKeyEvent at = keyWithScanCode(Qt::Key_QuoteDbl, 11, Qt::ShiftModifier);
        QCOMPARE(int(platform::qt::VirtualKeyFor(at)), 0x32);
    }

    void withoutScanCodeTheQtKeyIsUsed() {
        QKeyEvent f9 = keyWithScanCode(Qt::Key_F9, 0);
        QCOMPARE(int(platform::qt::VirtualKeyFor(f9)), 0x78);
        QKeyEvent comma = keyWithScanCode(Qt::Key_Comma, 0);
        QCOMPARE(int(platform::qt::VirtualKeyFor(comma)), 0xBC);
        QKeyEvent question = keyWithScanCode(Qt::Key_Question, 0, Qt::ShiftModifier);
        QCOMPARE(int(platform::qt::VirtualKeyFor(question)), 0xBF);
        QKeyEvent home = keyWithScanCode(Qt::Key_Home, 0);
        QCOMPARE(int(platform::qt::VirtualKeyFor(home)), 0x24);
    }

    void genericShiftAndCtrlFollowEitherSide() {
        platform::qt::SetKeyState(0xA1, true);  // right Shift
        QVERIFY(down(0x10));
        QVERIFY(down(0xA1));
        QVERIFY(!down(0xA0));
        platform::qt::SetKeyState(0xA0, true);
        platform::qt::SetKeyState(0xA1, false);
        QVERIFY(down(0x10));  // the left one still holds it
        platform::qt::SetKeyState(0xA0, false);
        QVERIFY(!down(0x10));
        platform::qt::SetKeyState(0xA3, true);
        QVERIFY(down(0x11));
        QVERIFY(!down(0x10));
        platform::qt::SetKeyState(0x41, true);
        QVERIFY(down(0x41));
        platform::qt::ReleaseAllKeys();
        QVERIFY(!down(0x11));
        QVERIFY(!down(0x41));
        QVERIFY(!down(0xA3));
    }
};

std::vector<std::unique_ptr<QObject>> makeKeyTests() {
    std::vector<std::unique_ptr<QObject>> tests;
    tests.push_back(std::make_unique<KeyTest>());
    return tests;
}

#include "keys_test.moc"
