// vzelvega-run: the Zel Vega without a window. Starts the machine as the
// desktop program does, runs frames, acts on scripted input and writes what
// the user would see or save.
#include <unistd.h>

#include <CLI/CLI.hpp>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "config/settings.h"
#include "debug/machine_monitor.h"
#include "debug/monitor.h"
#include "devices/binary_loader.h"
#include "devices/cassette.h"
#include "devices/open_file.h"
#include "devices/quick_type.h"
#include "input/keyboard.h"
#include "machine/machine.h"
#include "machine/scheduler.h"
#include "platform/headless/headless.h"
#include "platform/platform.h"
#include "sound/ay_log.h"
#include "sound/psg.h"
#include "sound/sound_record.h"
#include "sound/sound_stream.h"
#include "state/save_state.h"
#include "tools/run/run_helpers.h"
#include "video/renderer.h"
#include "video/screenshot.h"

namespace {

// Frames a scripted key stays held.
constexpr long kKeyHoldFrames = 3;
// Joystick axes as the controllers report them at full deflection.
constexpr int32_t kAxisFull = 720;
// Virtual clock of the runner: one count per microsecond.
constexpr int64_t kCounterFrequency = 1000000;

struct Options {
    long frames = 600;
    bool fast = false;
    std::string untilText;
    std::string iniPath;
    std::string workDir;
    std::vector<std::string> keys;
    std::string keyList;
    std::string typeText;
    long typeFrame = 0;
    std::string screenshot;
    bool screenText = false;
    std::string wav;
    std::string recordSound;
    bool ayLog = false;
    std::string joystick[2];
    std::string pointer;
    std::string tape;
    std::string recordDir;
    std::string typeFile;
    std::string paste;
    std::string printer;
    std::string cartridge;
    long removeCartridgeFrame = -1;
    std::vector<std::string> binaries;
    bool saveRam = false;
    bool quiet = false;
    std::vector<std::string> breaks;
    std::string trace;
    std::string monitor;
    std::vector<std::string> saveStates;
    std::string loadState;
    std::vector<std::string> files;
};

// A state to save: after `frame` frames, or at the end (-1).
struct StateSave {
    std::string path;
    long frame = -1;
};

// "FILE" or "FILE@FRAME"; nothing when the frame is not a number.
std::optional<StateSave> ParseStateSave(const std::string& text) {
    StateSave save{text, -1};
    size_t at = text.rfind('@');
    if (at == std::string::npos) return save;
    std::string number = text.substr(at + 1);
    if (number.empty() || number.find_first_not_of("0123456789") != std::string::npos || number.size() > 9)
        return std::nullopt;
    save.path = text.substr(0, at);
    save.frame = std::stol(number);
    if (save.path.empty()) return std::nullopt;
    return save;
}

size_t messagesShown = 0, noticesShown = 0;

// Message boxes and notices the emulator showed, on stderr as the user would have seen them.
void ReportMessageBoxes() {
    const auto& boxes = platform::headless::MessageBoxes();
    for (; messagesShown < boxes.size(); ++messagesShown)
        std::fprintf(stderr, "[%s] %s\n", boxes[messagesShown].title.c_str(), boxes[messagesShown].text.c_str());
    const auto& notices = platform::headless::Notices();
    for (; noticesShown < notices.size(); ++noticesShown) std::fprintf(stderr, "%s\n", notices[noticesShown].c_str());
}

// What the monitor printed, on stdout.
void ReportMonitor() {
    std::string text = Debug::TakeOutput();
    if (!text.empty()) std::fputs(text.c_str(), stdout);
}

int Fail(const std::string& message) {
    ReportMessageBoxes();  // the notice that says why comes first
    std::fprintf(stderr, "vzelvega-run: %s\n", message.c_str());
    return 2;
}

platform::ControllerState JoystickState(uint8_t byte) {
    platform::ControllerState controller;
    if (!(byte & 0x01)) controller.y = -kAxisFull;
    if (!(byte & 0x02)) controller.y = kAxisFull;
    if (!(byte & 0x04)) controller.x = -kAxisFull;
    if (!(byte & 0x08)) controller.x = kAxisFull;
    controller.buttons[0] = !(byte & 0x10);
    return controller;
}

// The key-down with the text a US keyboard gives it, as the desktop passes it on.
void PressKey(const RunHelpers::KeyPress& press) {
    // A modifier of an earlier press is let go first, as fingers do before the next key.
    platform::headless::SetKeyDown(0xA0, false);
    platform::headless::SetKeyDown(0xA2, false);
    bool shift = false, ctrl = false;
    for (uint8_t modifier : press.modifiers) {
        platform::headless::SetKeyDown(modifier == 0x10 ? 0xA0 : 0xA2, true);  // the left-hand key
        KeyboardMapper::OnKeyDown(modifier);
        (modifier == 0x10 ? shift : ctrl) = true;
    }
    platform::headless::SetKeyDown(press.key, true);
    uint32_t character = platform::CharacterForKey(press.key, shift);
    if (ctrl && press.key >= 'A' && press.key <= 'Z') character = press.key - 'A' + 1u;  // Ctrl+A gives 01h
    KeyboardMapper::OnKeyDown(press.key, character);
}

void ReleaseKey(const RunHelpers::KeyPress& press) {
    platform::headless::SetKeyDown(press.key, false);
    for (uint8_t modifier : press.modifiers) platform::headless::SetKeyDown(modifier == 0x10 ? 0xA0 : 0xA2, false);
}

bool ScreenContains(const std::string& text) {
    for (const std::string& row : RunHelpers::ScreenText())
        if (row.find(text) != std::string::npos) return true;
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    Options o;
    CLI::App app{"vzelvega-run: the Zel Vega emulator without a window.\n"
                 "Starts on the built-in ROM (or the settings file's ROMs) and runs frames."};
    app.add_option("--frames", o.frames, "Frames to run (the limit for --until-text)")->check(CLI::NonNegativeNumber);
    app.add_flag("--fast", o.fast, "\"Fast!\" timing: frames as fast as possible, real-time speed figures");
    app.add_option("--until-text", o.untilText, "Stop when the screen text contains TEXT; exit code 1 if never");
    app.add_option("--ini", o.iniPath, "Settings file to use instead of the one VZELVEGA.INI names");
    app.add_option("--workdir", o.workDir, "Directory to run in (the start directory)");
    app.add_option("--key", o.keys,
                   "Host key press FRAME:KEY (A, Enter, F3, Shift+A, Comma, Num7 ...), with the text a US keyboard "
                   "gives it; repeatable");
    app.add_option("--keys", o.keyList, "Several FRAME:KEY presses separated by spaces");
    app.add_option("--type", o.typeText, "Type TEXT through the paste path; \\n, \\r or a line end is Enter");
    app.add_option("--type-frame", o.typeFrame, "Frame at which --type or --paste starts (default 0)")
        ->check(CLI::NonNegativeNumber);
    app.add_option("--screenshot", o.screenshot, "Write the final frame as a BMP file");
    app.add_flag("--screen-text", o.screenText, "Print the 16 rows of 32 text cells at the end");
    app.add_option("--wav", o.wav, "Write the mixed sound (22050 Hz, mono) as a WAV file");
    app.add_option("--record-sound", o.recordSound,
                   "Util \"Record Sound...\" into FILE from the start to the end of the run (the sound as heard)");
    app.add_flag("--ay-log", o.ayLog, "Log the sound generator's register writes (aysound_*.txt)");
    app.add_option("--joystick1", o.joystick[0], "Joystick 1 byte: bit 0 up, 1 down, 2 left, 3 right, 4 fire, active low");
    app.add_option("--joystick2", o.joystick[1], "Joystick 2 byte, as --joystick1");
    app.add_option("--pointer", o.pointer, "Pointing device X,Y[,down] (0..255)");
    app.add_option("--tape", o.tape, "Load a cassette file (CP6) for playing");
    app.add_option("--record-dir", o.recordDir, "Answer save choosers (cassette recording) in DIR");
    app.add_option("--type-file", o.typeFile, "Quick-type a text file (LF, CR LF or CR line ends)");
    app.add_option("--paste", o.paste, "Paste TEXT (UTF-8) as the clipboard's text, unchanged: a line feed enters the line as CR does");
    app.add_option("--printer", o.printer, "Printer output file");
    app.add_option("--cartridge", o.cartridge, "Load a cartridge (game ROM) file");
    app.add_option("--remove-cartridge", o.removeCartridgeFrame, "\"Remove Game ROM\" at FRAME")
        ->check(CLI::NonNegativeNumber);
    app.add_option("--load-binary", o.binaries, "Load FILE@ADDR[,usr=ADDR] (decimal or $hex); repeatable");
    app.add_flag("--save-ram", o.saveRam, "Write ram.bin (64K as the CPU sees it) at the end");
    app.add_flag("--quiet", o.quiet, "Leave out the speed figures");
    app.add_option("--break", o.breaks, "Stop before the instruction at ADDR (hex, a symbol); repeatable");
    app.add_option("--trace", o.trace, "Write every instruction executed to FILE");
    app.add_option("--monitor", o.monitor, "Monitor commands separated by ';' (docs/monitor.md)");
    app.add_option("--save-state", o.saveStates, "Save a state FILE[@FRAME]: after FRAME frames, else at the end; repeatable");
    app.add_option("--load-state", o.loadState, "Load a state FILE once the machine has started");
    app.add_option("files", o.files,
                   "Files opened as the desktop opens them: a tape, cartridge, text or state, or FILE@ADDR[,usr=ADDR] "
                   "for a binary");
    CLI11_PARSE(app, argc, argv);

    // Everything is checked before the machine starts.
    std::vector<RunHelpers::ScheduledKey> scheduled;
    std::vector<std::string> keyTexts = o.keys;
    {
        size_t start = 0;
        while (start < o.keyList.size()) {
            size_t end = o.keyList.find(' ', start);
            if (end == std::string::npos) end = o.keyList.size();
            if (end > start) keyTexts.push_back(o.keyList.substr(start, end - start));
            start = end + 1;
        }
    }
    for (const std::string& text : keyTexts) {
        auto key = RunHelpers::ParseScheduledKey(text);
        if (!key) return Fail("bad key press \"" + text + "\" (FRAME:KEY, e.g. 10:A, 20:Shift+A, 30:Enter)");
        scheduled.push_back(*key);
    }
    std::optional<uint8_t> joystickBytes[2];
    for (int i = 0; i < 2; ++i) {
        if (o.joystick[i].empty()) continue;
        auto byte = RunHelpers::ParseNumber(o.joystick[i], 255);
        if (!byte) return Fail("bad joystick byte \"" + o.joystick[i] + "\" (0..255, decimal or $hex)");
        joystickBytes[i] = uint8_t(*byte);
    }
    std::optional<RunHelpers::Pointer> pointer;
    if (!o.pointer.empty()) {
        pointer = RunHelpers::ParsePointer(o.pointer);
        if (!pointer) return Fail("bad pointer \"" + o.pointer + "\" (X,Y or X,Y,down, 0..255)");
    }
    std::vector<RunHelpers::BinaryLoad> binaries;
    for (const std::string& text : o.binaries) {
        auto load = RunHelpers::ParseBinaryLoad(text);
        if (!load) return Fail("bad binary load \"" + text + "\" (FILE@ADDR or FILE@ADDR,usr=ADDR)");
        binaries.push_back(*load);
    }
    std::vector<StateSave> stateSaves;
    for (const std::string& text : o.saveStates) {
        auto save = ParseStateSave(text);
        if (!save) return Fail("bad state save \"" + text + "\" (FILE or FILE@FRAME)");
        stateSaves.push_back(*save);
    }
    if (!o.workDir.empty() && chdir(o.workDir.c_str()) != 0) return Fail("cannot enter directory " + o.workDir);
    {
        char cwd[4096];
        if (getcwd(cwd, sizeof cwd)) Machine::startDirectory = cwd;
    }

    // The host as the desktop program would find it.
    platform::headless::ResetAll();
    platform::headless::SetCounterFrequency(kCounterFrequency);
    const bool wantSound = !o.wav.empty();
    platform::headless::SetSoundAvailable(wantSound || !o.recordSound.empty());
    for (int i = 0; i < 2; ++i)
        if (joystickBytes[i]) platform::headless::SetController(i, true, 2, 0, JoystickState(*joystickBytes[i]));
    if (!o.recordDir.empty()) platform::headless::SetSaveFolder(o.recordDir);

    // Start-up in the main window's order.
    Settings::LocateFile();
    if (!o.iniPath.empty()) iniPath = o.iniPath;
    Settings::LoadAll();
    if (!Machine::romSource) Machine::LoadRomImages();  // a settings file without a MEMORY section
    if (o.fast) settings.cpuSpeedOption = 3;  // for this run only, never saved
    if (!o.printer.empty()) setPath(settings.printerPath, o.printer);
    Machine::RecomputeTiming();
    FrameScheduler::InitClock();
    createFrame();
    if (SoundInit()) psgInit(settings.ayVolumePercent);
    Machine::OpenGameControllers();
    Machine::AcquireGameControllers(true);
    Machine::StartUpReset();
    if (wantSound) platform::headless::StartCapture();
    ReportMessageBoxes();

    // What the user would do once the machine runs.
    int status = 0;
    if (!o.loadState.empty()) {
        std::string error;
        if (!SaveState::LoadFromPath(o.loadState, &error)) {
            status = Fail(error);
        } else if (o.fast) {
            settings.cpuSpeedOption = 3;  // the state brought its own timing; --fast still holds
            Machine::RecomputeTiming();
        }
        ReportMessageBoxes();
    }
    auto saveState = [&](const StateSave& save) {
        std::string error;
        if (!SaveState::SaveToPath(save.path, &error)) status = Fail(error);
    };
    if (!o.cartridge.empty() && !Machine::LoadGameRomFile(o.cartridge))
        status = Fail("cartridge not loaded: " + o.cartridge + " (1 to 16384 bytes)");
    for (const auto& load : binaries) {
        std::string error = BinaryLoader::LoadFileAt(load.path, load.load, load.setUsr, load.usr);
        if (!error.empty()) status = Fail("binary not loaded: " + load.path + ": " + error);
    }
    if (!o.tape.empty() && !CassetteDeck::LoadFile(o.tape)) status = Fail("tape not loaded: " + o.tape);
    if (!o.typeFile.empty() && !QuickType::TypeFilePath(o.typeFile))
        status = Fail("text file not typed: " + o.typeFile);
    const bool pasting = !o.paste.empty() || !o.typeText.empty();
    auto startPaste = [&o] {
        platform::headless::SetClipboardText(o.paste.empty() ? RunHelpers::TypedText(o.typeText) : o.paste);
        QuickType::Paste();
    };
    if (pasting && o.typeFrame == 0) startPaste();
    if (pointer) {
        Machine::state.pointerX = pointer->x;
        Machine::state.pointerY = pointer->y;
        Machine::state.pointerDown = pointer->down ? 1 : 0;
    }
    for (const std::string& word : o.files) {
        if (!OpenFile::OpenArgument(word)) status = 2;
        ReportMessageBoxes();
    }
    if (o.ayLog) toggleAyLog();
    if (!o.recordSound.empty() && status == 0) {
        platform::headless::QueueFileAnswer(o.recordSound);
        SoundRecordCommand();
        ReportMessageBoxes();
        if (!SoundRecording()) status = 2;
    }
    if (status != 0) {
        Machine::Shutdown();
        return status;
    }

    // The monitor: breakpoints and the trace first, then the script, whose
    // commands after a run command wait for the stop.
    const bool monitoring = !o.breaks.empty() || !o.trace.empty() || !o.monitor.empty();
    if (monitoring) {
        Debug::AttachMachine();
        for (const std::string& address : o.breaks) Debug::Command("b " + address);
        if (!o.trace.empty()) Debug::Command("trace file " + o.trace);
        if (Debug::state.commandErrors) {
            ReportMonitor();
            Debug::Detach();
            Machine::Shutdown();
            return Fail("bad --break or --trace");
        }
        Debug::Submit(o.monitor);
        Debug::Pump();
        ReportMonitor();
    }

    std::multimap<long, RunHelpers::KeyPress> presses, releases;
    for (const auto& key : scheduled) presses.emplace(key.frame, key.press);

    auto wallStart = std::chrono::steady_clock::now();
    uint64_t tStates = 0;
    long framesRun = 0;
    long frameStarted = -1;
    bool textFound = o.untilText.empty() ? false : ScreenContains(o.untilText);
    while (framesRun < o.frames && !textFound) {
        const long frame = framesRun;
        // A frame the monitor stopped inside is continued, not begun again.
        if (frame != frameStarted) {
            frameStarted = frame;
            for (const StateSave& save : stateSaves)
                if (save.frame == frame) saveState(save);
            for (auto [at, end] = presses.equal_range(frame); at != end; ++at) {
                PressKey(at->second);
                releases.emplace(frame + kKeyHoldFrames, at->second);
            }
            for (auto [at, end] = releases.equal_range(frame); at != end; ++at) ReleaseKey(at->second);
            if (pasting && o.typeFrame > 0 && frame == o.typeFrame) startPaste();
            if (frame == o.removeCartridgeFrame) Machine::RemoveGameRom();
        }

        // The runner's clock: emulated time normally, real time with --fast.
        if (o.fast) {
            auto elapsed = std::chrono::steady_clock::now() - wallStart;
            int64_t us = std::chrono::duration_cast<std::chrono::microseconds>(elapsed).count();
            platform::headless::SetCounter(us);
            platform::headless::SetMilliseconds(uint32_t(us / 1000));
        }
        uint32_t before = FrameScheduler::state.framesRun;
        while (FrameScheduler::state.framesRun == before && !FrameScheduler::state.monitorStopped) {
            if (!o.fast) {
                int64_t due = FrameScheduler::state.nextFrameTicks;
                platform::headless::SetCounter(due);
                platform::headless::SetMilliseconds(uint32_t(due * 1000 / kCounterFrequency));
            }
            if (FrameScheduler::OnIdle()) renderFrame();
            if (!FrameScheduler::state.running) break;
        }
        if (FrameScheduler::state.framesRun != before || !FrameScheduler::state.monitorStopped) {
            ++framesRun;
            tStates += FrameScheduler::state.meterCycles[(FrameScheduler::state.meterIndex + 15) % 16];
            if (wantSound) platform::headless::PlaySamples(uint32_t(s_nLockSize / 2));
            if (!o.untilText.empty()) textFound = ScreenContains(o.untilText);
        }
        ReportMessageBoxes();
        if (monitoring) {
            // A stop runs the waiting commands; when none lets the machine go on, the run ends here.
            if (FrameScheduler::state.monitorStopped) Debug::Pump();
            ReportMonitor();
            if (FrameScheduler::state.monitorStopped) break;
        }
    }
    // A run command that could have stopped and did not.
    bool monitorWaiting = monitoring && Debug::state.runPending && !Debug::state.stopped && Debug::CanStop();
    if (monitorWaiting) {
        std::fprintf(stderr, "vzelvega-run: the machine did not stop within %ld frames", framesRun);
        if (!Debug::state.queue.empty()) std::fprintf(stderr, "; not run: %zu commands", Debug::state.queue.size());
        std::fputc('\n', stderr);
    }
    int monitorErrors = monitoring ? Debug::state.commandErrors : 0;
    if (monitoring) Debug::Detach();
    double wallSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - wallStart).count();

