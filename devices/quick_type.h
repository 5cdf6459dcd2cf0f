// Quick type and paste: a text file or the clipboard's text typed into the
// machine as if keyed in.
//
// One character is offered every second frame in which the CPU's interrupts
// are enabled at poll time, through the keyboard's key delivery (vector 02h).
// Only printable ASCII (20h-7Eh) and carriage return are typed; a line feed
// not preceded by CR ends its line as CR does (text written on this host);
// any other byte uses up its slot and types nothing. Clipboard text is UTF-8:
// curly quotes, dashes, the ellipsis and no-break spaces are typed as their
// ASCII equivalents, any other character outside ASCII uses up one slot.
//
// Use: TypeFile (menu) or TypeFilePath (runner), Paste (menu); FeedFrame as
// the first step of the keyboard's per-frame poll; Stop at every reset and at
// exit. IsActive for the machine's timer, the speed-up and the loaders that
// refuse to start while typing.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "state/state_io.h"

namespace QuickType {

// Plain-data part of the state (the text itself stays inside).
struct State {
    bool quickTypeActive = false;
    int32_t quickTypeLength = 0;
    int32_t quickTypeIndex = 0;        // index of the character last taken; -1 when typing starts
    uint32_t quickTypeFrameCount = 0;  // not reset when typing starts or stops
};
extern State state;

// "Quick Type...": chooser, then TypeFilePath. Refused while typing.
void TypeFile();
// Starts typing a file's bytes; false when nothing started.
bool TypeFilePath(const std::string& path);
// Types a text the program itself gives (the auto-start's CLOAD and RUN);
// not refused by a loaded tape. False while typing.
bool TypeText(const std::string& text);
// "Paste": types the clipboard's text. Refused while typing, while a tape is
// loaded for play, or without clipboard text.
void Paste();
// True when a character was delivered in this frame.
bool FeedFrame();
// Discards the rest of the text.
void Stop();
bool IsActive();

// Save states: section "QTYP", version 1: the position and, while typing,
// the text itself.
constexpr char kStateSectionTag[] = "QTYP";
constexpr uint16_t kStateSectionVersion = 1;
struct Saved {
    State state;
    std::vector<uint8_t> text;
};
void SaveState(StateWriter& out);
bool LoadState(StateReader& in, uint16_t version, Saved* into);
void RestoreState(Saved& saved);

}  // namespace QuickType
