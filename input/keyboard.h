// Keyboard: host key-downs into emulated key codes, once per frame, in the
// emulated layout or through the user's sensible assignments.
//
// The Zel Vega keyboard has no matrix the CPU could scan: each key press
// reaches the program as one 8-bit code in the PPI's port A latch, with an
// interrupt whose vector says what waits there (14h for the function-key
// codes F0h-F9h, 02h for everything else).
//
// Inputs: host key-downs (OnKeyDown), the host key state (read once per
// poll), the settings `keyboardEmulated` and `sensibleKeyMap`. Outputs: the
// code in `Machine::state.ppiPortA` and the interrupt request; the game-keys
// byte for the sub-processor's key-scan command.
// Use: BuildTables once at start-up, OnKeyDown for every key-down message,
// PollFrame once per frame after the CPU slice; DeliverKey also serves
// quick type.
// Not modelled: GRAPH and kana layers (the machine's keyboard has none
// reachable from here), key-up events (a code is sent per key-down only).
#pragma once

#include <cstdint>

#include "state/state_io.h"

namespace KeyboardMapper {

constexpr int kRowCount = 66;
constexpr uint8_t kNoRow = 0xFF;
constexpr uint8_t kNoKey = 0xFF;         // a character without a key on the host layout
constexpr uint16_t kUnassigned = 0x00FF;  // a sensible-map entry without an assignment
constexpr uint8_t kKeyDown = 0x80;        // bit of a key-state entry

// Host keys (Windows virtual-key codes) the mapper itself looks at.
constexpr uint8_t kHostShift = 0x10;
constexpr uint8_t kHostCtrl = 0x11;
constexpr uint8_t kHostSpace = 0x20;
constexpr uint8_t kHostEnd = 0x23;
constexpr uint8_t kHostLeft = 0x25;
constexpr uint8_t kHostUp = 0x26;
constexpr uint8_t kHostRight = 0x27;
constexpr uint8_t kHostDown = 0x28;

// Interrupt vectors of a delivered code.
constexpr int32_t kKeyVector = 0x02;
constexpr int32_t kFunctionKeyVector = 0x14;

enum Layer { kNormalLayer = 0, kShiftLayer = 1, kCtrlLayer = 2 };

struct KeyLayer {
    const char* name;  // nullptr: the layer does not exist in this row
    uint8_t code;      // 00 where there is no name
};

struct KeyRow {
    char hostChar;    // finds hostKey on the host layout when it starts as 0
    uint8_t hostKey;  // Windows virtual-key code
    KeyLayer layers[3];  // normal, Shift, Ctrl
};

// The 66 emulated keys; layout-dependent host keys are filled in by BuildTables.
extern KeyRow EmulatedKeyTable[kRowCount];
// Host key code -> row, kNoRow where no row stands for the key.
extern uint8_t hostKeyToRow[256];

// Rows in which a layer exists, in table order; a position here is a list index.
struct LayerList {
    uint8_t rows[kRowCount];
    int count;
};
extern LayerList layerList[3];

struct State {
    bool keyDownPending;
    uint8_t pendingHostKey;
    uint8_t keyStateSnapshot[256];  // bit 7 = down, as of the last poll
};
extern State state;

// Fills in the host keys of the layout-dependent rows, builds hostKeyToRow
// and the layer lists, clears the snapshot. Once, before the first hard reset.
void BuildTables();
// Every host key-down (also auto-repeats); the last one before a poll counts.
void OnKeyDown(uint32_t hostKeyCode);
// Once per frame after the CPU slice: quick type first, then at most one code.
void PollFrame();
// Places a code in port A and requests the key interrupt (replacing any pending request).
void DeliverKey(uint8_t code);
// Space, the arrows, Stop and Shift from the last poll's key state, 1 = down.
uint8_t GameKeyByte();

// Save states: section "KEYS", version 1: the pending key and the snapshot.
constexpr char kStateSectionTag[] = "KEYS";
constexpr uint16_t kStateSectionVersion = 1;
void SaveState(StateWriter& out);
bool LoadState(StateReader& in, uint16_t version, State* into);
void RestoreState(const State& saved);

}  // namespace KeyboardMapper
