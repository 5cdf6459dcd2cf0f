// The memory map as the documentation tabulates it, the hard-reset fill,
// ROM image files, cartridges and the RAM dump.
#include <cstring>
#include <fstream>
#include <iterator>

#include "tests/ini_test_support.h"
#include "tests/machine_fixture.h"

namespace {

// What the CPU reads in each range, per configuration (normal, with the 16K
// expansion, enhanced): the first source present gives the byte ("char" while
// port C bit 2 is 0, "cart" while a cartridge is loaded); a write is stored
// exactly where "ram" is in the list.
struct Range {
    uint32_t from, to;
    const char* sources[3];
};
const Range kMap[] = {
    {0x0000, 0x3FFF, {"rom", "rom", "rom"}},
    {0x4000, 0x5FFF, {"cart ff", "cart ff", "cart ram"}},
    {0x6000, 0x6FFF, {"char cart ff", "char cart ff", "char cart ram"}},
    {0x7000, 0x7FFF, {"cart ff", "cart ff", "cart ram"}},
    {0x8000, 0xBFFF, {"ff", "ram", "ram"}},
    {0xC000, 0xFFFF, {"ram", "ram", "ram"}},
};

const char* Sources(int config, uint32_t a) {
    for (const Range& r : kMap)
        if (a >= r.from && a <= r.to) return r.sources[config];
    return "";
}

void Configure(int config) {
    settings.ramExpansion = config == 1 ? 1 : 0;
    settings.memoryEnhanced = config == 2 ? 1 : 0;
}

// A marker byte per address, so a read shows where it came from.
uint8_t ImageByte(uint32_t a) { return uint8_t((a * 7 + 3) ^ (a >> 8)); }
uint8_t CartByte(uint32_t offset) { return uint8_t(0x5A ^ (offset * 13)); }

class MachineMemoryTest : public MachineTest {
protected:
    // "Save Ram": the 64K the CPU sees, from the file the command writes.
    std::vector<uint8_t> Dump() {
        Machine::startDirectory = dir_.string();
        Machine::SaveRam();
        Machine::startDirectory = ".";
        std::ifstream in(dir_ / "ram.bin", std::ios::binary);
        return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
    }
};

}  // namespace

TEST_F(MachineMemoryTest, ReadsDumpAndWritesFollowTheMapInEveryConfiguration) {
    std::vector<uint8_t> cart(16384);
    for (uint32_t i = 0; i < 16384; ++i) cart[i] = CartByte(i);
    const std::string cartPath = WriteFile("cart.rom", cart);
    for (int config = 0; config < 3; ++config)
        for (bool cartridge : {false, true})
            for (bool window : {false, true}) {
                SCOPED_TRACE(::testing::Message() << "config " << config << " cartridge " << cartridge << " window " << window);
                Configure(config);
                for (uint32_t a = 0; a < 0x10000; ++a) Machine::MemoryImage[a] = ImageByte(a);
                CpuCore::lastOpcodeAddress = 0;
                Machine::state.cartridgeCodeRun = false;  // the probes below fetch from the cartridge
                Machine::RemoveGameRom();
                if (cartridge) ASSERT_TRUE(Machine::LoadGameRomFile(cartPath));
                Machine::state.portCLatch = window ? 0xFB : 0xFF;
                std::vector<uint8_t> dump = Dump();
                ASSERT_EQ(dump.size(), 65536u);
                for (uint32_t a = 0; a < 0x10000; ++a) {
                    std::string s = Sources(config, a);
                    uint8_t expected = s.starts_with("char") && window ? Machine::ExtCharRomImage[a - 0x6000]
                                       : s.find("cart") != std::string::npos && cartridge ? CartByte(a - 0x4000)
                                       : s.ends_with("ff") ? 0xFF : ImageByte(a);
                    ASSERT_EQ(dump[a], expected) << std::hex << a;
                    ASSERT_EQ(Machine::ReadOpcodeByte(uint16_t(a)), expected) << std::hex << a;
                    Machine::WriteMemory(uint16_t(a), uint8_t(~ImageByte(a)));
                    bool stored = s.find("ram") != std::string::npos;
                    ASSERT_EQ(Machine::MemoryImage[a], stored ? uint8_t(~ImageByte(a)) : ImageByte(a)) << std::hex << a;
                }
            }
}

// Hard reset: the BASIC image at 0000-3FFF, 00h where RAM is fitted, FFh elsewhere.
TEST_F(MachineMemoryTest, HardResetFillsPerConfiguration) {
    for (int config = 0; config < 3; ++config) {
        SCOPED_TRACE(config);
        Configure(config);
        std::memset(Machine::MemoryImage, 0x5A, sizeof Machine::MemoryImage);
        Machine::Reset(2);
        ASSERT_EQ(std::memcmp(Machine::MemoryImage, BuiltinBasicRom, 16384), 0);
        for (uint32_t a = 0x4000; a < 0x10000; ++a)
            ASSERT_EQ(Machine::MemoryImage[a], std::string(Sources(config, a)).ends_with("ram") ? 0x00 : 0xFF) << std::hex << a;
    }
}

