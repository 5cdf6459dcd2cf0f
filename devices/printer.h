// The printer port: inverted bytes appended to a text file.
#pragma once

#include <cstdint>

namespace PrinterPort {

void WritePortByte(uint8_t value);
void OnFrame();
void Close();
bool ConfigureDialog();

}  // namespace PrinterPort
