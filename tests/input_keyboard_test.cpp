// Host key-downs into emulated key codes: the tables, both mapping modes,
// delivery with its interrupt vector, and the game-keys byte.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

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
        BuildTables();
        state.keyDownPending = false;
        CpuCore::ClearPendingInterrupts();
        Machine::state.ppiPortA = 0xFF;
    }
    void TearDown() override {
        platform::headless::ResetAll();
        settings = Settings::Defaults();
        CpuCore::ClearPendingInterrupts();
    }

    // Holds the modifiers and the key, sends the key-down, runs one poll.
    static void type(uint8_t key, std::initializer_list<uint8_t> modifiers = {}) {
        for (uint8_t m : modifiers) platform::headless::SetKeyDown(m, true);
        platform::headless::SetKeyDown(key, true);
        OnKeyDown(key);
        PollFrame();
        platform::headless::ReleaseAllKeys();
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

// List counts, list order and names are also seen through the keyboard dialog.
TEST_F(Keyboard, TablesFollowTheRowOrder) {
    // Row 64 (Page Down) has no normal layer, so Space is the last normal entry.
    EXPECT_EQ(layerList[kNormalLayer].rows[64], 65);
    EXPECT_EQ(layerList[kCtrlLayer].rows[4], 10);  // Ctrl: rows 5-8 come before "a"
    const std::pair<int, int> hostRows[] = {{0x5A, 35}, {0x30, 45}, {0xC0, 57}, {0x08, kNoRow}, {0x75, kNoRow}};
    for (auto [key, row] : hostRows) EXPECT_EQ(hostKeyToRow[key], row) << "host key " << key;
    EXPECT_STREQ(EmulatedKeyTable[14].layers[kCtrlLayer].name, "Ctrl e");
    EXPECT_STREQ(EmulatedKeyTable[48].layers[kNormalLayer].name, "\\");
    EXPECT_EQ(EmulatedKeyTable[64].layers[kNormalLayer].name, nullptr);
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

TEST_F(Keyboard, OnlyTheLastKeyOfAFrameIsDelivered) {
    platform::headless::SetKeyDown(0x41, true);
    platform::headless::SetKeyDown(0x42, true);
    OnKeyDown(0x41);
    OnKeyDown(0x142);  // only the low byte counts
    PollFrame();
    Delivery d = taken();
    EXPECT_EQ(d.code, 0x62);
    EXPECT_EQ(d.vector, 0x02);
    // Still held but no new key-down: nothing more.
    PollFrame();
    expectNothingDelivered();
    // An auto-repeat key-down delivers again.
    OnKeyDown(0x42);
    PollFrame();
    EXPECT_EQ(taken().code, 0x62);
}

TEST_F(Keyboard, AKeyWithoutARowDeliversNothingButTheSnapshotFollows) {
    type(0x08);  // Backspace
    expectNothingDelivered();
    EXPECT_FALSE(state.keyDownPending);
    // The poll read the key state while Backspace was held.
    EXPECT_EQ(state.keyStateSnapshot[0x08], 0x80);
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
