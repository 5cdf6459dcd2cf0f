// The desktop host layer's own interface, for the main window in app/.
//
// The main window hands its widgets to the host layer (AttachMainWindow) so
// that the platform functions can draw, size the window, check menu items and
// own dialogs; the screen widget reports paints and the mouse through plain
// callbacks so that the host layer never calls into the emulator.
#pragma once

#include <QWidget>
#include <cstdint>
#include <functional>
#include <string>

#include "platform/platform.h"

class QAction;
class QImage;
class QKeyEvent;
class QMainWindow;

namespace platform::qt {

// Where the frame is drawn in the screen widget, in device pixels: its top
// left corner and the device pixels per frame pixel.
struct PicturePlacement {
    int x, y, scale;
};

// The main window's client area: the frame, scaled, on black.
class ScreenWidget : public QWidget {
    Q_OBJECT
public:
    explicit ScreenWidget(QWidget* parent = nullptr);
    QSize sizeHint() const override;
    // The widget's size in device pixels.
    QSize deviceSize() const;
    PicturePlacement placement() const;
    // A widget position as the emulator's pointer mapping expects it.
    QPoint emulatorPosition(QPointF position) const;

    std::function<void()> onPaint;                       // presentFrame with the paint context
    std::function<void(int x, int y, bool left)> onPointer;  // client (or logical full-screen) coordinates
    std::function<void()> onRightButton;
    std::function<void(const QString& text)> onComposedText;  // a dead accent with its key, from the input method

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
};

// Starts the host services that need it (SDL); call once after QApplication.
void Initialise();
// Stops them at exit.
void Finalise();

void AttachMainWindow(QMainWindow* window, ScreenWidget* screen);
void DetachMainWindow();
QMainWindow* MainWindow();
ScreenWidget* Screen();
// The image behind a frame bitmap.
QImage* FrameImage(FrameBitmap* bitmap);

// Menu items addressed by SetMenuCheck.
void RegisterMenuAction(int commandId, QAction* action);

// The base title; the speed figure follows it while windowed.
extern const char* const kWindowTitle;

// ---- Keys ----
// Windows virtual-key code for a host key by its position (US layout); 0 when
// unknown and for AltGr. The number pad follows Num Lock, as on Windows.
uint8_t VirtualKeyFor(const QKeyEvent& event);
// The character the host layout gives for a key-down (AltGr and dead keys
// applied): a code point, kNoCharacter or kDeadKey.
uint32_t KeyCharacter(const QKeyEvent& event);
// From the X keycode (Linux evdev code + 8) alone.
uint8_t VirtualKeyForScanCode(uint32_t nativeScanCode);
// Key state bookkeeping: the side entries and the generic Shift/Ctrl/Alt entries.
void SetKeyState(uint8_t virtualKey, bool down);
void ReleaseAllKeys();
bool KeyIsDown(uint8_t virtualKey);

// The notice on show; empty when none.
std::string CurrentNotice();

// Full-screen logical area: whole-number enlargement and offset on the real screen.
void FullScreenPlacement(int widgetWidth, int widgetHeight, int* factor, int* offsetX, int* offsetY);

}  // namespace platform::qt
