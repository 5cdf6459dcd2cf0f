// Printer port: inversion, columns and fixed width, idle close, the dialog.
#include <gtest/gtest.h>

#include "config/settings.h"
#include "devices/cassette.h"
#include "devices/printer.h"
#include "devices_test_support.h"
#include "machine/machine.h"
#include "platform/headless/headless.h"
#include "resources/printer_dialog_layout.h"

using devices_test::ReadBytes;
using devices_test::ReadText;
using devices_test::ScratchFolder;
using devices_test::WriteText;
namespace headless = platform::headless;
namespace ids = PrinterDialogLayout;

namespace {

class PrinterTest : public ::testing::Test {
protected:
    void SetUp() override {
        headless::ResetAll();
        settings = Settings::Defaults();
        iniPath = folder.File("settings.ini");  // remembered paths land here, not in the working folder
        setPath(settings.printerPath, out);
        PrinterPort::Close();
        PrinterPort::state = PrinterPort::State{};
        CassetteDeck::fileActivity = 0;
        Machine::state = Machine::State{};
        Machine::state.cycleCounter = 100;
    }
    void TearDown() override { PrinterPort::Close(); }

    // The program prints text: each byte goes to port 91h inverted.
    void Print(const std::string& text) {
        for (char c : text) PrinterPort::WritePortByte(uint8_t(~uint8_t(c)));
    }
    std::string Output() {
        PrinterPort::Close();
        return ReadText(out);
    }

