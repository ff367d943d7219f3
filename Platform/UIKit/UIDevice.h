// The device: a phone unless told otherwise.
#pragma once

#include <Foundation/NSObject.h>

#include <memory>
#include <string>

class UIDevice;
using UIDeviceRef = std::shared_ptr<UIDevice>;

enum UIUserInterfaceIdiom : NSInteger {
    UIUserInterfaceIdiomUnspecified = -1,
    UIUserInterfaceIdiomPhone = 0,
    UIUserInterfaceIdiomPad = 1,
};

class UIDevice : public NSObject {
  public:
    static const UIDeviceRef& currentDevice();

    UIUserInterfaceIdiom userInterfaceIdiom() const { return idiom_; }
    // For tests and hosts that play a tablet.
    void setUserInterfaceIdiom(UIUserInterfaceIdiom idiom) { idiom_ = idiom; }
    std::string model() const { return idiom_ == UIUserInterfaceIdiomPad ? "iPad" : "iPhone"; }
    std::string systemName() const { return "iPhone OS"; }
    std::string systemVersion() const { return "6.1"; }

  private:
    UIUserInterfaceIdiom idiom_ = UIUserInterfaceIdiomPhone;
};

// The platform's shorthand for the current device's idiom.
inline UIUserInterfaceIdiom UI_USER_INTERFACE_IDIOM() {
    return UIDevice::currentDevice()->userInterfaceIdiom();
}
