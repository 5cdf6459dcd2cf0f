// The "Configure Keyboard" dialog, driven as a user would: lists, the
// assignment by holding keys and clicking the prompt, deletion, OK and Cancel.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "config/settings.h"
#include "cpu/cpu_core.h"
#include "input/keyboard.h"
#include "input/keyboard_config.h"
#include "machine/machine.h"
#include "platform/headless/headless.h"
#include "resources/keyboard_dialog_layout.h"
#include "tests/dialog_view.h"
#include "tests/ini_test_support.h"
#include "tests/key_table.h"

namespace hl = platform::headless;
namespace L = KeyboardDialogLayout;

namespace {

constexpr uint8_t kShift = 0x10, kCtrl = 0x11;

class KeyboardDialog : public ::testing::Test {
protected:
    void SetUp() override {
        hl::ResetAll();
        settings = Settings::Defaults();
        KeyboardMapper::BuildTables();
    }
    void TearDown() override {
        settings = Settings::Defaults();
        hl::ResetAll();
    }

    static std::vector<std::string> items(platform::Dialog* d, int id) {
        std::vector<std::string> out;
        for (int i = 0; i < platform::DialogListCount(d, id); ++i) out.push_back(platform::DialogListItem(d, id, i));
        return out;
    }
    // Holds the keys, clicks the prompt, lets go.
    static void holdAndClick(platform::Dialog* d, std::initializer_list<uint8_t> keys) {
        for (uint8_t k : keys) hl::SetKeyDown(k, true);
        hl::ClickPrompt(d, L::kPrompt);
        hl::ReleaseAllKeys();
    }
    // Picks an emulated key by list position and gets ready to assign.
    static void pick(platform::Dialog* d, int position) {
        hl::Select(d, L::kZelVegaKeys, position);
        hl::DoubleClick(d, L::kZelVegaKeys);
    }
    ScratchSettingsFile scratch;
};

// Each layer's list shows that layer's names in table order.
TEST_F(KeyboardDialog, OpensOnTheNormalLayerInTheCurrentMode) {
    std::vector<std::vector<std::string>> shown, expected;
    for (int layer = 0; layer < 3; ++layer) {
        expected.emplace_back();
        for (const std::string& field : keytable::Layer(layer)) expected.back().push_back(field.substr(0, field.size() - 3));
    }
    std::string opened;
    hl::QueueDialogScript([&](platform::Dialog* d) {
        opened = Checked(d, {L::kHostLayoutMode, L::kEmulatedMode, L::kSensibleMode, L::kAssignNormal, L::kAssignShift, L::kAssignCtrl}) +
                 " " + std::to_string(platform::DialogListCount(d, L::kPcKeys));
        for (int id : {L::kAssignNormal, L::kAssignShift, L::kAssignCtrl}) {
            hl::Click(d, id);
            shown.push_back(items(d, L::kZelVegaKeys));
        }
        hl::Click(d, platform::kDialogCancel);
    });
    EXPECT_FALSE(KeyboardConfig::Dialog());
    EXPECT_EQ(shown, expected);
    EXPECT_EQ(opened, std::to_string(L::kHostLayoutMode) + " " + std::to_string(L::kAssignNormal) + " 0");
    settings.keyboardHostLayout = 0;  // then the emulated mode
    hl::QueueDialogScript([&](platform::Dialog* d) { opened = Checked(d, {L::kHostLayoutMode, L::kEmulatedMode, L::kSensibleMode}); });
    KeyboardConfig::Dialog();
    EXPECT_EQ(opened, std::to_string(L::kEmulatedMode));
}

// OK stores the mode; the host layout also names the emulated layout for
// older readers of the file. Sensible without any assignment: a message, and the dialog stays.
TEST_F(KeyboardDialog, OkStoresTheChosenMode) {
    for (int radio : {L::kEmulatedMode, L::kHostLayoutMode, L::kSensibleMode}) {
        bool stayedOpen = false;
        hl::QueueDialogScript([&](platform::Dialog* d) {
            hl::Click(d, L::kSensibleMode);
            hl::Click(d, radio);
            hl::Click(d, platform::kDialogOk);
            if ((stayedOpen = hl::IsOpen(d))) hl::Click(d, platform::kDialogCancel);
        });
        EXPECT_EQ(KeyboardConfig::Dialog(), radio != L::kSensibleMode);
        EXPECT_EQ(stayedOpen, radio == L::kSensibleMode);
        EXPECT_EQ(settings.keyboardHostLayout, radio == L::kEmulatedMode ? 0 : 1);
        EXPECT_NE(SettingsFileText().find(radio == L::kEmulatedMode ? "[KEYBOARD]\nemulatedflag=1\n"
                                                                     : "\nhostlayoutflag=1\n"),
                  std::string::npos);
    }
    ASSERT_EQ(hl::MessageBoxes().size(), 1u);
    EXPECT_EQ(hl::MessageBoxes()[0].text, KeyboardConfig::kNothingAssigned);
}

TEST_F(KeyboardDialog, HostKeyNamesIncludeTheLayoutKeys) {
    hl::QueueDialogScript([](platform::Dialog*) {});
    KeyboardConfig::Dialog();
    const std::pair<int, const char*> names[] = {{0xC0, "`"}, {0xDE, "'"}, {0xDC, "\\"}, {0xBF, "/"},
                                                 {0x51, "q"}, {0x91, "Scroll Lock"}, {0x13, "Pause"}};
    for (auto [key, name] : names) EXPECT_STREQ(KeyboardConfig::pcKeyName[key], name) << key;
    for (int key : {int(kShift), int(kCtrl), 0x14}) EXPECT_EQ(KeyboardConfig::pcKeyName[key], nullptr) << key;  // 14h: Caps Lock
    int named = 0;
    for (const char* name : KeyboardConfig::pcKeyName) named += name ? 1 : 0;
    EXPECT_EQ(named, 91);
}

// The whole road (the window test assigns on the normal layer): Ctrl "a"
// picked, Shift and W held and the prompt clicked, sensible mode, OK; the
// file has it and Shift+W types Ctrl "a" at the next poll.
TEST_F(KeyboardDialog, AHeldCombinationIsAssignedAndTypes) {
    hl::QueueDialogScript([&](platform::Dialog* d) {
        hl::Click(d, L::kAssignCtrl);
        pick(d, 4);  // "Ctrl a"
        holdAndClick(d, {kShift, 0x57});
        hl::Click(d, L::kSensibleMode);
        hl::Click(d, platform::kDialogOk);
    });
    ASSERT_TRUE(KeyboardConfig::Dialog());
    std::string text = SettingsFileText();
    for (const char* line : {"[KEYBOARD]\nemulatedflag=0\n", "\ns57=516\n", "\nn57=255\n"})
        EXPECT_NE(text.find(line), std::string::npos) << line;
    hl::SetKeyDown(kShift, true);
    hl::SetKeyDown(0x57, true);
    KeyboardMapper::OnKeyDown(0x57);
    KeyboardMapper::PollFrame();
    EXPECT_EQ(Machine::state.ppiPortA, 0x01);
    EXPECT_EQ(CpuCore::state.pendingIrq, 0x02);
    CpuCore::ClearPendingInterrupts();
}

// The assignments are listed under the picked key: A and Q held give Q (51h
// above 41h); left Shift (A0h) has no name but counts as Shift; Ctrl counts
// only without Shift; Shift alone assigns nothing.
TEST_F(KeyboardDialog, OnlyNamedKeysAreAssignedAndTheHighestWins) {
    hl::QueueDialogScript([&](platform::Dialog* d) {
        pick(d, 10);
        holdAndClick(d, {kShift});
        EXPECT_EQ(platform::DialogGetText(d, L::kPrompt), "Hold down key combination and click HERE");
        for (auto keys : {std::initializer_list<uint8_t>{0x41, 0x51}, {0xA0, 0x42}, {kCtrl, kShift, 0x43}, {kCtrl, 0x44}})
            holdAndClick(d, keys);
        EXPECT_EQ(platform::DialogGetText(d, L::kPrompt), "Ctrl d");
        EXPECT_EQ(items(d, L::kPcKeys), (std::vector<std::string>{"Shift b", "Shift c", "Ctrl d", "q"}));
        hl::Click(d, platform::kDialogOk);
    });
    EXPECT_TRUE(KeyboardConfig::Dialog());
    int assigned = 0;
    for (const auto& map : settings.sensibleKeyMap)
        for (uint16_t v : map) assigned += v != 0x00FF;
    EXPECT_EQ(assigned, 4);
}

TEST_F(KeyboardDialog, ADoubleClickDeletesExactlyThatEntry) {
    hl::QueueDialogScript([&](platform::Dialog* d) {
        pick(d, 10);
        holdAndClick(d, {0x51});          // q
        holdAndClick(d, {kShift, 0x51});  // Shift q
        holdAndClick(d, {kCtrl, 0x42});   // Ctrl b
        // Listed by host key code, then no modifier, Shift, Ctrl.
        EXPECT_EQ(items(d, L::kPcKeys), (std::vector<std::string>{"Ctrl b", "q", "Shift q"}));
        hl::Select(d, L::kPcKeys, 1);
        hl::DoubleClick(d, L::kPcKeys);
        EXPECT_EQ(items(d, L::kPcKeys), (std::vector<std::string>{"Ctrl b", "Shift q"}));
        hl::Click(d, platform::kDialogOk);
    });
    EXPECT_TRUE(KeyboardConfig::Dialog());
    EXPECT_EQ(settings.sensibleKeyMap[0][0x51], 0x00FF);
    EXPECT_EQ(settings.sensibleKeyMap[1][0x51], 0x000A);
    EXPECT_EQ(settings.sensibleKeyMap[2][0x42], 0x000A);
}

}  // namespace
