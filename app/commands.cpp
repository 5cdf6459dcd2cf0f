// Menu and accelerator commands, carried out as the window procedure does:
// each is followed by one full reopen of the sound stream unless it says otherwise.
#include <QMainWindow>
#include <QMetaObject>
#include <algorithm>

#include "app/app.h"
#include "app/monitor_window.h"
#include "video/display_calls.h"
#include "config/config_dialogs.h"
#include "debug/monitor.h"
#include "devices/binary_loader.h"
#include "devices/cassette.h"
#include "devices/printer.h"
#include "devices/quick_type.h"
#include "input/keyboard_config.h"
#include "machine/machine.h"
#include "platform/platform.h"
#include "sound/ay_log.h"
#include "sound/sound_record.h"
#include "sound/sound_stream.h"
#include "machine/scheduler.h"
#include "state/rewind.h"
#include "state/save_state.h"
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
    if (RunOpenCommand(id)) {
        SoundRedo();
        return;
    }
    if (id >= kQuickSave1 && id < kQuickSave1 + SaveState::kQuickSlots) {
        SaveState::QuickSave(id - kQuickSave1 + 1);
    } else if (id >= kQuickLoad1 && id < kQuickLoad1 + SaveState::kQuickSlots) {
        SaveState::QuickLoad(id - kQuickLoad1 + 1);
        presentFrame(true);  // the loaded moment at once, paused or not
    }
    switch (id) {
        case kStartUpReset:
            // Once; the reset reopens the sound stream itself.
            if (state.startupResetDone) return;
            state.startupResetDone = true;
            Machine::StartUpReset();
            StartWithOptions();
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
        case kRecordSound: SoundRecordCommand(); break;
        case kMonitor: MonitorWindow::Open(); break;
        case kAbout: platform::RunDialog(kAboutLayout, aboutProc, nullptr); break;
        case kTest: break;
        case kSaveState: SaveState::SaveDialog(); break;
        case kLoadState:
            SaveState::LoadDialog();
            presentFrame(true);
            break;
        case kPause:
            // The monitor's stop is this pause: ending it is the monitor's run, and
            // with the monitor shown, pausing is its stop.
            if (FrameScheduler::state.monitorStopped) Debug::Run();
            else if (!FrameScheduler::state.paused && MonitorWindow::Shown()) Debug::StopHere("paused");
            else FrameScheduler::SetPaused(!FrameScheduler::state.paused);
            platform::SetMenuCheck(kPause, FrameScheduler::state.paused);
            presentFrame(true);  // "Paused" where the speed figure stands
            if (FrameScheduler::state.paused) return;  // the stream stays stopped
            break;
        case kFrameAdvance:
            // Stopped by the monitor: the rest of its frame, breakpoints still armed.
            if (FrameScheduler::state.monitorStopped) {
                Debug::Run();
                FrameScheduler::SetPaused(true);
            }
            FrameScheduler::AdvanceFrame();
            if (FrameScheduler::state.paused && MonitorWindow::Shown()) Debug::StopHere("frame advanced");
            platform::SetMenuCheck(kPause, FrameScheduler::state.paused);
            presentFrame(true);
            return;  // silent: no reopened, playing stream
        case kRewind:
            Rewind::StepBack();
            presentFrame(true);
            if (FrameScheduler::state.paused) return;
            break;
        case kWarp:
            FrameScheduler::SetWarpOn(!FrameScheduler::state.warpOn);
            platform::SetMenuCheck(kWarp, FrameScheduler::state.warpOn);
            break;
        default:
            if ((id >= kQuickSave1 && id < kQuickSave1 + SaveState::kQuickSlots) ||
                (id >= kQuickLoad1 && id < kQuickLoad1 + SaveState::kQuickSlots))
                break;
            return;  // not ours
    }
    SoundRedo();
}

}  // namespace App
