// One program for all desktop tests: one QApplication, each test object in turn.
#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <QtTest>
#include <string>

#include "platform/qt/qt_host.h"
#include "qt_tests.h"

int main(int argc, char** argv) {
    // Qt keeps file-dialog state in the user's config folder: give it a home of our own.
    QTemporaryDir home;
    for (const char* name : {"HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME"})
        qputenv(name, home.path().toLocal8Bit());
    QApplication application(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    // The program reads and writes its settings in the current directory.
    QTemporaryDir directory;
    QDir::setCurrent(directory.path());
    platform::qt::Initialise();
    // "open" or "sound" as the first argument runs those tests alone: they start the
    // program with options, or SDL with a sound driver, of their own.
    std::string group = argc > 1 && argv[1][0] != '-' ? argv[1] : "";
    if (!group.empty()) {
        --argc;
        ++argv;
    }
    using Makers = std::vector<std::unique_ptr<QObject>> (*)();
    const std::vector<Makers> all = group == "open"    ? std::vector<Makers>{makeOpenTests}
                                    : group == "sound" ? std::vector<Makers>{makeSoundTests}
                                                       : std::vector<Makers>{makeKeyTests, makeControllerTests,
                                                                             makeDialogTests, makeWindowTests,
                                                                             makeMonitorTests};
    int failures = 0;
    for (Makers makers : all)
        for (auto& test : makers()) failures += QTest::qExec(test.get(), argc, argv);
    platform::qt::Finalise();
    return failures == 0 ? 0 : 1;
}
