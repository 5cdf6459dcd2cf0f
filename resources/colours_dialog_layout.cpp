// Layout of the "Colors" dialog (dialog units). Swatch ids are 1325 plus
// the palette entry; entries 5 and 23-32 have none and are not editable here.
#include "resources/colours_dialog_layout.h"

namespace ColoursDialog {

using platform::ControlKind;
using platform::ControlDef;

namespace {
const ControlDef kControls[] = {
    {-1, ControlKind::GroupBox, "Alpha Semigraphics", 7, 7, 251, 101},
    {-1, ControlKind::GroupBox, "Four Color Graphics", 7, 109, 251, 40},
    {-1, ControlKind::GroupBox, "Two Color Graphics", 7, 155, 256, 59},
    {-1, ControlKind::GroupBox, "Window size", 7, 223, 190, 45},
    {1329, ControlKind::Swatch, "", 15, 17, 8, 8},  // entry 4
    {-1, ControlKind::StaticText, "Alpha Semigraphics Border (Black)", 27, 17, 136, 8},
    {1331, ControlKind::Swatch, "", 15, 28, 8, 8},  // entry 6
    {-1, ControlKind::StaticText, "Dark Green", 27, 28, 38, 8},
    {1332, ControlKind::Swatch, "", 67, 28, 8, 8},  // entry 7
    {-1, ControlKind::StaticText, "Light Green", 79, 28, 45, 8},
    {1333, ControlKind::Swatch, "", 15, 38, 8, 8},  // entry 8
    {-1, ControlKind::StaticText, "Light green", 27, 38, 38, 8},
    {1334, ControlKind::Swatch, "", 67, 38, 8, 8},  // entry 9
    {-1, ControlKind::StaticText, "Dark green", 79, 38, 44, 8},
    {1344, ControlKind::Swatch, "", 15, 48, 8, 8},  // entry 19
    {1345, ControlKind::Swatch, "", 67, 48, 8, 8},  // entry 20
    {1346, ControlKind::Swatch, "", 15, 58, 8, 8},  // entry 21
    {1347, ControlKind::Swatch, "", 67, 58, 8, 8},  // entry 22
    {1335, ControlKind::Swatch, "", 15, 72, 8, 8},  // entry 10
    {-1, ControlKind::StaticText, "Black", 27, 72, 24, 8},
    {1336, ControlKind::Swatch, "", 15, 82, 8, 8},  // entry 11
    {-1, ControlKind::StaticText, "Green", 27, 82, 24, 8},
    {1340, ControlKind::Swatch, "", 62, 82, 8, 8},  // entry 15
    {-1, ControlKind::StaticText, "Buff", 74, 82, 20, 8},
    {1337, ControlKind::Swatch, "", 109, 82, 8, 8},  // entry 12
    {-1, ControlKind::StaticText, "Yellow", 121, 82, 28, 8},
    {1341, ControlKind::Swatch, "", 156, 82, 8, 8},  // entry 16
    {-1, ControlKind::StaticText, "Cyan", 168, 82, 20, 8},
    {1338, ControlKind::Swatch, "", 15, 92, 8, 8},  // entry 13
    {-1, ControlKind::StaticText, "Blue", 27, 92, 20, 8},
    {1342, ControlKind::Swatch, "", 62, 92, 8, 8},  // entry 17
    {-1, ControlKind::StaticText, "Magenta", 74, 92, 32, 8},
    {1339, ControlKind::Swatch, "", 109, 92, 8, 8},  // entry 14
    {-1, ControlKind::StaticText, "Red", 121, 92, 20, 8},
    {1343, ControlKind::Swatch, "", 156, 92, 8, 8},  // entry 18
    {-1, ControlKind::StaticText, "Orange", 168, 92, 28, 8},
    {1327, ControlKind::Swatch, "", 15, 120, 8, 8},  // entry 2
    {-1, ControlKind::StaticText, "Green border", 27, 120, 50, 8},
    {1358, ControlKind::Swatch, "", 79, 120, 8, 8},  // entry 33
    {-1, ControlKind::StaticText, "Green", 91, 120, 24, 8},
    {1359, ControlKind::Swatch, "", 123, 120, 8, 8},  // entry 34
    {-1, ControlKind::StaticText, "Yellow", 135, 120, 28, 8},
    {1360, ControlKind::Swatch, "", 167, 120, 8, 8},  // entry 35
    {-1, ControlKind::StaticText, "Blue", 179, 120, 20, 8},
    {1361, ControlKind::Swatch, "", 211, 120, 8, 8},  // entry 36
    {-1, ControlKind::StaticText, "Red", 223, 120, 20, 8},
    {1328, ControlKind::Swatch, "", 15, 133, 8, 8},  // entry 3
    {-1, ControlKind::StaticText, "Buff border", 27, 133, 48, 8},
    {1364, ControlKind::Swatch, "", 79, 133, 8, 8},  // entry 39
    {-1, ControlKind::StaticText, "Magenta", 91, 133, 30, 8},
    {1365, ControlKind::Swatch, "", 123, 133, 8, 8},  // entry 40
    {-1, ControlKind::StaticText, "Orange", 135, 133, 28, 8},
    {1362, ControlKind::Swatch, "", 167, 133, 8, 8},  // entry 37
    {-1, ControlKind::StaticText, "Buff", 179, 133, 20, 8},
    {1363, ControlKind::Swatch, "", 211, 133, 8, 8},  // entry 38
    {-1, ControlKind::StaticText, "Cyan", 223, 133, 20, 8},
    {1325, ControlKind::Swatch, "", 15, 174, 8, 8},  // entry 0
    {-1, ControlKind::StaticText, "Border (Light Green)", 27, 174, 74, 8},
    {1366, ControlKind::Swatch, "", 103, 174, 8, 8},  // entry 41
    {-1, ControlKind::StaticText, "Dark Green", 115, 174, 42, 8},
    {1367, ControlKind::Swatch, "", 159, 174, 8, 8},  // entry 42
    {-1, ControlKind::StaticText, "Light Green", 171, 174, 48, 8},
    {1326, ControlKind::Swatch, "", 15, 197, 8, 8},  // entry 1
    {-1, ControlKind::StaticText, "Border (Buff)", 27, 197, 56, 8},
    {1369, ControlKind::Swatch, "", 103, 197, 8, 8},  // entry 44
    {-1, ControlKind::StaticText, "Buff", 115, 197, 20, 8},
    {1368, ControlKind::Swatch, "", 159, 197, 8, 8},  // entry 43
    {-1, ControlKind::StaticText, "Black", 171, 197, 24, 8},
    {-1, ControlKind::StaticText, "Light green on dark green, text", 126, 28, 124, 8},
    {-1, ControlKind::StaticText, "Dark green on light green, text", 126, 38, 124, 8},
    {-1, ControlKind::StaticText, "Light Green on Dark Green", 15, 164, 240, 8, false, true},
    {-1, ControlKind::StaticText, "Buff on Black", 15, 186, 240, 8, false, true},
    {kScale100, ControlKind::RadioButton, "100%", 12, 231, 33, 10},
    {kScale200, ControlKind::RadioButton, "200% (best)", 12, 241, 53, 10},
    {kScale300, ControlKind::RadioButton, "300%", 12, 252, 33, 10},
    {platform::kDialogOk, ControlKind::DefaultButton, "OK", 7, 278, 50, 14},
    {platform::kDialogCancel, ControlKind::PushButton, "Cancel", 147, 278, 50, 14},
};
}  // namespace

const platform::DialogLayout kLayout = {"Colors", 295, 305, kControls, int(sizeof kControls / sizeof kControls[0])};

}  // namespace ColoursDialog

