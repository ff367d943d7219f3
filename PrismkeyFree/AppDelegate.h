// Starts the settings application: a window whose root is a navigation controller
// holding the settings screen.
#pragma once

#include <UIKit/UIApplicationDelegate.h>
#include <UIKit/UIResponder.h>
#include <UIKit/UIWindow.h>

class AppDelegate : public UIResponder, public UIApplicationDelegate {
  public:
    const UIWindowRef& window() const { return window_; }
    void setWindow(UIWindowRef window) { window_ = std::move(window); }

    bool
    applicationDidFinishLaunchingWithOptions(UIApplication* application,
                                             const std::shared_ptr<NSDictionary>& options) override;

  private:
    UIWindowRef window_;
};
