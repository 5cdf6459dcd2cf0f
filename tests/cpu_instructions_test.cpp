// What each instruction does to the whole machine state, one line per case,
// worked out by hand from the instruction descriptions: loads, stack,
// exchanges, jumps, block transfers, ports, interrupt acceptance, the EI
// delay, HALT, prefixes, the idle-loop shortcuts and 64K wrap-around.
#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "tests/cpu_test_support.h"

using namespace cputest;

namespace {

struct Case {
    const char* code;
    const char* given;
    const char* expect;
};

void CheckAll(std::initializer_list<Case> cases) {
    for (const Case& c : cases) Z80Check(c.code, c.given, c.expect);
}

std::string Hex2(int v) {
    char text[8];
    std::snprintf(text, sizeof text, "%02X", v);
    return text;
}

}  // namespace

TEST(CpuInstructions, LoadsStackAndExchanges) {
    CheckAll({
        {"01 34 12", "", "bc=1234 t=10"}, {"11 34 12", "", "de=1234 t=10"},
        {"21 34 12", "", "hl=1234 t=10"}, {"31 34 12", "", "sp=1234 t=10"},
        {"02", "a=5A bc=2000", "m2000=5A t=7"}, {"12", "a=5A de=2000", "m2000=5A t=7"},
        {"0A", "bc=2000 m2000=77", "a=77 t=7"}, {"1A", "de=2000 m2000=77", "a=77 t=7"},
        {"22 00 20", "", "m2000=66,55 t=16"}, {"2A 00 20", "m2000=34,12", "hl=1234 t=16"},
        {"32 00 20", "a=5A", "m2000=5A t=13"}, {"3A 00 20", "m2000=77", "a=77 t=13"},
        {"ED 43 00 20", "", "m2000=22,11 t=20"}, {"ED 53 00 20", "", "m2000=44,33 t=20"},
        {"ED 63 00 20", "", "m2000=66,55 t=20"}, {"ED 73 00 20", "", "m2000=00,80 t=20"},
        {"ED 4B 00 20", "m2000=34,12", "bc=1234 t=20"}, {"ED 5B 00 20", "m2000=34,12", "de=1234 t=20"},
        {"ED 6B 00 20", "m2000=34,12", "hl=1234 t=20"}, {"ED 7B 00 20", "m2000=34,12", "sp=1234 t=20"},
        {"DD 21 34 12", "", "ix=1234 t=14"}, {"FD 21 34 12", "", "iy=1234 t=14"},
        {"DD 22 00 20", "", "m2000=88,77 t=20"}, {"FD 22 00 20", "", "m2000=AA,99 t=20"},
        {"DD 2A 00 20", "m2000=34,12", "ix=1234 t=20"}, {"FD 2A 00 20", "m2000=34,12", "iy=1234 t=20"},
        {"DD 36 FF 99", "ix=2000", "m1FFF=99 t=19"},
        {"F9", "", "sp=5566 t=6"}, {"DD F9", "", "sp=7788 t=10"}, {"FD F9", "", "sp=99AA t=10"},
        {"03", "", "bc=1123 t=6"}, {"0B", "", "bc=1121 t=6"}, {"13", "", "de=3345 t=6"},
        {"1B", "", "de=3343 t=6"}, {"23", "", "hl=5567 t=6"}, {"2B", "", "hl=5565 t=6"},
        {"33", "", "sp=8001 t=6"}, {"3B", "", "sp=7FFF t=6"}, {"03", "bc=FFFF f=FF", "bc=0000 t=6"},
        {"DD 23", "", "ix=7789 t=10"}, {"DD 2B", "", "ix=7787 t=10"},
        {"FD 23", "", "iy=99AB t=10"}, {"FD 2B", "", "iy=99A9 t=10"},
        {"C5", "", "sp=7FFE m7FFE=22,11 t=11"}, {"D5", "", "sp=7FFE m7FFE=44,33 t=11"},
        {"E5", "", "sp=7FFE m7FFE=66,55 t=11"}, {"F5", "a=12 f=34", "sp=7FFE m7FFE=34,12 t=11"},
        {"DD E5", "", "sp=7FFE m7FFE=88,77 t=15"}, {"FD E5", "", "sp=7FFE m7FFE=AA,99 t=15"},
        {"C1", "m8000=34,12", "bc=1234 sp=8002 t=10"}, {"D1", "m8000=34,12", "de=1234 sp=8002 t=10"},
        {"E1", "m8000=34,12", "hl=1234 sp=8002 t=10"}, {"F1", "m8000=FF,12", "a=12 f=FF sp=8002 t=10"},
        {"DD E1", "m8000=34,12", "ix=1234 sp=8002 t=14"}, {"FD E1", "m8000=34,12", "iy=1234 sp=8002 t=14"},
        {"08", "a=12 f=34", "a=C1 f=C2 af'=1234 t=4"},
        {"D9", "", "bc=C3C4 de=C5C6 hl=C7C8 bc'=1122 de'=3344 hl'=5566 t=4"},
        {"EB", "", "de=5566 hl=3344 t=4"},
        {"E3", "m8000=78,56", "hl=5678 m8000=66,55 t=19"},
        {"DD E3", "m8000=78,56", "ix=5678 m8000=88,77 t=23"}, {"FD E3", "m8000=78,56", "iy=5678 m8000=AA,99 t=23"},
        {"ED 47", "a=3C", "i=3C t=9"}, {"ED 4F", "a=FF", "r=FF r7=FF t=9"},
        {"ED 57", "i=80 iff2=1 f=01", "a=80 f=85 t=9"}, {"ED 57", "f=FE", "f=40 t=9"},
        {"ED 4F 00 00 ED 5F", "a=FF iff2=1 steps=4", "a=83 f=84 r=103 r7=FF t=26"},
        {"ED 67", "hl=2000 m2000=34 a=12 f=01", "a=14 m2000=23 f=05 t=18"},
        {"ED 6F", "hl=2000 m2000=34 a=12 f=FF", "a=13 m2000=42 f=01 t=18"},
    });
}

