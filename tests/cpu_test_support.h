// The Z80 core on the flat bus, driven by one-line cases:
//   Z80Check("ED B0", "bc=0002 hl=2000 de=3000 m2000=11,22 budget=37", "bc=0000 hl=2002 de=3002 m3000=11,22 t=37")
// The code goes to kOrigin; the given state starts from distinct register
// values; the expectation lists what must differ from that state afterwards
// and every other register, every memory byte and every port access must
// stay as it was. pc defaults to the byte after the code; r is compared only
// when listed. Numbers are hexadecimal except t, budget, steps and reports.
//   given:  registers, mXXXX=bytes, req=VV / req=nmi (RequestInterrupt),
//           in=VV (what every port read returns), budget=N,N (one Execute per
//           budget) or steps=N (N single steps, the default 1)
//   expect: registers, irq / nmi (pending), mXXXX=bytes, t=N (T-states returned),
//           reports=N,N*COUNT,.. (OnCpuCycles; N*COUNT is COUNT reports of N), ins=PPPP,.. outs=PPPPVV,.., reti=N, retn=N, last=XXXX
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <sstream>
#include <string>
#include <vector>

#include "cpu/flat_bus.h"

namespace cputest {

constexpr uint16_t kOrigin = 0x1000;

inline CpuState& Cpu() { return FlatCore::state; }

struct Register {
    const char* name;
    uint32_t CpuState::*field;
    int shift;
    uint32_t mask;
};
inline const Register kRegisters[] = {
    {"af", &CpuState::af, 0, 0xFFFF},  {"a", &CpuState::af, 8, 0xFF},     {"f", &CpuState::af, 0, 0xFF},
    {"bc", &CpuState::bc, 0, 0xFFFF},  {"b", &CpuState::bc, 8, 0xFF},     {"c", &CpuState::bc, 0, 0xFF},
    {"de", &CpuState::de, 0, 0xFFFF},  {"d", &CpuState::de, 8, 0xFF},     {"e", &CpuState::de, 0, 0xFF},
    {"hl", &CpuState::hl, 0, 0xFFFF},  {"h", &CpuState::hl, 8, 0xFF},     {"l", &CpuState::hl, 0, 0xFF},
    {"ix", &CpuState::ix, 0, 0xFFFF},  {"iy", &CpuState::iy, 0, 0xFFFF},  {"pc", &CpuState::pc, 0, 0xFFFF},
    {"sp", &CpuState::sp, 0, 0xFFFF},  {"af'", &CpuState::af2, 0, 0xFFFF}, {"bc'", &CpuState::bc2, 0, 0xFFFF},
    {"de'", &CpuState::de2, 0, 0xFFFF}, {"hl'", &CpuState::hl2, 0, 0xFFFF}, {"iff1", &CpuState::iff1, 0, 1},
    {"iff2", &CpuState::iff2, 0, 1},   {"halted", &CpuState::halted, 0, 1}, {"im", &CpuState::interruptMode, 0, 3},
    {"i", &CpuState::i, 0, 0xFF},      {"r", &CpuState::r, 0, 0xFFFFFFFF}, {"r7", &CpuState::r7, 0, 0xFF},
    {"nmi", &CpuState::pendingNmi, 0, 1},
};

inline std::vector<std::pair<std::string, std::string>> Tokens(const char* text) {
    std::vector<std::pair<std::string, std::string>> tokens;
    std::istringstream in(text);
    for (std::string word; in >> word;) {
        size_t eq = word.find('=');
        tokens.emplace_back(word.substr(0, eq), eq == std::string::npos ? "" : word.substr(eq + 1));
    }
    return tokens;
}
inline std::vector<long> Numbers(const std::string& list, int base) {
    std::vector<long> values;
    std::istringstream in(list);
    for (std::string item; std::getline(in, item, ',');) values.push_back(std::strtol(item.c_str(), nullptr, base));
    return values;
}
inline long Hex(const std::string& text) { return std::strtol(text.c_str(), nullptr, 16); }

// Sets a register by name; false when the name is not a register.
inline bool SetRegister(CpuState& s, const std::string& name, long value) {
    if (name == "irq") {
        s.pendingIrq = int32_t(value);
        return true;
    }
    for (const Register& r : kRegisters) {
        if (name != r.name) continue;
        uint32_t& field = s.*r.field;
        field = (field & ~(r.mask << r.shift)) | ((uint32_t(value) & r.mask) << r.shift);
        return true;
    }
    return false;
}

inline std::vector<uint16_t> portReads;
inline std::vector<std::pair<uint16_t, uint8_t>> portWrites;
inline std::vector<long> stepReports;
inline uint8_t portValue = 0xFF;

// Clean flat bus and core with the distinct start values, recording every report and port access.
inline void FreshCore() {
    FlatBus::Clear();
    FlatCore::Reset();
    FlatCore::lastOpcodeAddress = 0;
    CpuState& s = Cpu();
    s.bc = 0x1122, s.de = 0x3344, s.hl = 0x5566, s.ix = 0x7788, s.iy = 0x99AA, s.sp = 0x8000, s.pc = kOrigin;
    s.af2 = 0xC1C2, s.bc2 = 0xC3C4, s.de2 = 0xC5C6, s.hl2 = 0xC7C8;
    portReads.clear(), portWrites.clear(), stepReports.clear(), portValue = 0xFF;
    FlatBus::onCycles = [](uint32_t t) { stepReports.push_back(long(t)); };
    FlatBus::readPort = [](uint16_t port) {
        portReads.push_back(port);
        return portValue;
    };
    FlatBus::writePort = [](uint16_t port, uint8_t v) { portWrites.emplace_back(port, v); };
}

inline void Load(uint16_t at, std::initializer_list<uint8_t> bytes) {
    for (uint8_t b : bytes) FlatBus::memory[at++] = b;
}

inline void Z80Check(const char* code, const char* given, const char* expect) {
    SCOPED_TRACE(::testing::Message() << "code " << code << " | " << given << " -> " << expect);
    FreshCore();
    uint16_t at = kOrigin;
    std::istringstream bytes(code);
    for (std::string b; bytes >> b;) FlatBus::memory[at++] = uint8_t(Hex(b));
    std::vector<long> budgets;
    int32_t steps = 1;
    for (const auto& [key, value] : Tokens(given)) {
        if (key[0] == 'm' && key.size() == 5) {
            uint16_t a = uint16_t(Hex(key.substr(1)));
            for (long b : Numbers(value, 16)) FlatBus::memory[a++] = uint8_t(b);
        } else if (key == "req") {
            FlatCore::RequestInterrupt(value == "nmi" ? kIrqNmi : int32_t(Hex(value)));
        } else if (key == "in") {
            portValue = uint8_t(Hex(value));
        } else if (key == "budget") {
            budgets = Numbers(value, 10);
        } else if (key == "steps") {
            steps = int32_t(std::strtol(value.c_str(), nullptr, 10));
        } else {
            ASSERT_TRUE(SetRegister(Cpu(), key, Hex(value))) << "unknown name " << key;
        }
    }
    const CpuState before = Cpu();
    std::vector<uint8_t> memory(FlatBus::memory, FlatBus::memory + 65536);
    long tStates = 0;
    if (budgets.empty()) budgets.assign(size_t(steps), 0);
    for (long budget : budgets) tStates += FlatCore::Execute(int32_t(budget));

    CpuState want = before;
    want.pc = at;
    std::vector<uint16_t> ins;
    std::vector<std::pair<uint16_t, uint8_t>> outs;
    bool checkR = false;
    for (const auto& [key, value] : Tokens(expect)) {
        if (key[0] == 'm' && key.size() == 5) {
            uint16_t a = uint16_t(Hex(key.substr(1)));
            for (long b : Numbers(value, 16)) memory[a++] = uint8_t(b);
        } else if (key == "t") {
            EXPECT_EQ(tStates, std::strtol(value.c_str(), nullptr, 10)) << "T-states";
        } else if (key == "reports") {
            std::vector<long> reports;
            std::istringstream in(value);
            for (std::string item; std::getline(in, item, ',');) {
                size_t star = item.find('*');
                long count = star == std::string::npos ? 1 : std::strtol(item.c_str() + star + 1, nullptr, 10);
                reports.insert(reports.end(), size_t(count), std::strtol(item.c_str(), nullptr, 10));
            }
            EXPECT_EQ(stepReports, reports) << "step reports";
        } else if (key == "ins") {
            for (long p : Numbers(value, 16)) ins.push_back(uint16_t(p));
        } else if (key == "outs") {
            for (long p : Numbers(value, 16)) outs.emplace_back(uint16_t(p >> 8), uint8_t(p));
        } else if (key == "reti" || key == "retn") {
            EXPECT_EQ(key == "reti" ? FlatBus::retiCount : FlatBus::retnCount, uint32_t(Hex(value))) << key;
        } else if (key == "last") {
            EXPECT_EQ(FlatCore::lastOpcodeAddress, int32_t(Hex(value))) << "lastOpcodeAddress";
        } else {
            checkR = checkR || key == "r";
            ASSERT_TRUE(SetRegister(want, key, Hex(value))) << "unknown name " << key;
        }
    }
    // Every register by its bytes (the pairs are their two halves), r only when asked for.
    for (const Register& r : kRegisters) {
        std::string name = r.name;
        if (name == "af" || name == "bc" || name == "de" || name == "hl" || (name == "r" && !checkR)) continue;
        EXPECT_EQ((Cpu().*r.field >> r.shift) & r.mask, (want.*r.field >> r.shift) & r.mask) << name;
    }
    EXPECT_EQ(Cpu().pendingIrq, want.pendingIrq) << "irq";
    EXPECT_EQ(portReads, ins) << "port reads";
    EXPECT_EQ(portWrites, outs) << "port writes";
    int shown = 0;
    for (uint32_t a = 0; a < 65536; ++a)
        if (FlatBus::memory[a] != memory[a] && shown++ < 4)
            ADD_FAILURE() << "memory " << std::hex << a << ": " << int(FlatBus::memory[a]) << ", expected " << int(memory[a]);
}

}  // namespace cputest
