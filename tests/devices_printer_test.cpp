// Printer port: inversion, columns and fixed width, idle close, the dialog.
#include <functional>

#include <cstring>

#include "devices_test_support.h"
#include "resources/printer_dialog_layout.h"
#include "tests/dialog_view.h"

using namespace devices_test;
namespace headless = platform::headless;
namespace ids = PrinterDialogLayout;

namespace {

class PrinterTest : public DeviceTest {
protected:
    void SetUp() override {
        DeviceTest::SetUp();
        setPath(settings.printerPath, out);
        Machine::state.cycleCounter = 100;
    }
    // The program prints text: each byte goes to port 91h inverted.
    void Print(const std::string& text) {
        for (char c : text) PrinterPort::WritePortByte(uint8_t(~uint8_t(c)));
    }
    std::string Output() {
        PrinterPort::Close();
        return ReadText(settings.printerPath);
    }
    std::string out = folder.File("LPRINT.TXT");
};

TEST_F(PrinterTest, PortDataIsInvertedAndOnlyFfAtCycle7111IsIgnored) {
    Machine::state.cycleCounter = 7111;
    PrinterPort::WritePortByte(0x00);  // FFh after inversion
    EXPECT_FALSE(PrinterPort::IsOpen());
    PrinterPort::WritePortByte(0xBE);  // 41h at the same cycle is printed
    for (uint32_t cycle : {7112u, 7110u}) {
        Machine::state.cycleCounter = cycle;
        PrinterPort::WritePortByte(0x00);
    }
    PrinterPort::Close();
    EXPECT_EQ(ReadBytes(out), (std::vector<uint8_t>{0x41, 0xFF, 0xFF}));
}

TEST_F(PrinterTest, ColumnsTabsAndFixedWidth) {
    struct Case {
        int width;  // 0: unlimited
        std::string text, output;
        int column;
    } const cases[] = {
        {0, std::string(200, 'x'), std::string(200, 'x'), 200},
        {10, "ABCDEFGHIJKL\rabc\rDEFGHIJKLMN", "ABCDEFGHIJ\r\nKL\rabc\rDEFGHIJKLM\r\nN", 1},
        {0, "abcdef\t\t\n\x01", "abcdef\t\t\n\x01", 16},  // other control bytes leave the column
        {8, "ab\tc", "ab\t\r\nc", 1},                // the tab itself reaches the width
    };
    int row = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(row);
        SetUp();
        setPath(settings.printerPath, folder.File("out" + std::to_string(row++)));
        settings.printerFixedWidth = c.width != 0;
        settings.printerWidth = c.width;
        Print(c.text);
        EXPECT_EQ(PrinterPort::state.printerColumn, c.column);
        EXPECT_EQ(Output(), c.output);
    }
}

TEST_F(PrinterTest, FileIsAppendedAndClosedWhenIdle) {
    WriteBytes(out, {'O', 'L', 'D', '\r', '\n'});
    Machine::state.cycleCounter = 1000;
    Print("NEW");
    Machine::state.cycleCounter = 1000 + 600000;
    PrinterPort::OnFrame();
    EXPECT_TRUE(PrinterPort::IsOpen());
    Machine::state.cycleCounter = 1000 + 600001;
    PrinterPort::OnFrame();
    EXPECT_FALSE(PrinterPort::IsOpen());
    EXPECT_EQ(ReadText(out), "OLD\r\nNEW");  // complete while the emulator runs on
    Print("2");
    EXPECT_EQ(Output(), "OLD\r\nNEW2");
}

TEST_F(PrinterTest, UnwritableOutputLosesBytesWithOneMessage) {
    std::string bad = folder.File("no/such/folder/out.txt");
    setPath(settings.printerPath, bad);
    Print("lost");
    EXPECT_FALSE(PrinterPort::IsOpen());
    EXPECT_EQ(headless::DebugLines(), std::vector<std::string>{"Could not open printer file " + bad + "\n"});
    setPath(settings.printerPath, out);
    Print("kept");
    EXPECT_EQ(Output(), "kept");
    setPath(settings.printerPath, "/dev/full");  // every write fails late, as on a full disk
    Print(std::string(9000, 'z'));
    PrinterPort::Close();
    EXPECT_EQ(headless::DebugLines().back(), "Printer file /dev/full was not written completely\n");
}

