// Host key-downs into emulated key codes, typed as a user types them (key
// state held, key-down sent, the frame's poll): the whole key table in both
// mapping modes, the vectors, one key per frame and the game-keys byte.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "config/settings.h"
#include "cpu/cpu_core.h"
#include "input/keyboard.h"
#include "machine/machine.h"
#include "platform/headless/headless.h"
#include "tests/key_table.h"

namespace {

using namespace KeyboardMapper;
using keytable::DocumentedTable;
using keytable::Hex;
namespace hl = platform::headless;

constexpr uint8_t kShift = 0x10, kCtrl = 0x11;

class Keyboard : public ::testing::Test {
protected:
    void SetUp() override {
        hl::ResetAll();
        settings = Settings::Defaults();
        BuildTables();
        Taken();
    }
    void TearDown() override {
        hl::ResetAll();
        settings = Settings::Defaults();
        CpuCore::ClearPendingInterrupts();
    }
    // Holds the modifiers and the key, sends the key-down, runs one poll.
    static void Type(uint8_t key, std::initializer_list<uint8_t> modifiers = {}) {
        for (uint8_t m : modifiers) hl::SetKeyDown(m, true);
        hl::SetKeyDown(key, true);
        OnKeyDown(key);
        PollFrame();
        hl::ReleaseAllKeys();
    }
    // "code/vector" delivered since the last call ("-" for nothing), then ready for the next.
    static std::string Taken() {
        std::string d = CpuCore::state.pendingIrq == kIrqNone ? "-"
                        : Hex(Machine::state.ppiPortA) + "/" + Hex(CpuCore::state.pendingIrq);
        Machine::state.ppiPortA = 0xFF;
        CpuCore::ClearPendingInterrupts();
        return d;
    }
    static std::vector<int> Snapshot() {
        std::vector<int> down;
        for (int k = 0; k < 256; ++k)
            if (state.keyStateSnapshot[k] & 0x80) down.push_back(k);
        return down;
    }
};

}  // namespace

// Every row typed alone, with Shift and with Ctrl: the row's codes (00 for a
// layer without a name), vector 14h for F0h-F9h; and the names the dialog shows.
TEST_F(Keyboard, EmulatedModeTypesTheWholeTable) {
    std::vector<std::string> expected, typed;
    for (const std::string& row : DocumentedTable()) {
        std::string line = row.substr(0, 2);
        size_t at = 3;
        for (int layer = 0; layer < 3; ++layer) {
            size_t end = row.find('|', at);
            std::string field = row.substr(at, end == std::string::npos ? std::string::npos : end - at);
            std::string code = field.empty() ? "00" : field.substr(field.size() - 2);
            line += "|" + field.substr(0, field.empty() ? 0 : field.size() - 3) + "=" + code + "/" +
                    (code >= "F0" && code <= "F9" ? "14" : "02");
            at = end + 1;
        }
        expected.push_back(line);
    }
    for (int r = 0; r < kRowCount; ++r) {
        const KeyRow& row = EmulatedKeyTable[r];
        std::string line = Hex(row.hostKey);
        const uint8_t key = uint8_t(std::stoi(expected[size_t(r)].substr(0, 2), nullptr, 16));
        for (int layer = 0; layer < 3; ++layer) {
            Type(key, layer == 1 ? std::initializer_list<uint8_t>{kShift} : layer == 2 ? std::initializer_list<uint8_t>{kCtrl}
                                                                                       : std::initializer_list<uint8_t>{});
            const char* name = row.layers[layer].name;
            line += std::string("|") + (name ? name : "") + "=" + Taken();
        }
        typed.push_back(line);
    }
    EXPECT_EQ(typed, expected);
    // Shift wins over Ctrl; keys without a row type nothing but show in the snapshot.
    Type(0x41, {kShift, kCtrl});
    EXPECT_EQ(Taken(), "41/02");
    Type(0x08);
    EXPECT_EQ(Taken(), "-");
    EXPECT_EQ(Snapshot(), std::vector<int>{0x08});
    for (uint8_t code : {0xEF, 0xFA}) {
        DeliverKey(code);
        EXPECT_EQ(Taken(), Hex(code) + "/02");
    }
}

