// The disassembler against published Z80 encodings of every page, and its
// instruction lengths against what the CPU core actually runs.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "debug/disasm.h"
#include "tests/cpu_test_support.h"

using namespace Debug;

namespace {

struct Case {
    std::vector<uint8_t> bytes;
    const char* text;
};

// Encodings from the Z80 documentation; the core's undocumented set and its
// treatment of undefined bytes last. All at address 1000h.
const Case kCases[] = {
    {{0x00}, "NOP"},
    {{0x01, 0x34, 0x12}, "LD BC,1234h"},
    {{0x10, 0xFE}, "DJNZ 1000h"},
    {{0x18, 0x05}, "JR 1007h"},
    {{0x38, 0x80}, "JR C,0F82h"},
    {{0x22, 0x00, 0xC0}, "LD (C000h),HL"},
    {{0x76}, "HALT"},
    {{0xCD, 0x39, 0x02}, "CALL 0239h"},
    {{0xD3, 0xA1}, "OUT (A1h),A"},
    {{0xCB, 0x00}, "RLC B"},
    {{0xCB, 0x1E}, "RR (HL)"},
    {{0xCB, 0x7E}, "BIT 7,(HL)"},
    {{0xCB, 0x87}, "RES 0,A"},
    {{0xCB, 0xD9}, "SET 3,C"},
    {{0xED, 0x43, 0x00, 0xE0}, "LD (E000h),BC"},
    {{0xED, 0x4A}, "ADC HL,BC"},
    {{0xED, 0x4D}, "RETI"},
    {{0xED, 0x5E}, "IM 2"},
    {{0xED, 0x5F}, "LD A,R"},
    {{0xED, 0x67}, "RRD"},
    {{0xED, 0x78}, "IN A,(C)"},
    {{0xED, 0xB0}, "LDIR"},
    {{0xED, 0xBA}, "INDR"},
    {{0xDD, 0x21, 0x00, 0xE8}, "LD IX,E800h"},
    {{0xDD, 0x7E, 0x01}, "LD A,(IX+01h)"},
    {{0xDD, 0x36, 0xFE, 0x42}, "LD (IX-02h),42h"},
    {{0xDD, 0xE9}, "JP (IX)"},
    {{0xDD, 0xE3}, "EX (SP),IX"},
    {{0xFD, 0x86, 0x80}, "ADD A,(IY-80h)"},
    {{0xFD, 0x74, 0x7F}, "LD (IY+7Fh),H"},
    {{0xDD, 0xCB, 0x05, 0x06}, "RLC (IX+05h)"},
    {{0xDD, 0xCB, 0xFF, 0x46}, "BIT 0,(IX-01h)"},
    {{0xFD, 0xCB, 0x10, 0xFE}, "SET 7,(IY+10h)"},
    {{0xFD, 0xCB, 0x00, 0x8E}, "RES 1,(IY+00h)"},
    // Undocumented, as the core runs them.
    {{0xCB, 0x30}, "SLL B"},
    {{0xDD, 0x24}, "INC IXH"},
    {{0xDD, 0x2E, 0x12}, "LD IXL,12h"},
    {{0xFD, 0x65}, "LD IYH,IYL"},
    {{0xFD, 0xBC}, "CP IYH"},
    {{0xDD, 0x66, 0x03}, "LD H,(IX+03h)"},
    {{0xDD, 0xCB, 0x05, 0x00}, "RLC (IX+05h),B"},
    {{0xFD, 0xCB, 0x02, 0x37}, "SLL (IY+02h),A"},
    {{0xDD, 0xCB, 0x05, 0x40}, "BIT 0,(IX+05h),B"},
    {{0xED, 0x70}, "IN F,(C)"},
    {{0xED, 0x71}, "OUT (C),0"},
    {{0xED, 0x4C}, "NEG"},
    {{0xED, 0x55}, "RETN"},
    {{0xED, 0x6E}, "IM 0"},
    {{0xED, 0x63, 0x34, 0x12}, "LD (1234h),HL"},
    {{0xED, 0xFE}, "TRAP"},
    {{0xED, 0x00}, "NOP*"},
    {{0xED, 0x77}, "NOP*"},
    {{0xDD, 0x00}, "NOP*"},
    {{0xDD, 0x76}, "NOP*"},
};

Instruction At(const std::vector<uint8_t>& bytes, uint16_t address, const Symbols* symbols = nullptr) {
    uint8_t window[kMaxInstructionBytes] = {};
    std::memcpy(window, bytes.data(), bytes.size());
    return Disassemble(window, address, symbols);
}

}  // namespace

