// The application: the delegate, the windows, touch delivery, rotation and the
// platform effects that go to standard error (opened URLs).
#pragma once

#include <CoreGraphics/CGGeometry.h>
#include <UIKit/UIApplicationDelegate.h>
#include <UIKit/UIResponder.h>
#include <UIKit/UITouch.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

class UIApplication;
class UIWindow;
using UIApplicationRef = std::shared_ptr<UIApplication>;

enum UIInterfaceOrientation : NSInteger {
    UIInterfaceOrientationPortrait = 1,
    UIInterfaceOrientationPortraitUpsideDown = 2,
    UIInterfaceOrientationLandscapeRight = 3,
    UIInterfaceOrientationLandscapeLeft = 4,
};

inline bool UIInterfaceOrientationIsLandscape(UIInterfaceOrientation orientation) {
    return orientation == UIInterfaceOrientationLandscapeLeft ||
           orientation == UIInterfaceOrientationLandscapeRight;
}

// What became of an address handed to the desktop: opened, or why not.
struct UIURLOpening {
    bool opened = false;
    std::string problem;
};
// Hands an address to the desktop (a window installs one); none: there is no desktop.
using UIURLOpener = std::function<UIURLOpening(const std::string& url)>;

using UIApplicationDelegateFactory = std::function<std::shared_ptr<UIApplicationDelegate>()>;

// Delegate classes by name, for UIApplicationLaunch. Register before calling it.
void UIApplicationRegisterDelegateClass(const std::string& name,
                                        UIApplicationDelegateFactory factory);
std::shared_ptr<UIApplicationDelegate> UIApplicationCreateDelegate(const std::string& name);
template <class T> void UIApplicationRegisterDelegateClass(const std::string& name) {
    UIApplicationRegisterDelegateClass(name, [] { return std::make_shared<T>(); });
}

// What UIApplicationMain does before its run loop: makes the delegate
// (`delegateClassName`, registered above), gives it to the application and tells it
// that launching finished; false, said in one line, when that failed.
// `principalClassName` must be empty or "UIApplication". The run loop is the host's:
// a program passes this as its launch to HostRun.
bool UIApplicationLaunch(const std::string& principalClassName,
                         const std::string& delegateClassName);

class UIApplication : public UIResponder {
  public:
    UIApplication();
    static const UIApplicationRef& sharedApplication();

    // Retained: the application keeps the delegate that UIApplicationLaunch made.
    UIApplicationDelegate* delegate() const { return delegate_.get(); }
    void setDelegate(std::shared_ptr<UIApplicationDelegate> delegate) {
        delegate_ = std::move(delegate);
    }
    // Tells the delegate that launching finished; false when it refused.
    bool finishLaunching();
    // Tells the delegate that the application became active (its window gained focus).
    void becomeActive();

    UIWindow* keyWindow() const;
    void setKeyWindow(UIWindow* window);
    std::vector<UIWindow*> windows() const;

    // Hands `url` to the desktop through the opener and answers whether something
    // opened it, with one line on standard error either way: "open-url: <url>", with
    // " (not opened: <why>)" after it when nothing did. Without an opener (a headless
    // run has no desktop) the line alone stands for the effect, and the answer is yes.
    bool openURL(const std::string& url);
    // Replaces the opener; an empty one removes it.
    void setURLOpener(UIURLOpener opener) { urlOpener_ = std::move(opener); }
    bool canOpenURL(const std::string& url) const { return !url.empty(); }

    // One finger, in screen points. A touch begins on the front-most window whose
    // views take it; the touch then belongs to that view until it ends. Moving,
    // ending or cancelling without a touch down does nothing. False when nothing
    // took the touch.
    bool sendTouch(UITouchPhase phase, CGPoint pointInScreen);
    bool hasTouchDown() const { return touch_ != nullptr; }

    // Rotation: asks the key window's root view controller; when it agrees the
    // screen, the windows and their layout follow. False when refused.
    UIInterfaceOrientation statusBarOrientation() const { return orientation_; }
    bool rotateToInterfaceOrientation(UIInterfaceOrientation orientation);

    // The status bar's clock text ("9:41" until set).
    void setStatusBarClockText(const std::string& text);
    std::string statusBarClockText() const;
    bool isStatusBarHidden() const { return false; }

    // Lays out every visible window: what the renderer also does before a frame.
    void layoutWindows();

    // Sends an edit action ("copy:") to `target`, or with none to the first
    // responder that can perform it: along the chain from the focused element, then
    // from the key window's visible view controller. False when nobody could.
    bool sendAction(const std::string& action, id target, id sender, UIEvent* event) const;

  private:
    std::shared_ptr<UIApplicationDelegate> delegate_;
    std::weak_ptr<NSObject> keyWindow_;
    UIWindow* keyWindowPointer_ = nullptr;
    UITouchRef touch_;
    UIInterfaceOrientation orientation_ = UIInterfaceOrientationPortrait;
    UIURLOpener urlOpener_;
};
