// Menu and accelerator commands, carried out as the window procedure does:
// each is followed by one full reopen of the sound stream unless it says otherwise.
#include <QMainWindow>
#include <QMetaObject>
#include <algorithm>

#include "app/app.h"
#include "app/monitor_window.h"
#include "video/display_calls.h"
#include "config/config_dialogs.h"
#include "devices/binary_loader.h"
#include "devices/cassette.h"
#include "devices/printer.h"
#include "devices/quick_type.h"
#include "input/keyboard_config.h"
#include "machine/machine.h"
#include "platform/platform.h"
#include "sound/ay_log.h"
#include "sound/sound_stream.h"
#include "video/colours_dialog.h"
#include "video/screenshot.h"

namespace App {

namespace {

constexpr int kAboutText = -1;

constexpr platform::ControlDef kAboutControls[] = {
    {kAboutText, platform::ControlKind::StaticText, "Virtual Zel Vega, 0.4a", 10, 12, 140, 8, false, true},
    {platform::kDialogOk, platform::ControlKind::DefaultButton, "OK", 55, 32, 50, 14},
};
constexpr platform::DialogLayout kAboutLayout = {"About Virtual Zel Vega", 160, 54, kAboutControls, 2};

void aboutProc(platform::Dialog* dialog, platform::DialogEvent event, int id, void*) {
    if (event == platform::DialogEvent::Click && (id == platform::kDialogOk || id == platform::kDialogCancel))
        platform::DialogEnd(dialog, id);
}

}  // namespace

void RunCommand(int id) {
    state.lastCommand = id;
    switch (id) {
        case kStartUpReset:
            // Once; the reset reopens the sound stream itself.
            if (state.startupResetDone) return;
            state.startupResetDone = true;
            Machine::StartUpReset();
            state.startMs = std::max<uint32_t>(1, platform::MillisecondClock());
            return;
        case kExit:
            if (QMainWindow* window = Window())
                QMetaObject::invokeMethod(window, [] { Close(); }, Qt::QueuedConnection);
            break;
        case kSaveRam: Machine::SaveRam(); break;
        case kSoftReset: Machine::Reset(0); break;
        case kHardReset: Machine::Reset(2); break;
        case kQuickType: QuickType::TypeFile(); break;
        case kPlayCassette: CassetteDeck::PlayFile(); break;
        case kLoadGameRom: Machine::LoadGameRom(); break;
        case kRemoveGameRom: Machine::RemoveGameRom(); break;
        case kConfigureMemory:
            // OK has saved the settings and reloaded the ROM images; a hard reset follows.
            if (ConfigDialogs::Memory()) PostCommand(kHardReset);
            break;
        case kConfigurePrinter: PrinterPort::ConfigureDialog(); break;
        case kConfigureKeyboard: KeyboardConfig::Dialog(); break;
        case kConfigureColours: editColours(); break;
        case kConfigureSound:
            if (ConfigDialogs::Sound()) SoundRedo();
            break;
        case kConfigureTiming:
            if (ConfigDialogs::Timing()) {
                Machine::RecomputeTiming();
                SoundRedo();
            }
            break;
        case kLoadBinary: BinaryLoader::Dialog(); break;
        case kScreenshot: saveScreenshot(); break;
        case kFullScreen: toggleFullScreen(); break;
        case kPaste: QuickType::Paste(); break;
        case kLogAySound: toggleAyLog(); break;
        case kMonitor: MonitorWindow::Open(); break;
        case kAbout: platform::RunDialog(kAboutLayout, aboutProc, nullptr); break;
        case kTest: break;
        default: return;  // not ours
    }
    SoundRedo();
}

}  // namespace App
