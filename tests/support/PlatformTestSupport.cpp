#include "PlatformTestSupport.h"

#include <Foundation/NSFileManager.h>
#include <QuartzCore/CAMediaTiming.h>
#include <UIKit/UIAlertView.h>
#include <UIKit/UIImage.h>
#include <UIKit/UIScreen.h>

namespace testsupport {

void useTestScreen(int scale) {
    CAMediaTimeUseVirtualClock(0);
    UIScreen::mainScreen()->setScale(static_cast<CGFloat>(scale));
}

bool launchApplication(std::shared_ptr<UIApplicationDelegate> delegate, int scale) {
    useTestScreen(scale);
    UIApplication::sharedApplication()->setDelegate(std::move(delegate));
    return UIApplication::sharedApplication()->finishLaunching();
}

void endApplication() {
    UIApplication::sharedApplication()->setDelegate(nullptr);
}

void dismissAlerts() {
    while (UIAlertView* alert = UIAlertView::visibleAlert()) {
        alert->dismissWithClickedButtonIndex(0, false);
    }
}

TestDeviceRoot::TestDeviceRoot() {
    NSFileManager::setDeviceRoot(folder_.path().string());
    NSFileManager::defaultManager()->createStandardDeviceFolders();
    UIImage::setResourceDirectory(buildDirectory() / "Resources");
    useTestScreen(1);
}

} // namespace testsupport