// Writes to the 1A00h bytes from videoBase mark the picture, stored or not.
TEST_F(MachineMemoryTest, VideoWindowWritesMarkDirty) {
    const struct { uint16_t base, address; uint8_t dirty; } rows[] = {
        {0x8000, 0x7FFF, 0}, {0x8000, 0x8000, 1}, {0x8000, 0x99FF, 1}, {0x8000, 0x9A00, 0}, {0xE000, 0xF9FF, 1}};
    for (const auto& r : rows) {
        Machine::state.videoBase = r.base;
        Machine::state.videoDirty = 0;
        Machine::WriteMemory(r.address, 1);
        EXPECT_EQ(Machine::state.videoDirty, r.dirty) << std::hex << r.address;
    }
}

// "Load Game ROM...": refused while a tape plays or typing runs; otherwise the
// chooser with the cartridge filters, the file's bytes and FFh behind them, and
// the name remembered in the settings file. Bad files keep the old cartridge.
TEST_F(MachineMemoryTest, LoadGameRomCommand) {
    ScratchSettingsFile scratch;
    std::vector<uint8_t> bytes(100);
    for (int i = 0; i < 100; ++i) bytes[i] = uint8_t(i + 1);
    const std::string good = WriteFile("hundred.rom", bytes);
    platform::headless::QueueFileAnswer(good);
    for (int refusal = 0; refusal < 2; ++refusal) {
        CassetteDeck::tapeLoaded = CassetteDeck::cassetteMotorOn = refusal == 0;
        if (refusal == 1) platform::headless::SetClipboardText("RUN\r"), QuickType::Paste();
        Machine::LoadGameRom();
        CassetteDeck::tapeLoaded = CassetteDeck::cassetteMotorOn = false;
        QuickType::Stop();
        EXPECT_TRUE(platform::headless::FileChoosers().empty());
        EXPECT_EQ(Machine::GameRomImage, nullptr);
    }
    setPath(settings.gameRomPath, "last.bin");
    Machine::LoadGameRom();
    ASSERT_EQ(platform::headless::FileChoosers().size(), 1u);
    const auto& request = platform::headless::FileChoosers()[0].request;
    EXPECT_FALSE(platform::headless::FileChoosers()[0].save);
    ASSERT_EQ(request.filters.size(), 2u);
    EXPECT_EQ(request.filters[0].description, "ROM Game/Application Files (*.ROM, *.BIN)");
    EXPECT_EQ(request.filters[0].patterns, "*.rom;*.bin");
    EXPECT_EQ(request.filters[1].description, "All Files (*.*)");
    EXPECT_EQ(request.defaultExtension, "bin");
    EXPECT_TRUE(request.mustExist);
    EXPECT_EQ(request.presetPath, "last.bin");
    for (uint32_t a = 0x4000; a < 0x8000; ++a) ASSERT_EQ(Machine::ReadMemory(uint16_t(a)), a < 0x4064 ? a - 0x3FFF : 0xFF);
    EXPECT_EQ(SettingsFileValue("FILES", "gamerom"), good);
    Machine::LoadGameRom();  // cancelled: the cartridge stays
    for (const std::string& bad : {WriteFile("empty.rom", {}), WriteFile("long.rom", std::vector<uint8_t>(16385, 0x22)),
                                   (dir_ / "missing.rom").string(), dir_.string()})
        EXPECT_FALSE(Machine::LoadGameRomFile(bad)) << bad;
    EXPECT_EQ(SettingsFileValue("FILES", "gamerom"), good);
    EXPECT_EQ(Machine::ReadMemory(0x4063), 100);
    ASSERT_TRUE(Machine::LoadGameRomFile(WriteFile("full.rom", std::vector<uint8_t>(16384, 0x33))));
    EXPECT_EQ(Machine::ReadMemory(0x7FFF), 0x33);
}

