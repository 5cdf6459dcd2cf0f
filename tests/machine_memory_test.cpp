// Memory map, hard-reset fill, ROM images, cartridges and the RAM dump.
#include <cstring>

#include "tests/full_disk.h"
#include "tests/machine_fixture.h"

namespace {

enum class Config { Normal, Expansion, Enhanced };

void Configure(Config config) {
    settings.ramExpansion = config == Config::Expansion ? 1 : 0;
    settings.memoryEnhanced = config == Config::Enhanced ? 1 : 0;
}

// A marker byte per address, so a read shows where it came from.
uint8_t ImageByte(uint32_t address) { return uint8_t((address * 7 + 3) ^ (address >> 8)); }
uint8_t CartByte(uint32_t offset) { return uint8_t(0x5A ^ (offset * 13)); }

}  // namespace

using MachineMemoryTest = MachineTest;

// Reads per the map table: ROM, cartridge or FFh, RAM where fitted, the
// extended character ROM window over 6000-6FFF while port C bit 2 is 0.
// Writes reach C000-FFFF always, 8000-FFFF with the expansion, 4000-FFFF
// enhanced (under a cartridge or the window too); never 0000-3FFF.
TEST_F(MachineMemoryTest, MapInEveryConfiguration) {
    const uint16_t probes[] = {0x0000, 0x1234, 0x3FFF, 0x4000, 0x5FFF, 0x6000, 0x6ABC, 0x6FFF,
                               0x7000, 0x7FFF, 0x8000, 0x9ABC, 0xBFFF, 0xC000, 0xE000, 0xFFFF};
    std::vector<uint8_t> cart(16384);
    for (uint32_t i = 0; i < 16384; ++i) cart[i] = CartByte(i);
    const std::string cartPath = WriteFile("cart.rom", cart);
    for (Config config : {Config::Normal, Config::Expansion, Config::Enhanced}) {
        for (bool cartridge : {false, true}) {
            for (bool charWindow : {false, true}) {
                SCOPED_TRACE(::testing::Message() << "config " << int(config) << " cartridge " << cartridge
                                                  << " char window " << charWindow);
                Configure(config);
                for (uint32_t a = 0; a < 0x10000; ++a) Machine::MemoryImage[a] = ImageByte(a);
                CpuCore::lastOpcodeAddress = 0;
                Machine::state.cartridgeCodeRun = false;  // the probes below fetch from the cartridge
                Machine::RemoveGameRom();
                if (cartridge) {
                    ASSERT_TRUE(Machine::LoadGameRomFile(cartPath));
                }
                Machine::state.portCLatch = charWindow ? 0xFB : 0xFF;
                for (uint16_t a : probes) {
                    bool ram = a >= 0xC000 || (config == Config::Expansion && a >= 0x8000) ||
                               (config == Config::Enhanced && a >= 0x4000);
                    uint8_t expected = (a < 0x4000 || ram) ? ImageByte(a) : 0xFF;
                    if (charWindow && a >= 0x6000 && a < 0x7000) expected = Machine::ExtCharRomImage[a - 0x6000];
                    else if (cartridge && a >= 0x4000 && a < 0x8000) expected = CartByte(a - 0x4000u);
                    EXPECT_EQ(Machine::ReadMemory(a), expected) << std::hex << a;
                    EXPECT_EQ(Machine::ReadOpcodeByte(a), expected) << std::hex << a;
                    Machine::WriteMemory(a, uint8_t(~ImageByte(a)));
                    EXPECT_EQ(Machine::MemoryImage[a], ram ? uint8_t(~ImageByte(a)) : ImageByte(a)) << std::hex << a;
                }
            }
        }
    }
}

// Writes to the 1A00h bytes from videoBase mark the picture, stored or not
// (8000h is not fitted in the normal configuration).
TEST_F(MachineMemoryTest, VideoWindowWritesMarkDirty) {
    Configure(Config::Normal);
    const struct { uint16_t base, address; uint8_t dirty; } rows[] = {
        {0x8000, 0x7FFF, 0}, {0x8000, 0x99FF, 1}, {0x8000, 0x9A00, 0}, {0xE000, 0xE000, 1}};
    for (const auto& r : rows) {
        Machine::state.videoBase = r.base;
        Machine::state.videoDirty = 0;
        Machine::WriteMemory(r.address, 1);
        EXPECT_EQ(Machine::state.videoDirty, r.dirty) << std::hex << r.address;
    }
}