TEST(CpuInstructions, JumpsCallsReturnsAndModes) {
    CheckAll({
        {"C3 34 12", "", "pc=1234 t=10"}, {"E9", "", "pc=5566 t=4"},
        {"DD E9", "", "pc=7788 t=8"}, {"FD E9", "", "pc=99AA t=8"},
        {"18 10", "", "pc=1012 t=12"}, {"18 80", "", "pc=0F82 t=12"},
        {"10 05", "b=01", "b=00 pc=1002 t=8"}, {"10 05", "", "b=10 pc=1007 t=13"},
        {"CD 00 20", "", "pc=2000 sp=7FFE m7FFE=03,10 t=17"}, {"C9", "m8000=34,12", "pc=1234 sp=8002 t=10"},
        {"F3", "iff1=1 iff2=1", "iff1=0 iff2=0 t=4"}, {"FB 3C", "iff1=1", "iff2=1 pc=1001 t=4"},
    });
    for (int p = 0; p < 8; ++p)
        Z80Check(Hex2(0xC7 | p << 3).c_str(), "", ("pc=" + Hex2(p * 8) + " sp=7FFE m7FFE=01,10 t=11").c_str());
    for (int op : {0x45, 0x55, 0x65, 0x75}) Z80Check(("ED " + Hex2(op)).c_str(), "m8000=34,12 iff2=1", "pc=1234 sp=8002 iff1=1 t=14 retn=1");
    for (int op : {0x4D, 0x5D, 0x6D, 0x7D}) Z80Check(("ED " + Hex2(op)).c_str(), "m8000=34,12 iff2=1", "pc=1234 sp=8002 t=14 reti=1");
    for (int op : {0x46, 0x4E, 0x66, 0x6E}) Z80Check(("ED " + Hex2(op)).c_str(), "im=2", "im=0 t=8");
    for (int op : {0x56, 0x76}) Z80Check(("ED " + Hex2(op)).c_str(), "", "im=1 t=8");
    for (int op : {0x5E, 0x7E}) Z80Check(("ED " + Hex2(op)).c_str(), "", "im=2 t=8");
}

