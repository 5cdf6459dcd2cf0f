// Layout of the "Configure Keyboard" dialog, in dialog units. Fixed-pitch
// font, so the tab in names such as "Shift 1<tab>!" lines the symbols up.
#include "resources/keyboard_dialog_layout.h"

namespace KeyboardDialogLayout {

namespace {
using platform::ControlKind;
constexpr platform::ControlDef kControls[] = {
    {kHostLayoutMode, ControlKind::RadioButton, "Host layout (keys type the characters on the PC keys)", 7, 7, 260, 10},
    {kEmulatedMode, ControlKind::RadioButton, "Emulated (keyboard emulates Zel Vega layout)", 7, 20, 220, 10},
    {kSensibleMode, ControlKind::RadioButton, "Sensible", 7, 33, 220, 10},
    {-1, ControlKind::GroupBox, "Assign Sensible Keys", 7, 49, 286, 212},
    {kAssignNormal, ControlKind::RadioButton, "Assign PC keys to normal Zel Vega keyboard", 15, 61, 220, 10},
    {kAssignShift, ControlKind::RadioButton, "Assign PC keys to SHIFT Zel Vega keyboard", 15, 73, 220, 10},
    {kAssignCtrl, ControlKind::RadioButton, "Assign PC keys to CTRL Zel Vega keyboard", 15, 85, 220, 10},
    {-1, ControlKind::StaticText, "Zel Vega keys (double click to edit)", 15, 101, 132, 10},
    {kZelVegaKeys, ControlKind::ListBox, "", 15, 113, 132, 120, true},
    {-1, ControlKind::StaticText, "PC keys (double click to delete)", 155, 101, 130, 10},
    {kPcKeys, ControlKind::ListBox, "", 155, 113, 130, 120},
    {kPrompt, ControlKind::PromptField, "", 15, 239, 270, 14},
    {platform::kDialogOk, ControlKind::DefaultButton, "OK", 186, 269, 50, 14},
    {platform::kDialogCancel, ControlKind::PushButton, "Cancel", 243, 269, 50, 14},
};
}  // namespace

const platform::DialogLayout kLayout = {"Configure Keyboard", 300, 290, kControls,
                                        int(sizeof kControls / sizeof kControls[0]), true};

}  // namespace KeyboardDialogLayout
