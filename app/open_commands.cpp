// The desktop's ways of opening files (command line, File "Open...", File
// "Recent", a drop on the window), its options, and the capture commands.
#include <QAction>
#include <QMenu>
#include <cstdio>

#include "app/app.h"
#include "config/settings.h"
#include "devices/open_file.h"
#include "machine/machine.h"
#include "platform/platform.h"
#include "platform/qt/qt_host.h"
#include "sound/sound_stream.h"
#include "video/screenshot.h"
#include "video/display_calls.h"

namespace App {

Options options;

namespace {

constexpr const char* kUsage =
    "Usage: vzelvega [OPTIONS] [FILE...]\n"
    "The Zel Vega in a window. Each FILE is opened as File \"Open...\" opens it: a tape (.cp6), a cartridge\n"
    "(.rom, or a .bin signed ZVGR), a text to type, a save state (.vzs); a binary as FILE@ADDR[,usr=ADDR].\n"
    "\n"
    "  --ini PATH      the settings file instead of the one VZELVEGA.INI names\n"
    "  --scale N       window scale 1, 2 or 3 for this run\n"
    "  --full-screen   start full screen\n"
    "  --fast          \"Fast!\" timing for this run\n"
    "  --help          this text\n"
    "  --version       the program's version\n"
    "The options change no setting in the settings file.\n";

QAction* addCommand(QMenu* menu, const QString& text, int id, bool checkable) {
    QAction* action = menu->addAction(text);
    action->setData(id);
    action->setCheckable(checkable);
    QObject::connect(action, &QAction::triggered, menu, [id] { RunCommand(id); });
    platform::qt::RegisterMenuAction(id, action);
    return action;
}

// The Recent submenu, filled from the list each time it opens.
void fillRecent(QMenu* menu) {
    menu->clear();
    for (int i = 0; i < kRecentFiles; ++i) {
        if (!settings.recentFiles[i][0]) continue;
        QString text = QString("&%1 ").arg((i + 1) % 10) + QString::fromStdString(settings.recentFiles[i]);
        addCommand(menu, text, kRecent1 + i, false);
    }
    if (menu->isEmpty()) menu->addAction(QStringLiteral("(none)"))->setEnabled(false);
}

void chooseAndOpen() {
    platform::FileChooserRequest request;
    request.title = "Open";
    request.filters = {{"Zel Vega Files (*.cp6, *.rom, *.bin, *.txt, *.vzs)", "*.cp6;*.rom;*.bin;*.obj;*.txt;*.bas;*.vzs"},
                       {"All Files (*.*)", "*.*"}};
    request.mustExist = true;
    request.presetPath = settings.recentFiles[0];
    if (std::optional<std::string> path = platform::ChooseOpenFile(request)) OpenFile::Open(*path);
}

}  // namespace

int ParseOptions(const std::vector<std::string>& arguments) {
    options = Options{};
    for (size_t i = 1; i < arguments.size(); ++i) {
        const std::string& a = arguments[i];
        auto value = [&](std::string* out) {
            if (i + 1 >= arguments.size()) return false;
            *out = arguments[++i];
            return true;
        };
        std::string text;
        if (a == "--help" || a == "-h") {
            std::fputs(kUsage, stdout);
            return 0;
        } else if (a == "--version") {
            std::printf("Virtual Zel Vega, 0.4a\n");
            return 0;
        } else if (a == "--ini") {
            if (!value(&options.iniPath) || options.iniPath.empty()) return std::fputs("vzelvega: --ini needs a PATH\n", stderr), 2;
        } else if (a == "--scale") {
            if (!value(&text) || text.size() != 1 || text[0] < '1' || text[0] > '3')
                return std::fputs("vzelvega: --scale needs 1, 2 or 3\n", stderr), 2;
            options.scale = text[0] - '0';
        } else if (a == "--full-screen") {
            options.fullScreen = true;
        } else if (a == "--fast") {
            options.fast = true;
        } else if (a == "--") {
            options.files.insert(options.files.end(), arguments.begin() + long(i) + 1, arguments.end());
            break;
        } else if (a.size() > 1 && a[0] == '-') {
            std::fprintf(stderr, "vzelvega: unknown option %s (see --help)\n", a.c_str());
            return 2;
        } else {
            options.files.push_back(a);
        }
    }
    return -1;
}

void ApplyOptions() {
    // In memory only: a dialog's OK writes what it shows, nothing else does.
    if (options.scale) {
        settings.windowScale = options.scale;
        SetDisplayScale(options.scale);
    }
    if (options.fast) settings.cpuSpeedOption = 3;
}

void StartWithOptions() {
    if (options.fullScreen && !FullScreen()) toggleFullScreen();
    for (const std::string& word : options.files) OpenFile::OpenArgument(word);
    if (!options.files.empty()) presentFrame(true);
}

void AddFileMenuItems(QMenu* file) {
    addCommand(file, QStringLiteral("Open...\tAlt+O"), kOpen, false);
    QMenu* recent = file->addMenu(QStringLiteral("Recent"));
    QObject::connect(recent, &QMenu::aboutToShow, recent, [recent] { fillRecent(recent); });
    fillRecent(recent);
    addCommand(file, QStringLiteral("Auto-start"), kAutoStart, true)->setChecked(settings.autoStart != 0);
}

void checkScreenshotFormat() {
    for (int format = kScreenshotBmp; format <= kScreenshotPngShown; ++format)
        platform::SetMenuCheck(kScreenshotAsBmp + format, settings.screenshotFormat == format);
}

void AddUtilMenuItems(QMenu* util) {
    QMenu* format = util->addMenu(QStringLiteral("Screenshot Format"));
    addCommand(format, QStringLiteral("BMP"), kScreenshotAsBmp, true);
    addCommand(format, QStringLiteral("PNG"), kScreenshotAsPng, true);
    addCommand(format, QStringLiteral("PNG As Shown"), kScreenshotAsPngShown, true);
    checkScreenshotFormat();
}

bool RunOpenCommand(int id) {
    if (id >= kRecent1 && id < kRecent1 + kRecentFiles) {
        OpenFile::OpenRecent(id - kRecent1);
        presentFrame(true);
        return true;
    }
    switch (id) {
        case kOpen:
            chooseAndOpen();
            presentFrame(true);
            return true;
        case kAutoStart:
            settings.autoStart = !settings.autoStart;
            Settings::SaveOpen();
            platform::SetMenuCheck(kAutoStart, settings.autoStart != 0);
            return true;
        case kScreenshotAsBmp:
        case kScreenshotAsPng:
        case kScreenshotAsPngShown:
            settings.screenshotFormat = id - kScreenshotAsBmp;
            Settings::SaveCapture();
            checkScreenshotFormat();
            return true;
        default: return false;
    }
}

void OpenDropped(const std::vector<std::string>& paths) {
    SoundSuspend();
    for (const std::string& path : paths) OpenFile::Open(path);
    presentFrame(true);
    SoundRedo();
}

}  // namespace App
