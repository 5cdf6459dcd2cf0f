// The program's one window and its message loop: start-up, the menu and
// accelerator commands, the polling loop that runs frames, close and destroy.
//
// Use: Start (settings, timing, the window and its create steps, show),
// then Run until the window has been closed; Command carries out one menu or
// accelerator command as the window procedure would.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class QMainWindow;
class QMenu;

namespace App {

// Command ids of the menu, the accelerators and the internal start-up reset.
enum Command : int {
    kAbout = 104,
    kExit = 105,
    kStartUpReset = 110,
    kSaveRam = 3771,
    kConfigureMemory = 3772,
    kConfigurePrinter = 3773,
    kConfigureKeyboard = 3774,
    kConfigureColours = 3775,
    kSoftReset = 3776,
    kHardReset = 3777,
    kQuickType = 3778,
    kPlayCassette = 3779,
    kLoadGameRom = 3780,
    kRemoveGameRom = 3781,
    kConfigureTiming = 3782,
    kConfigureSound = 3783,
    kLoadBinary = 3784,
    kScreenshot = 3786,
    kFullScreen = 3787,
    kPaste = 3790,
    kTest = 3792,
    kLogAySound = 3793,
    kMonitor = 3800,
    // Save states and the time controls.
    kSaveState = 3840,
    kLoadState = 3841,
    kPause = 3842,
    kFrameAdvance = 3843,
    kRewind = 3844,
    kWarp = 3845,
    kQuickSave1 = 3851,  // .. 3859 for slots 1-9
    kQuickLoad1 = 3861,  // .. 3869
    // Opening files, capture.
    kOpen = 3870,
    kAutoStart = 3871,
    kRecordSound = 3875,  // also kRecordSoundCommand of sound/sound_record.h
    kRecent1 = 3881,  // .. 3890 for the ten recent files
    kScreenshotAsBmp = 3895,  // Util "Screenshot Format": one of three, checked
    kScreenshotAsPng = 3896,
    kScreenshotAsPngShown = 3897,
};

// Start-up flags: the start-up reset is posted once all three are set.
enum StartupFlag : uint8_t { kCreated = 1, kActivated = 2, kPainted = 4 };

struct State {
    uint8_t startupFlags = 0;
    bool startupResetDone = false;
    bool quit = false;
    int exitCode = 0;
    int lastCommand = 0;  // the last command carried out, for diagnostics and tests
    uint64_t waits = 0;   // times the loop slept until an event or the next frame
    uint32_t startMs = 0;  // millisecond clock at the start-up reset, for the frame rate line
};
extern State state;

// Settings, timing, the main window (its create steps run inside), shown and
// sized to the scale. False when the window could not be created.
bool Start();
// The polling loop; returns the exit code once the window is gone.
int Run();
// One pass of the loop without waiting (tests).
void RunOnce();
// Carries out a menu or accelerator command.
void RunCommand(int id);
// Posts a command to the window, carried out from the loop.
void PostCommand(int id);
// The main window while it exists.
QMainWindow* Window();
// Closes the window as the close box does.
void Close();
// Tears the window down at once (tests); runs the close and destroy sequences.
void Destroy();

// The display output's scale and mode (its namespace is hidden where X11 headers are seen).
int DisplayScale();
void SetDisplayScale(int scale);
bool FullScreen();

// ---- Command line, opening files, capture (open_commands.cpp) ----

// The program's options; files are opened after the start-up reset.
struct Options {
    std::string iniPath;  // --ini: the settings file instead of the one VZELVEGA.INI names
    int scale = 0;        // --scale 1..3 for this run (0: the setting)
    bool fullScreen = false;
    bool fast = false;    // "Fast!" timing for this run
    std::vector<std::string> files;
};
extern Options options;
// Reads the arguments (program name first). -1 to go on; otherwise the exit
// code after --help, --version or a wrong option (the text on stdout or stderr).
int ParseOptions(const std::vector<std::string>& arguments);
// After the settings are read: the options' settings for this run, never saved.
void ApplyOptions();
// After the start-up reset: full screen and the files of the command line.
void StartWithOptions();
// File "Open...", "Recent" and "Auto-start"; Util "Record Sound...", the PNG choices.
void AddFileMenuItems(QMenu* file);
// Util "Screenshot Format".
void AddUtilMenuItems(QMenu* util);
// The commands above; false for any other id.
bool RunOpenCommand(int id);
// Files dropped on the window, opened in order.
void OpenDropped(const std::vector<std::string>& paths);

}  // namespace App
