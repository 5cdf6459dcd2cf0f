// vzelvega: the Zel Vega in a desktop window.
#include <QApplication>
#include <QIcon>
#include <QFile>
#include <cstring>
#include <string>
#include <vector>

#include "app/app.h"
#include "platform/qt/qt_host.h"

int main(int argc, char** argv) {
    // --help and --version answer without a display.
    for (int i = 1; i < argc && std::strcmp(argv[i], "--") != 0; ++i)
        if (!std::strcmp(argv[i], "--help") || !std::strcmp(argv[i], "-h") || !std::strcmp(argv[i], "--version"))
            return App::ParseOptions(std::vector<std::string>(argv, argv + argc));
    // The desktop's own scale (125 %, 150 % ...): the picture is drawn in whole
    // device pixels per frame pixel whatever the ratio, so it stays sharp.
    QGuiApplication::setHighDpiScaleFactorRoundingPolicy(Qt::HighDpiScaleFactorRoundingPolicy::PassThrough);
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Virtual Zel Vega"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/vzelvega.png")));
    // Wayland finds the icon and the name through the installed .desktop entry.
    QApplication::setDesktopFileName(QStringLiteral("vzelvega"));
    // The loop ends when the main window is destroyed, not when the last window closes.
    QApplication::setQuitOnLastWindowClosed(false);
    std::vector<std::string> arguments;  // what Qt's own options left
    for (const QString& argument : QApplication::arguments()) arguments.push_back(QFile::encodeName(argument).toStdString());
    if (int code = App::ParseOptions(arguments); code >= 0) return code;
    platform::qt::Initialise();
    int exitCode = 0;
    if (App::Start()) exitCode = App::Run();
    platform::qt::Finalise();
    return exitCode;
}
