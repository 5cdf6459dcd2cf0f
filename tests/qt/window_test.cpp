// The main window driven as a user would, from start-up to closing with the
// place kept for the next start.
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <cstring>
#include <functional>

#include "app/app.h"
#include "config/settings.h"
#include "input/keyboard.h"
#include "machine/machine.h"
#include "machine/scheduler.h"
#include "platform/platform.h"
#include "platform/qt/qt_host.h"
#include "qt_tests.h"
#include "sound/sound_stream.h"

namespace {

// X keycodes (evdev + 8).
constexpr quint32 kKeyF9 = 75, kKeyF11 = 95, kKeyF12 = 96, kKeyLeftShift = 50, kKeyLeftAlt = 64, kKeySlash = 61;

void sendKey(QEvent::Type type, int qtKey, quint32 scanCode, Qt::KeyboardModifiers modifiers = Qt::NoModifier,
             const QString& text = {}) {
    QKeyEvent event(type, qtKey, modifiers, scanCode, 0, 0, text);
    QApplication::sendEvent(platform::qt::Screen(), &event);
}

void tap(int qtKey, quint32 scanCode, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    sendKey(QEvent::KeyPress, qtKey, scanCode, modifiers);
    sendKey(QEvent::KeyRelease, qtKey, scanCode, modifiers);
}

// Lets the loop run a few passes (posted commands are carried out there).
void settle() {
    for (int i = 0; i < 5; ++i) App::RunOnce();
}

QDialog* modalDialog() { return qobject_cast<QDialog*>(QApplication::activeModalWidget()); }

template <class Button = QPushButton>
Button* button(QDialog* dialog, const QString& text) {
    for (Button* b : dialog->findChildren<Button*>())
        if (b->text() == text) return b;
    return nullptr;
}

// Radio buttons take clicks near their mark.
void clickMark(QAbstractButton* b) { QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(6, b->height() / 2)); }

// Runs a menu command whose dialog `script` drives; the dialog is cancelled
// afterwards if the script left it open (a failed check).
void commandWithDialog(int command, std::function<void(QDialog*)> script) {
    QTimer::singleShot(0, [script] {
        QDialog* dialog = modalDialog();
        QVERIFY(dialog);
        script(dialog);
        while (QDialog* open = modalDialog()) open->done(platform::kDialogCancel);
    });
    App::RunCommand(command);
}

QByteArray iniFile() {
    QFile file(QString::fromStdString(iniPath));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(none)");
}

}  // namespace

class WindowTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        QVERIFY(App::Start());
        QVERIFY(App::Window());
        QTRY_VERIFY(App::state.startupResetDone);
    }

    void menuTextsIdsAndOrder() {
        struct Item {
            const char* text;
            int id;
        };
        const std::vector<std::pair<QString, std::vector<Item>>> expected = {
            {"&File",
             {{"E&xit", 105}, {"Save Ram", 3771}, {"Soft Reset\tF9", 3776}, {"Hard Reset\tShift+F9", 3777},
              {"Quick Type...", 3778}, {"Play Cassette File...", 3779}, {"Load Game ROM...", 3780},
              {"Remove Game ROM", 3781}, {"Save State...\tAlt+S", 3840}, {"Load State...\tAlt+L", 3841},
              {"Quick Save", 0}, {"Quick Load", 0}, {"Open...\tAlt+O", 3870}, {"Recent", 0}, {"Auto-start", 3871}}},
            {"&Configure",
             {{"Memory...", 3772}, {"Printer...", 3773}, {"Keyboard...", 3774}, {"Video and Colors...", 3775},
              {"Sound...", 3783}, {"System Timing...", 3782}}},
            {"&Emulation",
             {{"Pause\tF6", 3842}, {"Frame Advance\tF7", 3843}, {"Rewind\tShift+F7", 3844}, {"Warp\tShift+F8", 3845}}},
            {"&Util",
             {{"Load Binary File ...", 3784}, {"Screenshot\tF11", 3786}, {"Full screen mode\tF12", 3787},
              {"Paste", 3790}, {"Log AY Sound", 3793}, {"Record Sound...\tShift+F11", 3875},
              {"Monitor...\tAlt+M", 3800}, {"Screenshot Format", 0}}},
            {"&Help", {{"&About ...", 104}, {"(Test)", 3792}}},
        };
        QList<QAction*> menus = App::Window()->menuBar()->actions();
        QCOMPARE(menus.size(), int(expected.size()));
        for (size_t m = 0; m < expected.size(); ++m) {
            QCOMPARE(menus[int(m)]->text(), expected[m].first);
            QList<QAction*> items = menus[int(m)]->menu()->actions();
            QCOMPARE(items.size(), int(expected[m].second.size()));
            for (int i = 0; i < int(items.size()); ++i) {
                QCOMPARE(items[i]->text(), QString(expected[m].second[size_t(i)].text));
                QCOMPARE(items[i]->data().toInt(), expected[m].second[size_t(i)].id);
                QMenu* slotMenu = items[i]->text().startsWith("Quick") ? items[i]->menu() : nullptr;
                if (slotMenu) {  // the quick slots
                    QCOMPARE(slotMenu->actions().size(), 9);
                    bool save = items[i]->text() == "Quick Save";
                    QCOMPARE(slotMenu->actions()[8]->text(), QString(save ? "Slot 9\tAlt+Shift+9" : "Slot 9\tAlt+9"));
                    QCOMPARE(slotMenu->actions()[0]->data().toInt(), save ? 3851 : 3861);
                }
            }
        }
    }

    // Keys that are no accelerators run no command and go to the emulated
    // keyboard with their text, by position (a German Z is the US Y); AltGr is no
    // Alt, so AltGr+Q (German "@") is typed; a dead accent composed by the input
    // method comes as text; Shift takes no place.
    void otherKeysReachTheMachine() {
        App::state.lastCommand = 0;
        FrameScheduler::state.running = false;  // no frame takes the queue meanwhile
        KeyboardMapper::state.queueCount = 0;
        sendKey(QEvent::KeyPress, Qt::Key_A, 38, Qt::NoModifier, "a");
        sendKey(QEvent::KeyPress, Qt::Key_Z, 29, Qt::NoModifier, "z");
        sendKey(QEvent::KeyPress, Qt::Key_Shift, 62);
        sendKey(QEvent::KeyRelease, Qt::Key_Shift, 62);
        sendKey(QEvent::KeyPress, Qt::Key_AltGr, 108);
        sendKey(QEvent::KeyPress, Qt::Key_Q, 24, Qt::NoModifier, "@");
        sendKey(QEvent::KeyRelease, Qt::Key_AltGr, 108);
        QInputMethodEvent composed;
        composed.setCommitString("^");
        QApplication::sendEvent(platform::qt::Screen(), &composed);
        // Ctrl+F9 is not the F9 accelerator: it is a key for the machine.
        sendKey(QEvent::KeyPress, Qt::Key_Control, 37);
        tap(Qt::Key_F9, kKeyF9, Qt::ControlModifier);
        sendKey(QEvent::KeyRelease, Qt::Key_Control, 37);
        // System keys: Alt and anything with Alt held.
        sendKey(QEvent::KeyPress, Qt::Key_Alt, kKeyLeftAlt);
        tap(Qt::Key_B, 56, Qt::AltModifier);
        sendKey(QEvent::KeyRelease, Qt::Key_Alt, kKeyLeftAlt);
        QStringList queued;  // key, character, modifiers of each waiting key-down
        for (int i = 0; i < KeyboardMapper::state.queueCount; ++i) {
            const auto& k = KeyboardMapper::state.queue[(KeyboardMapper::state.queueHead + i) % KeyboardMapper::kQueueCapacity];
            queued << QString("%1 %2 %3").arg(k.hostKey, 0, 16).arg(k.character).arg(k.modifiers);
        }
        QCOMPARE(queued, (QStringList{"41 97 0", "59 122 0", "51 64 0", "0 94 0", "78 0 2"}));
        KeyboardMapper::state.queueCount = 0;
        FrameScheduler::state.running = true;
        settle();
        QCOMPARE(App::state.lastCommand, 0);
    }

    // F10 and a lone Alt reach the menu bar as on the host.
    void menuBarFromTheKeyboard() {
        QMenuBar* bar = App::Window()->menuBar();
        App::Window()->activateWindow();  // window shortcuts need the window active
        QTRY_VERIFY(QApplication::activeWindow() == App::Window());
        tap(Qt::Key_F10, 76);
        QTRY_VERIFY(QApplication::activePopupWidget());
        QCOMPARE(bar->activeAction(), bar->actions()[0]);
        QApplication::activePopupWidget()->close();
        QTRY_VERIFY(!QApplication::activePopupWidget());
        platform::qt::Screen()->setFocus();
        for (auto type : {QEvent::ShortcutOverride, QEvent::KeyPress, QEvent::KeyRelease})
            sendKey(type, Qt::Key_Alt, kKeyLeftAlt, type == QEvent::KeyRelease ? Qt::NoModifier : Qt::AltModifier);
        QTRY_VERIFY(bar->hasFocus());  // the next keys are the menu bar's
        QTest::keyClick(bar, Qt::Key_Escape);
        QTRY_VERIFY(!bar->hasFocus());
        platform::qt::Screen()->setFocus();
        QCOMPARE(int(KeyboardMapper::state.queueCount), 0);
    }

    // Full screen hides the menu and the pointer; the right button shows both.
    void fullScreenByF12AndBack() {
        QWidget* screen = platform::qt::Screen();
        auto menuAndPointerShown = [screen](bool shown) {
            QCOMPARE(App::Window()->menuBar()->isHidden(), !shown);
            QCOMPARE(screen->cursor().shape(), shown ? Qt::ArrowCursor : Qt::BlankCursor);
        };
        App::SetDisplayScale(1);
        tap(Qt::Key_F12, kKeyF12);
        settle();
        QCOMPARE(App::state.lastCommand, int(App::kFullScreen));
        QVERIFY(App::FullScreen());
        menuAndPointerShown(false);
        QTest::mouseClick(screen, Qt::RightButton);
        menuAndPointerShown(true);
        tap(Qt::Key_F12, kKeyF12);
        settle();
        QVERIFY(!App::FullScreen());
        menuAndPointerShown(true);
        QCOMPARE(App::DisplayScale(), 2);  // the settings' window scale
        QTRY_COMPARE(screen->size(), QSize(560, 432));
    }

    // The clipboard's text comes as UTF-8; Paste is grey while there is none.
    void clipboardTextAndPasteGreying() {
        QMenu* util = App::Window()->menuBar()->actions()[3]->menu();
        QAction* paste = util->actions()[3];
        const std::string utf8 = "10 PRINT \xE2\x80\x9C" "caf\xC3\xA9\xE2\x80\x9D";
        for (bool text : {true, false}) {
            if (text) QApplication::clipboard()->setText(QString::fromUtf8("10 PRINT \u201Ccaf\u00e9\u201D"));
            else QApplication::clipboard()->clear();
            emit util->aboutToShow();
            QCOMPARE(paste->isEnabled(), text);
            QCOMPARE(platform::ClipboardText().value_or("(none)"), text ? utf8 : std::string("(none)"));
        }
    }

    void keyStateIsReleasedWhenTheWindowLosesFocus() {
        sendKey(QEvent::KeyPress, Qt::Key_A, 38);
        uint8_t state[256];
        platform::GetKeyboardState(state);
        QVERIFY(state[0x41] & 0x80);
        QEvent deactivate(QEvent::WindowDeactivate);
        QApplication::sendEvent(App::Window(), &deactivate);
        platform::GetKeyboardState(state);
        QCOMPARE(int(state[0x41]), 0);
        QEvent activate(QEvent::WindowActivate);
        QApplication::sendEvent(App::Window(), &activate);
    }

    // Each command opens its dialog; Cancel (OK in the About box) closes it and
    // leaves the settings and their file as they were.
    void everyDialogClosesWithoutChanges() {
        const struct {
            int command;
            QString title;
            const char* close;
        } dialogs[] = {
            {App::kConfigureMemory, "Configure Zel Vega Memory", "Cancel"},
            {App::kConfigurePrinter, "Configure Serial Printer", "Cancel"},
            {App::kConfigureKeyboard, "Configure Keyboard", "Cancel"},
            {App::kConfigureColours, "Colors", "Cancel"},
            {App::kConfigureSound, "Configure Sound", "Cancel"},
            {App::kConfigureTiming, "Configure CPU Timing", "Cancel"},
            {App::kLoadBinary, "Load a binary file to memory", "Cancel"},
            {App::kAbout, "About Virtual Zel Vega: Virtual Zel Vega, 0.4a", "OK"},
        };
        for (const auto& d : dialogs) {
            Settings before = settings;
            QByteArray iniBefore = iniFile();
            QString seen;
            commandWithDialog(d.command, [&](QDialog* dialog) {
                seen = dialog->windowTitle();
                if (d.command == App::kAbout) seen += ": " + dialog->findChild<QLabel*>()->text();
                QVERIFY(button(dialog, d.close));
                QTest::mouseClick(button(dialog, d.close), Qt::LeftButton);
                QVERIFY(!modalDialog());
            });
            QCOMPARE(seen, d.title);
            QVERIFY2(std::memcmp(&before, &settings, sizeof settings) == 0, qPrintable(d.title));
            QCOMPARE(iniFile(), iniBefore);
        }
    }

    void memoryOkLeadsToAHardReset() {
        commandWithDialog(App::kConfigureMemory, [](QDialog* dialog) {
            QTest::mouseClick(button(dialog, "OK"), Qt::LeftButton);
        });
        settle();
        QCOMPARE(App::state.lastCommand, int(App::kHardReset));
        QVERIFY(iniFile().toUpper().contains("[MEMORY]"));
    }

    // The client area per scale, the window kept where the start put it.
    void coloursDialogScaleResizesTheWindowAndRebuildsTheFrame() {
        const std::pair<QString, QSize> scales[] = {
            {"300%", {840, 648}}, {"100%", {280, 216}}, {"200% (best)", {560, 432}}};
        for (auto [choice, size] : scales) {
            commandWithDialog(App::kConfigureColours, [choice = choice](QDialog* dialog) {
                QRadioButton* r = button<QRadioButton>(dialog, choice);
                QVERIFY(r);
                clickMark(r);
                QVERIFY(r->isChecked());
                QTest::mouseClick(button(dialog, "OK"), Qt::LeftButton);
            });
            QTRY_COMPARE(platform::qt::Screen()->size(), size);
            QCOMPARE(App::DisplayScale(), size.width() / 280);
            QCOMPARE(App::Window()->pos(), QPoint(10, 10));
            QVERIFY(iniFile().toUpper().contains("[COLOR]"));
        }
    }

    void keyboardDialogAssignsAHeldCombination() {
        // Select "a", double click it, hold Shift and Q, click the prompt.
        QStringList assigned;
        commandWithDialog(App::kConfigureKeyboard, [&assigned](QDialog* dialog) {
            auto lists = dialog->findChildren<QListWidget*>();
            QListWidget* keys = lists[0];
            QRect row = keys->visualItemRect(keys->item(10));
            QTest::mouseClick(keys->viewport(), Qt::LeftButton, {}, row.center());
            QTest::mouseDClick(keys->viewport(), Qt::LeftButton, {}, row.center());
            QWidget* prompt = dialog->focusWidget();
            QTest::keyClick(prompt, Qt::Key_Escape);  // a key to assign, not the dialog's cancel
            QKeyEvent shift(QEvent::KeyPress, Qt::Key_Shift, Qt::ShiftModifier, kKeyLeftShift, 0, 0);
            QApplication::sendEvent(prompt, &shift);
            QKeyEvent q(QEvent::KeyPress, Qt::Key_Q, Qt::ShiftModifier, 24, 0, 0);
            QApplication::sendEvent(prompt, &q);
            QTest::mouseClick(prompt, Qt::LeftButton);
            for (int i = 0; i < lists[1]->count(); ++i) assigned << lists[1]->item(i)->text();
            QKeyEvent qUp(QEvent::KeyRelease, Qt::Key_Q, Qt::ShiftModifier, 24, 0, 0);
            QApplication::sendEvent(prompt, &qUp);
            QKeyEvent shiftUp(QEvent::KeyRelease, Qt::Key_Shift, Qt::NoModifier, kKeyLeftShift, 0, 0);
            QApplication::sendEvent(prompt, &shiftUp);
            QVERIFY(dialog->isVisible());  // the keys went to the prompt, not to the dialog
            QTest::mouseClick(button(dialog, "OK"), Qt::LeftButton);
        });
        QCOMPARE(assigned, QStringList{"Shift q"});
        QCOMPARE(int(settings.sensibleKeyMap[1][0x51]), 0x000A);
    }

    // One of the three formats checked at a time, and kept in the settings file.
    void screenshotFormatIsOneOfThree() {
        QList<QAction*> formats = App::Window()->menuBar()->actions()[3]->menu()->actions().last()->menu()->actions();
        QCOMPARE(formats.size(), 3);
        for (int pick : {2, 1, 0}) {
            App::RunCommand(App::kScreenshotAsBmp + pick);
            QCOMPARE(settings.screenshotFormat, pick);
            QCOMPARE(platform::IniGetString(iniPath, "CAPTURE", "screenshotformat", ""), std::to_string(pick));
            for (int i = 0; i < 3; ++i) QCOMPARE(formats[i]->isChecked(), i == pick);
        }
    }

    // The accelerators (none of them the emulated keyboard's) and the time controls' commands.
    void acceleratorsAndTimeControls() {
        QTemporaryDir slotDir;
        Machine::startDirectory = slotDir.path().toStdString();
        constexpr quint32 kF6 = 72, kF7 = 73, kF8 = 74, kPause = 127, kS = 39, kL = 46, kO = 32, kOne = 10;
        struct Case {
            int qtKey;
            quint32 scanCode;
            Qt::KeyboardModifiers modifiers;
            int command;
            bool dialog;  // About, the file choosers
        } cases[] = {
            {Qt::Key_F9, kKeyF9, Qt::NoModifier, App::kSoftReset, false},
            {Qt::Key_F9, kKeyF9, Qt::ShiftModifier, App::kHardReset, false},
            {Qt::Key_F11, kKeyF11, Qt::NoModifier, App::kScreenshot, false},
            {Qt::Key_Slash, kKeySlash, Qt::AltModifier, App::kAbout, true},
            {Qt::Key_F6, kF6, Qt::NoModifier, App::kPause, false},
            {Qt::Key_Pause, kPause, Qt::NoModifier, App::kPause, false},
            {Qt::Key_F7, kF7, Qt::NoModifier, App::kFrameAdvance, false},
            {Qt::Key_F7, kF7, Qt::ShiftModifier, App::kRewind, false},
            {Qt::Key_F8, kF8, Qt::ShiftModifier, App::kWarp, false},  // twice: warp on, then off again
            {Qt::Key_F8, kF8, Qt::ShiftModifier, App::kWarp, false},
            {Qt::Key_S, kS, Qt::AltModifier, App::kSaveState, true},
            {Qt::Key_L, kL, Qt::AltModifier, App::kLoadState, true},
            {Qt::Key_O, kO, Qt::AltModifier, App::kOpen, true},
            {Qt::Key_Exclam, kOne, Qt::AltModifier | Qt::ShiftModifier, App::kQuickSave1, false},
            {Qt::Key_1, kOne, Qt::AltModifier, App::kQuickLoad1, false},
        };
        int dialogs = 0;
        QTimer closer;  // cancels each dialog the commands open
        QObject::connect(&closer, &QTimer::timeout, [&dialogs] {
            if (QDialog* open = modalDialog()) {
                ++dialogs;
                open->reject();
            }
        });
        closer.start(20);
        for (const Case& c : cases) {
            App::state.lastCommand = 0;
            dialogs = 0;
            if (c.modifiers & Qt::AltModifier) sendKey(QEvent::KeyPress, Qt::Key_Alt, kKeyLeftAlt);
            if (c.modifiers & Qt::ShiftModifier) sendKey(QEvent::KeyPress, Qt::Key_Shift, kKeyLeftShift);
            KeyboardMapper::state.queueCount = 0;
            tap(c.qtKey, c.scanCode, c.modifiers);
            if (c.modifiers & Qt::ShiftModifier) sendKey(QEvent::KeyRelease, Qt::Key_Shift, kKeyLeftShift);
            if (c.modifiers & Qt::AltModifier) sendKey(QEvent::KeyRelease, Qt::Key_Alt, kKeyLeftAlt);
            QCOMPARE(int(KeyboardMapper::state.queueCount), 0);  // no accelerator reaches the machine
            settle();
            QCOMPARE(App::state.lastCommand, c.command);
            QCOMPARE(dialogs, int(c.dialog));
            QString notice = QString::fromStdString(platform::qt::CurrentNotice());
            if (c.command == App::kScreenshot)  // it names the file written in the start directory
                QVERIFY(notice.startsWith("Screenshot saved: " + slotDir.path()) && QFile::exists(notice.mid(18)));
        }
        closer.stop();
        QVERIFY(QFile::exists(slotDir.filePath("slot1.vzs")));
        QVERIFY(!FrameScheduler::state.warpOn);  // Shift+F8 twice

        // F6 paused, Pause resumed, F7 paused again: no frame, "Paused" in the
        // title, the menu item checked; F7 one frame each.
        QAction* pause = App::Window()->menuBar()->actions()[2]->menu()->actions()[0];
        QVERIFY(FrameScheduler::state.paused && pause->isChecked());
        uint32_t frames = FrameScheduler::state.framesRun;
        for (int i = 0; i < 20; ++i) App::RunOnce();
        QCOMPARE(FrameScheduler::state.framesRun, frames);
        QVERIFY(App::Window()->windowTitle().contains("Paused"));
        App::RunCommand(App::kFrameAdvance);
        App::RunCommand(App::kFrameAdvance);
        QCOMPARE(FrameScheduler::state.framesRun, frames + 2);
        QVERIFY(FrameScheduler::state.paused);
        App::RunCommand(App::kPause);
        QVERIFY(!pause->isChecked());
        QTRY_VERIFY((App::RunOnce(), FrameScheduler::state.framesRun > frames + 2));
        QVERIFY(!App::Window()->windowTitle().contains("Paused"));
        // Warp while F8 is held: frames back to back, muted, the timing setting kept.
        uint8_t timing = settings.cpuSpeedOption;
        sendKey(QEvent::KeyPress, Qt::Key_F8, kF8);
        frames = FrameScheduler::state.framesRun;
        for (int i = 0; i < 50; ++i) App::RunOnce();
        QCOMPARE(FrameScheduler::state.framesRun, frames + 50);
        QVERIFY(soundStream.muted);
        QCOMPARE(settings.cpuSpeedOption, timing);
        sendKey(QEvent::KeyRelease, Qt::Key_F8, kF8);
        App::RunOnce();
        QVERIFY(!soundStream.muted);
        QVERIFY(!FrameScheduler::state.warping);
        Machine::startDirectory = QDir::currentPath().toStdString();
    }

    // Any client size: the 280x216 frame centred at the largest whole scale
    // that fits (at least 1), black around it.
    void freeResizingCentresTheFrame() {
        platform::ShowNotice("");  // no notice drawn over the border
        const struct {
            QSize client;
            int scale;
        } cases[] = {{{1000, 700}, 3}, {{200, 150}, 1}, {{700, 500}, 2}};
        QWidget* screen = platform::qt::Screen();
        for (const auto& c : cases) {
            App::Window()->resize(App::Window()->size() + c.client - screen->size());
            QTRY_COMPARE(screen->size(), c.client);
            App::RunOnce();
            QImage shot = screen->grab().toImage();
            QRect lit;
            for (int y = 0; y < shot.height(); ++y)
                for (int x = 0; x < shot.width(); ++x)
                    if ((shot.pixel(x, y) & 0xFFFFFF) != 0) lit |= QRect(x, y, 1, 1);
            QRect frame((c.client.width() - 280 * c.scale) / 2, (c.client.height() - 216 * c.scale) / 2,
                        280 * c.scale, 216 * c.scale);
            QCOMPARE(lit, frame & QRect(QPoint(0, 0), c.client));
        }
        App::Window()->move(40, 30);
        QTRY_COMPARE(App::Window()->pos(), QPoint(40, 30));
    }

    void exitEndsTheLoop() {
        App::RunCommand(App::kExit);
        QTRY_VERIFY(App::state.quit || (App::RunOnce(), App::state.quit));
        QVERIFY(!App::Window());
        QVERIFY(!FrameScheduler::state.running);
        QCOMPARE(App::state.exitCode, 0);
        // The last plain window's place and client size, kept for the next start.
        QByteArray ini = iniFile();
        for (const char* key : {"[WINDOW]\n", "\nleft=40\n", "\ntop=30\n", "\nclientwidth=700\n", "\nclientheight=500\n"})
            QVERIFY2(ini.contains(key), ini.mid(ini.indexOf("[WINDOW]")).constData());
    }

    void nextStartTakesThePlaceAndSize() {
        Machine::startUpResetDone = false;  // a fresh program
        QVERIFY(App::Start());
        QTRY_VERIFY((App::RunOnce(), App::state.startupResetDone));
        QTRY_COMPARE(platform::qt::Screen()->size(), QSize(700, 500));
        QCOMPARE(App::Window()->pos(), QPoint(40, 30));
        App::RunCommand(App::kExit);
        QTRY_VERIFY(App::state.quit || (App::RunOnce(), App::state.quit));
        platform::IniWriteString(iniPath, "WINDOW", "clientwidth", "0");  // later starts take the scale's size
    }
};

std::vector<std::unique_ptr<QObject>> makeWindowTests() {
    std::vector<std::unique_ptr<QObject>> tests;
    tests.push_back(std::make_unique<WindowTest>());
    return tests;
}

#include "window_test.moc"