TEST_F(MachineMemoryTest, HardResetFillInEveryConfiguration) {
    static uint8_t rom[16384];
    for (int i = 0; i < 16384; ++i) rom[i] = uint8_t(i * 3 + 1);
    Machine::romSource = rom;
    for (Config config : {Config::Normal, Config::Expansion, Config::Enhanced}) {
        SCOPED_TRACE(int(config));
        Configure(config);
        std::memset(Machine::MemoryImage, 0x5A, sizeof Machine::MemoryImage);
        Machine::FillMemoryForHardReset();
        EXPECT_EQ(std::memcmp(Machine::MemoryImage, rom, 16384), 0);
        for (uint32_t a = 0x4000; a < 0x10000; a += 0x100) {
            bool ram = a >= 0xC000 || (config == Config::Expansion && a >= 0x8000) || config == Config::Enhanced;
            ASSERT_EQ(Machine::MemoryImage[a], ram ? 0x00 : 0xFF) << std::hex << a;
            ASSERT_EQ(Machine::MemoryImage[a + 0xFF], ram ? 0x00 : 0xFF) << std::hex << a + 0xFF;
        }
    }
}

TEST_F(MachineMemoryTest, HundredByteCartridgeAndRefusedLengths) {
    std::vector<uint8_t> bytes(100);
    for (int i = 0; i < 100; ++i) bytes[i] = uint8_t(i + 1);
    std::string good = WriteFile("hundred.rom", bytes);
    ASSERT_TRUE(Machine::LoadGameRomFile(good));
    EXPECT_STREQ(settings.gameRomPath, good.c_str());
    for (int i = 0; i < 100; ++i) ASSERT_EQ(Machine::ReadMemory(uint16_t(0x4000 + i)), i + 1);
    for (uint32_t a = 0x4064; a < 0x8000; ++a) ASSERT_EQ(Machine::ReadMemory(uint16_t(a)), 0xFF) << std::hex << a;

    // Empty, too long and missing files are refused; the old cartridge stays, its name too.
    EXPECT_FALSE(Machine::LoadGameRomFile(WriteFile("empty.rom", {})));
    EXPECT_FALSE(Machine::LoadGameRomFile(WriteFile("long.rom", std::vector<uint8_t>(16385, 0x22))));
    EXPECT_FALSE(Machine::LoadGameRomFile((dir_ / "missing.rom").string()));
    EXPECT_FALSE(Machine::LoadGameRomFile(dir_.string()));  // a directory is not a cartridge
    EXPECT_STREQ(settings.gameRomPath, good.c_str());
    EXPECT_EQ(Machine::ReadMemory(0x4000), 1);
    EXPECT_EQ(Machine::ReadMemory(0x4063), 100);

    // Exactly 16384 bytes is accepted and replaces it.
    ASSERT_TRUE(Machine::LoadGameRomFile(WriteFile("full.rom", std::vector<uint8_t>(16384, 0x33))));
    EXPECT_EQ(Machine::ReadMemory(0x4000), 0x33);
    EXPECT_EQ(Machine::ReadMemory(0x7FFF), 0x33);
}

// Refused while a tape plays; otherwise asks with the cartridge filters, and
// Cancel keeps the cartridge.
TEST_F(MachineMemoryTest, LoadGameRomAsksWithTheCartridgeFilters) {
    std::string path = WriteFile("game.bin", std::vector<uint8_t>(10, 0xAB));
    platform::headless::QueueFileAnswer(path);
    CassetteDeck::tapeLoaded = true;
    CassetteDeck::cassetteMotorOn = true;
    Machine::LoadGameRom();
    CassetteDeck::tapeLoaded = false;
    CassetteDeck::cassetteMotorOn = false;
    EXPECT_TRUE(platform::headless::FileChoosers().empty());
    EXPECT_EQ(Machine::GameRomImage, nullptr);

    setPath(settings.gameRomPath, "last.bin");
    Machine::LoadGameRom();
    ASSERT_EQ(platform::headless::FileChoosers().size(), 1u);
    const auto& record = platform::headless::FileChoosers()[0];
    EXPECT_FALSE(record.save);
    ASSERT_EQ(record.request.filters.size(), 2u);
    EXPECT_EQ(record.request.filters[0].description, "ROM Game/Application Files (*.ROM, *.BIN)");
    EXPECT_EQ(record.request.filters[0].patterns, "*.rom;*.bin");
    EXPECT_EQ(record.request.filters[1].description, "All Files (*.*)");
    EXPECT_EQ(record.request.defaultExtension, "bin");
    EXPECT_TRUE(record.request.mustExist);
    EXPECT_EQ(record.request.presetPath, "last.bin");
    EXPECT_EQ(Machine::ReadMemory(0x4009), 0xAB);
    EXPECT_EQ(Machine::ReadMemory(0x400A), 0xFF);
    Machine::LoadGameRom();
    EXPECT_EQ(Machine::ReadMemory(0x4000), 0xAB);
}

