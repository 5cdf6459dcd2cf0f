// Host layer: the few services the emulator needs from the desktop.
//
// Plain free functions; the implementation is chosen at link time:
// platform/headless/ (tests, vzelvega-run) or platform/qt/ (the desktop
// program). platform/common/ holds what both share: the INI file, the colour
// conversion and the US key layout.
//
// Order of use: clocks and INI at start-up; frame bitmap, sound device and game
// controllers when the main window is created; dialogs, file choosers and
// message boxes from menu commands; keys, clipboard and cursor at any time.
// Not modelled: several windows, threads, or more than one sound device.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

struct Rgb {
    uint8_t r = 0, g = 0, b = 0;
    friend bool operator==(const Rgb&, const Rgb&) = default;
};

namespace platform {

// ---- Clocks --------------------------------------------------------------

// Frequency of the high-resolution counter; false when the host has none.
bool QueryCounterFrequency(int64_t* countsPerSecond);
// Current value of the high-resolution counter; false when the read fails.
bool ReadCounter(int64_t* counts);
// Milliseconds since some fixed point, wrapping at 2^32.
uint32_t MillisecondClock();

// ---- Diagnostics -----------------------------------------------------------

// One diagnostic line (the host debugger output). Silent unless the
// environment variable VZELVEGA_DEBUG is set.
void DebugOutput(const char* text);

// ---- Message box -------------------------------------------------------------

enum class MessageIcon { None, Information, Exclamation, Error };
// Modal message box with an OK button, owned by the main window.
void ShowMessageBox(const std::string& title, const std::string& text, MessageIcon icon);

// ---- Notices -----------------------------------------------------------------

// A one-line notice for the user, where a command did its work or could not
// (a file saved, a file refused): shown in the window for a few seconds by the
// desktop, printed on stderr by the runner. Never modal.
void ShowNotice(const std::string& text);
// Pixels on the host's screen per frame pixel as the picture is shown now
// (device pixels, full screen included); 1 where nothing is shown.
int ShownPictureScale();

// ---- File choosers -----------------------------------------------------------

struct FileFilter {
    std::string description;  // "Zel Vega Cassette Files (*.CP6)"
    std::string patterns;     // "*.cp6" or "*.rom;*.bin"
};

struct FileChooserRequest {
    std::string title;  // empty: the host's default title
    std::vector<FileFilter> filters;
    std::string defaultExtension;  // without the dot
    bool mustExist = false;
    std::string presetPath;
};

// Open-file chooser; the chosen path, or nothing when cancelled.
std::optional<std::string> ChooseOpenFile(const FileChooserRequest& request);
// Save-file chooser; the chosen path, or nothing when cancelled.
std::optional<std::string> ChooseSaveFile(const FileChooserRequest& request);

// ---- Colour chooser ---------------------------------------------------------------

// Fully opened colour chooser starting at `colour`, with 16 custom colours that
// the user may change. True and the new colour when confirmed.
bool ChooseColour(Rgb* colour, Rgb customColours[16]);

// ---- Modal dialogs by control id -------------------------------------------------

enum class ControlKind {
    RadioButton,
    CheckBox,
    PushButton,
    DefaultButton,
    EditField,    // free text
    NumberField,  // unsigned number, read like GetDlgItemInt
    StaticText,
    GroupBox,
    ListBox,      // notifying; `tabStops` for names with a tab
    Slider,
    Swatch,       // owner-drawn colour button
    PromptField,  // takes the focus, swallows keys, reports clicks
};

struct ControlDef {
    int id;  // -1 for texts that are never addressed
    ControlKind kind;
    const char* text;
    int x, y, width, height;  // dialog units
    bool tabStops = false;
    bool centred = false;
};

struct DialogLayout {
    const char* title;
    int width, height;  // dialog units
    const ControlDef* controls;
    int controlCount;
    bool fixedPitchFont = false;
};

enum class DialogEvent {
    Init,             // before the dialog shows
    Click,            // buttons, radio buttons, check boxes, swatches; OK is id 1, Cancel id 2
    DoubleClick,      // list boxes
    SelectionChange,  // list boxes
    SliderMoved,
    DrawSwatch,       // the procedure answers with DialogFillSwatch
    PromptClick,      // left click on a prompt field
};

struct Dialog;  // opaque, owned by the platform
using DialogProc = void (*)(Dialog* dialog, DialogEvent event, int controlId, void* context);

constexpr int kDialogOk = 1;
constexpr int kDialogCancel = 2;

// Runs a modal dialog; returns the value given to DialogEnd (kDialogCancel when
// the window is closed).
int RunDialog(const DialogLayout& layout, DialogProc proc, void* context);
void DialogEnd(Dialog* dialog, int result);
void DialogSetText(Dialog* dialog, int id, const std::string& text);
std::string DialogGetText(Dialog* dialog, int id);
void DialogSetNumber(Dialog* dialog, int id, uint32_t value);
// Reads the text as an unsigned decimal number; false (and 0) when it is not one.
bool DialogGetNumber(Dialog* dialog, int id, uint32_t* value);
void DialogCheck(Dialog* dialog, int id, bool checked);
bool DialogIsChecked(Dialog* dialog, int id);
void DialogEnable(Dialog* dialog, int id, bool enabled);
bool DialogIsEnabled(Dialog* dialog, int id);
void DialogFocus(Dialog* dialog, int id);
void DialogListClear(Dialog* dialog, int id);
void DialogListAdd(Dialog* dialog, int id, const std::string& text);
int DialogListCount(Dialog* dialog, int id);
std::string DialogListItem(Dialog* dialog, int id, int index);
int DialogListSelection(Dialog* dialog, int id);  // -1: none
void DialogListSelect(Dialog* dialog, int id, int index);
void DialogSliderSetup(Dialog* dialog, int id, int minimum, int maximum, int tickEvery);
void DialogSliderSetPosition(Dialog* dialog, int id, int position);
int DialogSliderPosition(Dialog* dialog, int id);
// Asks for a swatch to be drawn again (a DrawSwatch event follows).
void DialogInvalidate(Dialog* dialog, int id);
// Answer to DrawSwatch: fill the swatch with a colour and a one-pixel outline.
void DialogFillSwatch(Dialog* dialog, int id, Rgb colour);

// ---- Frame bitmap --------------------------------------------------------------------

constexpr int kFrameWidth = 280;
constexpr int kFrameHeight = 216;

// 280 x 216 pixels, 16 bits 0RRRRRGGGGGBBBBB, top-down, 560 bytes per row.
struct FrameBitmap;
FrameBitmap* CreateFrameBitmap();  // nullptr on failure; starts black
void ReleaseFrameBitmap(FrameBitmap* bitmap);
uint16_t* FramePixels(FrameBitmap* bitmap);
// The host's conversion of an 8-bit colour into the frame's pixel format.
uint16_t ColourToPixel(Rgb colour);

// ---- Keys ----------------------------------------------------------------------------

// The 256-entry key state (bit 7 = down), indexed by Windows virtual-key code.
// Shift (10h) and Ctrl (11h) follow either side.
void GetKeyboardState(uint8_t state[256]);
// US-layout character-to-key translation (VkKeyScanA): low byte the key
// code, FFh when the character has no key.
uint8_t KeyForCharacter(char c);
// The character a key gives on the US layout, with or without Shift:
// printable ASCII only, kNoCharacter for keys without one (Enter, F1, Up).
uint32_t CharacterForKey(uint8_t virtualKey, bool shift);

// What a key-down gives besides its key: a Unicode code point, kNoCharacter
// (cursor and function keys), or kDeadKey for a key that only starts a
// composed character (a dead accent).
constexpr uint32_t kNoCharacter = 0;
constexpr uint32_t kDeadKey = 0x110000;

// ---- Clipboard ----------------------------------------------------------------------

bool ClipboardHasText();
std::optional<std::string> ClipboardText();

// ---- Cursor and menu -------------------------------------------------------------

// Show (true) or hide the mouse cursor; the host counts, so calls stay paired.
void ShowCursor(bool show);
// Check mark of a menu item of the main window.
void SetMenuCheck(int commandId, bool checked);

// ---- Sound device ------------------------------------------------------------------

// Looping mono 22050 Hz 16-bit buffers mixed by the host with saturation.
constexpr int kSampleRate = 22050;

enum SoundStatus : uint32_t { kSoundPlaying = 1, kSoundLost = 2, kSoundLooping = 4 };
enum class HostResult { Ok, Lost, Failed };  // also used by the game controllers

bool SoundOpen();  // the device at normal cooperation level
void SoundClose();
int SoundCreateBuffer(uint32_t bytes);  // buffer id, or -1
void SoundReleaseBuffer(int buffer);
uint32_t SoundGetStatus(int buffer);
HostResult SoundPlayLooping(int buffer);
void SoundStop(int buffer);
void SoundSetPlayPosition(int buffer, uint32_t byteOffset);
bool SoundRestore(int buffer);
// Locks `bytes` from `offset`; the range comes back in one part, or two when it
// passes the end of the ring.
HostResult SoundLock(int buffer, uint32_t offset, uint32_t bytes, void** part1, uint32_t* size1,
                      void** part2, uint32_t* size2);
void SoundUnlock(int buffer, void* part1, uint32_t size1, void* part2, uint32_t size2);

// ---- Game controllers ------------------------------------------------------------

struct ControllerState {
    int32_t x = 0, y = 0;            // within the range set by ControllerSetAxisRange
    uint32_t hat = 0xFFFFFFFFu;      // hundredths of a degree clockwise from up, or centred
    bool buttons[32] = {};
};

// Finds up to two attached controllers; returns how many.
int ControllersOpen();
void ControllersClose();
bool ControllerPrepare(int slot, int axisMinimum, int axisMaximum, int* axes, int* hats);
bool ControllerAcquire(int slot, bool acquire);
// Polls and reads one controller; Lost when input was lost (re-acquire), Failed otherwise.
HostResult ControllerRead(int slot, ControllerState* state);
// True once after a controller was plugged in or pulled out since the last call: open them again.
bool ControllersChanged();

// ---- Files replaced whole ---------------------------------------------------------

// A file written through a temporary beside it ("<file>.tmp-XXXXXX") that
// takes the file's name only once everything is on disk: a failed or
// interrupted write leaves the previous file whole and no partial one. A file
// without write permission (even for root) is refused, not replaced; a device
// or a pipe is written in place. Errors are errno values.
struct SafeFile;
// Starts a new `path`; with `replace` false an existing file is refused
// (EEXIST). nullptr and *error set when the file cannot be started.
SafeFile* SafeFileBegin(const std::string& path, bool replace, int* error);
// Appends bytes; false once any write has failed (later writes do nothing).
bool SafeFileWrite(SafeFile* file, const void* data, size_t bytes);
// Overwrites bytes already written at `offset` (a header whose sizes are known
// only at the end); later appends go on at the end. False as SafeFileWrite,
// also for a pipe, which cannot go back.
bool SafeFileWriteAt(SafeFile* file, long offset, const void* data, size_t bytes);
// Flushes and renames; false (the temporary removed, the old file kept) when
// anything failed. Frees `file`.
bool SafeFileCommit(SafeFile* file, int* error);
// Drops what was written; the old file stays. Frees `file`.
void SafeFileAbandon(SafeFile* file);
// One buffer as a whole file, as Begin, Write and Commit.
bool WriteWholeFile(const std::string& path, const void* data, size_t bytes, bool replace, int* error);
// Removes the temporaries of `path` older than a minute that interrupted writes left.
void RemoveStaleTemporaries(const std::string& path);

// ---- INI files (private profile) --------------------------------------------------

// Case-insensitive sections and keys; `fallback` when the key is missing.
std::string IniGetString(const std::string& path, const std::string& section, const std::string& key,
                         const std::string& fallback);
int32_t IniGetInt(const std::string& path, const std::string& section, const std::string& key,
                  int32_t fallback);
// Sets one key, keeping every other section, key and comment; the file is
// replaced atomically. False when the file cannot be written.
bool IniWriteString(const std::string& path, const std::string& section, const std::string& key,
                    const std::string& value);
// Sets several keys of one section in order, as that many IniWriteString
// calls would, but in one atomic replace: all of them or none.
bool IniWriteStrings(const std::string& path, const std::string& section,
                     const std::vector<std::pair<std::string, std::string>>& entries);

}  // namespace platform
