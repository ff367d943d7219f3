// Starts the settings application: a window whose root is a navigation controller
// holding the settings screen. Becoming active refreshes the screen's toggle from
// the preferences file.
#pragma once

#include <UIKit/UIApplicationDelegate.h>
#include <UIKit/UIResponder.h>
#include <UIKit/UIWindow.h>

class HVDefaultColorViewController;

class AppDelegate : public UIResponder, public UIApplicationDelegate {
  public:
    const UIWindowRef& window() const { return window_; }
    void setWindow(UIWindowRef window) { window_ = std::move(window); }

    bool
    applicationDidFinishLaunchingWithOptions(UIApplication* application,
                                             const std::shared_ptr<NSDictionary>& options) override;
    // The window came to the front: the toggle shows what the preferences file holds
    // now, which the keyboard's side of the device may have been shown meanwhile.
    void applicationDidBecomeActive(UIApplication* application) override;

  private:
    UIWindowRef window_;
    std::weak_ptr<HVDefaultColorViewController> settings_;
};
