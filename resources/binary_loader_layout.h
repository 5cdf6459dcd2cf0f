// Layout of the "Load a binary file to memory" dialog (logic in devices/binary_loader.cpp).
#pragma once

#include "platform/platform.h"

namespace BinaryLoaderLayout {

constexpr int kPathText = 1701;
constexpr int kBrowse = 1702;
constexpr int kLoadAddress = 1703;
constexpr int kSetUsr = 1704;
constexpr int kUsrAddress = 1705;

extern const platform::DialogLayout kLayout;

}  // namespace BinaryLoaderLayout
