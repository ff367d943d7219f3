// keyboard-host's screen in the test's own process: laid out at scale 1 on the
// virtual clock, with a session whose character keys are the on-screen keys.
#pragma once

#include "KeyboardHostKeys.h"
#include "KeyboardHostViewController.h"
#include "PlatformTestSupport.h"

#include <Host/Session/HostKey.h>
#include <Host/Session/HostSession.h>
#include <UIKit/UIScreen.h>
#include <UIKit/UIWindow.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>

class KeyboardHostScreen : public ::testing::Test {
  protected:
    void SetUp() override {
        testsupport::useTestScreen(1);
        window = std::make_shared<UIWindow>(UIScreen::mainScreen()->bounds());
        controller = std::make_shared<KeyboardHostViewController>();
        window->setRootViewController(controller);
        window->makeKeyAndVisible();
        window->layoutIfNeeded();
        session.setCharacterKeys(
            [this](const HostKey& key) { return KeyboardHostKeys::onScreenKey(*hostView(), key); });
    }
    void TearDown() override { window->setHidden(true); }

    UIPeripheralHostView* hostView() const { return controller->hostView(); }
    std::string typed() const { return controller->textField()->text(); }

    std::shared_ptr<UIWindow> window;
    std::shared_ptr<KeyboardHostViewController> controller;
    HostSession session{1};
};
