// The private-profile INI module: lookups, key-by-key updates that keep the
// rest of the file, and the atomic replace.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <climits>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/platform.h"
#include "tests/full_disk.h"
#include "tests/ini_test_support.h"

namespace fs = std::filesystem;

namespace {

// The file under test is the scratch settings file; contents() reads it whole.
class IniFile : public ::testing::Test {
protected:
    void put(const std::string& text) const { std::ofstream(path, std::ios::binary) << text; }
    static std::string contents() { return SettingsFileText(); }
    // Everything in the folder except the settings file itself.
    int strayFiles() const {
        int n = 0;
        for (const auto& entry : fs::directory_iterator(dir))
            if (entry.path() != path) ++n;
        return n;
    }

    ScratchSettingsFile scratch;
    const std::string dir = scratch.folder().string(), path = iniPath;
};

// Names match without regard to case, blanks around them are dropped, the
// first of repeated sections and keys counts; an empty value is a value.
TEST_F(IniFile, LookupsFindTheFirstMatchOrGiveTheFallback) {
    EXPECT_EQ(platform::IniGetString(path, "SOUND", "ayvolpct", "fb"), "fb");  // no file
    put("; settings\n[Sound]\n  AyVolPct = 70 \nclickerflag=On\nempty=\n[video]\nWINDOWSCALING=3\n"
        "[A]\nk=1\nk=2\n[B]\nk=3\n[a]\nk=4\nj=5\n");
    const char* const rows[][3] = {
        {"SOUND", "ayvolpct", "70"}, {"sound", "CLICKERFLAG", "On"}, {"SOUND", "empty", ""},
        {"VIDEO", "windowscaling", "3"}, {"VIDEO", "ayvolpct", "fb"}, {"SOUND", "clickervolpct", "fb"},
        {"NONE", "k", "fb"}, {"A", "k", "1"}, {"a", "j", "fb"},
    };
    for (const auto& r : rows) EXPECT_EQ(platform::IniGetString(path, r[0], r[1], "fb"), r[2]) << r[0] << " " << r[1];
}

TEST_F(IniFile, IntegersAreSignedDecimalWithGarbageKeepingTheFallback) {
    put("[N]\na=-42\nb=+7\nc=12abc\nd=abc\ne=\nf=99999999999\ng=-99999999999\nh=0x10\ni=  5\nj=-\n");
    const std::pair<const char*, int> rows[] = {{"a", -42}, {"b", 7}, {"c", 12}, {"d", 9}, {"f", INT32_MAX},
                                                {"g", INT32_MIN}, {"h", 0} /* decimal only: "0" then garbage */};
    for (const auto& [key, value] : rows) EXPECT_EQ(platform::IniGetInt(path, "N", key, 9), value) << key;
}

TEST_F(IniFile, LineEndsAndAByteOrderMarkAreKept) {
    put("[A]\r\nk=1\r\nj=2");
    ASSERT_TRUE(platform::IniWriteString(path, "A", "k", "5"));
    EXPECT_EQ(contents(), "[A]\r\nk=5\r\nj=2");
    EXPECT_EQ(platform::IniGetString(path, "A", "j", ""), "2");
    // The mark does not hide the first section.
    put("\xEF\xBB\xBF[CONFIG]\nini=other.ini\n");
    EXPECT_EQ(platform::IniGetString(path, "CONFIG", "ini", ""), "other.ini");
    ASSERT_TRUE(platform::IniWriteString(path, "config", "ini", "x.ini"));
    EXPECT_EQ(contents(), "\xEF\xBB\xBF[CONFIG]\nini=x.ini\n");
}

TEST_F(IniFile, SeveralKeysGoInOneReplaceInOrder) {
    put("[K]\nb=old\n");
    ASSERT_TRUE(platform::IniWriteStrings(path, "K", {{"a", "1"}, {"b", "2"}, {"c", "3"}}));
    EXPECT_EQ(contents(), "[K]\nb=2\na=1\nc=3\n");
    // One entry that would break the file's structure: nothing at all is written.
    EXPECT_FALSE(platform::IniWriteStrings(path, "K", {{"a", "9"}, {"b", "x\n[EVIL]"}}));
    EXPECT_EQ(contents(), "[K]\nb=2\na=1\nc=3\n");
}

TEST_F(IniFile, TextThatWouldInjectSectionsOrKeysIsRefused) {
    put("[A]\nk=1\n");
    EXPECT_FALSE(platform::IniWriteString(path, "A", "k", "1\r\nz=2"));
    EXPECT_FALSE(platform::IniWriteString(path, "A]x", "k", "1"));
    EXPECT_FALSE(platform::IniWriteString(path, "A", "k=2", "1"));
    EXPECT_FALSE(platform::IniWriteString(path, "A", "", "1"));
    EXPECT_EQ(contents(), "[A]\nk=1\n");
}

TEST_F(IniFile, UnwritableLocationsFailWithoutDamage) {
    put("[A]\nk=1\n");
    // A folder where the file should be: it cannot be read, so it is not replaced.
    fs::create_directory(dir + "/folder.ini");
    EXPECT_FALSE(platform::IniWriteString(dir + "/folder.ini", "A", "k", "2"));
    EXPECT_TRUE(fs::is_directory(dir + "/folder.ini"));
    EXPECT_EQ(contents(), "[A]\nk=1\n");
    EXPECT_EQ(strayFiles(), 1);  // only the folder
}

TEST_F(IniFile, AWriteCutShortLeavesTheOldFileWhole) {
    // The old file is small; the new one would pass the process's file size
    // limit, so writing the temporary fails part way, as on a full disk.
    std::string old = "[A]\nk=1\n; keep me\n";
    put(old);
    bool written = WithDiskRoom(64, [&] { return platform::IniWriteString(path, "A", "k", std::string(500, 'x')); });

    EXPECT_FALSE(written);
    EXPECT_EQ(contents(), old);
    EXPECT_EQ(strayFiles(), 0);  // the cut-short temporary is removed
    EXPECT_EQ(platform::IniGetString(path, "A", "k", ""), "1");
}

TEST_F(IniFile, ALinkedSettingsFileStaysLinkedAndKeepsItsPermissions) {
    std::string target = dir + "/real.ini";
    std::ofstream(target) << "[A]\nk=1\n";
    ASSERT_EQ(chmod(target.c_str(), 0640), 0);
    fs::create_symlink(target, path);
    ASSERT_TRUE(platform::IniWriteString(path, "A", "k", "2"));
    EXPECT_TRUE(fs::is_symlink(path));
    EXPECT_EQ(platform::IniGetString(target, "A", "k", ""), "2");
    struct stat st;
    ASSERT_EQ(stat(target.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
}

}  // namespace
