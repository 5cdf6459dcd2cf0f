// The order of the Z80 core's bus accesses, seen through a bus that records
// every call: jump addresses high byte first, pops high then low, pushes low
// then high below SP, EX (SP),HL, (IX+d) operands, DD CB d op, IM 2 vectors.
#include <gtest/gtest.h>

#include <cstring>
#include <initializer_list>
#include <vector>

#include "cpu/z80.h"

namespace {

enum class Access { Opcode, Read, Write, PortIn, PortOut };

struct Record {
    Access kind;
    uint16_t address;
    uint8_t value;
    bool operator==(const Record&) const = default;
};

std::vector<Record> records;
uint8_t memory[65536];

struct RecordingBus {
    static uint8_t ReadOpcodeByte(uint16_t a) {
        records.push_back({Access::Opcode, a, memory[a]});
        return memory[a];
    }
    static uint8_t ReadMemory(uint16_t a) {
        records.push_back({Access::Read, a, memory[a]});
        return memory[a];
    }
    static void WriteMemory(uint16_t a, uint8_t v) {
        records.push_back({Access::Write, a, v});
        memory[a] = v;
    }
    static uint8_t ReadPort(uint16_t port) {
        records.push_back({Access::PortIn, port, 0xFF});
        return 0xFF;
    }
    static void WritePort(uint16_t port, uint8_t v) { records.push_back({Access::PortOut, port, v}); }
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
constexpr Access O = Access::Opcode, R = Access::Read, W = Access::Write;

class CpuAccessOrder : public ::testing::Test {
protected:
    void SetUp() override {
        std::memset(memory, 0, sizeof memory);
        Core::Reset();
        Core::state.pc = 0x1000;
        Core::state.sp = 0x8000;
        records.clear();
    }
    void Run(std::initializer_list<uint8_t> code) {
        uint16_t at = 0x1000;
        for (uint8_t b : code) memory[at++] = b;
        Core::Execute(0);
    }
};

TEST_F(CpuAccessOrder, JumpReadsTheHighByteFirst) {
    Run({0xC3, 0x34, 0x12});
    EXPECT_EQ(records, (std::vector<Record>{{O, 0x1000, 0xC3}, {O, 0x1002, 0x12}, {O, 0x1001, 0x34}}));
    SetUp();
    Run({0xCA, 0x34, 0x12});  // JP Z not taken reads both bytes the same way
    EXPECT_EQ(records, (std::vector<Record>{{O, 0x1000, 0xCA}, {O, 0x1002, 0x12}, {O, 0x1001, 0x34}}));
    EXPECT_EQ(Core::state.pc, 0x1003u);
}

TEST_F(CpuAccessOrder, PopReadsHighThenLow) {
    memory[0x8000] = 0x34;
    memory[0x8001] = 0x12;
    Run({0xC1});
    EXPECT_EQ(records, (std::vector<Record>{{O, 0x1000, 0xC1}, {R, 0x8001, 0x12}, {R, 0x8000, 0x34}}));
    EXPECT_EQ(Core::state.bc, 0x1234u);
}

TEST_F(CpuAccessOrder, PushWritesLowThenHighBelowSp) {
    Core::state.de = 0xABCD;
    Run({0xD5});
    EXPECT_EQ(records, (std::vector<Record>{{O, 0x1000, 0xD5}, {W, 0x7FFE, 0xCD}, {W, 0x7FFF, 0xAB}}));
}

TEST_F(CpuAccessOrder, CallReadsLowFirstThenPushes) {
    Run({0xCD, 0x00, 0x20});
    EXPECT_EQ(records, (std::vector<Record>{{O, 0x1000, 0xCD},
                                            {O, 0x1001, 0x00},
                                            {O, 0x1002, 0x20},
                                            {W, 0x7FFE, 0x03},
                                            {W, 0x7FFF, 0x10}}));
}

TEST_F(CpuAccessOrder, ExchangeWithTheStackTop) {
    memory[0x8000] = 0x78;
    memory[0x8001] = 0x56;
    Core::state.hl = 0x1234;
    Run({0xE3});
    EXPECT_EQ(records, (std::vector<Record>{{O, 0x1000, 0xE3},
                                            {R, 0x8000, 0x78},
                                            {R, 0x8001, 0x56},
                                            {W, 0x8000, 0x34},
                                            {W, 0x8001, 0x12}}));
}

TEST_F(CpuAccessOrder, IndexedStoreReadsDisplacementBeforeValue) {
    Core::state.ix = 0x2000;
    Run({0xDD, 0x36, 0xFF, 0x99});
    EXPECT_EQ(records, (std::vector<Record>{{O, 0x1000, 0xDD},
                                            {O, 0x1001, 0x36},
                                            {O, 0x1002, 0xFF},
                                            {O, 0x1003, 0x99},
                                            {W, 0x1FFF, 0x99}}));
}

TEST_F(CpuAccessOrder, IndexedBitOperationReadsTheOpByteFirst) {
    Core::state.iy = 0x2000;
    memory[0x2003] = 0x01;
    Run({0xFD, 0xCB, 0x03, 0xC6});  // SET 0,(IY+3)... on an already set bit
    EXPECT_EQ(records, (std::vector<Record>{{O, 0x1000, 0xFD},
                                            {O, 0x1001, 0xCB},
                                            {O, 0x1003, 0xC6},
                                            {O, 0x1002, 0x03},
                                            {R, 0x2003, 0x01},
                                            {W, 0x2003, 0x01}}));
    EXPECT_EQ(Core::state.pc, 0x1004u);
}

TEST_F(CpuAccessOrder, ModeTwoPushesThenReadsTheVectorLowFirst) {
    Core::state.iff1 = 1;
    Core::state.interruptMode = 2;
    Core::state.i = 0x30;
    memory[0x3006] = 0x00;
    memory[0x3007] = 0x40;
    Core::RequestInterrupt(0x06);
    Core::Execute(0);
    ASSERT_GE(records.size(), 5u);
    EXPECT_EQ(std::vector<Record>(records.begin(), records.begin() + 5),
              (std::vector<Record>{{W, 0x7FFE, 0x00}, {W, 0x7FFF, 0x10}, {R, 0x3006, 0x00}, {R, 0x3007, 0x40},
                                   {O, 0x4000, 0x00}}));
}

TEST_F(CpuAccessOrder, BlockOutputReadsMemoryBeforeThePort) {
    Core::state.hl = 0x2000;
    Core::state.bc = 0x0510;
    memory[0x2000] = 0x77;
    Run({0xED, 0xA3});  // OUTI
    EXPECT_EQ(records, (std::vector<Record>{{O, 0x1000, 0xED},
                                            {O, 0x1001, 0xA3},
                                            {R, 0x2000, 0x77},
                                            {Access::PortOut, 0x0510, 0x77}}));
}

}  // namespace
