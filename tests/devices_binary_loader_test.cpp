// Binary loader: address entries, the dialog's error list, the copy and the USR vector.
#include <cstdio>
#include <cstring>

#include "devices/binary_loader.h"
#include "devices_test_support.h"
#include "resources/binary_loader_layout.h"

using namespace devices_test;
namespace headless = platform::headless;
namespace ids = BinaryLoaderLayout;

namespace {

constexpr uint8_t kUntouched = 0xA5;

std::vector<uint8_t> Pattern(size_t size) {
    std::vector<uint8_t> bytes(size);
    for (size_t i = 0; i < size; ++i) bytes[i] = uint8_t(i * 13 + 1);
    return bytes;
}

class BinaryLoaderTest : public DeviceTest {
protected:
    void SetUp() override {
        DeviceTest::SetUp();
        std::memset(Machine::MemoryImage, kUntouched, sizeof Machine::MemoryImage);
    }
    // Runs the dialog: Browse answered with `path`, the fields typed, the box
    // set, then OK (and Cancel if it stayed open). Returns whether OK closed it.
    bool RunOk(const std::string& path, const std::string& load, bool setUsr = false, const std::string& usr = "") {
        headless::ClearRecords();
        headless::QueueFileAnswer(path);
        headless::QueueDialogScript([&](platform::Dialog* d) {
            shownLoad = platform::DialogGetText(d, ids::kLoadAddress);
            shownUsr = platform::DialogGetText(d, ids::kUsrAddress);
            shownPath = platform::DialogGetText(d, ids::kPathText);
            shownTicked = platform::DialogIsChecked(d, ids::kSetUsr);
            headless::Click(d, ids::kBrowse);
            headless::TypeText(d, ids::kLoadAddress, load);
            if (!usr.empty()) headless::TypeText(d, ids::kUsrAddress, usr);
            if (platform::DialogIsChecked(d, ids::kSetUsr) != setUsr) headless::Click(d, ids::kSetUsr);
            headless::Click(d, platform::kDialogOk);
            stayedOpen = headless::IsOpen(d);
            if (stayedOpen) headless::Click(d, platform::kDialogCancel);
        });
        return BinaryLoader::Dialog();
    }
    // The single message box's text, checking its title and icon.
    std::string Errors() {
        if (headless::MessageBoxes().size() != 1) {
            ADD_FAILURE() << headless::MessageBoxes().size() << " message boxes";
            return std::string();
        }
        EXPECT_EQ(headless::MessageBoxes()[0].title, "Util Load Binary errors");
        EXPECT_EQ(headless::MessageBoxes()[0].icon, platform::MessageIcon::Exclamation);
        return headless::MessageBoxes()[0].text;
    }
    bool MemoryUntouched() {
        for (uint8_t b : Machine::MemoryImage)
            if (b != kUntouched) return false;
        return true;
    }
    std::string File(const std::string& name, size_t size) {
        WriteBytes(folder.File(name), Pattern(size));
        return folder.File(name);
    }
    std::string shownLoad, shownUsr, shownPath;
    bool shownTicked = false, stayedOpen = false;
};

// Entries: "$" and hex digits, or decimal digits; at most 7 characters are
// read; up to FFFFh. A good entry loads there and is shown again in its form.
TEST_F(BinaryLoaderTest, LoadAddressEntries) {
    const std::string one = File("one.bin", 1);
    const std::pair<const char*, const char*> cases[] = {
        {"$FFff", "FFFF $ffff"}, {"$ab", "00AB $00ab"}, {"19456", "4C00 19456"}, {"65535", "FFFF 65535"},
        {"0001234x", "04D2 1234"}, {"$00004c0", "004C $004c"},  // cut to seven characters
        {"$", "error"}, {"$12G4", "error"}, {"", "error"}, {"12a", "error"}, {"-5", "error"}, {"65536", "error"},
        {"$10000", "error"}, {"99999999999999999999999", "error"}};
    std::vector<std::string> got, want;
    for (const auto& [text, result] : cases) {
        std::memset(Machine::MemoryImage, kUntouched, sizeof Machine::MemoryImage);
        std::string r;
        if (RunOk(one, text)) {
            char address[8];
            std::snprintf(address, sizeof address, "%04X", settings.binaryLoadAddress);
            RunOk(one, "");  // opens showing the stored entry; cancelled after the error
            r = std::string(address) + " " + shownLoad + (Machine::MemoryImage[settings.binaryLoadAddress] == 1 ? "" : " not loaded");
        } else {
            r = stayedOpen && Errors() == "ERROR: \nProblem with load address\n" && MemoryUntouched() ? "error" : "wrong error";
        }
        got.push_back(std::string(text) + " -> " + r);
        want.push_back(std::string(text) + " -> " + result);
    }
    EXPECT_EQ(got, want);
}

TEST_F(BinaryLoaderTest, LoadLandsWithTheDefaults) {
    std::string prog = File("prog.bin", 256);
    ASSERT_TRUE(RunOk(prog, "$4c00"));
    EXPECT_TRUE(headless::MessageBoxes().empty());
    EXPECT_EQ(shownLoad + " " + shownUsr + " " + shownPath + (shownTicked ? " ticked" : ""), "$4c00 $4cff pinball.bin");
    EXPECT_EQ(std::memcmp(Machine::MemoryImage + 0x4C00, Pattern(256).data(), 256), 0);
    EXPECT_EQ(Machine::MemoryImage[0x4BFF], kUntouched);
    EXPECT_EQ(Machine::MemoryImage[0x4D00], kUntouched);
    EXPECT_STREQ(settings.binaryPath, prog.c_str());
}

TEST_F(BinaryLoaderTest, FilesMustFitBelowTheTopOfMemory) {
    ASSERT_FALSE(RunOk(File("17.bin", 17), "$fff0"));
    EXPECT_EQ(Errors(), "ERROR: \nLoading would extend beyond $FFFF\n");
    EXPECT_TRUE(MemoryUntouched());
    ASSERT_TRUE(RunOk(File("16.bin", 16), "$fff0"));
    EXPECT_EQ(std::memcmp(Machine::MemoryImage + 0xFFF0, Pattern(16).data(), 16), 0);
    EXPECT_EQ(Machine::MemoryImage[0xFFEF], kUntouched);
    ASSERT_TRUE(RunOk(File("64k.bin", 65536), "0"));  // the largest file fits only at 0, over the ROM area
    EXPECT_EQ(std::memcmp(Machine::MemoryImage, Pattern(65536).data(), 65536), 0);
}

TEST_F(BinaryLoaderTest, UsrVectorIsPokedLowByteFirstOnlyWhenTicked) {
    std::string p = File("p.bin", 8);
    ASSERT_TRUE(RunOk(p, "$4c00", true, "513"));
    EXPECT_EQ((std::vector<int>{Machine::MemoryImage[0xFAEB], Machine::MemoryImage[0xFAEC]}), (std::vector<int>{1, 2}));
    std::memset(Machine::MemoryImage, kUntouched, sizeof Machine::MemoryImage);
    ASSERT_TRUE(RunOk(p, "$4c00", false, "zz"));  // an invalid USR text with the box clear: no error, no poke
    EXPECT_TRUE(headless::MessageBoxes().empty());
    EXPECT_EQ(Machine::MemoryImage[0xFAEB], kUntouched);
    EXPECT_EQ(settings.pokeExecAddress, 0);
    EXPECT_FALSE(RunOk(p, "$4c00", true, "zz"));
    EXPECT_EQ(Errors(), "ERROR: \nProblem with usr address\n");
}

TEST_F(BinaryLoaderTest, BadFilesAreReportedAndNothingLoads) {
    WriteBytes(folder.File("empty.bin"), {});
    WriteSparse(folder.File("giant.bin"), 3ull << 30, 1);
    const std::pair<std::string, std::string> cases[] = {
        {folder.File("absent.bin"), "ERROR: \nCould not open input file \n"},
        {folder.File("empty.bin"), "ERROR: \nProblem with input file \n"},
        {File("65537.bin", 65537), "ERROR: \nInput file is too big \n"},
        {folder.File("giant.bin"), "ERROR: \nInput file is too big \n"},
    };
    for (const auto& [path, expected] : cases) {
        EXPECT_FALSE(RunOk(path, "$4c00")) << path;
        EXPECT_EQ(Errors(), expected) << path;
        EXPECT_TRUE(MemoryUntouched()) << path;
    }
    // Address and file problems are listed together, in order.
    EXPECT_FALSE(RunOk(folder.File("absent.bin"), "12a", true, "$"));
    EXPECT_EQ(Errors(), "ERROR: \nProblem with load address\nProblem with usr address\nCould not open input file \n");
}

TEST_F(BinaryLoaderTest, CancelSavesNothingAndLoadsNothing) {
    headless::QueueFileAnswer(File("p.bin", 8));
    headless::QueueDialogScript([](platform::Dialog* d) {
        headless::Click(d, ids::kBrowse);
        headless::TypeText(d, ids::kLoadAddress, "100");
        headless::Click(d, ids::kSetUsr);
        headless::Click(d, platform::kDialogCancel);
    });
    EXPECT_FALSE(BinaryLoader::Dialog());
    EXPECT_STREQ(settings.binaryPath, "pinball.bin");
    EXPECT_EQ(settings.binaryLoadAddress, 0x4C00);
    EXPECT_EQ(settings.pokeExecAddress, 0);
    EXPECT_TRUE(MemoryUntouched());
}

}  // namespace
