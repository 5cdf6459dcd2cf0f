// Desktop host services: clocks, diagnostics, message boxes, choosers,
// clipboard, cursor, menu checks, the frame bitmap and the key state.
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QColorDialog>
#include <QFileDialog>
#include <QFileInfo>
#include <QImage>
#include <QKeyEvent>
#include <QMainWindow>
#include <QMessageBox>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>

#include "platform/qt/qt_host.h"

namespace platform {

struct FrameBitmap {
    QImage image;
};

namespace qt {

const char* const kWindowTitle = "Virtual Zel Vega";

namespace {
QMainWindow* mainWindow = nullptr;
ScreenWidget* screenWidget = nullptr;
std::map<int, QAction*> menuActions;
uint8_t keyState[256] = {};
int cursorCount = 0;  // shown while >= 0, as the host counts
}  // namespace

void AttachMainWindow(QMainWindow* window, ScreenWidget* screen) {
    mainWindow = window;
    screenWidget = screen;
}

void DetachMainWindow() {
    mainWindow = nullptr;
    screenWidget = nullptr;
    menuActions.clear();
}

QMainWindow* MainWindow() { return mainWindow; }
ScreenWidget* Screen() { return screenWidget; }
QImage* FrameImage(FrameBitmap* bitmap) { return bitmap ? &bitmap->image : nullptr; }
void RegisterMenuAction(int commandId, QAction* action) { menuActions[commandId] = action; }

// ---- Keys ------------------------------------------------------------------------

namespace {

// X keycode = evdev code + 8. Index: evdev code; value: Windows virtual key.
constexpr uint8_t kEvdevToVirtualKey[128] = {
    // 0: reserved, Esc, 1..0, -, =, Backspace, Tab
    0x00, 0x1B, '1', '2', '3', '4', '5', '6', '7', '8', '9', '0', 0xBD, 0xBB, 0x08, 0x09,
    // 16: Q..P, [, ], Enter, left Ctrl, A, S
    'Q', 'W', 'E', 'R', 'T', 'Y', 'U', 'I', 'O', 'P', 0xDB, 0xDD, 0x0D, 0xA2, 'A', 'S',
    // 32: D..L, ;, ', `, left Shift, backslash, Z, X, C, V
    'D', 'F', 'G', 'H', 'J', 'K', 'L', 0xBA, 0xDE, 0xC0, 0xA0, 0xDC, 'Z', 'X', 'C', 'V',
    // 48: B, N, M, ",", ".", /, right Shift, keypad *, left Alt, Space, Caps Lock, F1..F5
    'B', 'N', 'M', 0xBC, 0xBE, 0xBF, 0xA1, 0x6A, 0xA4, 0x20, 0x14, 0x70, 0x71, 0x72, 0x73, 0x74,
    // 64: F6..F10, Num Lock, Scroll Lock, keypad 7, 8, 9, -, 4, 5, 6, +, 1
    0x75, 0x76, 0x77, 0x78, 0x79, 0x90, 0x91, 0x67, 0x68, 0x69, 0x6D, 0x64, 0x65, 0x66, 0x6B, 0x61,
    // 80: keypad 2, 3, 0, ".", -, -, the 102nd key, F11, F12, then unused
    0x62, 0x63, 0x60, 0x6E, 0x00, 0x00, 0xE2, 0x7A, 0x7B, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
    // 96: keypad Enter, right Ctrl, keypad /, Print Screen, right Alt, -, Home, Up, Page Up, Left, Right, End, Down, Page Down, Insert, Delete
    0x0D, 0xA3, 0x6F, 0x2C, 0xA5, 0x00, 0x24, 0x26, 0x21, 0x25, 0x27, 0x23, 0x28, 0x22, 0x2D, 0x2E,
    // 112: -, -, -, -, -, -, -, Pause, -, -, -, -, -, left Windows, right Windows, Menu
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x13, 0x00, 0x00, 0x00, 0x00, 0x00, 0x5B, 0x5C, 0x5D,
};

// Without a scan code (synthetic events): the key as Qt names it.
uint8_t virtualKeyForQtKey(int key, Qt::KeyboardModifiers modifiers) {
    if (key >= Qt::Key_A && key <= Qt::Key_Z) return uint8_t('A' + (key - Qt::Key_A));
    if (key >= Qt::Key_0 && key <= Qt::Key_9) return uint8_t('0' + (key - Qt::Key_0));
    if (key >= Qt::Key_F1 && key <= Qt::Key_F12) return uint8_t(0x70 + (key - Qt::Key_F1));
    switch (key) {
        case Qt::Key_Escape: return 0x1B;
        case Qt::Key_Tab: case Qt::Key_Backtab: return 0x09;
        case Qt::Key_Backspace: return 0x08;
        case Qt::Key_Return: case Qt::Key_Enter: return 0x0D;
        case Qt::Key_Insert: return 0x2D;
        case Qt::Key_Delete: return 0x2E;
        case Qt::Key_Pause: return 0x13;
        case Qt::Key_Home: return 0x24;
        case Qt::Key_End: return 0x23;
        case Qt::Key_Left: return 0x25;
        case Qt::Key_Up: return 0x26;
        case Qt::Key_Right: return 0x27;
        case Qt::Key_Down: return 0x28;
        case Qt::Key_PageUp: return 0x21;
        case Qt::Key_PageDown: return 0x22;
        case Qt::Key_Shift: return 0xA0;
        case Qt::Key_Control: return 0xA2;
        case Qt::Key_Alt: return 0xA4;
        case Qt::Key_CapsLock: return 0x14;
        case Qt::Key_Space: return 0x20;
        case Qt::Key_Clear: return 0x0C;  // number pad 5 with Num Lock off
        default: break;
    }
    if (key > 0 && key < 0x80) {
        if (modifiers & Qt::KeypadModifier) return 0;
        return KeyForCharacter(char(key));
    }
    return 0;
}

void followSides() {
    keyState[0x10] = (keyState[0xA0] | keyState[0xA1]) & 0x80;
    keyState[0x11] = (keyState[0xA2] | keyState[0xA3]) & 0x80;
    keyState[0x12] = (keyState[0xA4] | keyState[0xA5]) & 0x80;
}

}  // namespace

uint8_t VirtualKeyForScanCode(uint32_t nativeScanCode) {
    if (nativeScanCode < 8 || nativeScanCode >= 8 + 128) return 0;
    return kEvdevToVirtualKey[nativeScanCode - 8];
}

uint8_t VirtualKeyFor(const QKeyEvent& event) {
    // AltGr chooses characters; it is neither Alt nor Ctrl to the program.
    if (event.key() == Qt::Key_AltGr) return 0;
    if (event.nativeScanCode() != 0) {
        uint8_t vk = VirtualKeyForScanCode(event.nativeScanCode());
        // Number-pad digits and the decimal key with Num Lock off are the
        // navigation keys the layout gives them (Home, Up, ... Delete).
        bool padKey = (vk >= 0x60 && vk <= 0x69) || vk == 0x6E;
        bool padCharacter = (event.key() >= Qt::Key_0 && event.key() <= Qt::Key_9) || event.key() == Qt::Key_Period ||
                            event.key() == Qt::Key_Comma;
        if (padKey && !padCharacter) return virtualKeyForQtKey(event.key(), Qt::NoModifier);
        if (vk) return vk;
    }
    return virtualKeyForQtKey(event.key(), event.modifiers());
}

uint32_t KeyCharacter(const QKeyEvent& event) {
    if (event.key() >= Qt::Key_Dead_Grave && event.key() <= Qt::Key_Dead_Longsolidusoverlay) return kDeadKey;
    QList<uint> characters = event.text().toUcs4();
    return characters.isEmpty() ? kNoCharacter : characters.first();
}

void SetKeyState(uint8_t virtualKey, bool down) {
    // The generic codes stand for the left side when a host only reports those.
    if (virtualKey == 0x10) virtualKey = 0xA0;
    if (virtualKey == 0x11) virtualKey = 0xA2;
    if (virtualKey == 0x12) virtualKey = 0xA4;
    keyState[virtualKey] = down ? 0x80 : 0x00;
    followSides();
}

void ReleaseAllKeys() { std::memset(keyState, 0, sizeof keyState); }
bool KeyIsDown(uint8_t virtualKey) { return (keyState[virtualKey] & 0x80) != 0; }

}  // namespace qt

// ---- Clocks -----------------------------------------------------------------------------

namespace {
const auto programStart = std::chrono::steady_clock::now();
}

bool QueryCounterFrequency(int64_t* countsPerSecond) {
    *countsPerSecond = 1000000000;  // nanoseconds of the monotonic clock
    return true;
}

bool ReadCounter(int64_t* counts) {
    *counts = std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
                  .count();
    return true;
}

uint32_t MillisecondClock() {
    auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - programStart);
    return uint32_t(ms.count());
}