// Removing the cartridge hard-resets when the CPU last fetched in 4000-7FFF
// (cartridge or not), or fetched code from the cartridge since the last reset
// (it may wait in a ROM routine the cartridge called).
TEST_F(MachineMemoryTest, RemoveGameRomResetsOnlyFromTheCartridgeArea) {
    const struct { int32_t lastOpcode, fetchedAt; bool cartridge, resetBetween, resets; } cases[] = {
        {0x5000, -1, true, false, true},     {0x4000, -1, true, false, true},    {0x7FFF, -1, true, false, true},
        {0x3FFF, -1, true, false, false},    {0x8000, -1, true, false, false},   {0xC123, -1, true, false, false},
        {-1, -1, true, false, false},        {0x0100, 0x4004, true, false, true}, {0x0100, 0x7FFF, true, false, true},
        {0x0100, 0x8000, true, false, false}, {0x0100, 0x3FFF, true, false, false}, {0x0100, 0x4004, true, true, false},
        {0x6000, -1, false, false, true},    {0x0100, 0x4004, false, false, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.lastOpcode << " fetched " << c.fetchedAt << " cartridge " << c.cartridge);
        if (c.cartridge) ASSERT_TRUE(Machine::LoadGameRomFile(WriteFile("c.rom", {0xC9})));
        if (c.fetchedAt >= 0) Machine::ReadOpcodeByte(uint16_t(c.fetchedAt));
        if (c.resetBetween) Machine::Reset(0);
        Machine::MemoryImage[0xC000] = 0x55;
        CpuCore::state.pc = 0x1234;
        CpuCore::lastOpcodeAddress = c.lastOpcode;
        Machine::RemoveGameRom();
        EXPECT_EQ(Machine::GameRomImage, nullptr);
        EXPECT_EQ(Machine::ReadMemory(0x4000), 0xFF);
        EXPECT_EQ(Machine::MemoryImage[0xC000], c.resets ? 0x00 : 0x55);
        EXPECT_EQ(CpuCore::state.pc, c.resets ? 0u : 0x1234u);
    }
}

// Files instead of the built-in images: a missing or empty file keeps the
// built-in image with a message; a short one leaves 00h behind it, a long one is cut.
TEST_F(MachineMemoryTest, RomImageFiles) {
    Machine::Reset(2);
    settings.useBuiltinBasicRom = settings.useBuiltinCharRom = settings.useBuiltinCharxRom = 0;
    const std::string missing = (dir_ / "none.bin").string(), empty = WriteFile("empty.bin", {});
    setPath(settings.basicRomPath, missing);
    setPath(settings.charRomPath, empty);
    setPath(settings.charxRomPath, dir_.string());  // a directory opens but reads nothing
    Machine::LoadRomImages();
    const auto& boxes = platform::headless::MessageBoxes();
    ASSERT_EQ(boxes.size(), 3u);
    for (const auto& box : boxes) EXPECT_EQ(box.title, "VZELVEGA - File Missing");
    EXPECT_EQ(boxes[0].text, "Could not load in ROM OS file\n " + missing + "\n  See Configuration/Memory.");
    EXPECT_EQ(std::memcmp(Machine::BasicRomImage, BuiltinBasicRom, 16384), 0);
    EXPECT_EQ(std::memcmp(Machine::CharRomImage, BuiltinCharRom, 768), 0);
    EXPECT_EQ(std::memcmp(Machine::ExtCharRomImage, BuiltinExtCharRom, 4096), 0);

    platform::headless::ClearRecords();
    setPath(settings.basicRomPath, WriteFile("short.bin", {0xAA, 0xBB}));
    setPath(settings.charRomPath, WriteFile("long.bin", std::vector<uint8_t>(1000, 0x7E)));
    setPath(settings.charxRomPath, WriteFile("x.bin", std::vector<uint8_t>(4096, 0x18)));
    Machine::LoadRomImages();
    EXPECT_TRUE(platform::headless::MessageBoxes().empty());
    std::vector<uint8_t> shortImage(16384);
    shortImage[0] = 0xAA, shortImage[1] = 0xBB;
    EXPECT_EQ(std::vector<uint8_t>(Machine::BasicRomImage, Machine::BasicRomImage + 16384), shortImage);
    EXPECT_EQ(std::vector<uint8_t>(Machine::CharRomImage, Machine::CharRomImage + 768), std::vector<uint8_t>(768, 0x7E));
    EXPECT_EQ(std::vector<uint8_t>(Machine::ExtCharRomImage, Machine::ExtCharRomImage + 4096), std::vector<uint8_t>(4096, 0x18));
    EXPECT_EQ(Machine::ReadMemory(1), BuiltinBasicRom[1]);  // the CPU sees a new image at the next hard reset
    Machine::Reset(2);
    EXPECT_EQ(Machine::ReadMemory(1), 0xBB);

    platform::headless::ClearRecords();
    settings = Settings::Defaults();  // the built-in flags never look at the files
    setPath(settings.basicRomPath, missing);
    Machine::LoadRomImages();
    EXPECT_TRUE(platform::headless::MessageBoxes().empty());
    EXPECT_EQ(std::memcmp(Machine::BasicRomImage, BuiltinBasicRom, 16384), 0);
}
