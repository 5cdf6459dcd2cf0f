// Quick type and paste: slots, filtering, the interrupt gate and refusals.
#include "devices_test_support.h"

using namespace devices_test;
namespace headless = platform::headless;

namespace {

class QuickTypeTest : public DeviceTest {
protected:
    // One frame's poll: the delivered key code, or -1 when none was delivered.
    int Frame() {
        CpuCore::state.pendingIrq = kIrqNone;
        Machine::state.ppiPortA = 0xFF;
        bool delivered = QuickType::FeedFrame();
        EXPECT_EQ(CpuCore::state.pendingIrq, delivered ? 0x02 : kIrqNone);
        return delivered ? Machine::state.ppiPortA : -1;
    }
    void Paste(const std::string& text) {
        headless::SetClipboardText(text);
        QuickType::Paste();
    }
};

// Through a text file and the clipboard alike.
TEST_F(QuickTypeTest, EverySecondFrameTypesOnePrintableCharacterOrCarriageReturn) {
    // -1: a slot that types nothing (LF after CR, tab, control bytes, DEL, 80h and above).
    constexpr int CR = 0x0D;
    struct Case {
        std::string text;
        std::vector<int> slots;
    } const cases[] = {
        {"10 PRINT 1\r\nRUN\r", {'1', '0', ' ', 'P', 'R', 'I', 'N', 'T', ' ', '1', CR, -1, 'R', 'U', 'N', CR}},
        {"a\t\x1f\x7f\x80\xff ~\nZ", {'a', -1, -1, -1, -1, -1, ' ', '~', CR, 'Z'}},
        // Line ends: LF alone, CR LF, CR alone, mixed, a last line without an end; LF first.
        {"1\n2\r\n3\r4\n\n\r\r\n5", {'1', CR, '2', CR, -1, '3', CR, '4', CR, CR, CR, CR, -1, '5'}},
    };
    for (bool paste : {false, true}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(::testing::Message() << (paste ? "paste " : "file ") << c.text);
            if (paste) {
                Paste(c.text);
            } else {
                WriteBytes(folder.File("prog.txt"), std::vector<uint8_t>(c.text.begin(), c.text.end()));
                ASSERT_TRUE(QuickType::TypeFilePath(folder.File("prog.txt")));
            }
            for (int slot : c.slots) {
                EXPECT_EQ(Frame(), -1) << "odd frames carry nothing";
                EXPECT_EQ(Frame(), slot);
            }
            EXPECT_TRUE(QuickType::IsActive());
            EXPECT_EQ(Frame(), -1);
            EXPECT_EQ(Frame(), -1);  // the slot after the text ends typing
            EXPECT_FALSE(QuickType::IsActive());
            EXPECT_EQ(Frame(), -1);
        }
    }
}

// Clipboard text is UTF-8: typographic characters become ASCII, any other
// character outside ASCII takes one slot and types nothing (never a "?").
TEST_F(QuickTypeTest, PastedUnicodeTypesItsAsciiEquivalents) {
    Paste("\u201Chi\u201D \u2013 it\u2019s\u2026\u00A0\u00E9\u20AC\U0001F600!\xC3");
    std::vector<int> typed;
    while (QuickType::IsActive()) {
        Frame();
        typed.push_back(Frame());
    }
    EXPECT_EQ(typed, (std::vector<int>{'"', 'h', 'i', '"', ' ', '-', ' ', 'i', 't', '\'', 's', '.', '.', '.', ' ', -1,
                                       -1, -1, '!', -1, -1}));
}

TEST_F(QuickTypeTest, InterruptsOffPauseTypingWithoutLosingCharacters) {
    Paste("AB");
    ASSERT_TRUE(QuickType::IsActive());
    EXPECT_EQ(Frame(), -1);
    CpuCore::state.iff1 = 0;
    for (int i = 0; i < 7; ++i) EXPECT_EQ(Frame(), -1);  // not counted at all
    CpuCore::state.iff1 = 1;
    EXPECT_EQ(Frame(), 'A');
}

TEST_F(QuickTypeTest, PasteIsRefusedWhenItCannotStart) {
    Paste(std::string("\0AB", 3));  // empty up to its zero
    EXPECT_FALSE(QuickType::IsActive());
    WriteBytes(folder.File("t.cp6"), {1, 2, 3});
    ASSERT_TRUE(CassetteDeck::LoadFile(folder.File("t.cp6")));
    Paste("RUN\r");  // a tape loaded for play
    EXPECT_FALSE(QuickType::IsActive());
    CassetteDeck::Eject();

    Paste(std::string("A\0B", 3));  // the text ends at its zero
    ASSERT_TRUE(QuickType::IsActive());
    EXPECT_EQ(QuickType::state.quickTypeLength, 1);
    Paste("ZZZZ");  // already typing: the first text goes on
    EXPECT_EQ(QuickType::state.quickTypeLength, 1);
    Frame();
    EXPECT_EQ(Frame(), 'A');
}

TEST_F(QuickTypeTest, BadTextFilesStartNothing) {
    EXPECT_FALSE(QuickType::TypeFilePath(folder.File("absent.txt")));
    WriteBytes(folder.File("empty.txt"), {});
    EXPECT_FALSE(QuickType::TypeFilePath(folder.File("empty.txt")));
    EXPECT_FALSE(QuickType::IsActive());
    EXPECT_STREQ(settings.quickTypePath, "colors.txt");
}

}  // namespace
