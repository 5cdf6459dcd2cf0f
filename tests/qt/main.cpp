// One program for all desktop tests: one QApplication, each test object in turn.
#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <QtTest>
#include <cstring>

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
    // "open" as the first argument runs the file-opening tests alone: they start
    // the program with options of their own, so they get a process of their own.
    bool open = argc > 1 && std::strcmp(argv[1], "open") == 0;
    if (open) {
        --argc;
        ++argv;
    }
    using Makers = std::vector<std::unique_ptr<QObject>> (*)();
    const std::vector<Makers> all = open ? std::vector<Makers>{makeOpenTests}
                                         : std::vector<Makers>{makeKeyTests, makeControllerTests, makeDialogTests,
                                                               makeWindowTests, makeMonitorTests};
    int failures = 0;
    for (Makers makers : all)
        for (auto& test : makers()) failures += QTest::qExec(test.get(), argc, argv);
    platform::qt::Finalise();
    return failures == 0 ? 0 : 1;
}
