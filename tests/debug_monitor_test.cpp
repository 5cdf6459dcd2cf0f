// The monitor's command language on the flat bus, as its command line takes
// it: what each command prints or changes, numbers and counts, refusals;
// and on the machine, writes into ROM and the latches.
#include <gtest/gtest.h>

#include <string>

#include "debug/flat_monitor.h"
#include "debug/machine_monitor.h"
#include "debug/monitor.h"
#include "tests/cpu_test_support.h"
#include "tests/machine_fixture.h"

namespace {

std::string Monitor(const std::string& commands) {
    Debug::Command(commands);
    return Debug::TakeOutput();
}

// The flat core with distinct register values, so each shown field is its own register.
class MonitorCommands : public ::testing::Test {
protected:
    void SetUp() override {
        cputest::FreshCore();
        Debug::AttachFlat();
    }
    void TearDown() override { Debug::Detach(); }
};

}  // namespace

TEST_F(MonitorCommands, ShowAndSet) {
    cputest::Load(0xC000, {'H', 'i', 0x00, 0x7F, 0x21, 0x34, 0x12});
    const std::string gap(36, ' ');  // a memory line's unused columns, three per byte
    struct {
        const char* commands;
        std::string expected;  // a line of the output
    } cases[] = {
        {"r a=12 hl=c000 bc'=BEEF ixh=9a f=c5; r", "AF=12C5 BC=1122 DE=3344 HL=C000 IX=9A88 IY=99AA SP=8000 PC=1000 F=SZ---P-C"},
        {"r", "AF'=C1C2 BC'=BEEF DE'=C5C6 HL'=C7C8 I=00 R=00 IM=0 IFF1=0 IFF2=0"},
        {"r im=2 iff1=1 r=80 i=3f; r", "AF'=C1C2 BC'=BEEF DE'=C5C6 HL'=C7C8 I=3F R=80 IM=2 IFF1=1 IFF2=0"},
        {"m c000 4", "C000  48 69 00 7F" + gap + "  Hi.."},
        {"m hl+4 $3", "C004  21 34 12" + gap + "     !4."},
        {"d c004 1", "C004  21 34 12     LD HL,1234h"},
        {"e c010 3e #65; d c010 1", "C010  3E 41        LD A,41h"},
        {"r sp=c100; e c100 34 12 0 c0; k 2", "C102  C000"},
        {"b 1234 4000; bw c000 c0ff; bi 90; bo a0; b", "3  write C000-C0FF"},
        {"b", "4  in 90"},
        {"bc 2; b", "2  write C000-C0FF"},
        {"bc; b", "no breakpoints"},
        {"sym", "0 symbols"},
        {"trace 5; trace", "trace: 0 of the last 5 instructions"},
    };
    for (const auto& c : cases) {
        std::string out = Monitor(c.commands);
        EXPECT_NE(out.find(c.expected + "\n"), std::string::npos) << c.commands << ":\n" << out;
    }
    EXPECT_EQ(Debug::state.commandErrors, 0);
}

TEST_F(MonitorCommands, Refusals) {
    const char* refused[] = {"x", "b zz", "bw c000 bfff", "bi", "bc 1", "r pc=10000", "r q=1", "r a=100",
                             "d 0 many", "e c000", "e c000 100", "trace 100001", "trace 0", "s 0", "g nowhere"};
    int errors = 0;
    for (const char* command : refused) {
        std::string out = Monitor(command);
        EXPECT_EQ(out.rfind("error: ", 0), 0u) << command << ": " << out;
        EXPECT_EQ(Debug::state.commandErrors, ++errors) << command;
    }
    // Nothing refused was armed.
    EXPECT_FALSE(Debug::state.armed);
}

class MonitorOnMachine : public MachineTest {
protected:
    void SetUp() override {
        MachineTest::SetUp();
        Machine::FillMemoryForHardReset();
        Debug::AttachMachine();
    }
    void TearDown() override {
        Debug::Detach();
        MachineTest::TearDown();
    }
};

TEST_F(MonitorOnMachine, RomWritesAreRefusedAndLatchesShown) {
    Machine::WritePort(0xB0, 0x04);  // video page 8000h
    Machine::WritePort(0x92, 0x00);  // display off
    Machine::WritePort(0xA0, 0x07);
    Machine::WritePort(0xA1, 0x38);
    std::string out = Monitor("e 0 ff; e c000 5a 5b; m c000 2; l");
    EXPECT_NE(out.find("1 of 1 bytes not written (ROM or no memory there)\n"), std::string::npos) << out;
    EXPECT_NE(out.find("C000  5A 5B"), std::string::npos) << out;
    EXPECT_NE(out.find("video base 8000  display off  port C 00  system latch 04"), std::string::npos) << out;
    EXPECT_NE(out.find("AY select 07  port B FF  R0-R14 00 00 00 00 00 00 00 38 00"), std::string::npos) << out;
    EXPECT_EQ(Machine::MemoryImage[0], Machine::BasicRomImage[0]);
}
