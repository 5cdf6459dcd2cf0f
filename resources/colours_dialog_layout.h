// The "Colors" dialog: palette swatches and the window size.
#pragma once

#include "platform/platform.h"

namespace ColoursDialog {

// A swatch's id is this plus the palette entry it shows.
constexpr int kFirstSwatch = 1325;
constexpr int kLastSwatch = 1369;
constexpr int kScale100 = 1370;
constexpr int kScale200 = 1371;
constexpr int kScale300 = 1372;

extern const platform::DialogLayout kLayout;

}  // namespace ColoursDialog
