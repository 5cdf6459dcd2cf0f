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

// Windows virtual-key codes; key 0 means refused.
TEST_F(MachineRunnerHelpersTest, KeyNamesAndNumbers) {
    const struct { const char* name; uint8_t key; std::vector<uint8_t> modifiers; } keys[] = {
        {"Shift+A", 0x41, {0x10}}, {"a", 0x41, {}},     {"Enter", 0x0D, {}}, {"F1", 0x70, {}},
        {"F12", 0x7B, {}},         {"comma", 0xBC, {}}, {",", 0xBC, {}},     {"Up", 0x26, {}},
        {"Ctrl+Shift++", 0xBB, {0x11, 0x10}},           {"Alt+A", 0, {}},    {"F0", 0, {}},
        {"Nothing", 0, {}},
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
    auto scheduled = RunHelpers::ParseScheduledKey("120:F3");
    ASSERT_TRUE(scheduled);
    EXPECT_EQ(scheduled->frame, 120);
    EXPECT_EQ(scheduled->press.key, 0x72);
    EXPECT_FALSE(RunHelpers::ParseScheduledKey(":A"));
    EXPECT_FALSE(RunHelpers::ParseScheduledKey("-1:A"));

    // Decimal, $ or 0x hex, h-suffixed hex; -1 means refused.
    const struct { const char* text; uint32_t maximum; int64_t value; } numbers[] = {
        {"49152", 0xFFFF, 49152}, {"$C000", 0xFFFF, 0xC000}, {"0x4c00", 0xFFFF, 0x4C00}, {"F6h", 255, 0xF6},
        {"65536", 0xFFFF, -1},    {"$", 0xFFFF, -1},         {"12a", 0xFFFF, -1},        {"", 0xFFFF, -1},
        {"000000000000000042", 255, 42}, {"99999999999999999999", 0xFFFFFFFF, -1},
    };
    for (const auto& n : numbers) {
        auto parsed = RunHelpers::ParseNumber(n.text, n.maximum);
        EXPECT_EQ(parsed ? int64_t(*parsed) : -1, n.value) << n.text;
    }

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