// Each condition of JP, CALL, RET and JR with only its flag set and with every
// other flag set: NZ Z NC C PO PE P M test Z, C, P/V and S.
TEST(CpuInstructions, ConditionsTestTheirOwnFlag) {
    const int flags[4] = {0x40, 0x01, 0x04, 0x80};
    for (int cc = 0; cc < 8; ++cc)
        for (int f : {flags[cc / 2], 0xFF ^ flags[cc / 2]}) {
            const bool holds = bool(f & flags[cc / 2]) == bool(cc & 1);
            const std::string given = "f=" + Hex2(f) + " m8000=34,12";
            Z80Check((Hex2(0xC2 | cc << 3) + " 30 20").c_str(), given.c_str(), holds ? "pc=2030 t=10" : "t=10");
            Z80Check((Hex2(0xC4 | cc << 3) + " 30 20").c_str(), given.c_str(),
                     holds ? "pc=2030 sp=7FFE m7FFE=03,10 t=17" : "t=10");
            Z80Check(Hex2(0xC0 | cc << 3).c_str(), given.c_str(), holds ? "pc=1234 sp=8002 t=11" : "t=5");
            if (cc < 4) Z80Check((Hex2(0x20 | cc << 3) + " 30").c_str(), given.c_str(), holds ? "pc=1032 t=12" : "t=7");
        }
}

TEST(CpuInstructions, BlockTransfersOneIterationPerStep) {
    CheckAll({
        {"ED A0", "hl=2000 de=3000 bc=0002 m2000=AB f=FF", "m3000=AB hl=2001 de=3001 bc=0001 f=ED t=16"},
        {"ED A0", "hl=2000 de=3000 bc=0001 m2000=AB f=FF", "m3000=AB hl=2001 de=3001 bc=0000 f=E9 t=16"},
        {"ED A8", "hl=2001 de=3001 bc=0001 m2001=AB f=16", "m3001=AB hl=2000 de=3000 bc=0000 f=00 t=16"},
        {"ED B0", "hl=2000 de=3000 bc=0003 m2000=A1,A2,A3 budget=58",
         "m3000=A1,A2,A3 hl=2003 de=3003 bc=0000 t=58 reports=21,21,16 r=6"},
        {"ED B8", "hl=2001 de=3001 bc=0002 m2000=B1,B2 budget=37", "m3000=B1,B2 hl=1FFF de=2FFF bc=0000 t=37 reports=21,16"},
        {"ED A1", "a=10 hl=2000 m2000=10 bc=0002", "hl=2001 bc=0001 f=46 t=16"},
        {"ED A9", "a=10 hl=2000 m2000=20 bc=0001 f=01", "hl=1FFF bc=0000 f=83 t=16"},
        {"ED B1", "a=03 f=01 hl=2000 m2000=01,02,03,03 bc=000A budget=58", "hl=2003 bc=0007 f=47 t=58 reports=21,21,16"},
        {"ED B9", "a=09 hl=2002 m2000=01,02,03 bc=0003 budget=58", "hl=1FFF bc=0000 f=02 t=58"},
        {"ED A2", "bc=0210 hl=2000 in=5A f=FF", "m2000=5A hl=2001 b=01 f=02 ins=0210 t=16"},
        {"ED A2", "bc=0110 hl=2000 in=5A", "m2000=5A hl=2001 b=00 f=42 ins=0110 t=16"},
        {"ED AA", "bc=0233 hl=2001 in=33", "m2001=33 hl=2000 b=01 f=02 ins=0233 t=16"},
        {"ED B2", "bc=0210 hl=2000 in=07 budget=37", "m2000=07,07 hl=2002 b=00 f=42 ins=0210,0110 t=37 reports=21,16"},
        {"ED BA", "bc=0210 hl=2001 in=07 budget=37", "m2000=07,07 hl=1FFF b=00 f=42 ins=0210,0110 t=37"},
        {"ED A3", "hl=2000 bc=0510 m2000=77", "outs=051077 hl=2001 b=04 f=02 t=16"},
        {"ED AB", "hl=2001 bc=0133 m2001=44", "outs=013344 hl=2000 b=00 f=42 t=16"},
        {"ED B3", "hl=2000 bc=0240 m2000=11,22 budget=37", "outs=024011,014022 hl=2002 b=00 f=42 t=37 reports=21,16"},
        {"ED BB", "hl=2001 bc=0240 m2000=11,22 budget=37", "outs=024022,014011 hl=1FFF b=00 f=42 t=37"},
    });
}

