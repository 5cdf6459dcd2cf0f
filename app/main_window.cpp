// The main window: menus, accelerators, key and pointer input, activation,
// paint, close and destroy, and the polling loop that runs the frames.
#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QDropEvent>
#include <QFile>
#include <QMimeData>
#include <QUrl>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QScreen>
#include <QTimer>
#include <algorithm>
#include <cstdio>

#include "app/app.h"
#include "app/monitor_window.h"
#include "video/display_calls.h"
#include "config/settings.h"
#include "platform/platform.h"
#include "input/keyboard.h"
#include "machine/machine.h"
#include "machine/scheduler.h"
#include "platform/platform.h"
#include "platform/qt/qt_host.h"
#include "sound/psg.h"
#include "sound/sound_stream.h"
#include "video/renderer.h"

namespace App {

State state;

namespace {

constexpr uint8_t kVkShift = 0x10, kVkControl = 0x11, kVkAlt = 0x12;
constexpr uint8_t kVkF9 = 0x78, kVkF10 = 0x79, kVkF11 = 0x7A, kVkF12 = 0x7B, kVkSlash = 0xBF, kVkM = 0x4D;
constexpr uint8_t kVkF6 = 0x75, kVkF7 = 0x76, kVkF8 = 0x77, kVkPause = 0x13, kVkS = 0x53, kVkL = 0x4C, kVkO = 0x4F;
constexpr uint8_t kVk1 = 0x31, kVk9 = 0x39;

void setStartupFlag(uint8_t flag);
void closeSequence();
void rememberGeometry();

class MainWindow : public QMainWindow {
public:
    MainWindow() {
        setWindowTitle(platform::qt::kWindowTitle);
        setAttribute(Qt::WA_DeleteOnClose, false);
        setAcceptDrops(true);
    }

    // Files dropped on the window open as File "Open..." opens them.
    static std::vector<std::string> localFiles(const QMimeData* data) {
        std::vector<std::string> paths;
        if (data)
            for (const QUrl& url : data->urls())
                if (url.isLocalFile()) paths.push_back(QFile::encodeName(url.toLocalFile()).toStdString());
        return paths;
    }
    void dragEnterEvent(QDragEnterEvent* event) override {
        if (!localFiles(event->mimeData()).empty()) event->acceptProposedAction();
    }
    void dropEvent(QDropEvent* event) override {
        std::vector<std::string> paths = localFiles(event->mimeData());
        if (paths.empty()) return;
        event->acceptProposedAction();
        // After the drop has finished: opening may show a dialog.
        QMetaObject::invokeMethod(this, [paths] { OpenDropped(paths); }, Qt::QueuedConnection);
    }

protected:
    bool event(QEvent* event) override {
        if (event->type() == QEvent::WindowActivate) {
            Machine::AcquireGameControllers(true);
            setStartupFlag(kActivated);
        } else if (event->type() == QEvent::WindowDeactivate) {
            SoundSuspend();
            Machine::AcquireGameControllers(false);
            // Keys released while another window had the focus are never seen.
            platform::qt::ReleaseAllKeys();
            FrameScheduler::SetWarpHeld(false);
        }
        return QMainWindow::event(event);
    }

    void moveEvent(QMoveEvent* event) override {
        QMainWindow::moveEvent(event);
        rememberGeometry();
    }

    void resizeEvent(QResizeEvent* event) override {
        QMainWindow::resizeEvent(event);
        rememberGeometry();
    }

