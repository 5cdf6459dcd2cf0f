// Layout of the "Configure Serial Printer" dialog, in dialog units.
#include "resources/printer_dialog_layout.h"

namespace PrinterDialogLayout {

namespace {
using platform::ControlKind;
constexpr platform::ControlDef kControls[] = {
    {-1, ControlKind::StaticText,
     "NOTE:  This emulator sends all printer output to a file.  It does NOT attempt to print to a real printer.",
     7, 7, 236, 18},
    {kAutoLineFeed, ControlKind::CheckBox, "Automatic linefeed following carriage return", 7, 30, 236, 10},
    {-1, ControlKind::GroupBox, "Printer Width", 7, 45, 236, 40},
    {kUnlimitedWidth, ControlKind::RadioButton, "Unlimited width", 15, 56, 100, 10},
    {kFixedWidth, ControlKind::RadioButton, "Fixed width at ", 15, 69, 62, 10},
    {kWidthField, ControlKind::NumberField, "", 79, 67, 36, 13},
    {-1, ControlKind::StaticText, "characters", 119, 69, 50, 10},
    {-1, ControlKind::GroupBox, "Filename for Printer Output", 7, 90, 236, 40},
    {kPathText, ControlKind::StaticText, "", 15, 102, 170, 20},
    {kBrowse, ControlKind::PushButton, "Browse", 190, 103, 46, 14},
    {platform::kDialogOk, ControlKind::DefaultButton, "OK", 136, 138, 50, 14},
    {platform::kDialogCancel, ControlKind::PushButton, "Cancel", 193, 138, 50, 14},
};
}  // namespace

const platform::DialogLayout kLayout = {"Configure Serial Printer", 250, 159, kControls,
                                        int(sizeof kControls / sizeof kControls[0])};

}  // namespace PrinterDialogLayout
