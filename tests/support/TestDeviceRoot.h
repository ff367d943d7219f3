// A device root of the test's own, its standard folders made, where an application
// launched in the test's process finds its images; the clock is the virtual one.
// Header only: for tests that link the platform (the support library does not).
#pragma once

#include "TestSupport.h"

#include <Foundation/NSFileManager.h>
#include <QuartzCore/CAMediaTiming.h>
#include <UIKit/UIImage.h>

namespace testsupport {

class TestDeviceRoot {
  public:
    TestDeviceRoot() {
        NSFileManager::setDeviceRoot(folder_.path().string());
        NSFileManager::defaultManager()->createStandardDeviceFolders();
        UIImage::setResourceDirectory(buildDirectory() / "Resources");
        CAMediaTimeUseVirtualClock(0);
    }

  private:
    TemporaryDirectory folder_;
};

} // namespace testsupport