// Runs the dialog: `act` plays the user. What it showed at opening is noted:
// the ticked buttons, the width field if greyed, the width and the path.
class PrinterDialogTest : public PrinterTest {
protected:
    bool Run(std::function<void(platform::Dialog*)> act) {
        headless::QueueDialogScript([this, act](platform::Dialog* d) {
            opened = Checked(d, {ids::kAutoLineFeed, ids::kUnlimitedWidth, ids::kFixedWidth}) + "/" +
                     Greyed(d, {ids::kWidthField}) + "/" + Texts(d, {ids::kWidthField, ids::kPathText});
            act(d);
        });
        return PrinterPort::ConfigureDialog();
    }
    std::string opened;
};

TEST_F(PrinterDialogTest, OpensWithTheSettingsAndSavesOnOk) {
    setPath(settings.printerPath, "LPRINT.TXT");
    EXPECT_TRUE(Run([](platform::Dialog* d) {
        headless::Click(d, ids::kAutoLineFeed);
        headless::Click(d, ids::kFixedWidth);
        headless::TypeText(d, ids::kWidthField, "80");
        headless::Click(d, platform::kDialogOk);
    }));
    EXPECT_EQ(opened, "1107 1108/1111/132|LPRINT.TXT");
    EXPECT_EQ((std::vector<int>{settings.printerAutoLineFeed, settings.printerFixedWidth, settings.printerWidth}),
              (std::vector<int>{0, 1, 80}));
    EXPECT_TRUE(Run([](platform::Dialog* d) {
        headless::Click(d, ids::kUnlimitedWidth);
        EXPECT_EQ(Greyed(d, {ids::kWidthField}), "1111");
        headless::Click(d, platform::kDialogOk);
    }));
    EXPECT_EQ(opened, "1109//80|LPRINT.TXT");
    EXPECT_EQ(settings.printerFixedWidth, 0);
}

TEST_F(PrinterDialogTest, WidthEntriesAreClamped) {
    const std::pair<const char*, int32_t> cases[] = {
        {"0", 32}, {"1", 32}, {"", 32}, {"12x", 32}, {"2", 2}, {"65535", 65535}, {"70000", 65535},
        {"99999999999", 32},  // not a 32-bit number at all
    };
    for (const auto& [entry, width] : cases) {
        const char* text = entry;  // a lambda may not capture a structured binding before clang 16
        Run([&](platform::Dialog* d) {
            headless::Click(d, ids::kFixedWidth);
            headless::TypeText(d, ids::kWidthField, text);
            headless::Click(d, platform::kDialogOk);
        });
        EXPECT_EQ(settings.printerWidth, width) << text;
    }
}

TEST_F(PrinterDialogTest, BrowseReplacesThePathAndCancelKeepsEverything) {
    std::string chosen = folder.File("listing.txt");
    const Settings before = settings;
    headless::QueueFileAnswer(chosen);
    EXPECT_FALSE(Run([&](platform::Dialog* d) {
        headless::Click(d, ids::kBrowse);
        headless::Click(d, ids::kFixedWidth);
        headless::TypeText(d, ids::kWidthField, "40");
        headless::Click(d, platform::kDialogCancel);
    }));
    EXPECT_EQ(Chooser(0), "save txt " + out + " | Text Files (*.TXT) *.txt | All Files (*.*) *.*");
    EXPECT_EQ(std::memcmp(&settings, &before, sizeof settings), 0);

    headless::QueueFileAnswer(chosen);
    EXPECT_TRUE(Run([](platform::Dialog* d) {
        headless::Click(d, ids::kBrowse);
        headless::Click(d, platform::kDialogOk);
    }));
    EXPECT_STREQ(settings.printerPath, chosen.c_str());
}

}  // namespace