// Removing the cartridge hard-resets when the CPU last fetched in 4000-7FFF,
// or fetched code from the cartridge at any time since the last reset (it may
// wait in a ROM routine the cartridge called).
TEST_F(MachineMemoryTest, RemoveGameRomResetsOnlyFromCartridgeArea) {
    struct Case {
        int32_t lastOpcode;
        int32_t fetchedAt;  // a code fetch while the cartridge is in, -1 none
        bool resetBetween;  // a soft reset after that fetch
        bool resets;
    };
    for (Case c : {Case{0x5000, -1, false, true}, Case{0x4000, -1, false, true}, Case{0x7FFF, -1, false, true},
                   Case{0x3FFF, -1, false, false}, Case{0x8000, -1, false, false}, Case{0xC123, -1, false, false},
                   Case{-1, -1, false, false}, Case{0x0100, 0x4004, false, true}, Case{0x0100, 0x7FFF, false, true},
                   Case{0x0100, 0x8000, false, false}, Case{0x0100, 0x3FFF, false, false},
                   Case{0x0100, 0x4004, true, false}}) {
        SCOPED_TRACE(::testing::Message() << c.lastOpcode << " fetched " << c.fetchedAt);
        ASSERT_TRUE(Machine::LoadGameRomFile(WriteFile("c.rom", {0xC9})));
        if (c.fetchedAt >= 0) Machine::ReadOpcodeByte(uint16_t(c.fetchedAt));
        if (c.resetBetween) Machine::Reset(0);
        Machine::MemoryImage[0xC000] = 0x55;
        CpuCore::state.pc = 0x1234;
        CpuCore::lastOpcodeAddress = c.lastOpcode;
        Machine::RemoveGameRom();
        EXPECT_EQ(Machine::GameRomImage, nullptr);
        EXPECT_EQ(Machine::MemoryImage[0xC000], c.resets ? 0x00 : 0x55);
        EXPECT_EQ(CpuCore::state.pc, c.resets ? 0u : 0x1234u);
    }
    // Without a cartridge code fetches there are not remembered, but the check is made.
    Machine::ReadOpcodeByte(0x4004);
    Machine::MemoryImage[0xC000] = 0x55;
    CpuCore::lastOpcodeAddress = 0x0100;
    Machine::RemoveGameRom();
    EXPECT_EQ(Machine::MemoryImage[0xC000], 0x55);
    CpuCore::lastOpcodeAddress = 0x6000;
    Machine::RemoveGameRom();
    EXPECT_EQ(Machine::MemoryImage[0xC000], 0x00);
}

