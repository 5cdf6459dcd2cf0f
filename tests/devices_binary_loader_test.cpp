// Binary loader: address entries, the dialog's error list, the copy and the USR vector.
#include <cstring>

#include "devices/binary_loader.h"
#include "devices_test_support.h"
#include "resources/binary_loader_layout.h"

using BinaryLoader::AddressError;
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

TEST(BinaryLoaderAddress, HexDecimalAndTheirErrors) {
    struct Case {
        const char* text;
        AddressError error;
        uint16_t value;
        bool isHex;
    } const cases[] = {
        {"$4c00", AddressError::None, 0x4C00, true}, {"$4C00", AddressError::None, 0x4C00, true},
        {"$ffff", AddressError::None, 0xFFFF, true}, {"$0", AddressError::None, 0, true},
        {"19456", AddressError::None, 19456, false}, {"0", AddressError::None, 0, false},
        {"65535", AddressError::None, 65535, false}, {"$", AddressError::BadHex, 0, true},
        {"$12G4", AddressError::BadHex, 0, true},    {"$-1", AddressError::BadHex, 0, true},
        {"$ 12", AddressError::BadHex, 0, true},     {"", AddressError::BadDecimal, 0, false},
        {"12a", AddressError::BadDecimal, 0, false}, {"-5", AddressError::BadDecimal, 0, false},
        {"+5", AddressError::BadDecimal, 0, false},  {" 12", AddressError::BadDecimal, 0, false},
        {"0x10", AddressError::BadDecimal, 0, false}, {"65536", AddressError::OutOfRange, 0, false},
        {"$10000", AddressError::OutOfRange, 0, true},
        {"99999999999999999999999", AddressError::OutOfRange, 0, false},
    };
    for (const Case& c : cases) {
        BinaryLoader::ParsedAddress parsed = BinaryLoader::ParseAddress(c.text);
        EXPECT_EQ(parsed.error, c.error) << c.text;
        if (c.error == AddressError::None) {
            EXPECT_EQ(parsed.value, c.value) << c.text;
            EXPECT_EQ(parsed.isHex, c.isHex) << c.text;
        }
    }
    EXPECT_EQ(BinaryLoader::FormatAddress(0x00AB, true), "$00ab");
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

TEST_F(BinaryLoaderTest, LoadLandsAndTheAddressIsShownAgainInItsForm) {
    std::string prog = File("prog.bin", 256);
    ASSERT_TRUE(RunOk(prog, "$4c00"));
    EXPECT_EQ(headless::LastDialogTitle(), "Load a binary file to memory");
    EXPECT_TRUE(headless::MessageBoxes().empty());
    EXPECT_EQ(shownLoad, "$4c00");  // the defaults
    EXPECT_EQ(shownUsr, "$4cff");
    EXPECT_EQ(shownPath, "pinball.bin");
    EXPECT_FALSE(shownTicked);
    EXPECT_EQ(std::memcmp(Machine::MemoryImage + 0x4C00, Pattern(256).data(), 256), 0);
    EXPECT_EQ(Machine::MemoryImage[0x4BFF], kUntouched);
    EXPECT_EQ(Machine::MemoryImage[0x4D00], kUntouched);
    EXPECT_EQ(Machine::MemoryImage[0xFAEB], kUntouched);  // box not ticked: no USR poke
    EXPECT_STREQ(settings.binaryPath, prog.c_str());

    std::memset(Machine::MemoryImage, kUntouched, sizeof Machine::MemoryImage);
    ASSERT_TRUE(RunOk(prog, "19456"));
    EXPECT_EQ(shownLoad, "$4c00");
    EXPECT_EQ(shownPath, prog);
    EXPECT_EQ(std::memcmp(Machine::MemoryImage + 0x4C00, Pattern(256).data(), 256), 0);
    EXPECT_EQ(settings.binaryLoadAddress, 19456);
    EXPECT_EQ(settings.loadAddressIsHex, 0);
    ASSERT_TRUE(RunOk(prog, "19456"));
    EXPECT_EQ(shownLoad, "19456");

    // Cut to seven characters: "0001234x" reads 1234, "$00004c0" reads 004Ch.
    ASSERT_TRUE(RunOk(File("ok.bin", 4), "0001234x"));
    EXPECT_EQ(settings.binaryLoadAddress, 1234);
    EXPECT_EQ(Machine::MemoryImage[1234], Pattern(4)[0]);
    ASSERT_TRUE(RunOk(folder.File("ok.bin"), "$00004c0"));
    EXPECT_EQ(settings.binaryLoadAddress, 0x4C);
    EXPECT_EQ(Machine::MemoryImage[0x4C + 3], Pattern(4)[3]);
}

TEST_F(BinaryLoaderTest, EachBadLoadAddressIsReportedAndNothingLoads) {
    std::string ok = File("ok.bin", 16);
    for (const char* text : {"$", "$12G4", "12a", "-5", "65536", "$10000", ""}) {
        EXPECT_FALSE(RunOk(ok, text)) << text;
        EXPECT_TRUE(stayedOpen) << text;
        EXPECT_EQ(Errors(), "ERROR: \nProblem with load address\n") << text;
        EXPECT_TRUE(MemoryUntouched()) << text;
    }
    EXPECT_EQ(settings.binaryLoadAddress, 0x4C00);  // cancelled after the errors
}

TEST_F(BinaryLoaderTest, FilesMustFitBelowTheTopOfMemory) {
    ASSERT_FALSE(RunOk(File("17.bin", 17), "$fff0"));
    EXPECT_EQ(Errors(), "ERROR: \nLoading would extend beyond $FFFF\n");
    EXPECT_TRUE(MemoryUntouched());
    ASSERT_TRUE(RunOk(File("16.bin", 16), "$fff0"));
    EXPECT_EQ(std::memcmp(Machine::MemoryImage + 0xFFF0, Pattern(16).data(), 16), 0);
    EXPECT_EQ(Machine::MemoryImage[0xFFEF], kUntouched);

    // 65536 bytes: only at 0, straight over the ROM area.
    std::string all = File("64k.bin", 65536);
    EXPECT_EQ(BinaryLoader::LoadFileAt(all, 1, false, 0), "ERROR: \nLoading would extend beyond $FFFF\n");
    EXPECT_EQ(Machine::MemoryImage[1], kUntouched);
    EXPECT_EQ(BinaryLoader::LoadFileAt(all, 0, false, 0), "");
    EXPECT_EQ(std::memcmp(Machine::MemoryImage, Pattern(65536).data(), 65536), 0);
}

TEST_F(BinaryLoaderTest, UsrVectorIsPokedLowByteFirstOnlyWhenTicked) {
    std::string p = File("p.bin", 8);
    ASSERT_TRUE(RunOk(p, "$4c00", true, "$4cff"));
    EXPECT_EQ(Machine::MemoryImage[0xFAEB], 0xFF);
    EXPECT_EQ(Machine::MemoryImage[0xFAEC], 0x4C);
    EXPECT_EQ(settings.pokeExecAddress, 1);
    ASSERT_TRUE(RunOk(p, "$4c00", true, "513"));
    EXPECT_TRUE(shownTicked);
    EXPECT_EQ(Machine::MemoryImage[0xFAEB], 0x01);
    EXPECT_EQ(Machine::MemoryImage[0xFAEC], 0x02);
    EXPECT_EQ(settings.binaryExecAddress, 513);
    EXPECT_EQ(settings.execAddressIsHex, 0);

    // An invalid USR text with the box clear: no error, no poke, the old address kept.
    std::memset(Machine::MemoryImage, kUntouched, sizeof Machine::MemoryImage);
    ASSERT_TRUE(RunOk(p, "$4c00", false, "zz"));
    EXPECT_TRUE(headless::MessageBoxes().empty());
    EXPECT_EQ(Machine::MemoryImage[0xFAEB], kUntouched);
    EXPECT_EQ(Machine::MemoryImage[0xFAEC], kUntouched);
    EXPECT_EQ(settings.binaryExecAddress, 513);
    EXPECT_EQ(settings.pokeExecAddress, 0);
    std::memset(Machine::MemoryImage, kUntouched, sizeof Machine::MemoryImage);
    EXPECT_FALSE(RunOk(p, "$4c00", true, "zz"));
    EXPECT_EQ(Errors(), "ERROR: \nProblem with usr address\n");
    EXPECT_TRUE(MemoryUntouched());
}

TEST_F(BinaryLoaderTest, BadFilesAreReportedAndNothingLoads) {
    WriteBytes(folder.File("empty.bin"), {});
    WriteSparse(folder.File("100m.bin"), 100ull << 20, 1);
    WriteSparse(folder.File("giant.bin"), 3ull << 30, 1);
    const std::pair<std::string, std::string> cases[] = {
        {folder.File("absent.bin"), "ERROR: \nCould not open input file \n"},
        {folder.File("empty.bin"), "ERROR: \nProblem with input file \n"},
        {File("65537.bin", 65537), "ERROR: \nInput file is too big \n"},
        {folder.File("100m.bin"), "ERROR: \nInput file is too big \n"},
        {folder.File("giant.bin"), "ERROR: \nInput file is too big \n"},
        {folder.Path(), "ERROR: \nCould not open input file \n"},  // a folder is no file
    };
    for (const auto& [path, expected] : cases) {
        EXPECT_FALSE(RunOk(path, "$4c00")) << path;
        EXPECT_EQ(Errors(), expected) << path;
        EXPECT_EQ(BinaryLoader::LoadFileAt(path, 0x4C00, false, 0), expected);
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
    ASSERT_EQ(headless::FileChoosers().size(), 1u);
    const auto& request = headless::FileChoosers()[0].request;
    EXPECT_TRUE(request.mustExist);
    EXPECT_EQ(request.defaultExtension, "bin");
    EXPECT_EQ(request.presetPath, "pinball.bin");
    ASSERT_EQ(request.filters.size(), 3u);
    EXPECT_EQ(request.filters[0].description, "Binary Files (*.bin)");
    EXPECT_EQ(request.filters[1].description, "TASM Object Files (*.obj)");
    EXPECT_EQ(request.filters[1].patterns, "*.obj");
    EXPECT_STREQ(settings.binaryPath, "pinball.bin");
    EXPECT_EQ(settings.binaryLoadAddress, 0x4C00);
    EXPECT_EQ(settings.pokeExecAddress, 0);
    EXPECT_TRUE(MemoryUntouched());
}

}  // namespace
