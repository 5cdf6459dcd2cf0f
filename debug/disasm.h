// Z80 disassembler for every opcode the CPU core runs.
//
// Table-driven: one template per opcode of the main page, the ED page and
// the DD/FD page (the entries the core defines), and the CB and DDCB/FDCB
// pages from their operation and register fields. What the core does with
// bytes it leaves undefined is shown too: "NOP*" for a DD or FD prefix the
// core skips (one byte; the next byte runs as its own instruction) and for
// an undefined ED pair (two bytes, nothing happens); "TRAP" for ED FE.
// Undocumented forms are named as the core runs them: SLL, IXH/IXL/IYH/IYL,
// IN F,(C), OUT (C),0, and "RLC (IX+d),B" for a DDCB operation that also
// copies its result (for BIT: the byte read) into a register.
//
// Numbers are upper-case hexadecimal with an "h": bytes as two digits,
// words as four; relative jumps show their target. With symbols, jump and
// call targets, (nn) operands and 16-bit values from 0100h up show the name
// instead.
#pragma once

#include <cstdint>

#include "debug/symbols.h"

namespace Debug {

// What an instruction does to the flow, for step-over and run-until-RET.
enum class Flow : uint8_t { Plain, Jump, Call, Rst, Return, Halt };

constexpr int kMaxInstructionBytes = 4;

struct Instruction {
    uint8_t length = 1;
    Flow flow = Flow::Plain;
    bool hasTarget = false;  // a fixed jump or call target (not JP (HL), not RET)
    uint16_t target = 0;
    char text[40] = {};      // "LD A,(IX+05h)"
};

// Decodes the instruction at `address` whose bytes are bytes[0..3].
Instruction Disassemble(const uint8_t bytes[kMaxInstructionBytes], uint16_t address,
                        const Symbols* symbols = nullptr);

}  // namespace Debug
