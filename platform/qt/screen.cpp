// The main window's drawing surface: the frame scaled with sharp pixels on
// black, the speed figure, the client size and full screen.
#include <QFont>
#include <QMainWindow>
#include <QMenuBar>
#include <QInputMethodEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QTimer>
#include <algorithm>
#include <cmath>

#include "platform/qt/qt_host.h"
#include "platform/window.h"

namespace platform::qt {

namespace {

struct Picture {
    FrameBitmap* bitmap = nullptr;
    int originX = 0, originY = 0, scale = 1;
    QString speedText;  // full screen only
    bool fullScreen = false;
    QString title;
    QString notice;  // shown over the bottom border until the timer clears it
};
Picture picture;
bool inPaint = false;  // presentFrame is running inside the paint handler

constexpr int kNoticeMilliseconds = 4000;
constexpr int kBorderPixels = 12;  // frame pixels around the 256 x 192 picture

// The notice in a band over the picture's bottom border (device pixels), so
// the client area keeps its size; the band stays inside the widget when the
// window is too short for the whole picture.
void drawNotice(QPainter& painter, const QRect& frame, const QSize& device, int deviceScale, qreal ratio) {
    int border = kBorderPixels * deviceScale;
    QFont font(QStringLiteral("sans-serif"));
    font.setPixelSize(std::clamp(border * 2 / 3, int(10 * ratio), int(24 * ratio)));
    painter.setFont(font);
    int bandHeight = std::max(border, painter.fontMetrics().height() + 4);
    int bottom = std::min(frame.bottom(), device.height() - 1);
    int left = std::max(frame.left(), 0), right = std::min(frame.right(), device.width() - 1);
    QRect band(left, bottom + 1 - bandHeight, right - left + 1, bandHeight);
    painter.fillRect(band, QColor(0, 0, 0, 200));
    painter.setPen(QColor(240, 240, 240));
    int margin = int(4 * ratio);
    QString text = painter.fontMetrics().elidedText(picture.notice, Qt::ElideMiddle, band.width() - 2 * margin);
    painter.drawText(band.adjusted(margin, 0, -margin, 0), Qt::AlignVCenter | Qt::AlignLeft, text);
}

}  // namespace

ScreenWidget::ScreenWidget(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    setMinimumSize(1, 1);
    // The host's input method composes dead accents with the next key.
    setAttribute(Qt::WA_InputMethodEnabled);
}

QSize ScreenWidget::sizeHint() const { return QSize(kFrameWidth * 2, kFrameHeight * 2); }

void FullScreenPlacement(int widgetWidth, int widgetHeight, int* factor, int* offsetX, int* offsetY) {
    int k = std::min(widgetWidth / window::kFullScreenWidth, widgetHeight / window::kFullScreenHeight);
    *factor = std::max(k, 1);
    *offsetX = (widgetWidth - window::kFullScreenWidth * *factor) / 2;
    *offsetY = (widgetHeight - window::kFullScreenHeight * *factor) / 2;
}

QSize ScreenWidget::deviceSize() const {
    qreal ratio = devicePixelRatioF();
    return QSize(qRound(width() * ratio), qRound(height() * ratio));
}

// Windowed, the frame fills the largest whole number of device pixels per
// frame pixel that fits, centred; full screen, the logical 640 x 480 screen is
// enlarged by a whole number and centred, the frame where the emulator put it.
PicturePlacement ScreenWidget::placement() const {
    QSize device = deviceSize();
    if (!picture.fullScreen) {
        int scale = std::max(1, std::min(device.width() / kFrameWidth, device.height() / kFrameHeight));
        return {(device.width() - kFrameWidth * scale) / 2, (device.height() - kFrameHeight * scale) / 2, scale};
    }
    int factor, offsetX, offsetY;
    FullScreenPlacement(device.width(), device.height(), &factor, &offsetX, &offsetY);
    return {offsetX + picture.originX * factor, offsetY + picture.originY * factor, picture.scale * factor};
}

void ScreenWidget::paintEvent(QPaintEvent*) {
    // The emulator first brings the picture up to date (presentFrame with the paint context).
    if (onPaint) {
        inPaint = true;
        onPaint();
        inPaint = false;
    }
    QPainter painter(this);
    // From here on in device pixels, so every frame pixel is a whole block of them.
    const qreal ratio = devicePixelRatioF();
    painter.scale(1 / ratio, 1 / ratio);
    const QSize device = deviceSize();
    painter.fillRect(QRect(QPoint(0, 0), device), Qt::black);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    PicturePlacement at = placement();
    QRect frame(at.x, at.y, kFrameWidth * at.scale, kFrameHeight * at.scale);
    if (QImage* image = FrameImage(picture.bitmap)) painter.drawImage(frame, *image);
    if (!picture.notice.isEmpty()) drawNotice(painter, frame, device, at.scale, ratio);
    if (picture.fullScreen && !picture.speedText.isEmpty()) {
        int factor, offsetX, offsetY;
        FullScreenPlacement(device.width(), device.height(), &factor, &offsetX, &offsetY);
        QFont font(QStringLiteral("monospace"));
        font.setStyleHint(QFont::TypeWriter);
        font.setPixelSize(12 * factor);
        painter.setFont(font);
        QRect box = painter.fontMetrics().boundingRect(picture.speedText);
        box.moveTo(offsetX, offsetY);
        painter.fillRect(box, Qt::black);
        painter.setPen(QColor(64, 64, 64));
        painter.drawText(box, Qt::AlignLeft | Qt::AlignTop, picture.speedText);
    }
}

QPoint ScreenWidget::emulatorPosition(QPointF position) const {
    // The frame pixel under the pointer, in the coordinates the emulator drew
    // the frame in (client pixels at its own scale, or the logical full screen).
    PicturePlacement at = placement();
    qreal ratio = devicePixelRatioF();
    auto map = [&at](qreal device, int frameStart, int origin) {
        return origin + int(std::floor((device - frameStart) * picture.scale / at.scale));
    };
    return QPoint(map(position.x() * ratio, at.x, picture.originX), map(position.y() * ratio, at.y, picture.originY));
}

void ScreenWidget::mouseMoveEvent(QMouseEvent* event) {
    QPoint p = emulatorPosition(event->position());
    if (onPointer) onPointer(p.x(), p.y(), (event->buttons() & Qt::LeftButton) != 0);
}

void ScreenWidget::inputMethodEvent(QInputMethodEvent* event) {
    if (onComposedText && !event->commitString().isEmpty()) onComposedText(event->commitString());
    event->accept();
}

void ScreenWidget::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::RightButton) {
        if (onRightButton) onRightButton();
        return;
    }
    if (event->button() == Qt::LeftButton) {
        QPoint p = emulatorPosition(event->position());
        if (onPointer) onPointer(p.x(), p.y(), true);
    }
}

