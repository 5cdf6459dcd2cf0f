// Layout of the "Configure Serial Printer" dialog (logic in devices/printer.cpp).
#pragma once

#include "platform/platform.h"

namespace PrinterDialogLayout {

constexpr int kAutoLineFeed = 1107;
constexpr int kUnlimitedWidth = 1108;
constexpr int kFixedWidth = 1109;
constexpr int kWidthField = 1111;
constexpr int kBrowse = 1112;
constexpr int kPathText = 1113;

extern const platform::DialogLayout kLayout;

}  // namespace PrinterDialogLayout
