// Host key-downs into emulated key codes: the tables, the three mapping
// modes, the key queue, delivery with its interrupt vector, and the game-keys byte.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "config/settings.h"
#include "cpu/cpu_core.h"
#include "input/keyboard.h"
#include "machine/machine.h"
#include "platform/headless/headless.h"

namespace {

using namespace KeyboardMapper;

constexpr uint8_t kShift = 0x10, kCtrl = 0x11;

class Keyboard : public ::testing::Test {
protected:
    void SetUp() override {
        platform::headless::ResetAll();
        settings = Settings::Defaults();
        settings.keyboardHostLayout = 0;  // the emulated layout unless a test says otherwise
        BuildTables();
        state.queueCount = 0;
        CpuCore::ClearPendingInterrupts();
        Machine::state.ppiPortA = 0xFF;
    }
    void TearDown() override {
        platform::headless::ResetAll();
        settings = Settings::Defaults();
        CpuCore::ClearPendingInterrupts();
    }

    // Holds the modifiers and the key, sends the key-down with its character, runs one poll.
    static void type(uint8_t key, std::initializer_list<uint8_t> modifiers = {}, uint32_t character = 0) {
        for (uint8_t m : modifiers) platform::headless::SetKeyDown(m, true);
        platform::headless::SetKeyDown(key, true);
        OnKeyDown(key, character);
        PollFrame();
        platform::headless::ReleaseAllKeys();
    }
    // One poll: the code delivered, or -1.
    static int polled() {
        PollFrame();
        int code = CpuCore::state.pendingIrq == kIrqNone ? -1 : int(taken().code);
        return code;
    }
    // The delivered code and vector, then ready for the next one.
    struct Delivery {
        int code;
        int vector;
    };
    static Delivery taken() {
        Delivery d{Machine::state.ppiPortA, CpuCore::state.pendingIrq};
        Machine::state.ppiPortA = 0xFF;
        CpuCore::ClearPendingInterrupts();
        return d;
    }
    static void expectNothingDelivered() {
        EXPECT_EQ(CpuCore::state.pendingIrq, kIrqNone);
        EXPECT_EQ(Machine::state.ppiPortA, 0xFF);
    }
    static int keysDownInSnapshot() {
        int n = 0;
        for (uint8_t v : state.keyStateSnapshot) n += (v & 0x80) ? 1 : 0;
        return n;
    }
};

// The whole emulated key table as documented: host key, then the normal, Shift
// and Ctrl layers as name=code ("-": no name). Letters and digits by the
// documented rule, the other rows written out; Backspace stands for Delete.
TEST_F(Keyboard, TheEmulatedKeyTableAsDocumented) {
    std::vector<std::string> expected = {"70|F1=F0|Shift F1=F5|-", "71|F2=F1|Shift F2=F6|-", "72|F3=F2|Shift F3=F7|-",
        "73|F4=F3|Shift F4=F8|-", "74|F5=F4|Shift F5=F9|-", "24|CLR=0C|HOME\tShift CLR=0B|Ctrl CLR=0C",
        "23|Stop=03|Shift Stop=03|Ctrl Stop=03", "2D|Insert=12|Shift Insert=12|Ctrl Insert=12",
        "2E|Delete=7F|Shift Delete=7F|Ctrl Delete=7F", "1B|Esc=1B|Shift Esc=1B|-"};
    char row[64];
    for (int i = 0; i < 35; ++i) {
        if (i < 26) std::snprintf(row, sizeof row, "%02X|%c=%02X|Shift %c=%02X|%s %c=%02X", 'A' + i, 'a' + i, 0x61 + i,
                                  'a' + i, 0x41 + i, i == 3 ? "ctrl" : "Ctrl", 'a' + i, 1 + i);
        else std::snprintf(row, sizeof row, "%02X|%c=%02X|Shift %c\t%c=%02X|-", '1' + i - 26, '1' + i - 26,
                           0x31 + i - 26, '1' + i - 26, "!\"#$%&'()"[i - 26], 0x21 + i - 26);
        expected.push_back(row);
    }
    expected.insert(expected.end(), {"30|0=30|-|-", "BD|-=2D|==3D|-", "BB|^=5E|-|-", "DC|\\=5C|-|-",
        "21|Exchange page=FE|-|Ctrl Exchange page=FE", "09|Tab=09|Shift Tab=09|-", "0D|Enter=0D|Shift Enter=0D|-",
        "26|Cursor up=1E|Shift Cursor up=1E|-", "25|Cursor left=1D|Cursor left=1D|-",
        "28|Cursor down=1F|Cursor down=1F|-", "27|Cursor right=1C|Cursor right=1C|-", "DB|[=5B|-|-", "C0|@=40|@=40|-",
        "BA|;=3B|Shift ;\t+=2B|-", "DE|:=3A|Shift :\t*=2A|-", "DD|]=5D|-|-", "BC|,=2C|Shift ,\t<=3C|-",
        "BE|.=2E|Shift .\t>=3E|-", "BF|/=2F|Shift /\t?=3F|-", "22|-|_=5F|-", "20|Space=20|Space=20|-"});
    ASSERT_EQ(expected.size(), size_t(kRowCount));
    for (int r = 0; r < kRowCount; ++r) {
        std::string actual = (std::snprintf(row, sizeof row, "%02X", EmulatedKeyTable[r].hostKey), row);
        for (const KeyLayer& layer : EmulatedKeyTable[r].layers) {
            std::snprintf(row, sizeof row, "|%s=%02X", layer.name ? layer.name : "-", layer.code);
            actual += layer.name || layer.code ? row : "|-";
        }
        EXPECT_EQ(actual, expected[size_t(r)]) << "row " << r;
    }
    EXPECT_EQ(layerList[kCtrlLayer].rows[4], 10);  // Ctrl: rows 5-8 come before "a"
    const std::pair<int, int> hostRows[] = {{0x5A, 35}, {0x30, 45}, {0xC0, 57}, {0x08, 8}, {0x75, kNoRow}};
    for (auto [key, expectedRow] : hostRows) EXPECT_EQ(hostKeyToRow[key], expectedRow) << "host key " << key;
}

// Key vector 02h, F0h-F9h on the function-key vector 14h; a layer without a
// name delivers 00.
TEST_F(Keyboard, EmulatedLayoutCodesAndVectors) {
    struct Row {
        uint8_t key;
        std::initializer_list<uint8_t> modifiers;
        int code, vector;
    };
    const Row rows[] = {
        {0x41, {}, 0x61, 0x02},                // a
        {0x41, {kShift}, 0x41, 0x02},          // A
        {0x41, {kCtrl}, 0x01, 0x02},           // Ctrl a
        {0x41, {kShift, kCtrl}, 0x41, 0x02},   // Shift wins over Ctrl
        {0x32, {kShift}, 0x22, 0x02},          // Shift 2 is the double quote
        {0xBB, {}, 0x5E, 0x02},                // host = key gives the caret
        {0xDE, {}, 0x3A, 0x02},                // host ' key gives the colon
        {0xBA, {kShift}, 0x2B, 0x02},          // Shift ; is +
        {0xBD, {kShift}, 0x3D, 0x02},          // Shift - is =
        {0x24, {kShift}, 0x0B, 0x02},          // Shift Home
        {0x21, {}, 0xFE, 0x02},                // Page Up: Exchange page
        {0x22, {kShift}, 0x5F, 0x02},          // Shift Page Down: underline
        {0x72, {}, 0xF2, 0x14},                // F3
        {0x72, {kShift}, 0xF7, 0x14},          // Shift F3
        {0x70, {}, 0xF0, 0x14},                // F1
        {0x74, {kShift}, 0xF9, 0x14},          // Shift F5, the last of the range
        {0x70, {kCtrl}, 0x00, 0x02},           // Ctrl F1
        {0x30, {kShift}, 0x00, 0x02},          // Shift 0
        {0xBB, {kShift}, 0x00, 0x02},          // Shift on the host = key
        {0x31, {kCtrl}, 0x00, 0x02},           // Ctrl 1
        {0x22, {}, 0x00, 0x02},                // Page Down alone
        {0x08, {kShift}, 0x7F, 0x02},          // Backspace erases as Delete
        // The number pad with Num Lock on, whatever the modifiers: 7, 0, *, +, -, ., /
        {0x67, {}, 0x37, 2}, {0x60, {kShift}, 0x30, 2}, {0x6A, {}, 0x2A, 2}, {0x6B, {kCtrl}, 0x2B, 2},
        {0x6D, {}, 0x2D, 2}, {0x6E, {}, 0x2E, 2}, {0x6F, {}, 0x2F, 2},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(::testing::Message() << "host key " << int(r.key) << " with " << r.modifiers.size()
                                          << " modifiers");
        type(r.key, r.modifiers);
        Delivery d = taken();
        EXPECT_EQ(d.code, r.code);
        EXPECT_EQ(d.vector, r.vector);
    }
    // Codes just outside F0-F9 use the key vector.
    for (uint8_t code : {0xFA, 0xEF}) {
        DeliverKey(code);
        EXPECT_EQ(taken().vector, 0x02) << int(code);
    }
}

// Key-downs faster than the frames wait their turn with their own Shift and
// Ctrl; an auto-repeat joins only an empty queue; a key not yet taken by the
// program (interrupts off) holds the next one back.
TEST_F(Keyboard, KeyDownsQueueInOrderWithTheirOwnModifiers) {
    platform::headless::SetKeyDown(0xA0, true);
    OnKeyDown(kShift);  // Shift itself takes no place
    OnKeyDown(0x148);   // H, only the low byte counts
    platform::headless::SetKeyDown(0xA0, false);
    OnKeyDown(0x49);
    platform::headless::SetKeyDown(0xA2, true);
    OnKeyDown(0x43);  // Ctrl c
    platform::headless::ReleaseAllKeys();
    for (uint8_t key : {0x31, 0x75, 0x0D}) OnKeyDown(key, 0, key == 0x75);  // F6: no row, and an auto-repeat
    for (int code : {0x48, 0x69, 0x03, 0x31, 0x0D, -1}) EXPECT_EQ(polled(), code);
    OnKeyDown(0x41, 0, true);  // into an empty queue an auto-repeat types again
    OnKeyDown(0x42);
    for (int i = 0; i < 3; ++i) PollFrame();  // 'a' delivered, not yet accepted: 'b' waits
    EXPECT_EQ(taken().code, 0x61);
    EXPECT_EQ(polled(), 0x62);
    for (int i = 0; i < kQueueCapacity + 5; ++i) OnKeyDown(uint8_t('A' + i % 26));
    for (int i = 0; i < kQueueCapacity; ++i) EXPECT_EQ(polled(), 0x61 + i % 26);  // as many as the queue holds
    EXPECT_EQ(polled(), -1);
}

// Host layout beyond the desktop's key events (tests/qt/keys_test.cpp): a
// character typed as several codes, Ctrl by letter or not, characters without a code.
TEST_F(Keyboard, HostLayoutTypesTheHostCharacters) {
    settings.keyboardHostLayout = 1;
    struct Row {
        uint8_t key, modifier;
        uint32_t character;
        std::vector<int> codes;  // one per poll, -1 for none
    } const rows[] = {{0xBE, 0, 0x2026, {0x2E, 0x2E, 0x2E, -1}}, {0x32, kShift, 0x201E, {0x22}},
                      {0x41, kCtrl, 'a', {0x01}}, {0x31, kCtrl, '1', {0x00}}, {0x2E, 0, 0x7F, {0x7F}},
                      {0xBD, 0, 0xDF, {-1}}, {0x09, kShift, '\t', {0x09}}};
    for (const Row& r : rows) {
        if (r.modifier) platform::headless::SetKeyDown(r.modifier, true);
        OnKeyDown(r.key, r.character);
        platform::headless::ReleaseAllKeys();
        for (int code : r.codes) EXPECT_EQ(polled(), code) << "character " << r.character;
    }
}

TEST_F(Keyboard, AKeyWithoutARowDeliversNothingButTheSnapshotFollows) {
    type(0x75);  // F6
    expectNothingDelivered();
    EXPECT_EQ(state.queueCount, 0);
    // The poll read the key state while F6 was held.
    EXPECT_EQ(state.keyStateSnapshot[0x75], 0x80);
    EXPECT_EQ(keysDownInSnapshot(), 1);
}

TEST_F(Keyboard, ADeliveryReplacesAPendingRequest) {
    CpuCore::RequestInterrupt(0x06);
    DeliverKey(0x41);
    EXPECT_EQ(CpuCore::state.pendingIrq, 0x02);
    EXPECT_EQ(Machine::state.ppiPortA, 0x41);
}

TEST_F(Keyboard, SensibleModeWithDefaultTablesTypesNothing) {
    settings.keyboardEmulated = 0;
    for (uint8_t key : {0x41, 0x70, 0x20, 0x0D}) {
        platform::headless::SetKeyDown(key, true);
        OnKeyDown(key);
        PollFrame();
        expectNothingDelivered();
        // The frame of the unassigned key-down shows no key at all...
        EXPECT_EQ(keysDownInSnapshot(), 0);
        // ...and the next frames follow the host keys.
        PollFrame();
        EXPECT_EQ(state.keyStateSnapshot[key], 0x80);
        platform::headless::ReleaseAllKeys();
    }
}

TEST_F(Keyboard, SensibleAssignmentsPickKeyAndLayer) {
    settings.keyboardEmulated = 0;
    // Host Shift+A assigned to the Shift layer, list index 0Ah (row 10).
    settings.sensibleKeyMap[1][0x41] = 0x010A;
    type(0x41, {kShift});
    Delivery d = taken();
    EXPECT_EQ(d.code, 0x41);
    EXPECT_EQ(d.vector, 0x02);
    EXPECT_EQ(state.keyStateSnapshot[kShift], 0x80);
    EXPECT_EQ(state.keyStateSnapshot[0x41], 0x80);
    EXPECT_EQ(keysDownInSnapshot(), 2);

    // Without Shift the no-modifier map applies, which is empty.
    type(0x41);
    expectNothingDelivered();

    // Host F1 alone as Ctrl "a" (Ctrl list index 4): Ctrl and A in the snapshot.
    settings.sensibleKeyMap[0][0x70] = 0x0204;
    type(0x70);
    EXPECT_EQ(taken().code, 0x01);
    EXPECT_EQ(state.keyStateSnapshot[kCtrl], 0x80);
    EXPECT_EQ(state.keyStateSnapshot[0x41], 0x80);
    EXPECT_EQ(state.keyStateSnapshot[0x70], 0x00);

    // Host Ctrl+Q as the normal F1 key: function-key vector.
    settings.sensibleKeyMap[2][0x51] = 0x0000;
    type(0x51, {kCtrl});
    d = taken();
    EXPECT_EQ(d.code, 0xF0);
    EXPECT_EQ(d.vector, 0x14);
    EXPECT_EQ(state.keyStateSnapshot[0x70], 0x80);
    EXPECT_EQ(state.keyStateSnapshot[kCtrl], 0x00);

    // Normal list index 64 is Space (row 65).
    settings.sensibleKeyMap[0][0x42] = 64;
    type(0x42);
    EXPECT_EQ(taken().code, 0x20);
}

TEST_F(Keyboard, SensibleValuesThatNameNoKeyDeliverNothing) {
    settings.keyboardEmulated = 0;
    const uint16_t values[] = {
        0xFFFF,  // unassigned, other spelling
        0x0042,  // list index 66: past every list
        0x0241,  // Ctrl list index 65: the Ctrl list has 31 entries
        0x013C,  // Shift list index 60: the Shift list has 60 entries
        0x0041,  // normal list index 65: the normal list has 65 entries
        0x040A,  // an unknown layer bit
    };
    for (uint16_t value : values) {
        settings.sensibleKeyMap[0][0x41] = value;
        type(0x41);
        EXPECT_EQ(CpuCore::state.pendingIrq, kIrqNone) << "value " << value;
        taken();
    }
}

TEST_F(Keyboard, GameKeysComeFromTheLastPoll) {
    platform::headless::SetKeyDown(0x20, true);  // Space
    platform::headless::SetKeyDown(0x26, true);  // Up
    EXPECT_EQ(GameKeyByte(), 0x00);  // not polled yet
    PollFrame();
    EXPECT_EQ(GameKeyByte(), 0x84);
    platform::headless::ReleaseAllKeys();
    for (uint8_t key : {0x25, 0x27, 0x28, 0x23, 0xA0}) platform::headless::SetKeyDown(key, true);
    PollFrame();
    // Left 20h, Right 10h, Down 08h, End (Stop) 02h, Shift 01h.
    EXPECT_EQ(GameKeyByte(), 0x3B);
    expectNothingDelivered();  // keys held without key-down messages type nothing
}

}  // namespace
