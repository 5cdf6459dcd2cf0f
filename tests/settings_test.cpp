// The settings record as the program starts.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "config/settings.h"

TEST(SettingsRecord, DefaultsMatchTheFirstStart) {
    Settings s = Settings::Defaults();
    EXPECT_EQ(s.memoryEnhanced, 0);
    EXPECT_EQ(s.ramExpansion, 0);
    EXPECT_EQ(s.useBuiltinBasicRom, 1);
    EXPECT_STREQ(s.basicRomPath, "ROM/ZELVEGA.BIN");
    EXPECT_STREQ(s.charxRomPath, "ROM/VEGACHRX.BIN");
    EXPECT_EQ(s.printerWidth, 132);
    EXPECT_STREQ(s.printerPath, "LPRINT.TXT");
    EXPECT_EQ(s.cpuSpeedOption, 0);
    EXPECT_EQ(s.customActiveRate, 1820846u);
    EXPECT_EQ(s.customBlankRate, 3436363u);
    EXPECT_EQ(s.speedUpFiles, 1);
    EXPECT_EQ(s.ayVolumePercent, 50);
    EXPECT_EQ(s.binaryLoadAddress, 0x4C00);
    EXPECT_EQ(s.binaryExecAddress, 0x4CFF);
    EXPECT_EQ(s.windowScale, 2);
    for (const auto& layer : s.sensibleKeyMap)
        for (uint16_t v : layer) ASSERT_EQ(v, 0x00FF);
    // A few palette entries from the colour table.
    EXPECT_EQ(s.colors[4], (Rgb{16, 16, 16}));
    EXPECT_EQ(s.colors[17], (Rgb{211, 97, 250}));
    EXPECT_EQ(s.colors[19], (Rgb{240, 176, 64}));
    EXPECT_EQ(s.colors[33], (Rgb{40, 224, 40}));
    EXPECT_EQ(s.colors[44], (Rgb{240, 240, 240}));
}

TEST(SettingsRecord, PathsAreCutToTheirField) {
    Settings s = Settings::Defaults();
    std::string longPath(400, 'x');
    setPath(s.printerPath, longPath);
    EXPECT_EQ(std::strlen(s.printerPath), size_t(kPathSize - 1));
    EXPECT_EQ(std::string(s.printerPath), longPath.substr(0, kPathSize - 1));
    // A short path replaces a long one entirely, terminator included.
    setPath(s.printerPath, "out.txt");
    EXPECT_STREQ(s.printerPath, "out.txt");
}
