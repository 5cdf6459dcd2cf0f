// The settings record as the program starts (most defaults are also seen in
// what the section writers write) and its path fields.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "config/settings.h"

TEST(SettingsRecord, DefaultsNotSeenThroughTheSettingsFile) {
    Settings s = Settings::Defaults();
    EXPECT_EQ(s.customBlankRate, 3436363u);
    for (const auto& layer : s.sensibleKeyMap)
        for (uint16_t v : layer) ASSERT_EQ(v, 0x00FF);
    EXPECT_EQ(s.colors[4], (Rgb{16, 16, 16}));
    EXPECT_EQ(s.colors[19], (Rgb{240, 176, 64}));
    EXPECT_EQ(s.colors[33], (Rgb{40, 224, 40}));
}

TEST(SettingsRecord, PathsAreCutToTheirField) {
    Settings s = Settings::Defaults();
    std::string longPath(400, 'x');
    setPath(s.printerPath, longPath);
    EXPECT_EQ(std::string(s.printerPath), longPath.substr(0, kPathSize - 1));
    // A short path replaces a long one entirely, terminator included.
    setPath(s.printerPath, "out.txt");
    EXPECT_STREQ(s.printerPath, "out.txt");
}
