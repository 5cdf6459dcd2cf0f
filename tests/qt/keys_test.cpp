// Host keys by position: X keycodes (evdev + 8) into Windows virtual-key
// codes of the US layout, the 256-entry key state, and host-layout typing
// from key events as a US and a German keyboard send them.
#include <QKeyEvent>
#include <QtTest>

#include "config/settings.h"
#include "cpu/cpu_core.h"
#include "input/keyboard.h"
#include "machine/machine.h"
#include "platform/platform.h"
#include "platform/qt/qt_host.h"
#include "qt_tests.h"

namespace {

QKeyEvent keyWithScanCode(int qtKey, quint32 scanCode, Qt::KeyboardModifiers modifiers = Qt::NoModifier,
                          const QString& text = {}) {
    return QKeyEvent(QEvent::KeyPress, qtKey, modifiers, scanCode, 0, 0, text);
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

    void positionsOfTheUsLayout() {
        // Keys the window's tests and the typing table below leave out.
        const uint table[][2] = {
            {19, 0x30}, {20, 0xBD}, {21, 0xBB}, {34, 0xDB}, {35, 0xDD}, {47, 0xBA}, {48, 0xDE}, {59, 0xBC},
            {49, 0xC0}, {51, 0xDC}, {60, 0xBE}, {62, 0xA1}, {105, 0xA3}, {115, 0x23}, {112, 0x21}, {117, 0x22},
            {116, 0x28}, {113, 0x25}, {114, 0x27}, {23, 0x09}, {65, 0x20}, {118, 0x2D}, {119, 0x2E}, {9, 0x1B},
            {52, 0x5A}, {66, 0x14}, {36, 0x0D}, {0, 0x00}, {300, 0x00},
        };
        for (const auto& [keycode, vk] : table)
            QVERIFY2(platform::qt::VirtualKeyForScanCode(keycode) == vk, qPrintable(QString::number(keycode)));
    }

    // Host layout: the event a US or German keyboard sends (key, X keycode,
    // modifiers, text), then the code the machine receives (-1: none). Shift
    // and Ctrl are held as the modifiers say; AltGr (keycode 108) is no Alt.
    void hostLayoutTypingFromKeyEvents() {
        const int S = Qt::ShiftModifier, C = Qt::ControlModifier, K = Qt::KeypadModifier;
        struct Row {
            int qtKey;
            uint scan;
            int modifiers;
            const char* text;
            int code;
        } const rows[] = {
            {Qt::Key_At, 11, S, "@", 0x40}, {Qt::Key_QuoteDbl, 11, S, "\"", 0x22},  // US and German Shift 2
            {Qt::Key_Z, 29, 0, "z", 0x7A}, {Qt::Key_AltGr, 108, 0, "", -1},  // German z where US has y; AltGr
            {Qt::Key_At, 24, 0, "@", 0x40}, {Qt::Key_ssharp, 20, 0, "\u00DF", -1},  // German AltGr+Q, sharp s
            {Qt::Key_Dead_Circumflex, 49, 0, "", -1}, {Qt::Key_Ecircumflex, 26, 0, "\u00EA", -1},  // dead key, e
            {Qt::Key_Z, 29, C, "\x1a", 0x1A}, {Qt::Key_Up, 111, 0, "", 0x1E},  // German Ctrl+Z, cursor up
            {Qt::Key_F1, 67, 0, "", 0xF0}, {Qt::Key_Home, 110, S, "", 0x0B}, {Qt::Key_Backspace, 22, 0, "\b", 0x7F},
            {Qt::Key_Return, 36, 0, "\r", 0x0D}, {Qt::Key_Up, 80, K, "", 0x1E},  // pad 8, Num Lock off
            {Qt::Key_Delete, 91, K, "", 0x7F}, {Qt::Key_7, 79, K, "7", 0x37},  // pad ".", Num Lock off; pad 7 on
        };
        settings = Settings::Defaults();  // the host layout
        KeyboardMapper::BuildTables();
        for (const Row& r : rows) {
            platform::qt::ReleaseAllKeys();
            CpuCore::ClearPendingInterrupts();
            if (r.modifiers & Qt::ShiftModifier) platform::qt::SetKeyState(0xA0, true);
            if (r.modifiers & Qt::ControlModifier) platform::qt::SetKeyState(0xA2, true);
            QKeyEvent event = keyWithScanCode(r.qtKey, r.scan, Qt::KeyboardModifiers(r.modifiers), QString::fromUtf8(r.text));
            uint8_t vk = platform::qt::VirtualKeyFor(event);
            if (vk) platform::qt::SetKeyState(vk, true);
            QVERIFY(!down(0x12));
            KeyboardMapper::OnKeyDown(vk, platform::qt::KeyCharacter(event));
            KeyboardMapper::PollFrame();
            int delivered = CpuCore::state.pendingIrq == kIrqNone ? -1 : Machine::state.ppiPortA;
            QVERIFY2(delivered == r.code, qPrintable(QString("keycode %1 text '%2' gave %3").arg(r.scan).arg(r.text).arg(delivered)));
        }
        CpuCore::ClearPendingInterrupts();
    }

    // The generic Shift and Ctrl follow the right-hand keys too (the
    // accelerators' cases hold the left ones).
    void genericShiftAndCtrlFollowTheRightKeys() {
        platform::qt::SetKeyState(0xA1, true);
        platform::qt::SetKeyState(0xA3, true);
        QVERIFY(down(0x10) && down(0x11) && !down(0xA0));
        platform::qt::SetKeyState(0xA1, false);
        QVERIFY(!down(0x10) && down(0x11));
        platform::qt::SetKeyState(0xA3, false);
        QVERIFY(!down(0x11));  // and no key left held for the tests after these
    }
};

std::vector<std::unique_ptr<QObject>> makeKeyTests() {
    std::vector<std::unique_ptr<QObject>> tests;
    tests.push_back(std::make_unique<KeyTest>());
    return tests;
}

#include "keys_test.moc"
