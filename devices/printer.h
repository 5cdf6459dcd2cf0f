// The printer port: every byte the emulated program prints is appended to a
// host text file; nothing reaches a real printer.
//
// Port 91h carries the data inverted. The file is opened ("ab") on the first
// byte and closed after 600,000 T-states without a printer write, so the
// user can read it while the emulator runs. An optional fixed width inserts
// CR LF once the column reaches it (the column counts modulo 256).
//
// Use: WritePortByte from the machine's port 91h; OnFrame once per frame;
// Close at every reset and at exit; ConfigureDialog for "Printer...".
// Not modelled: automatic line feed (stored and shown only), a real printer.
#pragma once

#include <cstdint>

#include "state/state_io.h"

namespace PrinterPort {

// Idle T-states after which the output file is closed.
constexpr uint32_t kIdleCycles = 600000;
// A write of FFh (inverted) at exactly this cycle after reset is the ROM's
// port initialisation, not a printed byte.
constexpr uint32_t kStartUpWriteCycle = 7111;
// Dialog width clamps.
constexpr uint32_t kSmallestWidth = 2;
constexpr uint32_t kFallbackWidth = 32;
constexpr uint32_t kLargestWidth = 65535;

struct State {
    uint8_t printerColumn = 0;  // column of the next character
    uint32_t lastPrinterCycle = 0;
};
extern State state;

// A write to port 91h.
void WritePortByte(uint8_t value);
// One byte (already inverted) to the output file.
void WriteByte(uint8_t b);
// Closes the file after the idle time.
void OnFrame();
// Completes and closes the output file; the column is kept.
void Close();
// Save states: section "PRNT", version 1: the column and the time of the
// last write. Restoring closes the open output file, as a reset does; the
// next printed byte appends to the file again.
constexpr char kStateSectionTag[] = "PRNT";
constexpr uint16_t kStateSectionVersion = 1;
void SaveState(StateWriter& out);
bool LoadState(StateReader& in, uint16_t version, State* into);
void RestoreState(const State& saved);
// Whether the output file is open.
bool IsOpen();
// "Configure Serial Printer"; true on OK (settings saved).
bool ConfigureDialog();
// The width stored for a dialog entry (`valid` false: not a number).
int32_t ClampWidth(bool valid, uint32_t entered);

}  // namespace PrinterPort