    void closeEvent(QCloseEvent* event) override {
        closeSequence();
        event->accept();
        // The window is gone: the destroy steps follow from the loop.
        QTimer::singleShot(0, [] { Destroy(); });
    }
};

QPointer<MainWindow> mainWindow;
QAction* pasteAction = nullptr;

struct MenuItem {
    const char* text;
    int id;
};

void addItems(QMenu* menu, std::initializer_list<MenuItem> items) {
    for (const MenuItem& item : items) {
        QAction* action = menu->addAction(QString::fromLatin1(item.text));
        action->setData(item.id);
        const int id = item.id;
        QObject::connect(action, &QAction::triggered, menu, [id] { RunCommand(id); });
        platform::qt::RegisterMenuAction(id, action);
        if (id == kPaste) pasteAction = action;
        if (id == kPause || id == kWarp || id == kRecordSound) action->setCheckable(true);
    }
}

// Slots 1-9 of a quick-slot submenu; `keys` is the accelerator's modifier text.
void addSlots(QMenu* menu, const char* title, int firstId, const char* keys) {
    QMenu* sub = menu->addMenu(QString::fromLatin1(title));
    for (int slot = 1; slot <= 9; ++slot) {
        QAction* action = sub->addAction(QString("Slot %1\t").arg(slot) + QString::fromLatin1(keys) + QString::number(slot));
        const int id = firstId + slot - 1;
        action->setData(id);
        QObject::connect(action, &QAction::triggered, sub, [id] { RunCommand(id); });
        platform::qt::RegisterMenuAction(id, action);
    }
}

QMenu* addMenu(QMenuBar* bar, const char* title, std::initializer_list<MenuItem> items) {
    QMenu* menu = bar->addMenu(QString::fromLatin1(title));
    addItems(menu, items);
    QObject::connect(menu, &QMenu::aboutToShow, menu, [] {
        SoundSuspend();
        if (pasteAction) pasteAction->setEnabled(platform::ClipboardHasText());
    });
    return menu;
}

void buildMenus(QMainWindow* window) {
    QMenuBar* bar = window->menuBar();
    QMenu* file = addMenu(bar, "&File",
                          {{"E&xit", kExit},
                           {"Save Ram", kSaveRam},
                           {"Soft Reset\tF9", kSoftReset},
                           {"Hard Reset\tShift+F9", kHardReset},
                           {"Quick Type...", kQuickType},
                           {"Play Cassette File...", kPlayCassette},
                           {"Load Game ROM...", kLoadGameRom},
                           {"Remove Game ROM", kRemoveGameRom},
                           {"Save State...\tAlt+S", kSaveState},
                           {"Load State...\tAlt+L", kLoadState}});
    addSlots(file, "Quick Save", kQuickSave1, "Alt+Shift+");
    addSlots(file, "Quick Load", kQuickLoad1, "Alt+");
    AddFileMenuItems(file);
    addMenu(bar, "&Configure",
            {{"Memory...", kConfigureMemory},
             {"Printer...", kConfigurePrinter},
             {"Keyboard...", kConfigureKeyboard},
             {"Video and Colors...", kConfigureColours},
             {"Sound...", kConfigureSound},
             {"System Timing...", kConfigureTiming}});
    addMenu(bar, "&Emulation",
            {{"Pause\tF6", kPause},
             {"Frame Advance\tF7", kFrameAdvance},
             {"Rewind\tShift+F7", kRewind},
             {"Warp\tShift+F8", kWarp}});
    QMenu* util = addMenu(bar, "&Util",
            {{"Load Binary File ...", kLoadBinary},
             {"Screenshot\tF11", kScreenshot},
             {"Full screen mode\tF12", kFullScreen},
             {"Paste", kPaste},
             {"Log AY Sound", kLogAySound},
             {"Record Sound...\tShift+F11", kRecordSound},
             {"Monitor...\tAlt+M", kMonitor}});
    AddUtilMenuItems(util);
    addMenu(bar, "&Help", {{"&About ...", kAbout}, {"(Test)", kTest}});
}

void setStartupFlag(uint8_t flag) {
    state.startupFlags |= flag;
    constexpr uint8_t kAll = kCreated | kActivated | kPainted;
    if ((state.startupFlags & kAll) == kAll && !state.startupResetDone) PostCommand(kStartUpReset);
}

// The accelerator table: exact modifier states, as the host matches them.
int acceleratorFor(uint8_t vk) {
    bool shift = platform::qt::KeyIsDown(kVkShift);
    bool control = platform::qt::KeyIsDown(kVkControl);
    bool alt = platform::qt::KeyIsDown(kVkAlt);
    if (vk == kVkF9 && !control && !alt) return shift ? kHardReset : kSoftReset;
    if (vk == kVkF11 && !control && !alt) return shift ? kRecordSound : kScreenshot;
    if (vk == kVkF12 && !shift && !control && !alt) return kFullScreen;
    if (vk == kVkSlash && alt && !control) return kAbout;  // Alt+/ and Alt+?
    if ((vk == kVkF6 || vk == kVkPause) && !shift && !control && !alt) return kPause;
    if (vk == kVkF7 && !control && !alt) return shift ? kRewind : kFrameAdvance;
    if (vk == kVkF8 && shift && !control && !alt) return kWarp;
    // Alt with a letter or a digit (by key position); AltGr is not Alt here.
    if (alt && !control && platform::qt::KeyIsDown(0xA4)) {
        if (vk == kVkS && !shift) return kSaveState;
        if (vk == kVkL && !shift) return kLoadState;
        if (vk == kVkM && !shift) return kMonitor;
        if (vk == kVkO && !shift) return kOpen;
        if (vk >= kVk1 && vk <= kVk9) return (shift ? kQuickSave1 : kQuickLoad1) + (vk - kVk1);
    }
    return 0;
}

// Held, Rewind keeps going back: its key repeats the command.
bool repeats(int command) { return command == kRewind; }

// F10 opens the menu bar from the keyboard, as the host's system key would.
void openMenuBar() {
    if (!mainWindow) return;
    QMenuBar* bar = mainWindow->menuBar();
    if (bar->isVisible() && !bar->actions().isEmpty()) bar->setActiveAction(bar->actions().first());
}

void keyDown(uint8_t vk, uint32_t character, bool autoRepeat) {
    if (int command = acceleratorFor(vk)) {
        if (!autoRepeat || repeats(command)) PostCommand(command);
        return;
    }
    // F8 alone warps while it is held.
    if (vk == kVkF8 && !platform::qt::KeyIsDown(kVkShift) && !platform::qt::KeyIsDown(kVkControl) &&
        !platform::qt::KeyIsDown(kVkAlt)) {
        FrameScheduler::SetWarpHeld(true);
        return;
    }
    if (vk == kVkF10 && !platform::qt::KeyIsDown(kVkAlt)) {
        if (!autoRepeat) openMenuBar();
        return;
    }
    // System keys (Alt, anything with Alt) never reach the keyboard.
    if (platform::qt::KeyIsDown(kVkAlt) || vk == kVkAlt || vk == 0xA4 || vk == 0xA5) return;
    // Key-down messages carry the generic Shift and Ctrl codes.
    if (vk == 0xA0 || vk == 0xA1) vk = kVkShift;
    if (vk == 0xA2 || vk == 0xA3) vk = kVkControl;
    // A key the host layer cannot place may still give a character (host layout).
    if (vk == 0 && character == platform::kNoCharacter) return;
    KeyboardMapper::OnKeyDown(vk, character, autoRepeat);
}

// Keys are taken before shortcuts and the menu bar see them: every key of the
// main window belongs to the emulated keyboard or the accelerators, except
// Alt and what is typed with it (a lone Alt and Alt+letter reach the menu bar)
// and what goes to the menu bar while it has the keyboard. Key state follows
// every key event of the program, dialogs included.
class KeyFilter : public QObject {
public:
    bool eventFilter(QObject* receiver, QEvent* event) override {
        QEvent::Type type = event->type();
        if (type != QEvent::KeyPress && type != QEvent::KeyRelease && type != QEvent::ShortcutOverride) return false;
        if (!receiver->isWidgetType()) return false;
        auto* key = static_cast<QKeyEvent*>(event);
        uint8_t vk = platform::qt::VirtualKeyFor(*key);
        if (type == QEvent::KeyPress && vk) platform::qt::SetKeyState(vk, true);
        if (type == QEvent::KeyRelease && vk && !key->isAutoRepeat()) platform::qt::SetKeyState(vk, false);
        if (type == QEvent::KeyRelease && vk == kVkF8 && !key->isAutoRepeat()) FrameScheduler::SetWarpHeld(false);
        auto* widget = static_cast<QWidget*>(receiver);
        if (!mainWindow || (widget != mainWindow.data() && widget != platform::qt::Screen()) ||
            QApplication::activePopupWidget() || QApplication::activeModalWidget())
            return false;
        bool alt = key->key() == Qt::Key_Alt || (key->modifiers() & Qt::AltModifier);
        if (alt && type != QEvent::KeyPress) return false;  // the menu bar's Alt and mnemonics
        event->accept();
        if (type == QEvent::KeyPress) keyDown(vk, platform::qt::KeyCharacter(*key), key->isAutoRepeat());
        return true;
    }
};

KeyFilter* keyFilter = nullptr;
QTimer* wakeTimer = nullptr;

// The window's place and client size, kept across runs in the settings file's
// WINDOW section (the desktop window's own keys, beside the settings record's
// sections). Only a plain window counts: not full screen, maximised or minimised.
constexpr const char* kWindowSection = "WINDOW";
constexpr int32_t kMissing = INT32_MIN;

struct WindowGeometry {
    bool known = false;
    QPoint position;
    QSize client;
};
WindowGeometry lastGeometry;

// Wayland keeps window positions from programs: there the place is neither read nor set.
bool positionsWork() { return QGuiApplication::platformName() != QLatin1String("wayland"); }

void rememberGeometry() {
    QWidget* client = platform::qt::Screen();
    if (!mainWindow || !client || !mainWindow->isVisible() || FullScreen()) return;
    if (mainWindow->windowState() & (Qt::WindowFullScreen | Qt::WindowMaximized | Qt::WindowMinimized)) return;
    lastGeometry = {true, mainWindow->pos(), client->size()};
}

void saveGeometry() {
    if (!lastGeometry.known) return;
    std::vector<std::pair<std::string, std::string>> keys;
    if (positionsWork()) {
        keys.emplace_back("left", std::to_string(lastGeometry.position.x()));
        keys.emplace_back("top", std::to_string(lastGeometry.position.y()));
    }
    keys.emplace_back("clientwidth", std::to_string(lastGeometry.client.width()));
    keys.emplace_back("clientheight", std::to_string(lastGeometry.client.height()));
    platform::IniWriteStrings(iniPath, kWindowSection, keys);
    lastGeometry.known = false;  // once per run of the close steps
}

// The remembered place and size, if the settings file has them: true when the
// window took them. A place off every screen is left to the default, and a
// size is cut to the screen it is shown on.
bool restoreGeometry(QMainWindow* window, QWidget* client) {
    int32_t width = platform::IniGetInt(iniPath, kWindowSection, "clientwidth", kMissing);
    int32_t height = platform::IniGetInt(iniPath, kWindowSection, "clientheight", kMissing);
    if (width < 1 || height < 1) return false;
    int32_t left = platform::IniGetInt(iniPath, kWindowSection, "left", kMissing);
    int32_t top = platform::IniGetInt(iniPath, kWindowSection, "top", kMissing);
    if (positionsWork() && left != kMissing && top != kMissing && QGuiApplication::screenAt(QPoint(left, top)))
        window->move(left, top);
    // The menu bar and the frame need room too: the whole window fits the screen.
    const int extraWidth = window->width() - client->width(), extraHeight = window->height() - client->height();
    if (QScreen* screen = window->screen()) {
        QSize room = screen->availableGeometry().size();
        width = std::max(1, std::min(width, room.width() - extraWidth));
        height = std::max(1, std::min(height, room.height() - extraHeight));
    }
    window->resize(extraWidth + width, extraHeight + height);
    return true;
}

void closeSequence() {
    saveGeometry();
    MonitorWindow::Shutdown();
    FrameScheduler::state.running = false;
    leaveFullScreen();
    SoundShutdown();
    Machine::CloseGameControllers();
    Machine::Shutdown();
    destroyFrame();
}

// The create message's steps.
void createSteps() {
    FrameScheduler::InitClock();
    createFrame();
    if (SoundInit()) psgInit(settings.ayVolumePercent);
    Machine::OpenGameControllers();
    setStartupFlag(kCreated);
}

// Milliseconds the loop may sleep before the next frame is due; 0 to run at once.
int millisecondsToNextFrame() {
    const auto& scheduler = FrameScheduler::state;
    if (scheduler.paused) return -1;  // nothing to do until an event comes
    if (settings.cpuSpeedOption == 3 || scheduler.fileSpeedUp || scheduler.warping) return 0;
    int frameRate = std::max(1, int(Machine::timing.frameRate));
    if (!scheduler.useHighResolutionClock || scheduler.counterFrequency <= 0) return std::max(1, 1000 / frameRate);
    int64_t now = 0;
    if (!platform::ReadCounter(&now)) return 1;
    int64_t remaining = scheduler.nextFrameTicks - now;
    if (remaining <= 0) return 0;
    // Rounded up: waking early would only cost another pass.
    int64_t ms = (remaining * 1000 + scheduler.counterFrequency - 1) / scheduler.counterFrequency;
    return int(std::min<int64_t>(ms, 1000));
}

// Every ten seconds, the frames run in that time (debug output only).
void reportFrameRate() {
    static uint32_t lastMs = 0, lastFrames = 0;
    static uint64_t lastWaits = 0;
    uint32_t now = platform::MillisecondClock();
    if (lastMs == 0 || !FrameScheduler::state.running) {
        lastMs = now;
        lastFrames = FrameScheduler::state.framesRun;
        lastWaits = state.waits;
        return;
    }
    if (now - lastMs < 10000) return;
    uint32_t frames = FrameScheduler::state.framesRun - lastFrames;
    char line[120];
    std::snprintf(line, sizeof line, "frames: %u in %.3f s, %.2f per second; the loop slept %llu times", frames,
                  (now - lastMs) / 1000.0, frames * 1000.0 / (now - lastMs),
                  (unsigned long long)(state.waits - lastWaits));
    platform::DebugOutput(line);
    lastMs = now;
    lastFrames = FrameScheduler::state.framesRun;
    lastWaits = state.waits;
}

void pass(bool wait) {
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    if (state.quit) return;
    // An open menu holds the loop, as the host's modal menu loop does.
    bool emulating = FrameScheduler::state.running && !QApplication::activePopupWidget();
    if (emulating && FrameScheduler::OnIdle()) presentFrame(false);
    MonitorWindow::Poll();
    reportFrameRate();
    if (!wait || state.quit) return;
    // Held by the monitor: nothing is due until one of its commands lets the machine go.
    int ms = emulating && !FrameScheduler::state.monitorStopped ? millisecondsToNextFrame() : -1;
    if (ms == 0) return;
    ++state.waits;
    if (ms > 0) wakeTimer->start(ms);
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    wakeTimer->stop();
}

}  // namespace

QMainWindow* Window() { return mainWindow.data(); }

bool Start() {
    state = State{};
    Settings::LocateFile();
    if (!options.iniPath.empty()) iniPath = options.iniPath;
    Settings::LoadAll();
    ApplyOptions();
    SetDisplayScale(settings.windowScale);
    Machine::RecomputeTiming();

    if (!keyFilter) {
        keyFilter = new KeyFilter;
        QCoreApplication::instance()->installEventFilter(keyFilter);
    }
    if (!wakeTimer) {
        wakeTimer = new QTimer;
        wakeTimer->setSingleShot(true);
        wakeTimer->setTimerType(Qt::PreciseTimer);
    }

    auto* window = new MainWindow;
    mainWindow = window;
    auto* screen = new platform::qt::ScreenWidget(window);
    window->setCentralWidget(screen);
    buildMenus(window);
    screen->onPaint = [] {
        presentFrame(true);
        setStartupFlag(kPainted);
    };
    screen->onPointer = [](int x, int y, bool left) { trackPointer(x, y, left); };
    screen->onRightButton = [] { toggleFullScreenMenu(); };
    screen->onComposedText = [](const QString& text) {
        // Characters without a key of their own: the host layout types them.
        for (uint character : text.toUcs4()) KeyboardMapper::OnKeyDown(0, character);
    };
    platform::qt::AttachMainWindow(window, screen);
    createSteps();
    window->move(10, 10);
    window->resize(platform::kFrameWidth * DisplayScale(), platform::kFrameHeight * DisplayScale());

    window->show();
    window->activateWindow();
    screen->setFocus();
    QCoreApplication::processEvents();
    // The place and size the user left the window in, else the scale's size.
    if (!restoreGeometry(window, screen)) resizeToScale();
    Machine::startDirectory = QDir::currentPath().toStdString();
    return true;
}

int Run() {
    while (!state.quit) pass(true);
    return state.exitCode;
}

void RunOnce() { pass(false); }

void PostCommand(int id) {
    if (!mainWindow) return;
    QMetaObject::invokeMethod(mainWindow.data(), [id] { RunCommand(id); }, Qt::QueuedConnection);
}

void Close() {
    if (mainWindow) mainWindow->close();
}

void Destroy() {
    if (!mainWindow) return;
    if (state.startMs != 0) {
        double seconds = (platform::MillisecondClock() - state.startMs) / 1000.0;
        char line[96];
        std::snprintf(line, sizeof line, "frames: %u in %.1f s, %.2f per second", FrameScheduler::state.framesRun,
                      seconds, seconds > 0 ? FrameScheduler::state.framesRun / seconds : 0.0);
        platform::DebugOutput(line);
    }
    MainWindow* window = mainWindow.data();
    if (window->isVisible()) window->close();  // the close sequence first, as the close box does
    // Destroy: the same release steps (each does nothing when repeated), then quit.
    closeSequence();
    platform::qt::DetachMainWindow();
    mainWindow = nullptr;
    pasteAction = nullptr;
    window->deleteLater();
    state.quit = true;
    state.exitCode = 0;
}

}  // namespace App
