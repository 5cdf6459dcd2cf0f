// Quick type and paste: slots, filtering, the interrupt gate and refusals.
#include <gtest/gtest.h>

#include "config/settings.h"
#include "cpu/cpu_core.h"
#include "devices/cassette.h"
#include "devices/quick_type.h"
#include "devices_test_support.h"
#include "machine/machine.h"
#include "platform/headless/headless.h"

using devices_test::ScratchFolder;
using devices_test::WriteBytes;
using devices_test::WriteText;
namespace headless = platform::headless;

namespace {

class QuickTypeTest : public ::testing::Test {
protected:
    void SetUp() override {
        headless::ResetAll();
        settings = Settings::Defaults();
        iniPath = folder.File("settings.ini");  // remembered paths land here, not in the working folder
        QuickType::Stop();
        QuickType::state.quickTypeFrameCount = 0;
        CassetteDeck::Eject();
        CassetteDeck::fileActivity = 0;
        Machine::state = Machine::State{};
        CpuCore::state = CpuState{};
        CpuCore::ClearPendingInterrupts();
        CpuCore::state.iff1 = 1;
    }
    void TearDown() override {
        QuickType::Stop();
        CassetteDeck::Eject();
    }

    // One frame's poll: the delivered key code, or -1 when none was delivered.
    int Frame() {
        CpuCore::state.pendingIrq = kIrqNone;
        Machine::state.ppiPortA = 0xFF;
        bool delivered = QuickType::FeedFrame();
        if (!delivered) {
            EXPECT_EQ(CpuCore::state.pendingIrq, kIrqNone);
            return -1;
        }
        EXPECT_EQ(CpuCore::state.pendingIrq, 0x02);
        return Machine::state.ppiPortA;
    }

