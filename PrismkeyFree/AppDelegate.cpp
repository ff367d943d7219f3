#include "AppDelegate.h"

#include "HVDefaultColorViewController.h"

#include <UIKit/UIColor.h>
#include <UIKit/UINavigationController.h>
#include <UIKit/UIScreen.h>

bool AppDelegate::applicationDidFinishLaunchingWithOptions(UIApplication*,
                                                           const std::shared_ptr<NSDictionary>&) {
    setWindow(std::make_shared<UIWindow>(UIScreen::mainScreen()->bounds()));
    auto settings = std::make_shared<HVDefaultColorViewController>();
    settings_ = settings;
    auto navigation = UINavigationController::initWithRootViewController(settings);
    window_->setRootViewController(navigation);
    // The screen must hold its start colour before it builds its view, which happens
    // when the window is first shown below.
    settings->setSelectedColor(UIColor::whiteColor());
    window_->setBackgroundColor(UIColor::whiteColor());
    window_->makeKeyAndVisible();
    return true;
}

void AppDelegate::applicationDidBecomeActive(UIApplication*) {
    if (std::shared_ptr<HVDefaultColorViewController> settings = settings_.lock()) {
        settings->refreshFromPreferences();
    }
}