TEST(CpuInstructions, PortsUseTheHighByteOfTheirForm) {
    CheckAll({
        {"DB 7F", "a=99 f=D7 in=5A", "a=5A ins=997F t=11"}, {"D3 42", "a=9C", "outs=9C429C t=11"},
        {"ED 78", "bc=1234 in=80 f=01", "a=80 f=81 ins=1234 t=12"},
        {"ED 70", "in=80 f=01", "f=81 ins=1122 t=12"}, {"ED 71", "", "outs=112200 t=12"},
    });
    const char* names[8] = {"b", "c", "d", "e", "h", "l", "", "a"};
    const char* values[8] = {"11", "22", "33", "44", "55", "66", "", "77"};
    for (int r : {0, 1, 2, 3, 4, 5, 7}) {
        Z80Check(("ED " + Hex2(0x40 | r << 3)).c_str(), "in=5A f=01", (std::string(names[r]) + "=5A f=05 ins=1122 t=12").c_str());
        Z80Check(("ED " + Hex2(0x41 | r << 3)).c_str(), "a=77", ("outs=1122" + std::string(values[r]) + " t=12").c_str());
    }
}

TEST(CpuInstructions, InterruptsEiDelayAndHalt) {
    CheckAll({
        // A request waits while interrupts are off and follows the instruction after EI; -1 does not clear it.
        {"00 00 FB 00 00", "im=2 i=20 m2006=00,30 req=06 req=-1 steps=3",
         "pc=3000 sp=7FFE m7FFE=04,10 iff2=1 irq=-1 t=16 reports=4,4,8 last=-1"},
        {"FB 3C 3C", "im=1 req=06 budget=1", "a=01 pc=0038 sp=7FFE m7FFE=02,10 iff2=1 irq=-1 t=19"},
        {"FB 76 00", "im=1 req=02 budget=100", "pc=004D sp=7FFE m7FFE=02,10 iff2=1 irq=-1 t=103 reports=19,4*21"},
        {"FB 00", "im=2 i=20 m2010=00,40 m2012=00,50 req=10 req=12", "pc=5000 sp=7FFE m7FFE=02,10 iff2=1 irq=-1 t=8"},
        {"76", "budget=300", "halted=1 pc=1000 r=4B t=300 reports=4*75"},
        {"76", "halted=1 budget=2", "pc=1000 t=4"},
        {"76", "halted=1 req=nmi m0066=00", "pc=0067 sp=7FFE m7FFE=01,10 halted=0 nmi=0 t=4 last=0066"},
        {"00", "iff1=1 iff2=1 m0066=ED,45 req=06 req=nmi", "pc=1000 m7FFE=00,10 irq=06 nmi=0 retn=1 t=14"},
        {"00", "req=nmi", "pc=0067 sp=7FFE m7FFE=00,10 nmi=0 t=4"},
        {"00", "iff1=1 iff2=1 im=1 req=55", "pc=0039 sp=7FFE m7FFE=00,10 iff1=0 irq=-1 t=15"},
        {"", "iff1=1 im=2 i=20 m20FE=34,12 req=3FE", "pc=1235 sp=7FFE m7FFE=00,10 iff1=0 irq=-1 t=4"},
        {"", "iff1=1 req=CD2345", "pc=2346 sp=7FFE m7FFE=00,10 iff1=0 irq=-1 t=4"},
        {"", "iff1=1 req=C32345", "pc=2346 iff1=0 irq=-1 t=4"},
        {"", "iff1=1 req=FF", "pc=0039 sp=7FFE m7FFE=00,10 iff1=0 irq=-1 t=15 last=0038"},
        {"42", "iff1=1 req=06", "b=42 pc=1002 iff1=0 irq=-1 t=11"},
        // The budget: whole instructions, overshoot not carried into the next call, at least one step.
        {"", "budget=30,30", "pc=1010 t=64 reports=4,4,4,4,4,4,4,4,4,4,4,4,4,4,4,4"},
        {"", "budget=-100", "pc=1001 t=4"},
        {"00 3E 12 DD 21 00 00", "steps=3", "a=12 ix=0000 last=1003 t=25"},
    });
}

