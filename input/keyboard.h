// Keyboard: host key-downs into emulated key codes, once per frame, in the
// host layout, the emulated layout or through the user's sensible assignments.
//
// The Zel Vega keyboard has no matrix the CPU could scan: each key press
// reaches the program as one 8-bit code in the PPI's port A latch, with an
// interrupt whose vector says what waits there (14h for the function-key
// codes F0h-F9h, 02h for everything else).
//
// Modes: host layout (`keyboardHostLayout`): a key that gives a character on
// the host delivers that character's code (CodesForCharacter, the table quick
// type uses); keys without one, and Ctrl with a key that is no letter, use
// the emulated rows. Emulated layout (`keyboardEmulated`): a host key stands
// for a fixed row by its position, Shift or Ctrl picks the layer. Sensible:
// the user's `sensibleKeyMap` names key and layer.
//
// Inputs: host key-downs with their character (OnKeyDown), the host key
// state (at each key-down for Shift and Ctrl, and once per poll for the game
// keys), the settings above. Outputs: the code in `Machine::state.ppiPortA`
// and the interrupt request; the game-keys byte for the sub-processor's
// key-scan command.
// Use: BuildTables once at start-up, OnKeyDown for every key-down message,
// PollFrame once per frame after the CPU slice; DeliverKey also serves
// quick type.
// Key-downs wait in a short queue, each with the Shift and Ctrl of its own
// moment, and go out one per frame in order, so fast typing loses nothing; a
// key waits while the program has not yet taken the one before (its
// interrupt still pending).
// Not modelled: GRAPH and kana layers (the machine's keyboard has none
// reachable from here), key-up events (a code is sent per key-down only).
#pragma once

#include <cstdint>

#include "platform/platform.h"
#include "state/state_io.h"

namespace KeyboardMapper {

constexpr int kRowCount = 66;
constexpr uint8_t kNoRow = 0xFF;
constexpr uint8_t kNoKey = 0xFF;         // a character without a key on the host layout
constexpr uint16_t kUnassigned = 0x00FF;  // a sensible-map entry without an assignment
constexpr uint8_t kKeyDown = 0x80;        // bit of a key-state entry

// Host keys (Windows virtual-key codes) the mapper itself looks at.
constexpr uint8_t kHostBackspace = 0x08;
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

// Key-downs waiting for their frame: about a second of the fastest typing
// (the ROM takes a key every frame or two).
constexpr int kQueueCapacity = 64;
constexpr uint8_t kWithShift = 0x01;  // QueuedKey::modifiers
constexpr uint8_t kWithCtrl = 0x02;

struct QueuedKey {
    uint8_t hostKey;
    uint8_t modifiers;   // kWithShift, kWithCtrl as held at the key-down
    uint8_t codesSent;   // of a character typed as several codes (an ellipsis)
    uint32_t character;  // platform::kNoCharacter, a code point or platform::kDeadKey
};

struct State {
    QueuedKey queue[kQueueCapacity];  // ring, oldest at queueHead
    uint8_t queueHead;
    uint8_t queueCount;
    uint8_t keyStateSnapshot[256];  // bit 7 = down, as of the last poll
};
extern State state;

// Zel Vega codes that type a character: printable ASCII (20h-7Eh) and CR as
// themselves; curly quotes, dashes, the ellipsis and the no-break spaces as
// their ASCII equivalents. Count 0: the machine has no such character.
struct CharacterCodes {
    uint8_t count;
    uint8_t codes[3];
};
CharacterCodes CodesForCharacter(uint32_t character);

// Fills in the host keys of the layout-dependent rows, builds hostKeyToRow
// (with Backspace as the Delete row) and the layer lists, clears the snapshot
// and the queue. Once, before the first hard reset.
void BuildTables();
// Every host key-down: the key (low byte counts), the character the host
// layout gives for it, and whether it is an auto-repeat (dropped while keys
// are waiting). Shift and Ctrl are read from the host key state now. Shift and
// Ctrl themselves never give a code and are not queued.
void OnKeyDown(uint32_t hostKeyCode, uint32_t character = platform::kNoCharacter, bool autoRepeat = false);
// Once per frame after the CPU slice: quick type first, then at most one code
// for the oldest waiting key-down.
void PollFrame();
// Places a code in port A and requests the key interrupt (replacing any pending request).
void DeliverKey(uint8_t code);
// Space, the arrows, Stop and Shift from the last poll's key state, 1 = down.
uint8_t GameKeyByte();

// Save states: section "KEYS". Version 2: the waiting key-downs, oldest
// first, and the snapshot; version 1 had one pending key without modifiers.
constexpr char kStateSectionTag[] = "KEYS";
constexpr uint16_t kStateSectionVersion = 2;
void SaveState(StateWriter& out);
bool LoadState(StateReader& in, uint16_t version, State* into);
void RestoreState(const State& saved);

}  // namespace KeyboardMapper
