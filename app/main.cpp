// vzelvega: the Zel Vega in a desktop window.
#include <QApplication>

#include "app/app.h"
#include "platform/qt/qt_host.h"

int main(int argc, char** argv) {
    // Whole-number device pixel ratios keep every emulated pixel a sharp block on high-DPI screens.
    QGuiApplication::setHighDpiScaleFactorRoundingPolicy(Qt::HighDpiScaleFactorRoundingPolicy::Round);
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Virtual Zel Vega"));
    // The loop ends when the main window is destroyed, not when the last window closes.
    QApplication::setQuitOnLastWindowClosed(false);
    platform::qt::Initialise();
    int exitCode = 0;
    if (App::Start()) exitCode = App::Run();
    platform::qt::Finalise();
    return exitCode;
}