TEST_F(MachineMemoryTest, RomFilesMissingEmptyShortAndLong) {
    settings.useBuiltinBasicRom = 0;
    settings.useBuiltinCharRom = 0;
    settings.useBuiltinCharxRom = 0;
    std::string missing = (dir_ / "none.bin").string();
    setPath(settings.basicRomPath, missing);
    setPath(settings.charRomPath, WriteFile("empty.bin", {}));
    setPath(settings.charxRomPath, missing);
    Machine::LoadRomImages();
    const auto& boxes = platform::headless::MessageBoxes();
    ASSERT_EQ(boxes.size(), 3u);
    for (const auto& box : boxes) EXPECT_EQ(box.title, "VZELVEGA - File Missing");
    EXPECT_EQ(boxes[0].text, "Could not load in ROM OS file\n " + missing + "\n  See Configuration/Memory.");
    EXPECT_EQ(boxes[1].text, "Could not load in Character ROM file\n " + std::string(settings.charRomPath) +
                                 "\n  See Configuration/Memory.");
    EXPECT_EQ(boxes[2].text,
              "Could not load in Extended Character ROM file\n " + missing + "\n  See Configuration/Memory.");
    EXPECT_EQ(std::memcmp(Machine::BasicRomImage, BuiltinBasicRom, 16384), 0);
    EXPECT_EQ(std::memcmp(Machine::CharRomImage, BuiltinCharRom, 768), 0);
    EXPECT_EQ(std::memcmp(Machine::ExtCharRomImage, BuiltinExtCharRom, 4096), 0);

    // A directory opens but reads nothing: missing too.
    platform::headless::ClearRecords();
    setPath(settings.charxRomPath, dir_.string());
    Machine::LoadRomImages();
    ASSERT_EQ(platform::headless::MessageBoxes().size(), 3u);
    EXPECT_EQ(platform::headless::MessageBoxes()[2].text,
              "Could not load in Extended Character ROM file\n " + dir_.string() + "\n  See Configuration/Memory.");

    // A short file leaves 00h behind it; a long one is cut.
    platform::headless::ClearRecords();
    setPath(settings.basicRomPath, WriteFile("short.bin", {0xF3, 0x31, 0x00}));
    setPath(settings.charRomPath, WriteFile("long.bin", std::vector<uint8_t>(1000, 0x7E)));
    setPath(settings.charxRomPath, WriteFile("x.bin", std::vector<uint8_t>(4096, 0x18)));
    Machine::LoadRomImages();
    EXPECT_TRUE(platform::headless::MessageBoxes().empty());
    EXPECT_EQ(Machine::BasicRomImage[0], 0xF3);
    EXPECT_EQ(Machine::BasicRomImage[2], 0x00);
    for (int i = 3; i < 16384; ++i) ASSERT_EQ(Machine::BasicRomImage[i], 0x00) << i;
    for (int i = 0; i < 768; ++i) ASSERT_EQ(Machine::CharRomImage[i], 0x7E) << i;
    for (int i = 0; i < 4096; ++i) ASSERT_EQ(Machine::ExtCharRomImage[i], 0x18) << i;

    // A changed BASIC image reaches the CPU at the next hard reset.
    Machine::FillMemoryForHardReset();
    EXPECT_EQ(Machine::ReadMemory(0), 0xF3);
    EXPECT_EQ(Machine::ReadMemory(3), 0x00);

    // The built-in flags never look at the files.
    platform::headless::ClearRecords();
    settings = Settings::Defaults();
    setPath(settings.basicRomPath, missing);
    Machine::LoadRomImages();
    EXPECT_TRUE(platform::headless::MessageBoxes().empty());
    EXPECT_EQ(std::memcmp(Machine::BasicRomImage, BuiltinBasicRom, 16384), 0);
}

TEST_F(MachineMemoryTest, RamDumpIsWhatTheCpuSees) {
    Configure(Config::Normal);
    Machine::FillMemoryForHardReset();
    Machine::MemoryImage[0xC010] = 0x42;
    Machine::state.portCLatch = 0xFB;  // character window shown
    Machine::startDirectory = dir_.string();
    Machine::SaveRam();
    FILE* f = std::fopen((dir_ / "ram.bin").c_str(), "rb");
    ASSERT_NE(f, nullptr);
    std::vector<uint8_t> dump(70000);
    size_t n = std::fread(dump.data(), 1, dump.size(), f);
    std::fclose(f);
    ASSERT_EQ(n, 65536u);
    EXPECT_EQ(std::memcmp(dump.data(), Machine::BasicRomImage, 16384), 0);
    for (uint32_t a = 0x4000; a < 0xC000; ++a) {
        uint8_t expected = (a >= 0x6000 && a < 0x7000) ? Machine::ExtCharRomImage[a - 0x6000] : 0xFF;
        ASSERT_EQ(dump[a], expected) << std::hex << a;
    }
    EXPECT_EQ(dump[0xC010], 0x42);
    EXPECT_EQ(dump[0xFFFF], 0x00);
    std::string path = (dir_ / "ram.bin").string();
    EXPECT_EQ(platform::headless::Notices(), std::vector<std::string>{"Save Ram: " + path});

    // A full disk: the write fails, the previous dump stays whole, no partial file is left.
    Machine::MemoryImage[0xC010] = 0x43;
    EXPECT_FALSE(WithDiskRoom(4096, [] { return Machine::SaveRam(); }));
    EXPECT_EQ(platform::headless::Notices().back(), "Save Ram failed: " + path + ": File too large");
    f = std::fopen(path.c_str(), "rb");
    ASSERT_NE(f, nullptr);
    std::vector<uint8_t> kept(70000);
    kept.resize(std::fread(kept.data(), 1, kept.size(), f));
    std::fclose(f);
    dump.resize(n);
    EXPECT_EQ(kept, dump);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir_), std::filesystem::directory_iterator()), 1);
    Machine::startDirectory = ".";
}
