// The "Configure Keyboard" dialog: chooses the host-layout, the emulated or
// the sensible keyboard mode and edits the sensible assignments (host key, alone or with
// Shift or Ctrl -> emulated key and layer).
//
// The user picks an emulated key in the list of a layer, double-clicks it,
// holds a host key combination and clicks the prompt field; the combination
// is assigned. The second list shows the host keys assigned to the selected
// emulated key; a double click there deletes one. The dialog edits
// `settingsCopy`; OK copies it back and writes section KEYBOARD.
// Not modelled: Alt, Caps Lock and Num Lock as assignable keys (they have no name).
#pragma once

#include <cstdint>
#include <string>

namespace KeyboardConfig {

constexpr int kPcKeyCount = 91;

struct PcKey {
    const char* name;
    uint8_t code;  // host key code; 0 = from the name's first character on the host layout
};

// The host keys that can be assigned, in list order.
extern PcKey PcKeyNameTable[kPcKeyCount];
// Host key code -> name (nullptr: cannot be assigned or listed); rebuilt when the dialog opens.
extern const char* pcKeyName[256];
// 0000h, 0100h or 0200h: the layer new assignments target and the list shows.
extern uint16_t assignLayer;
// What the prompt field shows.
extern std::string promptText;

constexpr const char* kPromptSelected = "Double click KX-9 key in listbox to edit";
constexpr const char* kPromptHoldKeys = "Hold down key combination and click HERE";
constexpr const char* kNothingAssigned =
    "Sensible mode types only the PC keys assigned below, and none is assigned yet. "
    "Assign keys first, or choose another mode.";

// Runs the dialog on a copy of the settings; true when confirmed with OK.
bool Dialog();

}  // namespace KeyboardConfig
