// The desktop's options and a file dropped on the window: the options table,
// a start with --ini/--scale/--fast that leaves the settings file alone, the
// example tape dropped on the window running by itself.
#include <QApplication>
#include <QFile>
#include <QMainWindow>
#include <QMimeData>
#include <QTemporaryDir>
#include <QUrl>
#include <QtTest>

#include "app/app.h"
#include "config/settings.h"
#include "devices/cassette.h"
#include "devices/open_file.h"
#include "devices/quick_type.h"
#include "machine/machine.h"
#include "machine/scheduler.h"
#include "qt_tests.h"
#include "tools/run/run_helpers.h"

namespace {

QByteArray readFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool screenShows(const std::string& text) {
    for (const std::string& row : RunHelpers::ScreenText())
        if (row.find(text) != std::string::npos) return true;
    return false;
}

}  // namespace

class OpenTest : public QObject {
    Q_OBJECT
    QTemporaryDir folder;
    QString ini;
    const QByteArray iniText = "[VIDEO]\nwindowscaling=1\n[SPEED]\ncpuspeedopt=0\n";
    std::string iniBefore;

private slots:
    void initTestCase() { iniBefore = iniPath; }
    void optionsTable() {
        struct Case {
            std::vector<std::string> words;
            int code;  // -1: the program goes on
            int scale;
            size_t files;
        } const cases[] = {
            {{"--scale", "3", "a.cp6", "b.bin@$4c00"}, -1, 3, 2},
            {{"--ini", "x.ini", "--full-screen", "--fast", "--", "--odd-name.txt"}, -1, 0, 1},
            {{"--help"}, 0, 0, 0},
            {{"--scale", "4"}, 2, 0, 0},
            {{"--bogus"}, 2, 0, 0},
        };
        for (const Case& c : cases) {
            std::vector<std::string> arguments{"vzelvega"};
            arguments.insert(arguments.end(), c.words.begin(), c.words.end());
            QCOMPARE(App::ParseOptions(arguments), c.code);
            if (c.code >= 0) continue;
            QCOMPARE(App::options.scale, c.scale);
            QCOMPARE(App::options.files.size(), c.files);
            if (c.words[0] == "--ini") QVERIFY(App::options.fullScreen && App::options.fast && App::options.iniPath == "x.ini");
        }
    }

    void startWithOptionsLeavesTheSettingsFile() {
        ini = folder.filePath("mine.ini");
        QFile file(ini);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(iniText);
        file.close();
        QCOMPARE(App::ParseOptions({"vzelvega", "--ini", ini.toStdString(), "--scale", "3", "--fast"}), -1);
        Machine::startUpResetDone = false;  // a fresh program
        QVERIFY(App::Start());
        QTRY_VERIFY(App::state.startupResetDone);
        QCOMPARE(QString::fromStdString(iniPath), ini);
        QCOMPARE(App::DisplayScale(), 3);
        QCOMPARE(int(settings.cpuSpeedOption), 3);
        for (int i = 0; i < 20; ++i) App::RunOnce();
        QCOMPARE(readFile(ini), iniText);
    }

    void droppedTapeLoadsAndRuns() {
        QString tape = QStringLiteral(VZ_SOURCE_DIR "/examples/CATCH_BAS.CP6");
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(tape)});
        QDragEnterEvent enter(QPoint(50, 50), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(App::Window(), &enter);
        QVERIFY(enter.isAccepted());
        QDropEvent drop(QPointF(50, 50), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(App::Window(), &drop);
        QVERIFY(drop.isAccepted());
        QTRY_VERIFY((App::RunOnce(), CassetteDeck::HasTape()));
        QVERIFY(OpenFile::AutoStartPending());
        QTRY_VERIFY_WITH_TIMEOUT((App::RunOnce(), screenShows("LIVES 3")), 60000);
        QCOMPARE(QString(settings.recentFiles[0]), QFileInfo(tape).canonicalFilePath());
        QVERIFY(readFile(ini).contains("[RECENT]"));
    }

    // The tests after these start the program plainly, with the settings file they had.
    void cleanupTestCase() {
        App::Destroy();
        App::ParseOptions({"vzelvega"});
        iniPath = iniBefore;
    }
};

std::vector<std::unique_ptr<QObject>> makeOpenTests() {
    std::vector<std::unique_ptr<QObject>> tests;
    tests.push_back(std::make_unique<OpenTest>());
    return tests;
}

#include "open_test.moc"
