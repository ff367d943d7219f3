// The settings app launched in this process and driven by the host's keyboard:
// what a script cannot do (hold a key) and what stays in the process (the
// pasteboard, which headless runs keep to themselves).
#include <AppDelegate.h>

#include <Host/Session/HostSession.h>
#include <UIKit/UIAlertView.h>
#include <UIKit/UIApplication.h>
#include <UIKit/UIFocusEngine.h>
#include <UIKit/UIPasteboard.h>
#include <UIKit/UIScreen.h>

#include "PlatformTestSupport.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

namespace {

class Keyboard : public ::testing::Test {
  protected:
    void SetUp() override {
        UIScreen::mainScreen()->setScale(1);
        UIFocusEngine::shared().reset();
        ASSERT_TRUE(delegate.applicationDidFinishLaunchingWithOptions(
            UIApplication::sharedApplication().get(), nullptr));
    }
    void TearDown() override {
        while (UIAlertView* alert = UIAlertView::visibleAlert()) {
            alert->dismissWithClickedButtonIndex(0, false);
        }
        if (delegate.window()) {
            delegate.window()->setHidden(true);
        }
        UIFocusEngine::shared().reset();
    }
    static std::size_t alertsUp() {
        return (UIAlertView::visibleAlert() ? 1 : 0) + UIAlertView::queuedAlerts().size();
    }
    static HostKey key(const char* name) { return *HostKeyNamed(name); }

    testsupport::TestDeviceRoot root;
    AppDelegate delegate;
    HostSession session{1};
};

// A drag on the wheel leaves a prompt for each of its events; holding Return
// answers one a repeat, and once they are gone the held key does nothing more.
TEST_F(Keyboard, HeldReturnClearsAQueueOfPromptsOneARepeat) {
    ASSERT_TRUE(session.drag({160, 199}, {200, 199}, 2));
    ASSERT_EQ(alertsUp(), 4u) << "down, two moves, up";
    struct Row {
        HostKeyPress press;
        std::size_t left;
    };
    const Row rows[] = {
        {HostKeyPress::first, 3},  {HostKeyPress::repeat, 2}, {HostKeyPress::repeat, 1},
        {HostKeyPress::repeat, 0}, {HostKeyPress::repeat, 0}, {HostKeyPress::repeat, 0},
    };
    for (const Row& row : rows) {
        session.keyDown(key("Return"), row.press);
        EXPECT_EQ(alertsUp(), row.left);
    }
    session.keyUp(key("Return"));
    EXPECT_EQ(UIFocusEngine::shared().focusedView(), nullptr) << "no Tab yet, no focus";
}

TEST_F(Keyboard, HeldEscapeDoesTheSameWithTheFocusOnTheWheel) {
    session.pressKey(key("Tab"));
    session.pressKey(key("Tab"));
    ASSERT_EQ(UIFocusEngine::shared().focusedView()->accessibilityLabel(), "Hue and saturation");
    session.keyDown(key("Return"));
    ASSERT_EQ(alertsUp(), 2u) << "Return on the wheel: a tap at its centre";
    for (std::size_t left : {1u, 0u, 0u}) {
        session.keyDown(key("Escape"), HostKeyPress::repeat);
        EXPECT_EQ(alertsUp(), left);
    }
    session.keyDown(key("Return"), HostKeyPress::repeat);
    EXPECT_EQ(alertsUp(), 0u) << "a held Return never taps the wheel again";
    EXPECT_EQ(UIFocusEngine::shared().focusedView()->accessibilityLabel(), "Hue and saturation");
}

TEST_F(Keyboard, CtrlCCopiesThePickedColoursHexForm) {
    const UIPasteboardRef& board = UIPasteboard::generalPasteboard();
    board->setString("");
    session.pressKey(key("Ctrl+c"));
    EXPECT_EQ(board->string(), "#FFFFFF") << "white at first";
    ASSERT_TRUE(session.tap({227, 452})); // the blue swatch
    session.pressKey(key("c"));
    EXPECT_EQ(board->string(), "#FFFFFF") << "c alone copies nothing";
    session.pressKey(key("Ctrl+c"));
    EXPECT_EQ(board->string(), "#0000FF");
    session.pressKey(key("Tab")); // the toggle: outside the picker, still the screen's colour
    ASSERT_TRUE(session.tap({43, 452})); // red
    session.pressKey(key("Ctrl+c"));
    EXPECT_EQ(board->string(), "#FF0000");
}

} // namespace