// ---- Diagnostics and message boxes ----------------------------------------------------------

void DebugOutput(const char* text) {
    static const bool enabled = std::getenv("VZELVEGA_DEBUG") != nullptr;
    if (!enabled || !text) return;
    size_t length = std::strlen(text);
    std::fputs(text, stderr);
    if (length == 0 || text[length - 1] != '\n') std::fputc('\n', stderr);
}

void ShowMessageBox(const std::string& title, const std::string& text, MessageIcon icon) {
    QMessageBox::Icon qtIcon = QMessageBox::NoIcon;
    switch (icon) {
        case MessageIcon::None: break;
        case MessageIcon::Information: qtIcon = QMessageBox::Information; break;
        case MessageIcon::Exclamation: qtIcon = QMessageBox::Warning; break;
        case MessageIcon::Error: qtIcon = QMessageBox::Critical; break;
    }
    QMessageBox box(qtIcon, QString::fromStdString(title), QString::fromStdString(text), QMessageBox::Ok,
                    qt::MainWindow());
    box.exec();
}

// ---- File choosers ------------------------------------------------------------------------------

namespace {

QString filterText(const FileFilter& filter) {
    // Patterns are matched in either case, as on the original host.
    QStringList patterns;
    for (const QString& p : QString::fromStdString(filter.patterns).split(';', Qt::SkipEmptyParts)) {
        QString trimmed = p.trimmed();
        patterns << trimmed.toLower();
        if (trimmed.toUpper() != trimmed.toLower()) patterns << trimmed.toUpper();
    }
    patterns.removeDuplicates();
    // The description may name its patterns already ("Cassette Files (*.CP6)"): show them once.
    QString description = QString::fromStdString(filter.description).trimmed();
    int open = description.lastIndexOf('(');
    if (open > 0 && description.endsWith(')')) description = description.left(open).trimmed();
    return description + " (" + patterns.join(' ') + ")";
}

std::optional<std::string> runChooser(const FileChooserRequest& request, bool save) {
    QFileDialog dialog(qt::MainWindow());
    if (!request.title.empty()) dialog.setWindowTitle(QString::fromStdString(request.title));
    QStringList filters;
    for (const FileFilter& f : request.filters) filters << filterText(f);
    if (!filters.isEmpty()) dialog.setNameFilters(filters);
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save || !request.mustExist ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    if (!request.defaultExtension.empty()) dialog.setDefaultSuffix(QString::fromStdString(request.defaultExtension));
    if (!request.presetPath.empty()) {
        QFileInfo preset(QString::fromStdString(request.presetPath));
        dialog.setDirectory(preset.absolutePath());
        dialog.selectFile(preset.fileName());
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    return dialog.selectedFiles().first().toStdString();
}

}  // namespace

std::optional<std::string> ChooseOpenFile(const FileChooserRequest& request) { return runChooser(request, false); }
std::optional<std::string> ChooseSaveFile(const FileChooserRequest& request) { return runChooser(request, true); }

// ---- Colour chooser ----------------------------------------------------------------------------------

bool ChooseColour(Rgb* colour, Rgb customColours[16]) {
    for (int i = 0; i < 16 && i < QColorDialog::customCount(); ++i)
        QColorDialog::setCustomColor(i, QColor(customColours[i].r, customColours[i].g, customColours[i].b));
    QColorDialog dialog(QColor(colour->r, colour->g, colour->b), QApplication::activeModalWidget()
                                                                      ? QApplication::activeModalWidget()
                                                                      : qt::MainWindow());
    bool confirmed = dialog.exec() == QDialog::Accepted;
    // The custom colours the user added stay for the rest of the run.
    for (int i = 0; i < 16 && i < QColorDialog::customCount(); ++i) {
        QColor c = QColorDialog::customColor(i);
        customColours[i] = Rgb{uint8_t(c.red()), uint8_t(c.green()), uint8_t(c.blue())};
    }
    if (!confirmed) return false;
    QColor chosen = dialog.selectedColor();
    *colour = Rgb{uint8_t(chosen.red()), uint8_t(chosen.green()), uint8_t(chosen.blue())};
    return true;
}

// ---- Frame bitmap ------------------------------------------------------------------------------------

FrameBitmap* CreateFrameBitmap() {
    auto* bitmap = new FrameBitmap{QImage(kFrameWidth, kFrameHeight, QImage::Format_RGB555)};
    if (bitmap->image.isNull()) {
        delete bitmap;
        return nullptr;
    }
    bitmap->image.fill(0);
    return bitmap;
}

void ReleaseFrameBitmap(FrameBitmap* bitmap) { delete bitmap; }

uint16_t* FramePixels(FrameBitmap* bitmap) {
    return bitmap ? reinterpret_cast<uint16_t*>(bitmap->image.bits()) : nullptr;
}

// ---- Keys, clipboard, cursor, menu ---------------------------------------------------------------------

void GetKeyboardState(uint8_t state[256]) { std::memcpy(state, qt::keyState, 256); }

bool ClipboardHasText() {
    const QClipboard* clipboard = QGuiApplication::clipboard();
    return clipboard && !clipboard->text().isEmpty();
}

std::optional<std::string> ClipboardText() {
    const QClipboard* clipboard = QGuiApplication::clipboard();
    if (!clipboard) return std::nullopt;
    QString text = clipboard->text();
    if (text.isEmpty()) return std::nullopt;
    // UTF-8, so quick type can tell each character outside ASCII.
    return text.toUtf8().toStdString();
}

int ShownPictureScale() {
    qt::ScreenWidget* screen = qt::Screen();
    return screen && screen->isVisible() ? screen->placement().scale : 1;
}

void ShowCursor(bool show) {
    qt::cursorCount += show ? 1 : -1;
    if (qt::ScreenWidget* screen = qt::Screen())
        screen->setCursor(qt::cursorCount >= 0 ? Qt::ArrowCursor : Qt::BlankCursor);
}

void SetMenuCheck(int commandId, bool checked) {
    auto it = qt::menuActions.find(commandId);
    if (it == qt::menuActions.end()) return;
    it->second->setCheckable(true);
    it->second->setChecked(checked);
}

}  // namespace platform