    ScratchFolder folder;
    devices_test::KeepIniPath keepIniPath;
    std::string out = folder.File("LPRINT.TXT");
};

TEST_F(PrinterTest, PortDataIsInverted) {
    PrinterPort::WritePortByte(0x3E);
    EXPECT_TRUE(PrinterPort::IsOpen());
    EXPECT_EQ(CassetteDeck::fileActivity, CassetteDeck::kActivityPrinter);
    PrinterPort::Close();
    EXPECT_EQ(CassetteDeck::fileActivity, 0);
    EXPECT_EQ(ReadBytes(out), std::vector<uint8_t>{0xC1});
}

TEST_F(PrinterTest, OnlyFfAtCycle7111IsIgnored) {
    Machine::state.cycleCounter = 7111;
    PrinterPort::WritePortByte(0x00);  // FFh after inversion
    EXPECT_FALSE(PrinterPort::IsOpen());
    EXPECT_FALSE(std::filesystem::exists(out));
    EXPECT_EQ(PrinterPort::state.lastPrinterCycle, 7111u);
    PrinterPort::WritePortByte(0xBE);  // 41h at the same cycle is printed
    Machine::state.cycleCounter = 7112;
    PrinterPort::WritePortByte(0x00);
    Machine::state.cycleCounter = 7110;
    PrinterPort::WritePortByte(0x00);
    PrinterPort::Close();
    EXPECT_EQ(ReadBytes(out), (std::vector<uint8_t>{0x41, 0xFF, 0xFF}));
}

TEST_F(PrinterTest, FixedWidthTenBreaksLinesAndCarriageReturnRestartsTheColumn) {
    settings.printerFixedWidth = 1;
    settings.printerWidth = 10;
    Print("ABCDEFGHIJKL");
    Print("\rabc\rDEFGHIJKLMN");
    EXPECT_EQ(Output(), "ABCDEFGHIJ\r\nKL\rabc\rDEFGHIJKLM\r\nN");
    EXPECT_EQ(PrinterPort::state.printerColumn, 1);
}

TEST_F(PrinterTest, UnlimitedWidthNeverBreaks) {
    Print(std::string(200, 'x'));
    EXPECT_EQ(Output(), std::string(200, 'x'));
}

TEST_F(PrinterTest, TabsMoveToTheNextMultipleOfEight) {
    Print("abc\t");
    EXPECT_EQ(PrinterPort::state.printerColumn, 8);
    Print("\t");
    EXPECT_EQ(PrinterPort::state.printerColumn, 16);
    Print("\n\x01");  // other control bytes leave the column
    EXPECT_EQ(PrinterPort::state.printerColumn, 16);
    // With width 8 the tab itself reaches the width: the break follows it.
    settings.printerFixedWidth = 1;
    settings.printerWidth = 8;
    Print("\rab\tc");
    EXPECT_EQ(Output(), "abc\t\t\n\x01\rab\t\r\nc");
}

TEST_F(PrinterTest, WidthAbove255NeverBreaksBecauseTheColumnWraps) {
    settings.printerFixedWidth = 1;
    settings.printerWidth = 300;
    Print(std::string(600, 'y'));
    EXPECT_EQ(PrinterPort::state.printerColumn, 600 % 256);
    EXPECT_EQ(Output(), std::string(600, 'y'));
}

TEST_F(PrinterTest, FileIsAppendedClosedWhenIdleAndAfterReset) {
    WriteText(out, "OLD\r\n");
    Machine::state.cycleCounter = 1000;
    Print("NEW");
    Machine::state.cycleCounter = 1000 + 600000;
    PrinterPort::OnFrame();
    EXPECT_TRUE(PrinterPort::IsOpen());
    Machine::state.cycleCounter = 1000 + 600001;
    PrinterPort::OnFrame();
    EXPECT_FALSE(PrinterPort::IsOpen());
    EXPECT_EQ(CassetteDeck::fileActivity, 0);
    EXPECT_EQ(ReadText(out), "OLD\r\nNEW");  // complete while the emulator runs on

    Print("1");
    PrinterPort::Close();  // a reset
    EXPECT_EQ(ReadText(out), "OLD\r\nNEW1");
    Machine::state.cycleCounter = 5;  // cycles restart after a reset
    Print("2");
    EXPECT_EQ(Output(), "OLD\r\nNEW12");
    EXPECT_EQ(PrinterPort::state.printerColumn, 5);  // Close keeps the column
}

TEST_F(PrinterTest, PathInMissingFolderLosesBytesQuietlyUntilFixed) {
    std::string bad = folder.File("no/such/folder/out.txt");
    setPath(settings.printerPath, bad);
    Print("lost");
    EXPECT_FALSE(PrinterPort::IsOpen());
    EXPECT_EQ(CassetteDeck::fileActivity, 0);
    EXPECT_EQ(PrinterPort::state.printerColumn, 0);
    ASSERT_EQ(headless::DebugLines().size(), 1u);  // one line, not one per byte
    EXPECT_EQ(headless::DebugLines()[0], "Could not open printer file " + bad + "\n");
    EXPECT_FALSE(std::filesystem::exists(folder.File("no")));
    setPath(settings.printerPath, out);
    Print("kept");
    EXPECT_EQ(Output(), "kept");
}

TEST_F(PrinterTest, OutputThatCannotBeWrittenIsReported) {
    if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "no /dev/full on this host";
    setPath(settings.printerPath, "/dev/full");
    Print(std::string(9000, 'z'));
    PrinterPort::Close();
    ASSERT_FALSE(headless::DebugLines().empty());
    EXPECT_EQ(headless::DebugLines().back(), "Printer file /dev/full was not written completely\n");
}

// Runs the dialog: `act` plays the user; the controls' state at Init is noted.
struct DialogSeen {
    bool autoLineFeed, unlimited, fixed, widthEnabled;
    std::string width, path;
};

class PrinterDialogTest : public PrinterTest {
protected:
    bool Run(std::function<void(platform::Dialog*)> act) {
        headless::QueueDialogScript([this, act](platform::Dialog* d) {
            seen = {platform::DialogIsChecked(d, ids::kAutoLineFeed), platform::DialogIsChecked(d, ids::kUnlimitedWidth),
                    platform::DialogIsChecked(d, ids::kFixedWidth), platform::DialogIsEnabled(d, ids::kWidthField),
                    platform::DialogGetText(d, ids::kWidthField), platform::DialogGetText(d, ids::kPathText)};
            act(d);
        });
        return PrinterPort::ConfigureDialog();
    }
    int32_t WidthAfterEntering(const std::string& text) {
        Run([&](platform::Dialog* d) {
            headless::Click(d, ids::kFixedWidth);
            headless::TypeText(d, ids::kWidthField, text);
            headless::Click(d, platform::kDialogOk);
        });
        return settings.printerWidth;
    }
    DialogSeen seen{};
};

TEST_F(PrinterDialogTest, OpensWithTheSettingsAndSavesOnOk) {
    setPath(settings.printerPath, "LPRINT.TXT");
    EXPECT_TRUE(Run([](platform::Dialog* d) {
        headless::Click(d, ids::kAutoLineFeed);
        headless::Click(d, ids::kFixedWidth);
        EXPECT_TRUE(platform::DialogIsEnabled(d, ids::kWidthField));
        headless::TypeText(d, ids::kWidthField, "80");
        headless::Click(d, platform::kDialogOk);
    }));
    EXPECT_EQ(headless::LastDialogTitle(), "Configure Serial Printer");
    EXPECT_TRUE(seen.autoLineFeed);
    EXPECT_TRUE(seen.unlimited);
    EXPECT_FALSE(seen.fixed);
    EXPECT_FALSE(seen.widthEnabled);
    EXPECT_EQ(seen.width, "132");
    EXPECT_EQ(seen.path, "LPRINT.TXT");
    EXPECT_EQ(settings.printerAutoLineFeed, 0);
    EXPECT_EQ(settings.printerFixedWidth, 1);
    EXPECT_EQ(settings.printerWidth, 80);

    // Reopened: fixed width selected and its field enabled; back to unlimited.
    EXPECT_TRUE(Run([](platform::Dialog* d) {
        headless::Click(d, ids::kUnlimitedWidth);
        EXPECT_FALSE(platform::DialogIsEnabled(d, ids::kWidthField));
        headless::Click(d, platform::kDialogOk);
    }));
    EXPECT_TRUE(seen.fixed && !seen.unlimited && seen.widthEnabled && !seen.autoLineFeed);
    EXPECT_EQ(seen.width, "80");
    EXPECT_EQ(settings.printerFixedWidth, 0);
}

TEST_F(PrinterDialogTest, WidthEntriesAreClamped) {
    EXPECT_EQ(WidthAfterEntering("0"), 32);
    EXPECT_EQ(WidthAfterEntering("1"), 32);
    EXPECT_EQ(WidthAfterEntering(""), 32);
    EXPECT_EQ(WidthAfterEntering("12x"), 32);
    EXPECT_EQ(WidthAfterEntering("2"), 2);
    EXPECT_EQ(WidthAfterEntering("65535"), 65535);
    EXPECT_EQ(WidthAfterEntering("70000"), 65535);
    EXPECT_EQ(WidthAfterEntering("99999999999"), 32);  // not a 32-bit number at all
}

TEST_F(PrinterDialogTest, BrowseReplacesThePathAndCancelKeepsEverything) {
    std::string chosen = folder.File("listing.txt");
    headless::QueueFileAnswer(chosen);
    EXPECT_FALSE(Run([&](platform::Dialog* d) {
        headless::Click(d, ids::kBrowse);
        EXPECT_EQ(platform::DialogGetText(d, ids::kPathText), chosen);
        headless::Click(d, ids::kFixedWidth);
        headless::TypeText(d, ids::kWidthField, "40");
        headless::Click(d, platform::kDialogCancel);
    }));
    ASSERT_EQ(headless::FileChoosers().size(), 1u);
    const auto& request = headless::FileChoosers()[0].request;
    EXPECT_TRUE(headless::FileChoosers()[0].save);
    EXPECT_EQ(request.presetPath, out);
    EXPECT_EQ(request.defaultExtension, "txt");
    EXPECT_FALSE(request.mustExist);
    ASSERT_EQ(request.filters.size(), 2u);
    EXPECT_EQ(request.filters[0].description, "Text Files (*.TXT)");
    EXPECT_STREQ(settings.printerPath, out.c_str());
    EXPECT_EQ(settings.printerWidth, 132);
    EXPECT_EQ(settings.printerFixedWidth, 0);

    headless::QueueFileAnswer(chosen);
    EXPECT_TRUE(Run([](platform::Dialog* d) {
        headless::Click(d, ids::kBrowse);
        headless::Click(d, platform::kDialogOk);
    }));
    EXPECT_STREQ(settings.printerPath, chosen.c_str());
}

}  // namespace
