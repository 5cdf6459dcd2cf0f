// vzelvega: the Zel Vega in a desktop window.
#include <QApplication>

#include "app/app.h"
#include "platform/qt/qt_host.h"

int main(int argc, char** argv) {
    // The desktop's own scale (125 %, 150 % ...): the picture is drawn in whole
    // device pixels per frame pixel whatever the ratio, so it stays sharp.
    QGuiApplication::setHighDpiScaleFactorRoundingPolicy(Qt::HighDpiScaleFactorRoundingPolicy::PassThrough);
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
