// The platform's side of the tests' fixtures, for tests that link the platform (the
// plain support library does not): the screen and its clock as a headless run has
// them, a device root of the test's own, an application launched in the test's
// process, and the alerts it leaves up.
#pragma once

#include "TestSupport.h"

#include <UIKit/UIApplication.h>

#include <memory>

namespace testsupport {

// The main screen at `scale` pixels per point, the clock virtual and at 0.
void useTestScreen(int scale);

// `delegate` launched as the application's in the test's process, on the test screen at
// `scale`; false when launching failed.
bool launchApplication(std::shared_ptr<UIApplicationDelegate> delegate, int scale = 1);
// The application forgets its delegate (and with it the windows it made).
void endApplication();

// Presses away every alert that is up or queued, so that none outlives its test.
void dismissAlerts();

// A device root of the test's own, its standard folders made, where an application
// launched in the test's process finds its images, on the test screen at scale 1.
class TestDeviceRoot {
  public:
    TestDeviceRoot();
    const std::filesystem::path& path() const { return folder_.path(); }

  private:
    TemporaryDirectory folder_;
};

} // namespace testsupport