TEST(Disassembler, PublishedEncodingsOfEveryPage) {
    for (const Case& c : kCases) {
        Instruction instruction = At(c.bytes, 0x1000);
        EXPECT_STREQ(instruction.text, c.text) << "bytes " << std::hex << int(c.bytes[0]) << " " << int(c.bytes[1]);
        // A skipped prefix is one byte: the next byte runs as its own instruction.
        size_t length = std::string(c.text) == "NOP*" && c.bytes[0] != 0xED ? 1 : c.bytes.size();
        EXPECT_EQ(instruction.length, length) << c.text;
    }
}

TEST(Disassembler, FlowTargetsAndSymbols) {
    Symbols symbols;
    ASSERT_TRUE(AddSymbolLine(symbols, "putc\tEQU 00239H"));
    ASSERT_TRUE(AddSymbolLine(symbols, "buffer = C000"));
    ASSERT_TRUE(AddSymbolLine(symbols, "COUNT = #2"));
    struct {
        std::vector<uint8_t> bytes;
        Flow flow;
        bool hasTarget;
        uint16_t target;
        const char* text;
    } cases[] = {
        {{0xCD, 0x39, 0x02}, Flow::Call, true, 0x0239, "CALL putc"},
        {{0xDC, 0x00, 0xC0}, Flow::Call, true, 0xC000, "CALL C,buffer"},
        {{0xDF}, Flow::Rst, false, 0, "RST 18h"},
        {{0xC9}, Flow::Return, false, 0, "RET"},
        {{0xED, 0x45}, Flow::Return, false, 0, "RETN"},
        {{0x20, 0xFE}, Flow::Jump, true, 0x2000, "JR NZ,2000h"},
        {{0x2A, 0x00, 0xC0}, Flow::Plain, false, 0, "LD HL,(buffer)"},
        {{0x21, 0x39, 0x02}, Flow::Plain, false, 0, "LD HL,putc"},
        // Small values are counts more often than addresses.
        {{0x01, 0x02, 0x00}, Flow::Plain, false, 0, "LD BC,0002h"},
        {{0x3E, 0x02}, Flow::Plain, false, 0, "LD A,02h"},
    };
    for (const auto& c : cases) {
        Instruction instruction = At(c.bytes, 0x2000, &symbols);
        EXPECT_STREQ(instruction.text, c.text);
        EXPECT_EQ(instruction.flow, c.flow) << c.text;
        EXPECT_EQ(instruction.hasTarget, c.hasTarget) << c.text;
        if (c.hasTarget) {
            EXPECT_EQ(instruction.target, c.target) << c.text;
        }
    }
}

// Every byte sequence of every page, run one step on the core: the program
// counter moves by the length the disassembler gives (instructions that
// change the flow excepted).
TEST(Disassembler, LengthsAgreeWithTheCore) {
    std::vector<std::vector<uint8_t>> sequences;
    for (int op = 0; op < 256; ++op) {
        if (op != 0xCB && op != 0xDD && op != 0xED && op != 0xFD) sequences.push_back({uint8_t(op), 0x11, 0x22, 0x33});
        sequences.push_back({0xCB, uint8_t(op), 0x11, 0x22});
        sequences.push_back({0xED, uint8_t(op), 0x11, 0x22});
        for (uint8_t prefix : {0xDD, 0xFD}) {
            sequences.push_back({prefix, uint8_t(op), 0x11, 0x22});
            sequences.push_back({prefix, 0xCB, 0x11, uint8_t(op)});
        }
    }
    int checked = 0;
    for (const auto& bytes : sequences) {
        Instruction instruction = At(bytes, cputest::kOrigin);
        if (instruction.flow != Flow::Plain) continue;
        FlatBus::Clear();
        FlatCore::Reset();
        CpuState& cpu = FlatCore::state;
        cpu.pc = cputest::kOrigin;
        // Block instructions end after one round: BC = 1 for the loads and
        // compares, B = 1 for the inputs and outputs.
        cpu.bc = instruction.text[0] == 'L' || instruction.text[0] == 'C' ? 0x0001 : 0x0101;
        cpu.iff1 = 1;     // EI without its delay
        cputest::Load(cputest::kOrigin, {bytes[0], bytes[1], bytes[2], bytes[3]});
        FlatCore::Execute(0);  // one step
        EXPECT_EQ(cpu.pc, cputest::kOrigin + instruction.length)
            << instruction.text << " (" << std::hex << int(bytes[0]) << " " << int(bytes[1]) << ")";
        ++checked;
    }
    FlatBus::Clear();
    EXPECT_GT(checked, 1400);
}