std::string CurrentNotice() { return picture.notice.toStdString(); }

}  // namespace platform::qt

namespace platform {

void ShowNotice(const std::string& text) {
    static QTimer* clearTimer = nullptr;
    if (!clearTimer) {
        clearTimer = new QTimer;
        clearTimer->setSingleShot(true);
        QObject::connect(clearTimer, &QTimer::timeout, [] {
            qt::picture.notice.clear();
            if (qt::Screen()) qt::Screen()->update();
        });
    }
    qt::picture.notice = QString::fromStdString(text);
    clearTimer->start(qt::kNoticeMilliseconds);
    if (qt::Screen()) qt::Screen()->update();
}

}  // namespace platform

namespace platform::window {

using qt::MainWindow;
using qt::inPaint;
using qt::picture;
using qt::Screen;

bool Exists() { return MainWindow() != nullptr && Screen() != nullptr; }

void DrawFrame(FrameBitmap* bitmap, int originX, int originY, int scale) {
    picture.bitmap = bitmap;
    picture.originX = originX;
    picture.originY = originY;
    picture.scale = scale;
    // Outside a paint request: schedule one; the paint handler draws the picture.
    if (Screen() && !inPaint) Screen()->update();
}

// Every paint starts from black, so nothing is left to clear.
void FillBlack() {}

void DrawSpeedText(const std::string& text) { picture.speedText = QString::fromStdString(text); }

void SetTitleSpeed(const std::string& text) {
    if (!MainWindow()) return;
    QString title = QString(qt::kWindowTitle) + " " + QString::fromStdString(text);
    while (title.endsWith(' ')) title.chop(1);
    // Only a changed figure costs a title update.
    if (title != picture.title) {
        picture.title = title;
        MainWindow()->setWindowTitle(title);
    }
}

void ClientSize(int* width, int* height) {
    if (picture.fullScreen) {
        *width = kFullScreenWidth;
        *height = kFullScreenHeight;
        return;
    }
    *width = Screen() ? Screen()->width() : 0;
    *height = Screen() ? Screen()->height() : 0;
}

void SetClientSize(int width, int height) {
    QMainWindow* window = MainWindow();
    if (!window || !Screen()) return;
    QSize outer = window->size();
    QSize client = Screen()->size();
    int outerWidth = outer.width() + width - client.width();
    int outerHeight = outer.height() + height - client.height();
    window->move(10, 10);
    window->resize(outerWidth, outerHeight);
}

bool EnterFullScreen(std::string* failure) {
    QMainWindow* window = MainWindow();
    if (!window || !window->screen()) {
        *failure = "SetDisplayMode FAILED";
        return false;
    }
    QSize screenSize = window->screen()->size();
    if (screenSize.width() < kFullScreenWidth || screenSize.height() < kFullScreenHeight) {
        *failure = "SetDisplayMode FAILED";
        return false;
    }
    picture.fullScreen = true;
    window->menuBar()->hide();
    window->showFullScreen();
    // Without a window manager the full-screen state is only a wish: cover the screen ourselves.
    window->setGeometry(window->screen()->geometry());
    if (Screen()) Screen()->update();
    return true;
}

void LeaveFullScreen() {
    QMainWindow* window = MainWindow();
    picture.fullScreen = false;
    picture.speedText.clear();
    picture.title.clear();
    if (!window) return;
    window->showNormal();
    window->menuBar()->show();
    window->setWindowTitle(qt::kWindowTitle);
}

bool HasMenu() { return MainWindow() && !MainWindow()->menuBar()->isHidden(); }

void ShowMenu(bool show) {
    if (!MainWindow()) return;
    MainWindow()->menuBar()->setVisible(show);
    if (Screen()) Screen()->update();
}

}  // namespace platform::window
