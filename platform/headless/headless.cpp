// Headless host layer: a controllable clock, scripted choosers and dialogs,
// recorded message boxes, an in-memory sound device with a capture of its mix.
#include "platform/headless/headless.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <map>
#include <memory>
#include <utility>

namespace platform {

namespace {

struct ClockState {
    bool available = true;
    bool readFails = false;
    int64_t frequency = 1000000;
    int64_t counter = 0;
    uint32_t ms = 0;
};

struct ControlState {
    ControlKind kind = ControlKind::StaticText;
    std::string text;
    bool checked = false;
    bool enabled = true;
    std::vector<std::string> items;
    int selection = -1;
    int sliderMin = 0, sliderMax = 100, sliderPos = 0;
    Rgb swatch;
};

struct SoundBuffer {
    bool alive = false;
    std::vector<uint8_t> data;
    uint32_t status = 0;
    uint32_t playPosition = 0;
    bool lost = false;  // play and lock refuse until restored
};

struct ControllerSlot {
    bool present = false;
    int axes = 0, hats = 0;
    ControllerState state;
    bool acquired = false;
};

struct HeadlessState {
    ClockState clock;
    std::vector<headless::MessageBoxRecord> messageBoxes;
    std::deque<std::string> debugLines;  // the latest kKeptDebugLines only
    std::vector<std::string> notices;
    int pictureScale = 1;
    std::deque<std::optional<std::string>> fileAnswers;
    std::string saveFolder;
    std::vector<headless::FileChooserRecord> fileChoosers;
    std::deque<std::optional<Rgb>> colourAnswers;
    Rgb lastCustomColours[16] = {};
    std::deque<headless::DialogScript> dialogScripts;
    std::string lastDialogTitle;
    uint8_t keys[256] = {};
    std::optional<std::string> clipboard;
    ControllerSlot controllers[2];
    bool controllersChanged = false;
    bool soundAvailable = true;
    bool soundRestoreFails = false;
    bool soundOpen = false;
    std::vector<SoundBuffer> soundBuffers;
    std::vector<int16_t> capture;
    std::map<int, bool> menuChecks;
    int cursorCount = 0;
};

HeadlessState& H() {
    static HeadlessState state;
    return state;
}

}  // namespace

struct Dialog {
    const DialogLayout* layout = nullptr;
    DialogProc proc = nullptr;
    void* context = nullptr;
    std::map<int, ControlState> controls;
    bool open = true;
    int result = kDialogCancel;
};

struct FrameBitmap {
    uint16_t pixels[kFrameWidth * kFrameHeight] = {};
};

// ---- Clocks ---------------------------------------------------------------

bool QueryCounterFrequency(int64_t* countsPerSecond) {
    if (!H().clock.available) return false;
    *countsPerSecond = H().clock.frequency;
    return true;
}

bool ReadCounter(int64_t* counts) {
    if (!H().clock.available || H().clock.readFails) return false;
    *counts = H().clock.counter;
    return true;
}

uint32_t MillisecondClock() { return H().clock.ms; }

// ---- Diagnostics and message boxes ---------------------------------------------

void DebugOutput(const char* text) {
    // A running program writes a line per RETI: only the latest few are kept,
    // so a run of any length stays the same size.
    auto& lines = H().debugLines;
    if (lines.size() == headless::kKeptDebugLines) lines.pop_front();
    lines.emplace_back(text);
    if (std::getenv("VZELVEGA_DEBUG")) std::fputs(text, stderr);
}

void ShowMessageBox(const std::string& title, const std::string& text, MessageIcon icon) {
    H().messageBoxes.push_back({title, text, icon});
}

void ShowNotice(const std::string& text) { H().notices.push_back(text); }
int ShownPictureScale() { return H().pictureScale; }

// ---- File and colour choosers ----------------------------------------------------

namespace {
std::optional<std::string> AnswerChooser(bool save, const FileChooserRequest& request) {
    H().fileChoosers.push_back({save, request});
    if (!H().fileAnswers.empty()) {
        auto answer = H().fileAnswers.front();
        H().fileAnswers.pop_front();
        return answer;
    }
    if (save && !H().saveFolder.empty()) {
        std::string name = request.presetPath;
        size_t slash = name.find_last_of("/\\");
        if (slash != std::string::npos) name = name.substr(slash + 1);
        return H().saveFolder + "/" + name;
    }
    return std::nullopt;
}
}  // namespace

std::optional<std::string> ChooseOpenFile(const FileChooserRequest& request) {
    return AnswerChooser(false, request);
}

std::optional<std::string> ChooseSaveFile(const FileChooserRequest& request) {
    return AnswerChooser(true, request);
}

bool ChooseColour(Rgb* colour, Rgb customColours[16]) {
    for (int i = 0; i < 16; ++i) H().lastCustomColours[i] = customColours[i];
    if (H().colourAnswers.empty()) return false;
    auto answer = H().colourAnswers.front();
    H().colourAnswers.pop_front();
    if (!answer) return false;
    *colour = *answer;
    return true;
}

// ---- Dialogs ----------------------------------------------------------------------

namespace {
ControlState& Control(Dialog* dialog, int id) { return dialog->controls[id]; }

void Send(Dialog* dialog, DialogEvent event, int id) {
    if (dialog->open) dialog->proc(dialog, event, id, dialog->context);
}
}  // namespace

int RunDialog(const DialogLayout& layout, DialogProc proc, void* context) {
    Dialog dialog;
    dialog.layout = &layout;
    dialog.proc = proc;
    dialog.context = context;
    for (int i = 0; i < layout.controlCount; ++i) {
        const ControlDef& def = layout.controls[i];
        ControlState& control = dialog.controls[def.id];
        control.kind = def.kind;
        control.text = def.text ? def.text : "";
    }
    H().lastDialogTitle = layout.title;
    Send(&dialog, DialogEvent::Init, 0);
    for (auto& [id, control] : dialog.controls) {
        if (control.kind == ControlKind::Swatch) Send(&dialog, DialogEvent::DrawSwatch, id);
    }
    if (!H().dialogScripts.empty()) {
        auto script = std::move(H().dialogScripts.front());
        H().dialogScripts.pop_front();
        if (dialog.open) script(&dialog);
    }
    return dialog.open ? kDialogCancel : dialog.result;
}

void DialogEnd(Dialog* dialog, int result) {
    dialog->open = false;
    dialog->result = result;
}

void DialogSetText(Dialog* dialog, int id, const std::string& text) { Control(dialog, id).text = text; }
std::string DialogGetText(Dialog* dialog, int id) { return Control(dialog, id).text; }

void DialogSetNumber(Dialog* dialog, int id, uint32_t value) {
    Control(dialog, id).text = std::to_string(value);
}

bool DialogGetNumber(Dialog* dialog, int id, uint32_t* value) {
    // Like GetDlgItemInt unsigned: leading blanks, then digits only.
    const std::string& text = Control(dialog, id).text;
    size_t i = 0;
    while (i < text.size() && text[i] == ' ') ++i;
    if (i == text.size()) {
        *value = 0;
        return false;
    }
    uint64_t n = 0;
    for (; i < text.size(); ++i) {
        if (text[i] < '0' || text[i] > '9' || n > 0xFFFFFFFFull) {
            *value = 0;
            return false;
        }
        n = n * 10 + uint64_t(text[i] - '0');
    }
    if (n > 0xFFFFFFFFull) {
        *value = 0;
        return false;
    }
    *value = uint32_t(n);
    return true;
}

void DialogCheck(Dialog* dialog, int id, bool checked) { Control(dialog, id).checked = checked; }
bool DialogIsChecked(Dialog* dialog, int id) { return Control(dialog, id).checked; }
void DialogEnable(Dialog* dialog, int id, bool enabled) { Control(dialog, id).enabled = enabled; }
bool DialogIsEnabled(Dialog* dialog, int id) { return Control(dialog, id).enabled; }
void DialogFocus(Dialog*, int) {}

void DialogListClear(Dialog* dialog, int id) {
    Control(dialog, id).items.clear();
    Control(dialog, id).selection = -1;
}
void DialogListAdd(Dialog* dialog, int id, const std::string& text) { Control(dialog, id).items.push_back(text); }
int DialogListCount(Dialog* dialog, int id) { return int(Control(dialog, id).items.size()); }
std::string DialogListItem(Dialog* dialog, int id, int index) {
    auto& items = Control(dialog, id).items;
    return index >= 0 && index < int(items.size()) ? items[size_t(index)] : std::string();
}
int DialogListSelection(Dialog* dialog, int id) { return Control(dialog, id).selection; }
void DialogListSelect(Dialog* dialog, int id, int index) {
    auto& control = Control(dialog, id);
    control.selection = index >= 0 && index < int(control.items.size()) ? index : -1;
}

void DialogSliderSetup(Dialog* dialog, int id, int minimum, int maximum, int) {
    auto& control = Control(dialog, id);
    control.sliderMin = minimum;
    control.sliderMax = maximum;
    control.sliderPos = std::clamp(control.sliderPos, minimum, maximum);
}
void DialogSliderSetPosition(Dialog* dialog, int id, int position) {
    auto& control = Control(dialog, id);
    control.sliderPos = std::clamp(position, control.sliderMin, control.sliderMax);
}
int DialogSliderPosition(Dialog* dialog, int id) { return Control(dialog, id).sliderPos; }
void DialogInvalidate(Dialog* dialog, int id) { Send(dialog, DialogEvent::DrawSwatch, id); }
void DialogFillSwatch(Dialog* dialog, int id, Rgb colour) { Control(dialog, id).swatch = colour; }

// ---- Frame bitmap --------------------------------------------------------------------

FrameBitmap* CreateFrameBitmap() { return new FrameBitmap(); }
void ReleaseFrameBitmap(FrameBitmap* bitmap) { delete bitmap; }
uint16_t* FramePixels(FrameBitmap* bitmap) { return bitmap ? bitmap->pixels : nullptr; }

// ---- Keys, clipboard, cursor, menu --------------------------------------------------------

void GetKeyboardState(uint8_t state[256]) { std::memcpy(state, H().keys, 256); }

bool ClipboardHasText() { return H().clipboard.has_value(); }
std::optional<std::string> ClipboardText() { return H().clipboard; }

void ShowCursor(bool show) { H().cursorCount += show ? 1 : -1; }
void SetMenuCheck(int commandId, bool checked) { H().menuChecks[commandId] = checked; }

// ---- Sound device -----------------------------------------------------------------------------

bool SoundOpen() {
    H().soundOpen = H().soundAvailable;
    return H().soundOpen;
}

void SoundClose() {
    H().soundBuffers.clear();
    H().soundOpen = false;
}

int SoundCreateBuffer(uint32_t bytes) {
    if (!H().soundOpen || bytes == 0) return -1;
    for (size_t i = 0; i < H().soundBuffers.size(); ++i) {
        if (!H().soundBuffers[i].alive) {
            H().soundBuffers[i] = SoundBuffer{true, std::vector<uint8_t>(bytes, 0), 0, 0};
            return int(i);
        }
    }
    H().soundBuffers.push_back(SoundBuffer{true, std::vector<uint8_t>(bytes, 0), 0, 0});
    return int(H().soundBuffers.size() - 1);
}

namespace {
SoundBuffer* Buffer(int id) {
    if (id < 0 || size_t(id) >= H().soundBuffers.size() || !H().soundBuffers[size_t(id)].alive) return nullptr;
    return &H().soundBuffers[size_t(id)];
}
}  // namespace

void SoundReleaseBuffer(int buffer) {
    if (SoundBuffer* b = Buffer(buffer)) *b = SoundBuffer{};
}

uint32_t SoundGetStatus(int buffer) {
    SoundBuffer* b = Buffer(buffer);
    if (!b) return 0;
    return b->lost ? (b->status | kSoundLost) : b->status;
}

HostResult SoundPlayLooping(int buffer) {
    SoundBuffer* b = Buffer(buffer);
    if (!b) return HostResult::Failed;
    if (b->lost) return HostResult::Lost;
    b->status = kSoundPlaying | kSoundLooping;
    return HostResult::Ok;
}

void SoundStop(int buffer) {
    if (SoundBuffer* b = Buffer(buffer)) b->status = 0;
}

void SoundSetPlayPosition(int buffer, uint32_t byteOffset) {
    if (SoundBuffer* b = Buffer(buffer)) b->playPosition = byteOffset % uint32_t(b->data.size());
}

bool SoundRestore(int buffer) {
    SoundBuffer* b = Buffer(buffer);
    if (!b || H().soundRestoreFails) return false;
    b->lost = false;
    return true;
}

HostResult SoundLock(int buffer, uint32_t offset, uint32_t bytes, void** part1, uint32_t* size1, void** part2,
                     uint32_t* size2) {
    SoundBuffer* b = Buffer(buffer);
    if (!b || bytes > b->data.size() || offset >= b->data.size()) return HostResult::Failed;
    if (b->lost) return HostResult::Lost;
    uint32_t size = uint32_t(b->data.size());
    uint32_t first = std::min(bytes, size - offset);
    *part1 = b->data.data() + offset;
    *size1 = first;
    *part2 = first < bytes ? b->data.data() : nullptr;
    *size2 = bytes - first;
    return HostResult::Ok;
}

void SoundUnlock(int, void*, uint32_t, void*, uint32_t) {}

// ---- Game controllers ----------------------------------------------------------------------------

int ControllersOpen() { return int(H().controllers[0].present) + int(H().controllers[1].present); }
void ControllersClose() {
    for (auto& slot : H().controllers) slot.acquired = false;
}

bool ControllerPrepare(int slot, int, int, int* axes, int* hats) {
    if (slot < 0 || slot > 1 || !H().controllers[slot].present) return false;
    *axes = H().controllers[slot].axes;
    *hats = H().controllers[slot].hats;
    return true;
}

bool ControllerAcquire(int slot, bool acquire) {
    if (slot < 0 || slot > 1 || !H().controllers[slot].present) return false;
    H().controllers[slot].acquired = acquire;
    return true;
}

HostResult ControllerRead(int slot, ControllerState* state) {
    if (slot < 0 || slot > 1 || !H().controllers[slot].present) return HostResult::Failed;
    *state = H().controllers[slot].state;
    return HostResult::Ok;
}

bool ControllersChanged() { return std::exchange(H().controllersChanged, false); }

// ---- Controls for tests and the runner ------------------------------------------------------------

namespace headless {

void ResetAll() { H() = HeadlessState{}; }

void SetCounterAvailable(bool available) { H().clock.available = available; }
void SetCounterFrequency(int64_t countsPerSecond) { H().clock.frequency = countsPerSecond; }
void SetCounterReadFails(bool fails) { H().clock.readFails = fails; }
void SetCounter(int64_t counts) { H().clock.counter = counts; }
void AdvanceCounter(int64_t counts) { H().clock.counter += counts; }
void SetMilliseconds(uint32_t ms) { H().clock.ms = ms; }
void AdvanceMilliseconds(uint32_t ms) { H().clock.ms += ms; }

const std::vector<MessageBoxRecord>& MessageBoxes() { return H().messageBoxes; }
std::vector<std::string> DebugLines() { return {H().debugLines.begin(), H().debugLines.end()}; }
const std::vector<std::string>& Notices() { return H().notices; }
void SetShownPictureScale(int scale) { H().pictureScale = scale; }
void ClearRecords() {
    H().messageBoxes.clear();
    H().notices.clear();
    H().debugLines.clear();
    H().fileChoosers.clear();
}

void QueueFileAnswer(std::optional<std::string> path) { H().fileAnswers.push_back(std::move(path)); }
void SetSaveFolder(const std::string& folder) { H().saveFolder = folder; }
const std::vector<FileChooserRecord>& FileChoosers() { return H().fileChoosers; }
void QueueColourAnswer(std::optional<Rgb> colour) { H().colourAnswers.push_back(colour); }
const Rgb* LastCustomColours() { return H().lastCustomColours; }

void QueueDialogScript(DialogScript script) { H().dialogScripts.push_back(std::move(script)); }
size_t TakeUnusedAnswers() {
    size_t n = H().dialogScripts.size() + H().fileAnswers.size() + H().colourAnswers.size();
    H().dialogScripts.clear(), H().fileAnswers.clear(), H().colourAnswers.clear();
    return n;
}
const std::string& LastDialogTitle() { return H().lastDialogTitle; }

void Click(Dialog* dialog, int id) {
    if (!dialog->controls.count(id) || !dialog->controls[id].enabled) return;
    Send(dialog, DialogEvent::Click, id);
}
void DoubleClick(Dialog* dialog, int id) {
    if (!dialog->controls[id].enabled) return;
    Send(dialog, DialogEvent::DoubleClick, id);
}
void Select(Dialog* dialog, int id, int index) {
    DialogListSelect(dialog, id, index);
    Send(dialog, DialogEvent::SelectionChange, id);
}
void TypeText(Dialog* dialog, int id, const std::string& text) {
    if (dialog->controls[id].enabled) dialog->controls[id].text = text;
}
void MoveSlider(Dialog* dialog, int id, int position) {
    if (!dialog->controls[id].enabled) return;
    DialogSliderSetPosition(dialog, id, position);
    Send(dialog, DialogEvent::SliderMoved, id);
}
void ClickPrompt(Dialog* dialog, int id) { Send(dialog, DialogEvent::PromptClick, id); }
bool IsOpen(Dialog* dialog) { return dialog->open; }
Rgb SwatchColour(Dialog* dialog, int id) { return dialog->controls[id].swatch; }

void SetKeyDown(uint8_t virtualKey, bool down) {
    H().keys[virtualKey] = down ? 0x80 : 0;
    // The generic Shift and Ctrl entries follow either side, as the host reports them.
    if (virtualKey == 0xA0 || virtualKey == 0xA1) H().keys[0x10] = (H().keys[0xA0] | H().keys[0xA1]) & 0x80;
    if (virtualKey == 0xA2 || virtualKey == 0xA3) H().keys[0x11] = (H().keys[0xA2] | H().keys[0xA3]) & 0x80;
}
void ReleaseAllKeys() { std::memset(H().keys, 0, sizeof H().keys); }
void SetClipboardText(std::optional<std::string> text) { H().clipboard = std::move(text); }

void SetController(int slot, bool present, int axes, int hats, const ControllerState& state) {
    if (slot < 0 || slot > 1) return;
    if (H().controllers[slot].present != present) H().controllersChanged = true;
    H().controllers[slot] = ControllerSlot{present, axes, hats, state, H().controllers[slot].acquired};
}

void SetSoundAvailable(bool available) { H().soundAvailable = available; }

void LoseSoundBuffers(bool restoreFails) {
    for (auto& b : H().soundBuffers) {
        if (!b.alive) continue;
        b.lost = true;
        b.status = 0;
    }
    H().soundRestoreFails = restoreFails;
}

void PlaySamples(uint32_t samples) {
    for (uint32_t s = 0; s < samples; ++s) {
        int32_t mix = 0;
        for (auto& b : H().soundBuffers) {
            if (!b.alive || !(b.status & kSoundPlaying) || b.data.size() < 2) continue;
            int16_t v;
            std::memcpy(&v, b.data.data() + b.playPosition, 2);
            mix += v;
            b.playPosition = (b.playPosition + 2) % uint32_t(b.data.size());
        }
        H().capture.push_back(int16_t(std::clamp(mix, -32768, 32767)));
    }
}

void StartCapture() { H().capture.clear(); }
const std::vector<int16_t>& CapturedSamples() { return H().capture; }

bool MenuChecked(int commandId) { return H().menuChecks.count(commandId) && H().menuChecks[commandId]; }
int CursorShowCount() { return H().cursorCount; }

}  // namespace headless
}  // namespace platform
