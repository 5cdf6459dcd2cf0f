// The order of the Z80 core's bus accesses, through a bus that records every
// call (and, not being a flat array, takes the core's out-of-line paths for
// the prefixed pages): O opcode-stream read, R data read, W write, I port
// in, P port out, each as KIND+address=value.
#include <gtest/gtest.h>

#include <cstring>
#include <sstream>
#include <string>

#include "cpu/z80.h"
#include "tests/cpu_test_support.h"

namespace {

std::string trace;
uint8_t memory[65536];

void Record(char kind, uint16_t address, uint8_t value) {
    char text[16];
    std::snprintf(text, sizeof text, " %c%04X=%02X", kind, address, value);
    trace += text;
}

struct RecordingBus {
    static uint8_t ReadOpcodeByte(uint16_t a) { return Record('O', a, memory[a]), memory[a]; }
    static uint8_t ReadMemory(uint16_t a) { return Record('R', a, memory[a]), memory[a]; }
    static void WriteMemory(uint16_t a, uint8_t v) { Record('W', a, v), memory[a] = v; }
    static uint8_t ReadPort(uint16_t port) { return Record('I', port, 0x5A), 0x5A; }
    static void WritePort(uint16_t port, uint8_t v) { Record('P', port, v); }
    static void OnCpuCycles(uint32_t) {}
    static void OnReti() {}
    static void OnRetn() {}
    static void OnTrap(CpuState&) {}
};

}  // namespace

#include "cpu/z80_impl.h"

template struct Z80Core<RecordingBus>;

namespace {

using Core = Z80Core<RecordingBus>;

TEST(CpuAccessOrder, EachInstructionTouchesTheBusInItsOrder) {
    const struct {
        const char* code;
        const char* given;
        const char* accesses;
    } cases[] = {
        {"C3 34 12", "", "O1000=C3 O1002=12 O1001=34"},  // JP: high byte first
        {"CA 34 12", "", "O1000=CA O1002=12 O1001=34"},  // JP Z not taken reads both the same way
        {"CD 00 20", "", "O1000=CD O1001=00 O1002=20 W7FFE=03 W7FFF=10"},
        {"C1", "m8000=34,12", "O1000=C1 R8001=12 R8000=34"},  // pop: high then low
        {"C9", "m8000=34,12", "O1000=C9 R8001=12 R8000=34"},
        {"D5", "de=ABCD", "O1000=D5 W7FFE=CD W7FFF=AB"},    // push: low then high below SP
        {"E3", "hl=1234 m8000=78,56", "O1000=E3 R8000=78 R8001=56 W8000=34 W8001=12"},
        {"22 00 20", "hl=1234", "O1000=22 O1001=00 O1002=20 W2000=34 W2001=12"},
        {"ED 4B 00 20", "m2000=34,12", "O1000=ED O1001=4B O1002=00 O1003=20 R2000=34 R2001=12"},
        {"DD 36 FF 99", "ix=2000", "O1000=DD O1001=36 O1002=FF O1003=99 W1FFF=99"},  // d before n
        {"FD CB 03 C6", "iy=2000 m2003=01", "O1000=FD O1001=CB O1003=C6 O1002=03 R2003=01 W2003=01"},
        {"CB 06", "hl=2000 m2000=81", "O1000=CB O1001=06 R2000=81 W2000=03"},
        {"ED A0", "hl=2000 de=3000 bc=0001 m2000=77", "O1000=ED O1001=A0 R2000=77 W3000=77"},
        {"ED A3", "hl=2000 bc=0510 m2000=77", "O1000=ED O1001=A3 R2000=77 P0510=77"},  // memory before the port
        {"ED A2", "hl=2000 bc=0510", "O1000=ED O1001=A2 I0510=5A W2000=5A"},
        {"DB 7F", "a=99", "O1000=DB O1001=7F I997F=5A"},
        {"", "iff1=1 im=2 i=30 m3006=00,40 req=06", "W7FFE=00 W7FFF=10 R3006=00 R3007=40 O4000=00"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.code << " | " << c.given);
        std::memset(memory, 0, sizeof memory);
        Core::Reset();
        Core::state.pc = 0x1000;
        Core::state.sp = 0x8000;
        uint16_t at = 0x1000;
        std::istringstream bytes(c.code);
        for (std::string b; bytes >> b;) memory[at++] = uint8_t(cputest::Hex(b));
        cputest::ApplyGiven<Core>(memory, c.given, [](const std::string&, const std::string&) { return false; });
        trace.clear();
        Core::Execute(0);
        EXPECT_EQ(trace.substr(1), c.accesses);
    }
}

}  // namespace