// Sensible mode: a value names a layer and a position in that layer's list of
// rows (table order); every position of every list types its row's code.
TEST_F(Keyboard, SensibleModeTypesEveryListPosition) {
    settings.keyboardEmulated = 0;
    for (uint8_t key : {0x41, 0x70, 0x20}) {  // default tables: nothing
        Type(key);
        EXPECT_EQ(Taken(), "-");
    }
    for (int layer = 0; layer < 3; ++layer) {
        std::vector<std::string> expected, typed;
        for (const std::string& field : keytable::Layer(layer)) expected.push_back(field.substr(field.size() - 2));
        for (int index = 0; index < 70; ++index) {
            settings.sensibleKeyMap[0][0x42] = uint16_t(layer << 8 | index);
            Type(0x42);
            std::string d = Taken();
            if (d == "-") break;
            typed.push_back(d.substr(0, 2));
        }
        EXPECT_EQ(typed, expected) << "layer " << layer;
    }
    // Shift+A as Shift list position 0Ah: the snapshot shows Shift and A, not the host keys.
    settings.sensibleKeyMap[1][0x70] = 0x010A;
    Type(0x70, {kShift});
    EXPECT_EQ(Taken(), "41/02");
    EXPECT_EQ(Snapshot(), (std::vector<int>{kShift, 0x41}));
    settings.sensibleKeyMap[2][0x51] = 0x0000;  // Ctrl+Q as F1
    Type(0x51, {kCtrl});
    EXPECT_EQ(Taken(), "F0/14");
    EXPECT_EQ(Snapshot(), std::vector<int>{0x70});
    // Values that name no key: unassigned, past every list, an unknown layer bit; that frame's snapshot is empty.
    for (uint16_t value : {0x00FF, 0xFFFF, 0x0042, 0x0441}) {
        settings.sensibleKeyMap[0][0x41] = value;
        Type(0x41);
        EXPECT_EQ(Taken(), "-") << value;
        EXPECT_EQ(Snapshot(), std::vector<int>{}) << value;
    }
}

TEST_F(Keyboard, OneKeyPerFrameAndRepeats) {
    hl::SetKeyDown(0x41, true), hl::SetKeyDown(0x42, true);
    OnKeyDown(0x41), OnKeyDown(0x142);  // the later one, low byte only
    PollFrame();
    EXPECT_EQ(Taken(), "62/02");
    PollFrame();  // held, no new key-down
    EXPECT_EQ(Taken(), "-");
    OnKeyDown(0x42);  // auto-repeat
    PollFrame();
    EXPECT_EQ(Taken(), "62/02");
    CpuCore::RequestInterrupt(0x06);
    DeliverKey(0x41);  // replaces a pending request
    EXPECT_EQ(Taken(), "41/02");
}

// One bit per key: Space 80h, Left 20h, Right 10h, Down 08h, Up 04h, End 02h, Shift 01h; from the last poll.
TEST_F(Keyboard, GameKeysComeFromTheLastPoll) {
    std::vector<int> bytes;
    for (uint8_t key : {0x20, 0x25, 0x27, 0x28, 0x26, 0x23, 0xA0, 0x41}) {
        hl::SetKeyDown(key, true);
        bytes.push_back(GameKeyByte());
        PollFrame();
        bytes.push_back(GameKeyByte());
        hl::ReleaseAllKeys();
        PollFrame();
    }
    EXPECT_EQ(bytes, (std::vector<int>{0, 0x80, 0, 0x20, 0, 0x10, 0, 0x08, 0, 0x04, 0, 0x02, 0, 0x01, 0, 0}));
    EXPECT_EQ(Taken(), "-");  // keys held without key-downs type nothing
}
