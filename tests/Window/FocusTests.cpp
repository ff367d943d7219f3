// A window gaining focus, headless through the `focus` script command: PrismkeyFree's
// toggle shows what the preferences file holds now (another window may have changed
// it), and keyboard-host's keyboard lays itself out again.
#include <AppDelegate.h>
#include <HVDefaultColorViewController.h>
#include <KeyboardHostViewController.h>

#include <Host/Session/HostScriptPlayer.h>
#include <TintPreferences.h>
#include <UIKit/UIApplication.h>
#include <UIKit/UINavigationController.h>
#include <UIKit/UIScreen.h>

#include "PlatformTestSupport.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

namespace {

void runScript(HostSession& session, const std::string& text) {
    HostScriptPlayer player(session);
    for (const ScriptCommand& command : parseEventScript(text, player.syntax())) {
        player.run(command);
    }
}

class Focus : public ::testing::Test {
  protected:
    void TearDown() override { UIApplication::sharedApplication()->setDelegate(nullptr); }
    testsupport::TestDeviceRoot root;
};

TEST_F(Focus, PrismkeyFreesToggleFollowsTheFileWhenItsWindowGainsFocus) {
    auto delegate = std::make_shared<AppDelegate>();
    UIApplication::sharedApplication()->setDelegate(delegate);
    ASSERT_TRUE(UIApplication::sharedApplication()->finishLaunching());
    auto* navigation =
        dynamic_cast<UINavigationController*>(delegate->window()->rootViewController().get());
    ASSERT_NE(navigation, nullptr);
    auto* settings = dynamic_cast<HVDefaultColorViewController*>(navigation->topViewController());
    ASSERT_NE(settings, nullptr);
    HostSession session(1);
    session.renderFrame();
    ASSERT_EQ(settings->toggleButton()->title(), "TurnOn");

    // Each row: the file toggled behind the window's back (the toggle stays as it
    // was), or the window gains focus (the toggle shows the file).
    const std::pair<bool, const char*> rows[] = {{false, "TurnOn"},
                                                 {true, "TurnOff"},
                                                 {true, "TurnOff"},
                                                 {false, "TurnOff"},
                                                 {true, "TurnOn"}};
    for (const auto& [focus, shown] : rows) {
        if (focus) {
            runScript(session, "focus\n");
        } else {
            ASSERT_TRUE(TintPreferences::toggleOpen().write.succeeded()); // the other window
        }
        EXPECT_EQ(settings->toggleButton()->title(), shown) << (focus ? "focus" : "toggled");
    }
    EXPECT_EQ(settings->saveButton()->isEnabled(), false) << "off again: Save is off too";
}

TEST_F(Focus, KeyboardHostLaysItsKeyboardOutAgainOnFocus) {
    auto controller = std::make_shared<KeyboardHostViewController>();
    auto window = std::make_shared<UIWindow>(UIScreen::mainScreen()->bounds());
    window->setRootViewController(controller);
    window->makeKeyAndVisible();
    HostSession session(1);
    session.setFocusHandler([&] { controller->keyboardShown(); });
    session.renderFrame();
    int passes = controller->hostView()->layoutPasses();
    runScript(session, "focus\nfocus\n");
    EXPECT_EQ(controller->hostView()->layoutPasses(), passes + 2);
    window->setHidden(true);
}

} // namespace
