// The runner's screen text and option parsing (compiled in from tools/run).
#include "tests/machine_fixture.h"
#include "tools/run/run_helpers.cpp"

using MachineRunnerHelpersTest = MachineTest;

// The runner scripts read ROM text on every screen; here the cells they do
// not show: extended-ROM text (attribute bit 5), semigraphics and graphics
// cells, ROM codes above 63, and a display that is off.
TEST_F(MachineRunnerHelpersTest, ScreenTextCells) {
    Machine::state.portCLatch = 0xFF;
    Machine::state.videoBase = 0xE000;
    std::memset(&Machine::MemoryImage[0xE000], 0x00, 0x1A00);
    const uint8_t attributes[] = {0x20, 0x23, 0x20, 0x40, 0x60, 0x80, 0x9C, 0x00, 0x00};
    const uint8_t data[] = {'z', '~', 0x07, 0x41, 0x41, 0x41, 0x41, 0x41, 0xDB};
    for (size_t i = 0; i < sizeof attributes; ++i) {
        Machine::MemoryImage[0xE000 + 32 + i] = attributes[i];
        Machine::MemoryImage[0xE200 + 32 + i] = data[i];
    }
    EXPECT_EQ(RunHelpers::ScreenText()[1].substr(0, 10), "z~.####A[@");
    Machine::state.portCLatch = 0xFD;  // display off: blank
    for (const auto& row : RunHelpers::ScreenText()) EXPECT_EQ(row, std::string(32, ' '));
}

// Forms the runner scripts do not use. Windows virtual-key codes; key 0 means refused.
TEST_F(MachineRunnerHelpersTest, KeyNamesAndNumbers) {
    const struct { const char* name; uint8_t key; std::vector<uint8_t> modifiers; } keys[] = {
        {"F12", 0x7B, {}}, {",", 0xBC, {}}, {"Ctrl+Shift++", 0xBB, {0x11, 0x10}}, {"Alt+A", 0, {}}, {"F0", 0, {}},
    };
    for (const auto& k : keys) {
        SCOPED_TRACE(k.name);
        auto parsed = RunHelpers::ParseKeyName(k.name);
        ASSERT_EQ(parsed.has_value(), k.key != 0);
        if (parsed) {
            EXPECT_EQ(parsed->key, k.key);
            EXPECT_EQ(parsed->modifiers, k.modifiers);
        }
    }
    EXPECT_FALSE(RunHelpers::ParseScheduledKey(":A"));

    // 0x and h-suffixed hex, leading zeros, overflow; -1 means refused.
    const struct { const char* text; uint32_t maximum; int64_t value; } numbers[] = {
        {"0x4c00", 0xFFFF, 0x4C00}, {"F6h", 255, 0xF6}, {"$", 0xFFFF, -1}, {"12a", 0xFFFF, -1}, {"", 0xFFFF, -1},
        {"000000000000000042", 255, 42}, {"99999999999999999999", 0xFFFFFFFF, -1},
    };
    for (const auto& n : numbers) {
        auto parsed = RunHelpers::ParseNumber(n.text, n.maximum);
        EXPECT_EQ(parsed ? int64_t(*parsed) : -1, n.value) << n.text;
    }

    EXPECT_FALSE(RunHelpers::ParsePointer("1"));
}

// Typed text: real line ends become one CR, an escaped backslash one backslash.
TEST_F(MachineRunnerHelpersTest, TypedText) {
    EXPECT_EQ(RunHelpers::TypedText("A\r\nB\nC\r"), "A\rB\rC\r");
    EXPECT_EQ(RunHelpers::TypedText("C:\\\\X"), "C:\\X");
    EXPECT_EQ(RunHelpers::TypedText("\\t"), "\\t");
}
