// Layout of the "Load a binary file to memory" dialog, in dialog units.
#include "resources/binary_loader_layout.h"

namespace BinaryLoaderLayout {

namespace {
using platform::ControlKind;
constexpr platform::ControlDef kControls[] = {
    {kPathText, ControlKind::StaticText, "filename - go browse for one", 7, 9, 170, 20},
    {kBrowse, ControlKind::PushButton, "Browse", 184, 8, 50, 14},
    {-1, ControlKind::StaticText, "Addresses below are assumed decimal - precede hex entry with a $ ", 7, 36, 227, 10},
    {-1, ControlKind::StaticText, "Load to address: ", 7, 53, 80, 10},
    {kLoadAddress, ControlKind::EditField, "", 92, 51, 50, 13},
    {kSetUsr, ControlKind::CheckBox, "Set USR address to: ", 7, 71, 84, 10},
    {kUsrAddress, ControlKind::EditField, "", 92, 69, 50, 13},
    {platform::kDialogOk, ControlKind::DefaultButton, "OK", 127, 92, 50, 14},
    {platform::kDialogCancel, ControlKind::PushButton, "Cancel", 184, 92, 50, 14},
};
}  // namespace

const platform::DialogLayout kLayout = {"Load a binary file to memory", 241, 113, kControls,
                                        int(sizeof kControls / sizeof kControls[0])};

}  // namespace BinaryLoaderLayout
