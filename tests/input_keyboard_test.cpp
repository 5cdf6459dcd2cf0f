// Host key-downs into emulated key codes, typed as a user types them (key
// state held, key-down sent, the frame's poll): the whole key table in the
// emulated and sensible modes, the host layout, the vectors, the key queue
// and the game-keys byte.
#include <gtest/gtest.h>

#include <algorithm>
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
const std::initializer_list<uint8_t> kLayerModifiers[3] = {{}, {kShift}, {kCtrl}};

class Keyboard : public ::testing::Test {
protected:
    void SetUp() override {
        hl::ResetAll();
        settings = Settings::Defaults();
        settings.keyboardHostLayout = 0;  // the emulated layout unless a test says otherwise
        BuildTables();
        state.queueCount = 0;
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
        for (int layer = 0; layer < 3; ++layer) {
            const std::string field = keytable::Field(row, layer);
            std::string code = field.empty() ? "00" : field.substr(field.size() - 2);
            line += "|" + field.substr(0, field.empty() ? 0 : field.size() - 3) + "=" + code + "/" +
                    (code >= "F0" && code <= "F9" ? "14" : "02");
        }
        expected.push_back(line);
    }
    for (int r = 0; r < kRowCount; ++r) {
        const KeyRow& row = EmulatedKeyTable[r];
        std::string line = Hex(row.hostKey);
        const uint8_t key = uint8_t(std::stoi(expected[size_t(r)].substr(0, 2), nullptr, 16));
        for (int layer = 0; layer < 3; ++layer) {
            Type(key, kLayerModifiers[layer]);
            const char* name = row.layers[layer].name;
            line += std::string("|") + (name ? name : "") + "=" + Taken();
        }
        typed.push_back(line);
    }
    EXPECT_EQ(typed, expected);
    // Shift wins over Ctrl; Backspace erases as Delete; the number pad gives
    // its characters whatever the modifiers; keys without a row type nothing
    // but show in the snapshot.
    Type(0x41, {kShift, kCtrl});
    EXPECT_EQ(Taken(), "41/02");
    Type(0x08, {kShift});
    EXPECT_EQ(Taken(), "7F/02");
    std::string pad;
    for (uint8_t key : {0x67, 0x60, 0x6A, 0x6B, 0x6D, 0x6E, 0x6F}) Type(key, {kCtrl}), pad += Taken() + " ";
    EXPECT_EQ(pad, "37/02 30/02 2A/02 2B/02 2D/02 2E/02 2F/02 ");
    Type(0x75);  // F6
    EXPECT_EQ(Taken(), "-");
    EXPECT_EQ(Snapshot(), std::vector<int>{0x75});
}

// Sensible mode: a value names a layer and a position in that layer's list of
// rows (table order); every position of every list types its row's code.
TEST_F(Keyboard, SensibleModeTypesEveryListPosition) {
    settings.keyboardEmulated = 0;
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

// Key-downs faster than the frames wait their turn with their own Shift and
// Ctrl; an auto-repeat joins only an empty queue; a key not yet taken by the
// program holds the next one back.
TEST_F(Keyboard, KeyDownsQueueInOrderWithTheirOwnModifiers) {
    auto polled = [] { return PollFrame(), Taken(); };
    hl::SetKeyDown(0xA0, true);
    OnKeyDown(kShift);  // Shift itself takes no place
    OnKeyDown(0x148);   // H, only the low byte counts
    hl::SetKeyDown(0xA0, false);
    OnKeyDown(0x49);
    hl::SetKeyDown(0xA2, true);
    OnKeyDown(0x43);  // Ctrl c
    hl::ReleaseAllKeys();
    for (uint8_t key : {0x31, 0x75, 0x0D}) OnKeyDown(key, 0, key == 0x75);  // F6: no row, and an auto-repeat
    std::string got;
    for (int i = 0; i < 6; ++i) got += polled() + " ";
    EXPECT_EQ(got, "48/02 69/02 03/02 31/02 0D/02 - ");
    OnKeyDown(0x41, 0, true);  // into an empty queue an auto-repeat types again
    OnKeyDown(0x42);
    for (int i = 0; i < 3; ++i) PollFrame();  // 'a' delivered, not yet accepted: 'b' waits
    EXPECT_EQ(Taken(), "61/02");
    EXPECT_EQ(polled(), "62/02");
}

// Host layout beyond the desktop's key events (tests/qt/keys_test.cpp): a
// character typed as several codes, Ctrl with a key that is no letter.
TEST_F(Keyboard, HostLayoutTypesTheHostCharacters) {
    settings.keyboardHostLayout = 1;
    struct Row {
        uint8_t key, modifier;
        uint32_t character;
        const char* codes;  // one per poll
    } const rows[] = {{0xBE, 0, 0x2026, "2E/02 2E/02 2E/02 - "}, {0x32, kShift, 0x201E, "22/02 "},
                      {0x31, kCtrl, '1', "00/02 "}};
    for (const Row& r : rows) {
        if (r.modifier) hl::SetKeyDown(r.modifier, true);
        OnKeyDown(r.key, r.character);
        hl::ReleaseAllKeys();
        std::string got;
        for (const std::string codes = r.codes; std::count(got.begin(), got.end(), ' ') < std::count(codes.begin(), codes.end(), ' ');)
            PollFrame(), got += Taken() + " ";
        EXPECT_EQ(got, r.codes) << "character " << r.character;
    }
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
