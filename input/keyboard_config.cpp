// The "Configure Keyboard" dialog logic.
#include "input/keyboard_config.h"

#include "config/settings.h"
#include "input/keyboard.h"
#include "platform/platform.h"
#include "resources/keyboard_dialog_layout.h"

namespace KeyboardConfig {

namespace L = KeyboardDialogLayout;
using KeyboardMapper::EmulatedKeyTable;
using KeyboardMapper::kUnassigned;

namespace {
constexpr uint8_t kFromLayout = 0;
constexpr uint16_t kLayerBits = 0x0300;
constexpr uint16_t kLayerStep = 0x0100;
constexpr int kMapCount = 3;  // no modifier, host Shift, host Ctrl
const char* const kMapPrefix[kMapCount] = {"", "Shift ", "Ctrl "};
}  // namespace

// clang-format off
PcKey PcKeyNameTable[kPcKeyCount] = {
    {"Esc", 0x1B},
    {"1", 0x31}, {"2", 0x32}, {"3", 0x33}, {"4", 0x34}, {"5", 0x35},
    {"6", 0x36}, {"7", 0x37}, {"8", 0x38}, {"9", 0x39}, {"0", 0x30},
    {"a", 0x41}, {"b", 0x42}, {"c", 0x43}, {"d", 0x44}, {"e", 0x45}, {"f", 0x46}, {"g", 0x47},
    {"h", 0x48}, {"i", 0x49}, {"j", 0x4A}, {"k", 0x4B}, {"l", 0x4C}, {"m", 0x4D}, {"n", 0x4E},
    {"o", 0x4F}, {"p", 0x50}, {"q", 0x51}, {"r", 0x52}, {"s", 0x53}, {"t", 0x54}, {"u", 0x55},
    {"v", 0x56}, {"w", 0x57}, {"x", 0x58}, {"y", 0x59}, {"z", 0x5A},
    {"`", kFromLayout}, {"-", kFromLayout}, {"=", kFromLayout}, {"\\", kFromLayout},
    {"Backspace", 0x08}, {"Tab", 0x09},
    {"[", kFromLayout}, {"]", kFromLayout}, {";", kFromLayout}, {"'", kFromLayout},
    {"Enter", 0x0D},
    {",", kFromLayout}, {".", kFromLayout}, {"/", kFromLayout},
    {"Space", 0x20},
    {"F1", 0x70}, {"F2", 0x71}, {"F3", 0x72}, {"F4", 0x73}, {"F5", 0x74}, {"F6", 0x75},
    {"F7", 0x76}, {"F8", 0x77}, {"F9", 0x78}, {"F10", 0x79}, {"F11", 0x7A}, {"F12", 0x7B},
    {"Insert", 0x2D}, {"Delete", 0x2E}, {"Home", 0x24}, {"End", 0x23},
    {"Page Up", 0x21}, {"Page Down", 0x22},
    {"Left Arrow", 0x25}, {"Up Arrow", 0x26}, {"Right Arrow", 0x27}, {"Down Arrow", 0x28},
    {"Scroll Lock", 0x91},
    {"Num 1", 0x61}, {"Num 2", 0x62}, {"Num 3", 0x63}, {"Num 4", 0x64}, {"Num 5", 0x65},
    {"Num 6", 0x66}, {"Num 7", 0x67}, {"Num 8", 0x68}, {"Num 9", 0x69}, {"Num 0", 0x60},
    {"Num -", 0x6D}, {"Num +", 0x6B}, {"Num .", 0x6E}, {"Num *", 0x6A}, {"Num /", 0x6F},
    {"Pause", 0x13},
};
// clang-format on

const char* pcKeyName[256];
uint16_t assignLayer = 0;
std::string promptText;

namespace {

void setPrompt(platform::Dialog* dialog, const std::string& text) {
    promptText = text;
    platform::DialogSetText(dialog, L::kPrompt, promptText);
}

void buildPcKeyNames() {
    for (auto& name : pcKeyName) name = nullptr;
    for (PcKey& key : PcKeyNameTable) {
        // A derived code, once found, stays for the run.
        if (key.code == kFromLayout) key.code = platform::KeyForCharacter(key.name[0]);
        pcKeyName[key.code] = key.name;
    }
}

int layerOf(uint16_t layerBits) { return layerBits >> 8; }

void fillEmulatedKeys(platform::Dialog* dialog) {
    platform::DialogListClear(dialog, L::kZelVegaKeys);
    int layer = layerOf(assignLayer);
    for (const auto& row : EmulatedKeyTable)
        if (row.layers[layer].name) platform::DialogListAdd(dialog, L::kZelVegaKeys, row.layers[layer].name);
}

bool assignedTo(uint16_t value, int sel) {
    return value != kUnassigned && (value & 0xFF) == sel && (value & kLayerBits) == assignLayer;
}

// Walks the assignments of the selected emulated key in list order; calls
// `visit(map, hostKey)` for each and stops early when it returns false.
template <class Visit>
void forEachAssignment(int sel, Visit visit) {
    for (int hostKey = 0; hostKey < 256; ++hostKey) {
        if (!pcKeyName[hostKey]) continue;
        for (int map = 0; map < kMapCount; ++map)
            if (assignedTo(settingsCopy.sensibleKeyMap[map][hostKey], sel) && !visit(map, hostKey)) return;
    }
}

void listAssignments(platform::Dialog* dialog) {
    platform::DialogListClear(dialog, L::kPcKeys);
    int sel = platform::DialogListSelection(dialog, L::kZelVegaKeys);
    if (sel < 0) return;
    forEachAssignment(sel, [&](int map, int hostKey) {
        platform::DialogListAdd(dialog, L::kPcKeys, std::string(kMapPrefix[map]) + pcKeyName[hostKey]);
        return true;
    });
}

void chooseLayer(platform::Dialog* dialog, int radio, uint16_t layerBits) {
    assignLayer = layerBits;
    for (int id : {L::kAssignNormal, L::kAssignShift, L::kAssignCtrl}) platform::DialogCheck(dialog, id, id == radio);
    fillEmulatedKeys(dialog);
    // The refilled list has no selection, so nothing of the old layer stays listed.
    listAssignments(dialog);
}

void assignHeldKeys(platform::Dialog* dialog) {
    int sel = platform::DialogListSelection(dialog, L::kZelVegaKeys);
    uint8_t keys[256];
    platform::GetKeyboardState(keys);
    bool shift = keys[KeyboardMapper::kHostShift] & KeyboardMapper::kKeyDown;
    bool ctrl = keys[KeyboardMapper::kHostCtrl] & KeyboardMapper::kKeyDown;
    int held = -1;
    for (int hostKey = 0; hostKey < 256; ++hostKey)
        if ((keys[hostKey] & KeyboardMapper::kKeyDown) && pcKeyName[hostKey]) held = hostKey;
    if (held >= 0) {
        int map = shift ? 1 : ctrl ? 2 : 0;
        setPrompt(dialog, std::string(kMapPrefix[map]) + pcKeyName[held]);
        if (sel >= 0) {
            settingsCopy.sensibleKeyMap[map][held] = uint16_t(assignLayer + sel);
            listAssignments(dialog);
        }
    }
    platform::DialogFocus(dialog, L::kPrompt);
}

void deleteAssignment(platform::Dialog* dialog) {
    int sel = platform::DialogListSelection(dialog, L::kZelVegaKeys);
    int k = platform::DialogListSelection(dialog, L::kPcKeys);
    if (sel < 0 || k < 0) return;
    int count = 0;
    forEachAssignment(sel, [&](int map, int hostKey) {
        if (count++ != k) return true;
        settingsCopy.sensibleKeyMap[map][hostKey] = kUnassigned;
        return false;
    });
    listAssignments(dialog);
}

constexpr int kModes[] = {L::kHostLayoutMode, L::kEmulatedMode, L::kSensibleMode};

void chooseMode(platform::Dialog* dialog, int mode) {
    for (int id : kModes) platform::DialogCheck(dialog, id, id == mode);
}

bool anyAssignment() {
    for (const auto& map : settingsCopy.sensibleKeyMap)
        for (uint16_t value : map)
            if (value != kUnassigned) return true;
    return false;
}

// OK: the mode is taken. Sensible mode without a single assignment would type
// nothing at all: the user is told and the dialog stays open.
void confirm(platform::Dialog* dialog) {
    bool host = platform::DialogIsChecked(dialog, L::kHostLayoutMode);
    bool sensible = platform::DialogIsChecked(dialog, L::kSensibleMode);
    if (sensible && !anyAssignment()) {
        platform::ShowMessageBox("Configure Keyboard", kNothingAssigned, platform::MessageIcon::Exclamation);
        return;
    }
    settingsCopy.keyboardHostLayout = host ? 1 : 0;
    // With the host layout the file also names the emulated layout, the closest older choice.
    settingsCopy.keyboardEmulated = sensible ? 0 : 1;
    platform::DialogEnd(dialog, platform::kDialogOk);
}

void onEvent(platform::Dialog* dialog, platform::DialogEvent event, int id, void*) {
    using platform::DialogEvent;
    switch (event) {
        case DialogEvent::Init:
            assignLayer = 0;
            buildPcKeyNames();
            chooseMode(dialog, settingsCopy.keyboardHostLayout ? L::kHostLayoutMode
                               : settingsCopy.keyboardEmulated ? L::kEmulatedMode
                                                               : L::kSensibleMode);
            promptText.clear();
            chooseLayer(dialog, L::kAssignNormal, 0);
            break;
        case DialogEvent::Click:
            if (id == L::kHostLayoutMode || id == L::kEmulatedMode || id == L::kSensibleMode) {
                chooseMode(dialog, id);
            } else if (id == L::kAssignNormal) {
                chooseLayer(dialog, id, 0);
            } else if (id == L::kAssignShift) {
                chooseLayer(dialog, id, kLayerStep);
            } else if (id == L::kAssignCtrl) {
                chooseLayer(dialog, id, 2 * kLayerStep);
            } else if (id == platform::kDialogOk) {
                confirm(dialog);
            } else if (id == platform::kDialogCancel) {
                platform::DialogEnd(dialog, platform::kDialogCancel);
            }
            break;
        case DialogEvent::SelectionChange:
            if (id == L::kZelVegaKeys) {
                setPrompt(dialog, kPromptSelected);
                listAssignments(dialog);
            }
            break;
        case DialogEvent::DoubleClick:
            if (id == L::kZelVegaKeys) {
                platform::DialogFocus(dialog, L::kPrompt);
                setPrompt(dialog, kPromptHoldKeys);
            } else if (id == L::kPcKeys) {
                deleteAssignment(dialog);
            }
            break;
        case DialogEvent::PromptClick:
            if (id == L::kPrompt) assignHeldKeys(dialog);
            break;
        default:
            break;
    }
}

}  // namespace

bool Dialog() {
    settingsCopy = settings;
    if (platform::RunDialog(L::kLayout, onEvent, nullptr) != platform::kDialogOk) return false;
    settings = settingsCopy;
    Settings::SaveKeyboard();
    return true;
}

}  // namespace KeyboardConfig
