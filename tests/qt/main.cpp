// One program for all desktop tests: one QApplication, each test object in turn.
#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

#include "platform/qt/qt_host.h"
#include "qt_tests.h"

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    // The program reads and writes its settings in the current directory.
    QTemporaryDir directory;
    QDir::setCurrent(directory.path());
    platform::qt::Initialise();
    int failures = 0;
    for (auto makers : {makeKeyTests, makeControllerTests, makeDialogTests, makeWindowTests, makeMonitorTests,
                        makeOpenTests})
        for (auto& test : makers()) failures += QTest::qExec(test.get(), argc, argv);
    platform::qt::Finalise();
    return failures == 0 ? 0 : 1;
}