    for (const StateSave& save : stateSaves) {
        if (save.frame < 0 || save.frame == framesRun) saveState(save);
        else if (save.frame > framesRun)
            status = Fail("state not saved: " + save.path + " (the run ended after " + std::to_string(framesRun) + " frames)");
    }
    for (auto& [frame, press] : releases) ReleaseKey(press);
    if (!o.screenshot.empty()) {
        renderFrame();
        if (!writeScreenshotFile(o.screenshot.c_str())) std::fprintf(stderr, "vzelvega-run: screenshot not written: %s\n", o.screenshot.c_str());
    }
    if (o.screenText)
        for (const std::string& row : RunHelpers::ScreenText()) std::printf("%s\n", row.c_str());
    if (o.saveRam) Machine::SaveRam();
    int wavError = 0;
    if (wantSound && !WriteWavFile(o.wav, platform::headless::CapturedSamples(), &wavError))
        std::fprintf(stderr, "vzelvega-run: sound not written: %s: %s\n", o.wav.c_str(), std::strerror(wavError));
    if (SoundRecording()) SoundRecordCommand();  // chosen again: the recording stops

    if (!o.quiet) {
        double emulatedSeconds = o.fast ? double(framesRun) / Machine::timing.frameRate
                                        : double(FrameScheduler::state.ticksPerFrame) * double(framesRun) /
                                              double(kCounterFrequency);
        std::printf("frames %ld, emulated %.2f s, wall %.3f s, %.0f frames/s, %.2f emulated MHz, speed %d %%\n",
                    framesRun, emulatedSeconds, wallSeconds, wallSeconds > 0 ? framesRun / wallSeconds : 0.0,
                    wallSeconds > 0 ? double(tStates) / wallSeconds / 1e6 : 0.0,
                    int(FrameScheduler::state.speedPercent));
    }

    FrameScheduler::state.running = false;
    SoundShutdown();
    Machine::CloseGameControllers();
    Machine::Shutdown();
    destroyFrame();
    ReportMessageBoxes();
    if (status != 0) return status;
    if (!o.untilText.empty() && !textFound) {
        std::fprintf(stderr, "vzelvega-run: text not found on the screen: %s\n", o.untilText.c_str());
        return 1;
    }
    if (monitorErrors) return 2;
    if (monitorWaiting) return 1;
    return 0;
}
