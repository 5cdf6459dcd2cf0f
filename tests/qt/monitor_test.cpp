// The monitor window driven as a user would, its buttons, views and command
// line, beside the running machine.
#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QtTest>

#include "app/app.h"
#include "app/monitor_window.h"
#include "cpu/cpu_core.h"
#include "debug/monitor.h"
#include "machine/machine.h"
#include "machine/scheduler.h"
#include "platform/platform.h"
#include "platform/qt/qt_host.h"
#include "qt_tests.h"
#include "sound/sound_stream.h"

namespace {

constexpr quint32 kKeyLeftAlt = 64, kKeyM = 58;  // X keycodes

QWidget* monitor() { return MonitorWindow::Widget(); }

template <class T>
T* child(const char* name) {
    return monitor()->findChild<T*>(name);
}

QPushButton* button(const QString& text) {
    for (QPushButton* b : monitor()->findChildren<QPushButton*>())
        if (b->text() == text) return b;
    return nullptr;
}

// Loop passes until `done` holds (the loop runs the frames and the monitor's Poll).
bool passesUntil(const std::function<bool()>& done) {
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > 10000) return false;
        App::RunOnce();
    }
    return true;
}

// Passes until the frame clock has moved on by `frames` periods.
bool passFrames(int frames) {
    int64_t start = 0, now = 0;
    platform::ReadCounter(&start);
    return passesUntil([&] {
        return platform::ReadCounter(&now) && now > start + frames * FrameScheduler::state.ticksPerFrame;
    });
}

bool stopped() { return FrameScheduler::state.monitorStopped; }

void typeInto(QLineEdit* edit, const QString& text) {
    edit->setFocus();
    edit->selectAll();
    QTest::keyClicks(edit, text);
    QTest::keyClick(edit, Qt::Key_Return);
}

void command(const QString& text) { typeInto(child<QLineEdit>("command"), text); }

uint8_t regA() { return uint8_t(CpuCore::state.af >> 8); }

// The disassembly row showing `address`, or -1.
int rowOf(uint16_t address) {
    auto* table = child<QTableWidget>("disassembly");
    QString hex = QString::number(address, 16).toUpper().rightJustified(4, '0');
    for (int row = 0; row < table->rowCount(); ++row)
        if (table->item(row, 1)->text().startsWith(hex)) return row;
    return -1;
}

void clickCell(int row, int column) {
    auto* table = child<QTableWidget>("disassembly");
    QRect cell = table->visualItemRect(table->item(row, column));
    QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, cell.center());
}

}  // namespace

class MonitorTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        // A fresh start after the window tests closed theirs: the once-only reset runs again.
        Machine::startUpResetDone = false;
        QVERIFY(App::Start());
        QVERIFY(passesUntil([] { return App::state.startupResetDone; }));
    }

    void altMOpensTheMonitorAndTheMachineRunsOn() {
        QKeyEvent altDown(QEvent::KeyPress, Qt::Key_Alt, Qt::NoModifier, kKeyLeftAlt, 0, 0);
        QKeyEvent m(QEvent::KeyPress, Qt::Key_M, Qt::AltModifier, kKeyM, 0, 0);
        QKeyEvent altUp(QEvent::KeyRelease, Qt::Key_Alt, Qt::AltModifier, kKeyLeftAlt, 0, 0);
        for (QKeyEvent* event : {&altDown, &m, &altUp}) QApplication::sendEvent(platform::qt::Screen(), event);
        QVERIFY(passesUntil([] { return monitor() && monitor()->isVisible(); }));
        uint32_t frames = FrameScheduler::state.framesRun;
        QVERIFY(passesUntil([&] { return FrameScheduler::state.framesRun > frames + 3; }));
        QCOMPARE(child<QLabel>("status")->text(), QString("Running"));
    }

    void stopFreezesTheMachineAndSilencesIt() {
        QTest::mouseClick(button("Stop"), Qt::LeftButton);
        QVERIFY(passesUntil(stopped));
        QVERIFY(child<QLabel>("status")->text().startsWith("Stopped: on request"));
        QVERIFY(soundStream.suspended);
        uint32_t frames = FrameScheduler::state.framesRun;
        uint32_t cycles = Machine::state.cycleCounter;
        QVERIFY(passFrames(5));
        QCOMPARE(FrameScheduler::state.framesRun, frames);
        QCOMPARE(Machine::state.cycleCounter, cycles);
    }

    void editStepAndStepOver() {
        // D000: LD A,41h; CALL D010h; NOP; JR $.  D010: INC A; RET.
        command("e d000 3e 41 cd 10 d0 00 18 fe; e d010 3c c9");
        typeInto(child<QLineEdit>("reg_iff1"), "0");  // no interrupt comes between the steps
        typeInto(child<QLineEdit>("reg_pc"), "D000");
        QCOMPARE(CpuCore::state.pc, 0xD000u);
        QCOMPARE(CpuCore::state.iff1, 0u);
        QVERIFY(rowOf(0xD000) >= 0);  // the disassembly follows PC

        QTest::mouseClick(button("Step"), Qt::LeftButton);
        QVERIFY(passesUntil([] { return stopped() && CpuCore::state.pc == 0xD002; }));
        QCOMPARE(regA(), uint8_t(0x41));
        uint32_t sp = CpuCore::state.sp;
        QTest::mouseClick(button("Over"), Qt::LeftButton);
        QVERIFY(passesUntil([] { return stopped() && CpuCore::state.pc == 0xD005; }));
        QCOMPARE(regA(), uint8_t(0x42));
        QCOMPARE(CpuCore::state.sp, sp);
        QVERIFY(child<QLabel>("status")->text().startsWith("Stopped: stepped over"));
    }

    void clickedBreakpointRunCursorAndUntilRet() {
        typeInto(child<QLineEdit>("reg_pc"), "D000");
        int row = rowOf(0xD005);
        QVERIFY(row >= 0);
        clickCell(row, 0);
        QVERIFY(Debug::HasExecuteBreakpoint(0xD005));
        QVERIFY(!child<QTableWidget>("disassembly")->item(row, 0)->text().isEmpty());

        QTest::mouseClick(button("Run"), Qt::LeftButton);
        QVERIFY(passesUntil([] { return stopped() && CpuCore::state.pc == 0xD005; }));
        QVERIFY(child<QLabel>("status")->text().startsWith("Stopped: breakpoint at D005"));
        QCOMPARE(regA(), uint8_t(0x42));

        typeInto(child<QLineEdit>("reg_pc"), "D000");
        clickCell(rowOf(0xD002), 3);  // the cursor
        QTest::mouseClick(button("To Cursor"), Qt::LeftButton);
        QVERIFY(passesUntil([] { return stopped() && CpuCore::state.pc == 0xD002; }));

        QTest::mouseClick(button("Step"), Qt::LeftButton);  // into the CALL
        QVERIFY(passesUntil([] { return stopped() && CpuCore::state.pc == 0xD010; }));
        QTest::mouseClick(button("Until RET"), Qt::LeftButton);
        QVERIFY(passesUntil([] { return stopped() && CpuCore::state.pc == 0xD005; }));
        QVERIFY(child<QLabel>("status")->text().startsWith("Stopped: returned"));

        command("m d000 3");
        QVERIFY(child<QPlainTextEdit>("log")->toPlainText().contains("D000  3E 41 CD"));
    }

    void closingLetsTheMachineGoAndAStopReopens() {
        typeInto(child<QLineEdit>("reg_pc"), "D000");
        monitor()->close();
        QVERIFY(!stopped());
        QVERIFY(!monitor()->isVisible());
        QVERIFY(passesUntil([] { return stopped() && monitor()->isVisible(); }));
        QCOMPARE(CpuCore::state.pc, 0xD005u);
        command("bc; g");
        QVERIFY(!stopped());
    }

    void cleanupTestCase() {
        App::Destroy();
        QVERIFY(!monitor());
        QVERIFY(!Debug::state.armed);
    }
};

std::vector<std::unique_ptr<QObject>> makeMonitorTests() {
    std::vector<std::unique_ptr<QObject>> tests;
    tests.push_back(std::make_unique<MonitorTest>());
    return tests;
}

#include "monitor_test.moc"
