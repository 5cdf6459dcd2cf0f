// Display output against the headless window: sizes per scale, when the frame
// is drawn, the speed figure, full screen and the pointer mapping.
#include <gtest/gtest.h>

#include <array>

#include "config/settings.h"
#include "machine/machine.h"
#include "machine/scheduler.h"
#include "platform/headless/headless.h"
#include "platform/headless/headless_window.h"
#include "video/display.h"
#include "video/renderer.h"

namespace {

namespace headless = platform::headless;

class DisplayTest : public ::testing::Test {
protected:
    void SetUp() override {
        headless::ResetAll();
        headless::ResetWindow();
        settings = Settings::Defaults();
        Display::displayScale = 2;
        Display::fullScreen = false;
        Display::clearCount = 2;
        Display::cursorShown = true;
        Display::displayModeChanged = false;
        bitmap = platform::CreateFrameBitmap();
        Video::frameBitmap = bitmap;
        Video::framePixels = platform::FramePixels(bitmap);
        Machine::state.videoDirty = 1;
        FrameScheduler::state.speedPercent = 100;
    }
    void TearDown() override {
        if (Display::fullScreen) leaveFullScreen();
        Video::frameBitmap = nullptr;
        Video::framePixels = nullptr;
        platform::ReleaseFrameBitmap(bitmap);
        Display::displayScale = 2;
        headless::ResetWindow();
    }
    platform::FrameBitmap* bitmap = nullptr;
};

// The loop draws only changed frames, a paint always; the first two clear the
// window; windowed, the speed goes to the title; nothing without a bitmap or window.
TEST_F(DisplayTest, WhatEachPresentationDraws) {
    auto& window = headless::Window();
    Machine::state.videoDirty = 0;
    presentFrame(false);
    EXPECT_EQ(window.framesDrawn, 0);
    presentFrame(true);
    Machine::state.videoDirty = 1;
    presentFrame(false);
    FrameScheduler::state.speedPercent = 189;
    presentFrame(true);
    EXPECT_EQ((std::array{window.framesDrawn, window.blackFills, window.lastOriginX, window.lastOriginY, window.lastScale}),
              (std::array{3, 2, 0, 0, 2}));
    EXPECT_EQ(window.titleSpeed, " 189%  ");
    EXPECT_EQ(window.speedText, "");
    Video::frameBitmap = nullptr;
    presentFrame(true);
    Video::frameBitmap = bitmap;
    window.exists = false;
    presentFrame(true);
    EXPECT_EQ(window.framesDrawn, 3);
}

// Scale, menu and window size in and out of full screen are the desktop's
// tests (fullScreenByF12AndBack); here the cursor, the centring and the clears.
TEST_F(DisplayTest, FullScreenCentresTheFrameAndTogglesTheCursor) {
    auto& window = headless::Window();
    Display::clearCount = 0;
    toggleFullScreen();
    ASSERT_TRUE(Display::fullScreen);
    EXPECT_EQ(headless::CursorShowCount(), -1);
    presentFrame(true);
    presentFrame(true);
    presentFrame(true);
    EXPECT_EQ(window.blackFills, 2);
    EXPECT_EQ(window.lastOriginX, 40);
    EXPECT_EQ(window.lastOriginY, 24);
    EXPECT_EQ(window.speedText, " 100%  ");

    // Right button: the cursor comes back, and the screen is cleared twice more.
    toggleFullScreenMenu();
    EXPECT_EQ(headless::CursorShowCount(), 0);
    EXPECT_EQ(Display::clearCount, 2);
    toggleFullScreenMenu();
    EXPECT_EQ(headless::CursorShowCount(), -1);
    toggleFullScreen();
    EXPECT_EQ(headless::CursorShowCount(), 0);
}

TEST_F(DisplayTest, RefusedFullScreenKeepsTheWindowAsItWas) {
    auto& window = headless::Window();
    window.fullScreenRefused = true;
    Display::displayScale = 1;
    settings.windowScale = 1;
    window.clientWidth = 280;
    window.clientHeight = 216;
    toggleFullScreen();
    EXPECT_FALSE(Display::fullScreen);
    EXPECT_EQ(Display::displayScale, 1);
    EXPECT_EQ(window.setClientSizeCalls, 0);  // already the size of scale 1
    EXPECT_TRUE(window.menuShown);
    EXPECT_EQ(headless::CursorShowCount(), 0);
    // The right button does nothing while windowed.
    toggleFullScreenMenu();
    EXPECT_TRUE(window.menuShown);
}

TEST_F(DisplayTest, PointerMapping) {
    const struct {
        bool fullScreen;
        int scale, x, y;
        bool down;
        int pictureX, pictureY;
    } cases[] = {
        {false, 2, 24, 24, true, 0, 0},
        {false, 2, 535, 407, true, 255, 191},
        {false, 2, 5, 13, true, 0, 0},          // over the border
        {false, 2, 559, 431, true, 255, 203},   // right of the picture, inside the bottom border
        {false, 1, 112, 60, true, 100, 48},
        {false, 1, 300, 300, false, 100, 48},   // moving without the button keeps the position
        {true, 2, 64, 48, true, 0, 0},          // picture at (40, 24), border 24 pixels at scale 2
        {true, 2, 64 + 2 * 255 + 1, 48 + 2 * 191 + 1, true, 255, 191},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "full screen " << c.fullScreen << " at " << c.x << "," << c.y);
        if (c.fullScreen != Display::fullScreen) toggleFullScreen();
        ASSERT_EQ(Display::fullScreen, c.fullScreen);
        Display::displayScale = c.scale;
        trackPointer(c.x, c.y, c.down);
        EXPECT_EQ(Machine::state.pointerDown, c.down ? 1 : 0);
        EXPECT_EQ(Machine::state.pointerX, c.pictureX);
        EXPECT_EQ(Machine::state.pointerY, c.pictureY);
    }
}

}  // namespace
