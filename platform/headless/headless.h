// Controls of the headless host layer, for tests and vzelvega-run.
//
// The headless layer has no window, no sound card and no real clock: the
// caller drives time, answers file choosers and dialogs from a script, sets
// the keys, clipboard and controllers, and reads back what the emulator showed
// (message boxes, debug lines, the mixed sound).
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace platform::headless {

// Restores every control below to its start state (clock at 0, queues empty).
void ResetAll();

// ---- Clock -------------------------------------------------------------------
void SetCounterAvailable(bool available);  // default true
void SetCounterFrequency(int64_t countsPerSecond);  // default 1,000,000
void SetCounterReadFails(bool fails);
void SetCounter(int64_t counts);
void AdvanceCounter(int64_t counts);
void SetMilliseconds(uint32_t ms);
void AdvanceMilliseconds(uint32_t ms);

// ---- Output seen by the user ------------------------------------------------------
struct MessageBoxRecord {
    std::string title, text;
    MessageIcon icon;
};
const std::vector<MessageBoxRecord>& MessageBoxes();
// The latest DebugOutput lines since the last ClearRecords, oldest first.
constexpr size_t kKeptDebugLines = 64;
std::vector<std::string> DebugLines();
const std::vector<std::string>& Notices();     // every ShowNotice line since the last ClearRecords
void ClearRecords();

// ---- File choosers: answers queued in order; an empty queue cancels --------------
struct FileChooserRecord {
    bool save;
    FileChooserRequest request;
};
void QueueFileAnswer(std::optional<std::string> path);
// When set, a save chooser with no queued answer is answered with the preset
// file name placed in this folder (vzelvega-run --record-dir).
void SetSaveFolder(const std::string& folder);
const std::vector<FileChooserRecord>& FileChoosers();

// ---- Colour chooser: answers queued in order; an empty queue cancels ------------
void QueueColourAnswer(std::optional<Rgb> colour);
// The 16 custom colours the chooser was last opened with.
const Rgb* LastCustomColours();

// ---- Dialogs ------------------------------------------------------------------------
// A script run after the dialog's Init event. It acts like a user through the
// functions below; if it leaves the dialog open, the dialog ends with Cancel.
using DialogScript = std::function<void(Dialog* dialog)>;
void QueueDialogScript(DialogScript script);
// Queued dialog scripts, file and colour answers nothing took; drops them.
size_t TakeUnusedAnswers();
const std::string& LastDialogTitle();

// User actions on an open dialog; each sends the event the host would.
void Click(Dialog* dialog, int id);  // buttons, radio buttons, check boxes (toggled by the dialog proc), swatches
void DoubleClick(Dialog* dialog, int id);
void Select(Dialog* dialog, int id, int index);  // list box selection by the user
void TypeText(Dialog* dialog, int id, const std::string& text);  // replaces an edit field's text
void MoveSlider(Dialog* dialog, int id, int position);
void ClickPrompt(Dialog* dialog, int id);
bool IsOpen(Dialog* dialog);
// The colour a swatch was last filled with.
Rgb SwatchColour(Dialog* dialog, int id);

// ---- Keys, clipboard, controllers ------------------------------------------------------
void SetKeyDown(uint8_t virtualKey, bool down);
void ReleaseAllKeys();
void SetClipboardText(std::optional<std::string> text);
// A controller in a slot (0 or 1); `present` false removes it.
void SetController(int slot, bool present, int axes, int hats, const ControllerState& state);

// ---- Sound --------------------------------------------------------------------------------
void SetSoundAvailable(bool available);  // default true
void SetShownPictureScale(int scale);    // what ShownPictureScale answers; default 1
// Every buffer stops and is lost (as when another program takes the device):
// playing and locking answer Lost until SoundRestore, which fails while
// `restoreFails` is set.
void LoseSoundBuffers(bool restoreFails);
// Advances every playing buffer's play position by that many samples and
// mixes them (signed, with saturation) into the capture.
void PlaySamples(uint32_t samples);
void StartCapture();
const std::vector<int16_t>& CapturedSamples();

// ---- Menu and cursor ------------------------------------------------------------------------
bool MenuChecked(int commandId);
int CursorShowCount();  // starts at 0; ShowCursor(true) adds one, false takes one

}  // namespace platform::headless
