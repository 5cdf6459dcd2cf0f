// The runner's screen text and option parsing (compiled in from tools/run).
#include "tests/machine_fixture.h"
#include "tools/run/run_helpers.cpp"

using MachineRunnerHelpersTest = MachineTest;

// Glyphs of the 768-byte ROM: 0-31 "@A..Z[\]^_", 32-63 " !"#...?", by code & 63.
TEST_F(MachineRunnerHelpersTest, ScreenTextCells) {
    Machine::state.portCLatch = 0xFF;
    Machine::state.videoBase = 0xE000;
    std::memset(&Machine::MemoryImage[0xE000], 0x00, 0x1A00);
    const uint8_t codes[] = {0x00, 0x01, 0x1A, 0x1B, 0x1C, 0x1F, 0x20, 0x21, 0x30, 0x3F, 0x41, 0xC1};
    const char expected[] = "@AZ[\\_ !0?AA";
    for (size_t i = 0; i < sizeof codes; ++i) Machine::MemoryImage[0xE200 + i] = codes[i];
    // Row 1: extended-ROM text (attribute bit 5), semigraphics and graphics cells.
    const uint8_t attributes[] = {0x20, 0x23, 0x20, 0x40, 0x60, 0x80, 0x9C};
    const uint8_t data[] = {'z', '~', 0x07, 0x41, 0x41, 0x41, 0x41};
    for (size_t i = 0; i < sizeof attributes; ++i) {
        Machine::MemoryImage[0xE000 + 32 + i] = attributes[i];
        Machine::MemoryImage[0xE200 + 32 + i] = data[i];
    }
    auto rows = RunHelpers::ScreenText();
    ASSERT_EQ(rows.size(), 16u);
    EXPECT_EQ(rows[0], std::string(expected) + std::string(20, '@'));
    EXPECT_EQ(rows[1].substr(0, 7), "z~.####");
    EXPECT_EQ(rows[15], std::string(32, '@'));
    for (const auto& row : rows) EXPECT_EQ(row.size(), 32u);

    Machine::state.portCLatch = 0xFD;  // display off: blank
    for (const auto& row : RunHelpers::ScreenText()) EXPECT_EQ(row, std::string(32, ' '));
}

TEST_F(MachineRunnerHelpersTest, KeyNames) {
    auto key = RunHelpers::ParseKeyName("Shift+A");
    ASSERT_TRUE(key);
    EXPECT_EQ(key->key, 0x41);
    ASSERT_EQ(key->modifiers.size(), 1u);
    EXPECT_EQ(key->modifiers[0], 0x10);
    EXPECT_EQ(RunHelpers::ParseKeyName("a")->key, 0x41);
    EXPECT_EQ(RunHelpers::ParseKeyName("Enter")->key, 0x0D);
    EXPECT_EQ(RunHelpers::ParseKeyName("F1")->key, 0x70);
    EXPECT_EQ(RunHelpers::ParseKeyName("F12")->key, 0x7B);
    EXPECT_EQ(RunHelpers::ParseKeyName("comma")->key, 0xBC);
    EXPECT_EQ(RunHelpers::ParseKeyName(",")->key, 0xBC);
    EXPECT_EQ(RunHelpers::ParseKeyName("Up")->key, 0x26);
    auto plus = RunHelpers::ParseKeyName("Ctrl+Shift++");
    ASSERT_TRUE(plus);
    EXPECT_EQ(plus->key, 0xBB);
    EXPECT_EQ(plus->modifiers, (std::vector<uint8_t>{0x11, 0x10}));
    EXPECT_FALSE(RunHelpers::ParseKeyName("Alt+A"));
    EXPECT_FALSE(RunHelpers::ParseKeyName("F0"));
    EXPECT_FALSE(RunHelpers::ParseKeyName("Nothing"));
    auto scheduled = RunHelpers::ParseScheduledKey("120:F3");
    ASSERT_TRUE(scheduled);
    EXPECT_EQ(scheduled->frame, 120);
    EXPECT_EQ(scheduled->press.key, 0x72);
    EXPECT_FALSE(RunHelpers::ParseScheduledKey(":A"));
    EXPECT_FALSE(RunHelpers::ParseScheduledKey("-1:A"));
}

TEST_F(MachineRunnerHelpersTest, NumbersAddressesPointer) {
    EXPECT_EQ(RunHelpers::ParseNumber("49152", 0xFFFF), 49152u);
    EXPECT_EQ(RunHelpers::ParseNumber("$C000", 0xFFFF), 0xC000u);
    EXPECT_EQ(RunHelpers::ParseNumber("0x4c00", 0xFFFF), 0x4C00u);
    EXPECT_EQ(RunHelpers::ParseNumber("F6h", 255), 0xF6u);
    EXPECT_FALSE(RunHelpers::ParseNumber("65536", 0xFFFF));
    EXPECT_FALSE(RunHelpers::ParseNumber("$", 0xFFFF));
    EXPECT_FALSE(RunHelpers::ParseNumber("12a", 0xFFFF));
    EXPECT_FALSE(RunHelpers::ParseNumber("", 0xFFFF));

    auto load = RunHelpers::ParseBinaryLoad("dir/game@x.bin@$4C00,usr=19711");
    ASSERT_TRUE(load);
    EXPECT_EQ(load->path, "dir/game@x.bin");
    EXPECT_EQ(load->load, 0x4C00);
    EXPECT_TRUE(load->setUsr);
    EXPECT_EQ(load->usr, 19711);
    auto plain = RunHelpers::ParseBinaryLoad("a.bin@100");
    ASSERT_TRUE(plain);
    EXPECT_FALSE(plain->setUsr);
    EXPECT_FALSE(RunHelpers::ParseBinaryLoad("a.bin@70000"));

    auto pointer = RunHelpers::ParsePointer("255,0,down");
    ASSERT_TRUE(pointer);
    EXPECT_EQ(pointer->x, 255);
    EXPECT_EQ(pointer->y, 0);
    EXPECT_TRUE(pointer->down);
    EXPECT_FALSE(RunHelpers::ParsePointer("1"));
    EXPECT_FALSE(RunHelpers::ParsePointer("1,2,3"));
}

// Typed text: \n and \r escapes and real line ends all become one CR.
TEST_F(MachineRunnerHelpersTest, TypedText) {
    EXPECT_EQ(RunHelpers::TypedText("RUN\\n"), "RUN\r");
    EXPECT_EQ(RunHelpers::TypedText("A\\rB"), "A\rB");
    EXPECT_EQ(RunHelpers::TypedText("A\r\nB\nC\r"), "A\rB\rC\r");
    EXPECT_EQ(RunHelpers::TypedText("C:\\\\X"), "C:\\X");
    EXPECT_EQ(RunHelpers::TypedText("\\t"), "\\t");
}