    ScratchFolder folder;
    devices_test::KeepIniPath keepIniPath;
};

TEST_F(QuickTypeTest, LineThenCrLfThenRunTypesInEverySecondFrame) {
    WriteText(folder.File("prog.txt"), "10 PRINT 1\r\nRUN\r");
    ASSERT_TRUE(QuickType::TypeFilePath(folder.File("prog.txt")));
    EXPECT_TRUE(QuickType::IsActive());
    // Slot by slot: -1 is the LF's slot, which types nothing.
    const int expected[] = {'1', '0', ' ', 'P', 'R', 'I', 'N', 'T', ' ', '1', 0x0D, -1, 'R', 'U', 'N', 0x0D};
    for (int slot : expected) {
        EXPECT_EQ(Frame(), -1) << "odd frames carry nothing";
        EXPECT_EQ(Frame(), slot);
    }
    EXPECT_TRUE(QuickType::IsActive());
    EXPECT_EQ(Frame(), -1);
    EXPECT_EQ(Frame(), -1);  // the slot after the text ends typing
    EXPECT_FALSE(QuickType::IsActive());
    EXPECT_EQ(Frame(), -1);
    EXPECT_STREQ(settings.quickTypePath, folder.File("prog.txt").c_str());
}

TEST_F(QuickTypeTest, InterruptsOffPauseTypingWithoutLosingCharacters) {
    headless::SetClipboardText(std::string("AB"));
    QuickType::Paste();
    ASSERT_TRUE(QuickType::IsActive());
    EXPECT_EQ(Frame(), -1);
    CpuCore::state.iff1 = 0;
    for (int i = 0; i < 7; ++i) EXPECT_EQ(Frame(), -1);  // not counted at all
    CpuCore::state.iff1 = 1;
    EXPECT_EQ(Frame(), 'A');  // second counted frame
    EXPECT_EQ(Frame(), -1);
    CpuCore::state.iff1 = 0;
    EXPECT_EQ(Frame(), -1);
    CpuCore::state.iff1 = 1;
    EXPECT_EQ(Frame(), 'B');
}

TEST_F(QuickTypeTest, OnlyPrintableAsciiAndCarriageReturnAreTyped) {
    WriteBytes(folder.File("mixed.txt"), {'a', 0x09, 0x1F, 0x7F, 0x80, 0xFF, 0x20, 0x7E, 0x0A, 'Z'});
    ASSERT_TRUE(QuickType::TypeFilePath(folder.File("mixed.txt")));
    const int expected[] = {'a', -1, -1, -1, -1, -1, 0x20, 0x7E, -1, 'Z'};
    for (int slot : expected) {
        Frame();
        EXPECT_EQ(Frame(), slot);
    }
}

TEST_F(QuickTypeTest, FrameCountCarriesAcrossTexts) {
    headless::SetClipboardText(std::string("X"));
    QuickType::Paste();
    Frame();
    EXPECT_EQ(Frame(), 'X');
    EXPECT_EQ(Frame(), -1);  // count 1
    EXPECT_EQ(Frame(), -1);  // count 2: text finished, count back to 0
    EXPECT_FALSE(QuickType::IsActive());
    // A poll while idle counts nothing; a new text needs two counted frames.
    QuickType::Paste();
    EXPECT_EQ(Frame(), -1);
    EXPECT_EQ(Frame(), 'X');

    // Stopped with one frame counted: the next text's first slot comes one frame sooner.
    QuickType::Stop();
    QuickType::Paste();
    Frame();
    QuickType::Stop();
    QuickType::Paste();
    EXPECT_EQ(Frame(), 'X');
}

TEST_F(QuickTypeTest, PasteIsRefusedWhenItCannotStart) {
    // No clipboard text.
    QuickType::Paste();
    EXPECT_FALSE(QuickType::IsActive());
    // Empty text, and text whose first byte ends it.
    headless::SetClipboardText(std::string());
    QuickType::Paste();
    EXPECT_FALSE(QuickType::IsActive());
    headless::SetClipboardText(std::string("\0AB", 3));
    QuickType::Paste();
    EXPECT_FALSE(QuickType::IsActive());

    // A tape loaded for play.
    WriteBytes(folder.File("t.cp6"), {1, 2, 3});
    ASSERT_TRUE(CassetteDeck::LoadFile(folder.File("t.cp6")));
    headless::SetClipboardText(std::string("RUN\r"));
    QuickType::Paste();
    EXPECT_FALSE(QuickType::IsActive());
    CassetteDeck::Eject();

    // Already typing: the first text goes on.
    headless::SetClipboardText(std::string("A\0B", 3));
    QuickType::Paste();
    ASSERT_TRUE(QuickType::IsActive());
    EXPECT_EQ(QuickType::state.quickTypeLength, 1);
    headless::SetClipboardText(std::string("ZZZZ"));
    QuickType::Paste();
    EXPECT_EQ(QuickType::state.quickTypeLength, 1);
    Frame();
    EXPECT_EQ(Frame(), 'A');
}

TEST_F(QuickTypeTest, StopDiscardsTheRest) {
    headless::SetClipboardText(std::string("HELLO"));
    QuickType::Paste();
    Frame();
    EXPECT_EQ(Frame(), 'H');
    QuickType::Stop();  // what a reset does
    EXPECT_FALSE(QuickType::IsActive());
    for (int i = 0; i < 10; ++i) EXPECT_EQ(Frame(), -1);
}

TEST_F(QuickTypeTest, TypeFileUsesTheChooserAndRefusesWhileTyping) {
    WriteText(folder.File("a.txt"), "A");
    headless::QueueFileAnswer(folder.File("a.txt"));
    QuickType::TypeFile();
    ASSERT_EQ(headless::FileChoosers().size(), 1u);
    const auto& request = headless::FileChoosers()[0].request;
    EXPECT_FALSE(headless::FileChoosers()[0].save);
    EXPECT_TRUE(request.mustExist);
    EXPECT_EQ(request.defaultExtension, "txt");
    EXPECT_EQ(request.presetPath, "colors.txt");
    ASSERT_EQ(request.filters.size(), 2u);
    EXPECT_EQ(request.filters[0].description, "Text Files (*.TXT)");
    EXPECT_EQ(request.filters[0].patterns, "*.txt");
    EXPECT_EQ(request.filters[1].description, "All Files (*.*)");
    EXPECT_EQ(request.filters[1].patterns, "*.*");
    EXPECT_TRUE(QuickType::IsActive());
    QuickType::TypeFile();
    EXPECT_EQ(headless::FileChoosers().size(), 1u);
}

TEST_F(QuickTypeTest, BadTextFilesStartNothing) {
    EXPECT_FALSE(QuickType::TypeFilePath(folder.File("absent.txt")));
    ASSERT_EQ(headless::DebugLines().size(), 1u);
    EXPECT_EQ(headless::DebugLines()[0], "Could not open file\n");

    WriteText(folder.File("empty.txt"), "");
    EXPECT_FALSE(QuickType::TypeFilePath(folder.File("empty.txt")));
    EXPECT_FALSE(QuickType::TypeFilePath(folder.Path()));  // a folder: opens, cannot be read
    devices_test::WriteSparse(folder.File("giant.txt"), 3ull << 30, 'x');
    EXPECT_FALSE(QuickType::TypeFilePath(folder.File("giant.txt")));
    EXPECT_FALSE(QuickType::IsActive());
    EXPECT_STREQ(settings.quickTypePath, "colors.txt");

    const uint64_t size = 100ull << 20;
    devices_test::WriteSparse(folder.File("big.txt"), size, 'Q');
    ASSERT_TRUE(QuickType::TypeFilePath(folder.File("big.txt")));
    std::filesystem::remove(folder.File("big.txt"));
    EXPECT_EQ(QuickType::state.quickTypeLength, int32_t(size));
    QuickType::state.quickTypeIndex = int32_t(size - 2);
    Frame();
    EXPECT_EQ(Frame(), 'Q');
    Frame();
    Frame();
    EXPECT_FALSE(QuickType::IsActive());
}

}  // namespace