TEST(CpuInstructions, PrefixesUndefinedBytesAndRefresh) {
    CheckAll({
        {"DD 00", "budget=1", "t=4 reports=0,4 r=3"},
        {"DD DD 21 34 12", "budget=1", "ix=1234 t=14 reports=0,14 r=4"},
        {"FD DD 21 34 12", "budget=1", "ix=1234 t=14"},
        {"DD ED 44", "a=01 budget=1", "a=FF f=93 t=8 reports=0,8"},
        {"FD 76", "budget=1", "pc=1001 t=19"}, {"FD 76", "steps=2", "pc=1001 halted=1 t=23"},
        {"ED 00 ED 77 ED 7F ED C0", "budget=1", "pc=1009 r=9 t=4 reports=0,0,0,0,4"},
        {"CB 00", "", "b=22 f=04 r=2 t=8"},
        {"DD CB 05 06", "ix=2000 m2005=81", "m2005=03 f=05 r=2 t=23"},
    });
}

TEST(CpuInstructions, IdleLoopsGiveUpTheSlice) {
    CheckAll({
        {"18 FE", "budget=1000", "pc=1000 t=1000 reports=12,4*247"},
        {"C3 00 10", "budget=1000", "pc=1000 t=1000 reports=10,4*247,2"},
        {"00 C3 00 10", "budget=1000", "pc=1000 t=1000 reports=4,10,4*246,2"},
        {"31 00 90 C3 00 10", "budget=1000", "pc=1003 sp=9000 t=1000 reports=10,10,4*242,2,10"},
        {"FB 18 FD", "budget=1000", "pc=1001 iff1=1 iff2=1 t=1000 reports=16,4*246"},
        {"FB C3 00 10", "budget=1000", "pc=1001 iff1=1 iff2=1 t=1000 reports=14,4*245,2,4"},
        {"20 FE", "budget=100", "pc=1000 t=108"},   // conditional jumps have no shortcut
        {"00 18 FD", "budget=90", "pc=1000 t=96"},  // nor JR back onto a NOP
        {"", "pc=FFFF mFFFF=01 m0000=34,12", "bc=1234 pc=0002 t=10"},
        {"DD 7E 02", "ix=FFFF m0001=5A", "a=5A t=19"},
        {"C5", "sp=0001", "sp=FFFF mFFFF=22 m0000=11 t=11"},
        {"E1", "sp=FFFF mFFFF=CD m0000=AB", "hl=ABCD sp=0001 t=10"},
    });
}

// Memory of only zero-cost steps would run one slice for ever: it ends, as
// spent, after 131072 steps; a free run that reaches costing code is not cut.
TEST(CpuInstructions, EndlessFreeStepsEndTheSlice) {
    for (int fill : {0xDD, 0xFD, 0xED, -0xDD}) {  // negative: a NOP after 65535 prefixes
        FreshCore();
        std::memset(FlatBus::memory, std::abs(fill), sizeof FlatBus::memory);
        if (fill < 0) FlatBus::memory[kOrigin - 1] = 0x00;
        EXPECT_EQ(FlatCore::Execute(fill < 0 ? 1 : 1000), fill < 0 ? 4 : 1000) << fill;
        // The free steps report 0 each; an ended slice's rest goes on in pieces of 4.
        EXPECT_EQ(stepReports.size(), fill < 0 ? 65536u : 131072u + 250u) << fill;
        if (fill > 0) EXPECT_EQ(std::count(stepReports.begin(), stepReports.end(), 0L), 131072) << fill;
    }
}
