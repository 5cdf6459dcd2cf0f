// Soft and hard reset, start-up and shutdown.
#include "cpu/cpu_core.h"
#include "devices/cassette.h"
#include "devices/open_file.h"
#include "devices/printer.h"
#include "devices/quick_type.h"
#include "input/keyboard.h"
#include "machine/machine.h"
#include "machine/scheduler.h"
#include "sound/ay_log.h"
#include "sound/sound_record.h"
#include "sound/sound_stream.h"

namespace Machine {

bool startUpResetDone = false;

void StopDevices() {
    OpenFile::CancelAutoStart();
    QuickType::Stop();
    CassetteDeck::Eject();
    CassetteDeck::EndRecording();
    PrinterPort::Close();
}

// A sound recording goes on: the user asked for the session's sound, and
// the reset is part of it.
void Reset(int level) {
    StopDevices();
    if (level == 2) FillMemoryForHardReset();
    CpuCore::Reset();
    ResetIo();
    state.cartridgeCodeRun = false;
    FrameScheduler::state.running = true;
    FrameScheduler::ResyncClock();
}

void StartUpReset() {
    if (startUpResetDone) return;
    startUpResetDone = true;
    SoundRedo();
    romSource = BasicRomImage;
    KeyboardMapper::BuildTables();
    Reset(2);
    SoundRedo();
}

void Shutdown() {
    StopDevices();
    RemoveGameRom();
    closeAyLog();
    SoundRecordStop();  // the file is finished at exit
}

}  // namespace Machine
