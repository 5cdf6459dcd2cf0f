// Layout of the "Configure Keyboard" dialog (logic in input/keyboard_config.cpp).
#pragma once

#include "platform/platform.h"

namespace KeyboardDialogLayout {

constexpr int kHostLayoutMode = 1224;
constexpr int kEmulatedMode = 1214;
constexpr int kSensibleMode = 1215;
constexpr int kAssignNormal = 1216;
constexpr int kAssignShift = 1219;
constexpr int kAssignCtrl = 1220;
constexpr int kZelVegaKeys = 1221;  // emulated keys of the chosen layer, with tab stops
constexpr int kPcKeys = 1222;       // host keys assigned to the selected emulated key
constexpr int kPrompt = 1223;

extern const platform::DialogLayout kLayout;

}  // namespace KeyboardDialogLayout
